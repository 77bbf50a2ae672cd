#include "cli/query_session.h"

#include "answers/host.h"
#include "answers/service_date.h"
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

Status readQuestionDate(const Query& query, int32_t& date, int* minuteNow) {
  date = MURLO_NO_DATE;
  const auto given = query.line.value(kQuestionDateOption);
  if (given && query.format == OutputFormat::kRaw) {
    return Status::badParameter("--date",
                                "--raw prints the library's text, which answers for no date: give "
                                "--date or --raw");
  }
  const ServicePeriod period = servicePeriodOf(query.handle.get());
  if (minuteNow != nullptr && period.hasCalendar() && query.format != OutputFormat::kRaw) {
    *minuteNow = minuteIn(period.timeZone, std::time(nullptr));
  }
  if (!given) {
    if (query.format == OutputFormat::kRaw || !period.hasCalendar()) return Status();
    auto today = resolveDate(kToday, period, "today");
    if (!today.ok()) {
      return Status::badParameter("--date", today.status().message() + ": give --date");
    }
    date = *today;
    return Status();
  }
  int asked = kToday;
  if (Status status = readOption(query.line, kQuestionDateOption, asked); !status.ok())
    return status;
  auto resolved = resolveDate(asked, period, "--date");
  if (!resolved.ok()) return resolved.status();
  if (!period.hasCalendar()) std::cerr << "murlo: " << kEveryDayNote << '\n';
  date = *resolved;
  return Status();
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
