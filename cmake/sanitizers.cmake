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
