# Warnings for our own targets (JUCE and the other dependencies keep their own).
function(pellaro_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
