#include "files/file_command.h"

#include <iostream>

#include "cli/commands.h"

namespace murlo::tool {

int summary(const OutputPlan& plan, const std::string& line) {
  (plan.writesStandardOutput() ? std::cerr : std::cout) << line << '\n';
  return kExitOk;
}

std::string fileName(std::string_view path) {
  return isStandardStream(path) ? "standard input" : std::string(path);
}

std::string counted(std::size_t count, std::string_view what) {
  return std::to_string(count) + " " + std::string(what) + (count == 1 ? "" : "s");
}

}  // namespace murlo::tool
