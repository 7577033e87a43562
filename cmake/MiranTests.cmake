# miran_discover_tests(<target> [gtest_discover_tests options]): gtest_discover_tests, and under an emulator
# (Wine) inside its fixture, listed at test time with time for a first run that makes the prefix.
function(miran_discover_tests target)
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        gtest_discover_tests(${target} ${ARGN})
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
    gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES ${arg_PROPERTIES} FIXTURES_REQUIRED wine)
endfunction()
