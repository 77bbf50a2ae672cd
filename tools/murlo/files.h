// Whole-file reading and writing for the murlo tool.
#ifndef MURLO_TOOLS_MURLO_FILES_H_
#define MURLO_TOOLS_MURLO_FILES_H_

#include <optional>
#include <string>

namespace murlo::tool {

// The file's bytes, or nothing with `error` set to one line saying why.
std::optional<std::string> readFile(const std::string& path, std::string& error);

// Writes `bytes` to `path` (replacing it). Returns false with `error` set.
bool writeFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_FILES_H_
