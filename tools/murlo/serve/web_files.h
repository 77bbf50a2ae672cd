// The files of murlo serve's page (tools/murlo/serve/web/), embedded in the
// executable when it is built (embed_web_files.cmake): the server reads no
// file but its database.
#ifndef MURLO_TOOLS_MURLO_SERVE_WEB_FILES_H_
#define MURLO_TOOLS_MURLO_SERVE_WEB_FILES_H_

#include <string_view>
#include <vector>

namespace murlo::tool {

struct WebFile {
  std::string_view path;         // "/app.js"
  std::string_view contentType;  // "text/javascript; charset=utf-8"
  std::string_view bytes;
};

// Every file of the page; "/index.html" is the page itself.
const std::vector<WebFile>& webFiles();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_WEB_FILES_H_
