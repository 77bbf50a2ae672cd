// murlo header [FILE]: the database's header text.
#include <iostream>
#include <string>

#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/query_session.h"

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
  const auto answer = Questions(query.database, query.handle).header(query.detail());
  if (!answer.ok()) return reportFailure(answer.failure());
  if (query.format == OutputFormat::kJson) return printJson(query, *answer);
  // --raw prints the header's bytes as they are; a table shows them.
  std::cout << (query.format == OutputFormat::kRaw ? answer->header : visibleText(answer->header))
            << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
