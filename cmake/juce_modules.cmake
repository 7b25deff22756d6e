# JUCE from Debian's juce-modules-source. JUCE's modules are interface libraries that would
# compile again inside every target using them, so they are compiled once here into one
# static library, pellaro_juce, which the application and the interface tests link.
find_package(JUCE CONFIG REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

add_library(pellaro_juce STATIC)
target_link_libraries(pellaro_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
    PUBLIC
        juce::juce_recommended_config_flags
        PkgConfig::FREETYPE
        PkgConfig::FONTCONFIG
        PNG::PNG
        JPEG::JPEG
        ZLIB::ZLIB
        Threads::Threads
        ${CMAKE_DL_LIBS})
target_compile_definitions(pellaro_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1)
# A dependency, not our code: optimised even in the test build so that drawing stays fast.
target_compile_options(pellaro_juce PRIVATE -O2 -w)
# Hand the modules' include folders and settings on to whoever links the library.
target_include_directories(pellaro_juce INTERFACE
    $<TARGET_PROPERTY:pellaro_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(pellaro_juce INTERFACE
    $<TARGET_PROPERTY:pellaro_juce,COMPILE_DEFINITIONS>)
