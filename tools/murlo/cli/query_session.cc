#include "cli/query_session.h"

#include "answers/host.h"
#include "answers/time_of_day.h"
#include "answers/visible_text.h"

namespace murlo::tool {

Status readFormat(Query& query) {
  const bool raw = query.line.flag(kRawOption);
  const bool json = query.line.flag(kJsonOption);
  if (raw && json) return Status::badParameter("", "give at most one of --raw and --json");
  query.format = raw ? OutputFormat::kRaw : json ? OutputFormat::kJson : OutputFormat::kTable;
  return Status();
}

Status loadQueryDatabase(Query& query, std::optional<std::string> path) {
  if (!path) path = query.line.value(kDatabaseOption);
  query.database = path ? *path : defaultDatabasePath();
  if (const Status loaded = loadDatabase(query.database); !loaded.ok()) {
    if (path) return loaded;
    return Status(loaded.kind(), loaded.message() + defaultDatabaseNote());
  }
  // The structured questions ask the database the --raw answers come from.
  query.handle = processDatabase();
  if (!query.handle) {
    return Status(Status::Kind::kOutOfMemory,
                  "cannot load the database " + query.database + ": out of memory");
  }
  return Status();
}

Status readTimeOfDay(const Query& query, const OptionSpec& option, int& minute) {
  if (!query.line.value(option)) {
    minute = currentMinuteOfDay();
    return Status();
  }
  return readOption(query.line, option, minute);
}

Status startQuery(Query& query) {
  if (Status status = readFormat(query); !status.ok()) return status;
  return loadQueryDatabase(query);
}

void sayNotes(const Questions& questions) {
  for (const std::string& note : questions.notes())
    std::cerr << "murlo: " << visibleMessage(note) << '\n';
}

}  // namespace murlo::tool
