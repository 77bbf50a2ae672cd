// The command line of the query commands: operands and the options --db,
// --raw, --json and --mode, which may stand anywhere after the command.
#ifndef MURLO_TOOLS_MURLO_QUERY_OPTIONS_H_
#define MURLO_TOOLS_MURLO_QUERY_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace murlo::tool {

enum class OutputFormat {
  kTable,  // aligned columns for people
  kRaw,    // the library's result text as it stands
  kJson,   // one JSON document for scripts
};

struct QueryOptions {
  std::vector<std::string> operands;    // the arguments that are no options
  std::optional<std::string> database;  // --db FILE
  OutputFormat format = OutputFormat::kTable;
  int32_t mode = 0;  // --mode 0 or 1
};

struct OptionError {
  std::string message;
  bool showUsage = true;  // false for a one-line message (bad UTF-8)
};

// Parses `args`. "--db FILE" and "--db=FILE", "--raw", "--json", and, when
// `acceptsMode`, "--mode N" and "--mode=N" with N 0 or 1; "--" ends the
// options. Every argument must be valid UTF-8. On an error returns nothing
// with `error` set.
std::optional<QueryOptions> parseQueryOptions(Args args, bool acceptsMode, OptionError& error);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_QUERY_OPTIONS_H_
