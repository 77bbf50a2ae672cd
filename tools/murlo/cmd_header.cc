// murlo header [FILE]: the database's header text.
#include <iostream>
#include <string>

#include "commands.h"
#include "json_writer.h"
#include "library_calls.h"
#include "query_session.h"

namespace murlo::tool {

int runHeader(Args args) {
  Query query;
  if (auto status = parseQuery("header", args, 0, 1, query)) return *status;
  std::optional<std::string> file;
  if (!query.options.operands.empty()) {
    if (query.options.database) {
      return usageError(*query.command, "give the database either as FILE or with --db");
    }
    file = query.options.operands[0];
  }
  if (auto status = loadQueryDatabase(query, file)) return *status;
  const LibraryResult header = headerText();
  if (header.code < 0) return libraryFailure(header.code);
  if (query.options.format == OutputFormat::kJson) {
    JsonWriter(std::cout)
        .beginObject()
        .field("database", query.database)
        .field("header", header.text)
        .endObject();
  } else {
    std::cout << header.text;
  }
  std::cout << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
