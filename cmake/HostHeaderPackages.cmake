# A cross build must not search the build machine's include folder (its C library would come before the
# target's), yet a header-only package is the same for every target. nlohmann_json is therefore offered from
# a folder that holds its headers and nothing else; find_package(nlohmann_json) then finds it there.
find_path(MIRAN_HOST_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_file(MIRAN_HOST_NLOHMANN_VERSION nlohmann_jsonConfigVersion.cmake
          PATHS /usr/share/cmake/nlohmann_json /usr/lib/cmake/nlohmann_json NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(package_dir ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${package_dir}/include)
file(CREATE_LINK ${MIRAN_HOST_NLOHMANN_INCLUDE}/nlohmann ${package_dir}/include/nlohmann SYMBOLIC)
configure_file(${MIRAN_HOST_NLOHMANN_VERSION} ${package_dir}/nlohmann_jsonConfigVersion.cmake COPYONLY)
file(WRITE ${package_dir}/nlohmann_jsonConfig.cmake "\
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                          INTERFACE_INCLUDE_DIRECTORIES ${package_dir}/include)
endif()
")
set(nlohmann_json_DIR ${package_dir} CACHE PATH "nlohmann_json for the cross build" FORCE)
