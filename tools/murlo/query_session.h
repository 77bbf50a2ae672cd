// What every query command does around its query: read the command line,
// load the database, and turn the library's failures into one-line messages
// and exit statuses.
#ifndef MURLO_TOOLS_MURLO_QUERY_SESSION_H_
#define MURLO_TOOLS_MURLO_QUERY_SESSION_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands.h"
#include "query_options.h"

namespace murlo::tool {

struct Query {
  const Command* command = nullptr;
  QueryOptions options;
  std::string database;  // the path loaded
};

// Parses the arguments of the command `name`, which takes `minOperands` to
// `maxOperands` operands. Returns the exit status to end with when the
// command line is wrong.
std::optional<int> parseQuery(std::string_view name, Args args, std::size_t minOperands,
                              std::size_t maxOperands, Query& query);

// Loads `path`, or the --db file, or the sample network. Returns the exit
// status to end with when the database cannot be loaded.
std::optional<int> loadQueryDatabase(Query& query, std::optional<std::string> path = {});

// parseQuery then loadQueryDatabase.
std::optional<int> startQuery(std::string_view name, Args args, std::size_t operands, Query& query);

// "unknown station" with the closest names; `role` ("origin", "destination"
// or "") says which station of the command line it was.
int unknownStation(const Query& query, std::string_view role, std::string_view name);
// A negative result that the command has no own message for.
int libraryFailure(int32_t code);
// A result text that does not have the form the library documents.
int unreadableResult();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_QUERY_SESSION_H_
