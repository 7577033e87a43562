# Writes a C++ source holding the given files as byte arrays plus a lookup table.
# -DOUT=<file.cpp> -DTRIPLES=<type|name|file^type|name|file...>
string(REPLACE "^" ";" entries "${TRIPLES}")
set(arrays "")
set(table "")
set(index 0)
foreach(entry ${entries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 type)
    list(GET parts 1 name)
    list(GET parts 2 file)
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
    string(APPEND arrays "alignas(16) const std::uint8_t data${index}[${size} + 1] = {\n${bytes}0};\n")
    string(APPEND table "    {\"${type}\", \"${name}\", {data${index}, ${size}}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated at build time; do not edit.
#include \"resources/Resources.h\"

namespace miran::resources {
namespace {
${arrays}
} // namespace

const std::vector<Entry>& Table() {
    static const std::vector<Entry> table = {
${table}    };
    return table;
}
} // namespace miran::resources
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
