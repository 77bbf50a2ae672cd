# Writes OUTPUT, a C++ source holding the bytes of the page's files for
# web_files.h: FILES (names joined by ",") read from SOURCE_DIR. The build
# runs it (cmake -P) whenever one of the files changes, so the page is part
# of the executable and nothing is installed beside it.
foreach(variable SOURCE_DIR FILES OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_web_files.cmake needs -D${variable}=...")
  endif()
endforeach()
string(REPLACE "," ";" files "${FILES}")

set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS files)
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "embed_web_files.cmake: no content type for ${name}")
  endif()
  file(READ "${SOURCE_DIR}/${name}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line; a zero byte ends every array, so none is empty.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${name}\nconst unsigned char kFile${index}[] = {\n    ${bytes}0x00};\n\n")
  string(APPEND entries
    "      {\"/${name}\", \"${type}\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}"
"// Written by tools/murlo/serve/embed_web_files.cmake from tools/murlo/serve/web/; do not edit.
#include \"serve/web_files.h\"

namespace murlo::tool {
namespace {

${arrays}}  // namespace

const std::vector<WebFile>& webFiles() {
  static const std::vector<WebFile> files = {
${entries}  };
  return files;
}

}  // namespace murlo::tool
")
