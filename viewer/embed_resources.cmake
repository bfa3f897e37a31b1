# Writes a C++ source that holds a file as a byte array in the viewer's resource
# table: cmake -DOUTPUT=out.cpp -DTYPE=T -DNAME=N -DFILE=path -P embed_resources.cmake
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "${FILE} is missing: the viewer cannot be built without it")
endif()
file(READ "${FILE}" hex HEX)
# 32 bytes to a line, then every byte as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
set(data "const unsigned char kData[] = {\n${hex}\n};\n")
set(table "    static const ResourceEntry table[] = {{\"${TYPE}\", \"${NAME}\", {kData, sizeof kData}}};\n    return table;\n")

file(WRITE "${OUTPUT}" "// Generated at build time from viewer/res; do not edit.
#include \"resource.h\"

namespace rova::viewer {
namespace {
${data}}  // namespace

std::span<const ResourceEntry> embeddedResources() {
${table}}

}  // namespace rova::viewer
")
