// What every query command does around its query: read the output format,
// load the database, find the stations typed, and turn the library's
// failures into one-line messages and exit statuses.
#ifndef MURLO_TOOLS_MURLO_QUERY_SESSION_H_
#define MURLO_TOOLS_MURLO_QUERY_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "station_match.h"

namespace murlo::tool {

enum class OutputFormat {
  kTable,  // aligned columns for people
  kRaw,    // the library's result text as it stands
  kJson,   // one JSON document for scripts
};

struct Query {
  explicit Query(const CommandLine& commandLine) : line(commandLine) {}

  const CommandLine& line;
  OutputFormat format = OutputFormat::kTable;
  std::string database;  // the path loaded
};

// Reads --raw and --json. Returns the exit status to end with when the
// command line is wrong.
std::optional<int> readFormat(Query& query);

// Loads `path`, or the --db file, or the default database (MURLO_DB, else
// the sample network). Returns the exit status to end with when it cannot be
// loaded.
std::optional<int> loadQueryDatabase(Query& query, std::optional<std::string> path = {});

// readFormat then loadQueryDatabase.
std::optional<int> startQuery(Query& query);

// The name of the station `typed` stands for (see matchStation), or the exit
// status to end with: unknown (with the closest names) or several stations
// (listed). A loose match is said on standard error. `role` ("origin",
// "destination", "boarding", "alighting" or "") says which station of the
// command line it is.
struct ResolvedStation {
  std::optional<std::string> name;
  int status = kExitOk;  // when there is no name
};
ResolvedStation resolveStation(const Query& query, std::string_view role, std::string_view typed);

// "unknown station" with the closest names.
int unknownStation(const Query& query, std::string_view role, std::string_view name);
// A negative result that the command has no own message for.
int libraryFailure(int32_t code);
// A result text that does not have the form the library documents.
int unreadableResult();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_QUERY_SESSION_H_
