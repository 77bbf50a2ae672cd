// murlo header [FILE]: the database's header text.
#include <iostream>
#include <string>

#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/query_session.h"

namespace murlo::tool {

int runHeader(const CommandLine& line) {
  Query query(line);
  if (const Status status = readFormat(query); !status.ok()) return reportFailure(query, status);
  std::optional<std::string> file;
  if (!line.operands().empty()) {
    if (line.value(kDatabaseOption)) {
      return usageError(line.command(), "give the database either as FILE or with --db");
    }
    file = line.operand(0);
  }
  if (const Status status = loadQueryDatabase(query, file); !status.ok()) {
    return reportFailure(query, status);
  }
  const auto answer = Questions(query.database, query.handle).header(query.detail());
  if (!answer.ok()) return reportFailure(query, answer.status());
  if (query.format == OutputFormat::kJson) return printJson(query, *answer);
  // --raw prints the header's bytes as they are; a table shows them.
  std::cout << (query.format == OutputFormat::kRaw ? answer->header : visibleText(answer->header))
            << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
