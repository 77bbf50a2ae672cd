// What every file command does around its work: the summary line on success.
#ifndef MURLO_TOOLS_MURLO_FILES_FILE_COMMAND_H_
#define MURLO_TOOLS_MURLO_FILES_FILE_COMMAND_H_

#include <string>
#include <string_view>

#include "files/files.h"

namespace murlo::tool {

// Prints `line` and returns kExitOk: on standard output, or on standard error
// when an output of `plan` is standard output.
int summary(const OutputPlan& plan, const std::string& line);

// "standard input" for "-", else the path.
std::string fileName(std::string_view path);

// "1 station" or "2 stations".
std::string counted(std::size_t count, std::string_view what);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_FILES_FILE_COMMAND_H_
