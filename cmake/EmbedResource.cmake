# miran_embed_resources(<target> <type> <name> <file> [<type> <name> <file> ...])
# Compiles the files into <target> and registers them under (type, name) so that
# miran::resources::Find(type, name) returns their bytes.
set(MIRAN_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/GenerateResources.cmake)

function(miran_embed_resources target)
    set(entries ${ARGN})
    list(LENGTH entries n)
    math(EXPR rest "${n} % 3")
    if(n EQUAL 0 OR NOT rest EQUAL 0)
        message(FATAL_ERROR "miran_embed_resources: expected type/name/file triples")
    endif()
    set(files)
    set(triples)
    math(EXPR last "${n} - 1")
    foreach(i RANGE 0 ${last} 3)
        math(EXPR j "${i} + 1")
        math(EXPR k "${i} + 2")
        list(GET entries ${i} type)
        list(GET entries ${j} name)
        list(GET entries ${k} file)
        get_filename_component(file ${file} ABSOLUTE)
        list(APPEND files ${file})
        list(APPEND triples "${type}|${name}|${file}")
    endforeach()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    string(REPLACE ";" "^" triples_arg "${triples}")
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DTRIPLES=${triples_arg} -P ${MIRAN_EMBED_SCRIPT}
        DEPENDS ${files} ${MIRAN_EMBED_SCRIPT}
        COMMENT "Embedding resources into ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
endfunction()
