# A Windows build's tests run under Wine, in this build's own prefix (wine-env). A fixture keeps one
# wineserver for the whole run; the tests are listed when CTest starts, so that building needs no Wine.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-env.in ${CMAKE_BINARY_DIR}/wine-env @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-env wine)

add_test(NAME wineserver_start COMMAND ${CMAKE_BINARY_DIR}/wine-env --start)
add_test(NAME wineserver_stop COMMAND ${CMAKE_BINARY_DIR}/wine-env --stop)
set_tests_properties(wineserver_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wineserver_stop PROPERTIES FIXTURES_CLEANUP wine)
