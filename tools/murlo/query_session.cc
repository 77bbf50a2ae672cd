#include "query_session.h"

#include <iostream>

#include "host.h"
#include "library_calls.h"
#include "suggest.h"

namespace murlo::tool {
namespace {

std::string roleAndStation(std::string_view role) {
  return role.empty() ? "station" : std::string(role) + " station";
}

}  // namespace

std::optional<int> readFormat(Query& query) {
  const bool raw = query.line.flag(kRawOption);
  const bool json = query.line.flag(kJsonOption);
  if (raw && json) return usageError(query.line.command(), "give at most one of --raw and --json");
  query.format = raw ? OutputFormat::kRaw : json ? OutputFormat::kJson : OutputFormat::kTable;
  return std::nullopt;
}

std::optional<int> loadQueryDatabase(Query& query, std::optional<std::string> path) {
  if (!path) path = query.line.value(kDatabaseOption);
  query.database = path ? *path : defaultDatabasePath();
  if (const auto error = loadDatabase(query.database)) {
    if (path) return fail(*error);
    if (defaultDatabaseFromEnvironment()) return fail(*error + " (named by MURLO_DB)");
    return fail(*error + " (the sample network; name a database with --db FILE)");
  }
  return std::nullopt;
}

std::optional<int> startQuery(Query& query) {
  if (auto status = readFormat(query)) return status;
  return loadQueryDatabase(query);
}

ResolvedStation resolveStation(const Query& query, std::string_view role, std::string_view typed) {
  const auto stations = loadedStations();
  if (!stations) return {std::nullopt, unreadableResult()};
  const StationMatch match = matchStation(typed, *stations);
  switch (match.kind) {
    case StationMatch::Kind::kExact: return {match.name};
    case StationMatch::Kind::kTaken:
      std::cerr << "murlo: taking " << match.name << " for \"" << typed << "\"\n";
      return {match.name};
    case StationMatch::Kind::kSeveral: {
      std::string message = "\"" + std::string(typed) + "\" matches " +
                            std::to_string(match.candidates.size()) + " stations: ";
      for (std::size_t i = 0; i < match.candidates.size(); ++i) {
        if (i == 8) {
          message += ", ...";
          break;
        }
        message += (i > 0 ? ", " : "") + match.candidates[i];
      }
      return {std::nullopt, fail(message + "; give the " + roleAndStation(role) + " by its name")};
    }
    case StationMatch::Kind::kNone: break;
  }
  return {std::nullopt, unknownStation(query, role, typed)};
}

int unknownStation(const Query& query, std::string_view role, std::string_view name) {
  std::string message = "unknown " + roleAndStation(role) + " \"" + std::string(name) + "\"";
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
