# AddressSanitizer and UndefinedBehaviorSanitizer for our own targets in the test build;
# the first report ends the program so that no finding can pass unnoticed.
set(PELLARO_SANITIZER_FLAGS
    -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

function(pellaro_sanitize target)
    if(PELLARO_SANITIZE)
        target_compile_options(${target} PRIVATE ${PELLARO_SANITIZER_FLAGS} -O1 -g)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
            target_link_options(${target} INTERFACE ${PELLARO_SANITIZER_FLAGS})
        else()
            target_link_options(${target} PRIVATE ${PELLARO_SANITIZER_FLAGS})
        endif()
    endif()
endfunction()

# Everything our own targets share: warnings and, in the test build, the sanitizers.
function(pellaro_defaults target)
    pellaro_warnings(${target})
    pellaro_sanitize(${target})
endfunction()

# The libraries to preload into the program so that it talks to the emulated speaker, colon-
# separated, into <out>. ASan insists on coming first in the initial library list, and
# LD_PRELOAD comes before the program's own libraries: a sanitizer build preloads its runtime
# first.
function(pellaro_emulated_speaker_preload out)
    set(preload "$<TARGET_FILE:emulated_speaker_preload>")
    if(PELLARO_SANITIZE)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
            OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
        set(preload "${asan_runtime}:${preload}")
    endif()
    set(${out} "${preload}" PARENT_SCOPE)
endfunction()
