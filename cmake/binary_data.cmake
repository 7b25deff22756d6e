# pellaro_add_binary_data(<target> NAMESPACE <name> HEADER_NAME <file> SOURCES <files>...)
# Embeds files as byte arrays with JUCE's juceaide, as juce_add_binary_data does, but with the
# files themselves as dependencies: juce_add_binary_data insists that its inputs exist when CMake
# configures and does not notice when they change, while the artwork is drawn during the build.
function(pellaro_add_binary_data target)
    cmake_parse_arguments(ARG "" "NAMESPACE;HEADER_NAME" "SOURCES" ${ARGN})
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/${target}")
    list(LENGTH ARG_SOURCES count)
    set(outputs)
    foreach(index RANGE 1 ${count})
        list(APPEND outputs "${folder}/BinaryData${index}.cpp")
    endforeach()
    list(APPEND outputs "${folder}/${ARG_HEADER_NAME}")

    string(JOIN "\n" file_list ${ARG_SOURCES})
    file(MAKE_DIRECTORY "${folder}")
    file(CONFIGURE OUTPUT "${folder}/input_file_list" CONTENT "${file_list}\n")

    add_custom_command(OUTPUT ${outputs}
        COMMAND juce::juceaide binarydata "${ARG_NAMESPACE}" "${ARG_HEADER_NAME}" "${folder}"
            "${folder}/input_file_list"
        DEPENDS ${ARG_SOURCES} "${folder}/input_file_list"
        COMMENT "Embedding ${target}"
        VERBATIM)

    add_library(${target} STATIC ${outputs})
    target_include_directories(${target} INTERFACE "${folder}")
endfunction()
