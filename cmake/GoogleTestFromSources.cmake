# GoogleTest for a cross build, compiled from the Debian package's sources (googletest) with the project's
# compiler. Its targets carry the names find_package(GTest) gives (GTest::gtest_main, GTest::gmock).
set(MIRAN_GOOGLETEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest's source tree")
if(NOT EXISTS ${MIRAN_GOOGLETEST_SOURCES}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources are missing at ${MIRAN_GOOGLETEST_SOURCES} (Debian: googletest)")
endif()

# Its code is not held to the project's warning flags.
get_directory_property(project_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${MIRAN_GOOGLETEST_SOURCES} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${project_options}")

