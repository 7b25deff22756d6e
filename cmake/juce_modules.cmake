# JUCE from Debian's juce-modules-source. JUCE's modules are interface libraries that would
# compile again inside every target using them, so they are compiled once here into two static
# libraries: pellaro_juce_core (juce_core alone, no windowing: the speaker link reads firmware
# packages with juce::ZipFile) and pellaro_juce, the GUI modules on top of it, which the
# application and the interface tests link.
find_package(JUCE CONFIG REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

# Hands a JUCE library's module include folders and settings on to whoever links it.
function(pellaro_export_juce_settings target)
    # A dependency, not our code: optimised even in the test build so that drawing stays fast.
    target_compile_options(${target} PRIVATE -O2 -w)
    target_include_directories(${target} INTERFACE
        $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${target} INTERFACE
        $<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>)
endfunction()

add_library(pellaro_juce_core STATIC)
target_link_libraries(pellaro_juce_core
    PRIVATE
        juce::juce_core
    PUBLIC
        juce::juce_recommended_config_flags
        ZLIB::ZLIB
        Threads::Threads
        ${CMAKE_DL_LIBS})
target_compile_definitions(pellaro_juce_core
    PUBLIC
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        # Debug builds would print JUCE's version on standard error at every start, before main.
        JUCE_DISABLE_JUCE_VERSION_PRINTING=1)
pellaro_export_juce_settings(pellaro_juce_core)

# The GUI modules' own sources and settings, without the juce_core that their interface
# targets would bring along a second time.
set(pellaro_juce_gui_modules juce_events juce_data_structures juce_graphics juce_gui_basics)
add_library(pellaro_juce STATIC)
foreach(module IN LISTS pellaro_juce_gui_modules)
    target_sources(pellaro_juce PRIVATE $<TARGET_PROPERTY:${module},INTERFACE_SOURCES>)
    target_include_directories(pellaro_juce PRIVATE
        $<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>)
    target_compile_definitions(pellaro_juce PRIVATE
        $<TARGET_PROPERTY:${module},INTERFACE_COMPILE_DEFINITIONS>)
endforeach()
target_link_libraries(pellaro_juce
    PUBLIC
        pellaro_juce_core
        PkgConfig::FREETYPE
        PkgConfig::FONTCONFIG
        PNG::PNG
        JPEG::JPEG)
target_compile_definitions(pellaro_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_MODAL_LOOPS_PERMITTED=1)
pellaro_export_juce_settings(pellaro_juce)
