// murlo header [FILE]: the database's header text.
#include <iostream>
#include <string>

#include "commands.h"
#include "json_writer.h"
#include "library_calls.h"
#include "query_session.h"

namespace murlo::tool {

int runHeader(const CommandLine& line) {
  Query query(line);
  if (auto status = readFormat(query)) return *status;
  std::optional<std::string> file;
  if (!line.operands().empty()) {
    if (line.value(kDatabaseOption)) {
      return usageError(line.command(), "give the database either as FILE or with --db");
    }
    file = line.operand(0);
  }
  if (auto status = loadQueryDatabase(query, file)) return *status;
  const LibraryResult header = headerText();
  if (header.code < 0) return libraryFailure(header.code);
  if (query.format == OutputFormat::kJson) {
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
