# GoogleTest through CTest: one test program per library, each case its own CTest test.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(pellaro_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp)
target_link_libraries(pellaro_test_main PUBLIC GTest::gtest GTest::gmock)
pellaro_defaults(pellaro_test_main)

# pellaro_add_test_program(<name> SOURCES ... LIBRARIES ...)
function(pellaro_add_test_program name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} pellaro_test_main)
    pellaro_defaults(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
endfunction()
