#include "query_options.h"

#include "host.h"

namespace murlo::tool {
namespace {

// Splits "--name=value" into its name and value.
bool splitInlineValue(std::string_view arg, std::string_view& name, std::string& value) {
  const std::size_t equals = arg.find('=');
  if (equals == std::string_view::npos) return false;
  name = arg.substr(0, equals);
  value = std::string(arg.substr(equals + 1));
  return true;
}

}  // namespace

std::optional<QueryOptions> parseQueryOptions(Args args, bool acceptsMode, OptionError& error) {
  QueryOptions options;
  bool formatGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (!toLibraryText(arg)) {
      error = {"argument " + std::to_string(i + 1) + " is not valid UTF-8", false};
      return std::nullopt;
    }
    const bool negativeNumber = arg.size() >= 2 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
    if (optionsEnded || arg.size() < 2 || arg[0] != '-' || negativeNumber) {
      options.operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--raw" || arg == "--json") {
      if (formatGiven) {
        error = {"give at most one of --raw and --json"};
        return std::nullopt;
      }
      formatGiven = true;
      options.format = arg == "--raw" ? OutputFormat::kRaw : OutputFormat::kJson;
      continue;
    }
    std::string_view name = arg;
    std::string value;
    if (!splitInlineValue(arg, name, value)) {
      if (name != "--db" && name != "--mode") {
        error = {"unknown option " + std::string(arg)};
        return std::nullopt;
      }
      if (i + 1 == args.size()) {
        error = {std::string(name) + " needs a value"};
        return std::nullopt;
      }
      value = std::string(args[++i]);
      if (!toLibraryText(value)) {
        error = {"argument " + std::to_string(i + 1) + " is not valid UTF-8", false};
        return std::nullopt;
      }
    }
    if (name == "--db") {
      if (options.database) {
        error = {"give --db once"};
        return std::nullopt;
      }
      options.database = value;
    } else if (name == "--mode" && acceptsMode) {
      if (value != "0" && value != "1") {
        error = {"--mode takes 0 or 1, not " + value};
        return std::nullopt;
      }
      options.mode = value == "1" ? 1 : 0;
    } else {
      error = {"unknown option " + std::string(name)};
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace murlo::tool
