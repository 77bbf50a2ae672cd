#include "query_session.h"

#include <iostream>

#include "host.h"
#include "library_calls.h"
#include "suggest.h"

namespace murlo::tool {

std::optional<int> parseQuery(std::string_view name, Args args, std::size_t minOperands,
                              std::size_t maxOperands, Query& query) {
  query.command = findCommand(name);
  OptionError error;
  auto options = parseQueryOptions(args, name == "direct", error);
  if (!options) {
    if (!error.showUsage) {
      std::cerr << "murlo: " << error.message << '\n';
      return kExitUsage;
    }
    return usageError(*query.command, error.message);
  }
  const std::size_t count = options->operands.size();
  if (count < minOperands || count > maxOperands) {
    const std::string expected = minOperands == maxOperands ? std::to_string(minOperands)
                                                            : std::to_string(minOperands) + " or " +
                                                                  std::to_string(maxOperands);
    return usageError(*query.command, std::string(name) + " takes " + expected + " argument" +
                                          (maxOperands == 1 && minOperands == 1 ? "" : "s") +
                                          ", not " + std::to_string(count));
  }
  query.options = std::move(*options);
  return std::nullopt;
}

std::optional<int> loadQueryDatabase(Query& query, std::optional<std::string> path) {
  if (!path) path = query.options.database;
  query.database = path ? *path : defaultDatabasePath();
  if (const auto error = loadDatabase(query.database)) {
    if (!path) return fail(*error + " (the sample network; name a database with --db FILE)");
    return fail(*error);
  }
  return std::nullopt;
}

std::optional<int> startQuery(std::string_view name, Args args, std::size_t operands,
                              Query& query) {
  if (auto status = parseQuery(name, args, operands, operands, query)) return status;
  return loadQueryDatabase(query);
}

int unknownStation(const Query& query, std::string_view role, std::string_view name) {
  std::string message = "unknown ";
  if (!role.empty()) message += std::string(role) + " ";
  message += "station \"" + std::string(name) + "\"";
  const LibraryResult all = findStations(LibraryText());
  if (all.code == 0) return fail(message + ": the database " + query.database + " has no stations");
  const auto suggestions = suggestStations(name);
  if (suggestions.empty()) return fail(message + " (murlo stations ABBR lists station names)");
  message += "; did you mean ";
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    if (i > 0) message += ", ";
    message += suggestions[i];
  }
  return fail(message + "?");
}

int libraryFailure(int32_t code) {
  if (code == MURLO_OUT_OF_MEMORY) return fail("the library ran out of memory");
  return fail("the library answered with the unexpected result " + std::to_string(code));
}

int unreadableResult() {
  return fail("the library's result text does not have the documented form");
}

}  // namespace murlo::tool
