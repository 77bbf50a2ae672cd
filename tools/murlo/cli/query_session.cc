#include "cli/query_session.h"

#include <algorithm>

#include "answers/host.h"
#include "answers/text_table.h"
#include "answers/time_of_day.h"
#include "answers/visible_text.h"

namespace murlo::tool {

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
  // The structured questions ask the database the --raw answers come from.
  query.handle = processDatabase();
  if (!query.handle) return fail("cannot load the database " + query.database + ": out of memory");
  return std::nullopt;
}

std::optional<int> readWholeNumber(const Query& query, const OptionSpec& option, int least,
                                   int most, int& value) {
  const auto given = query.line.value(option);
  if (!given) return std::nullopt;
  const bool digits =
      !given->empty() && given->size() <= 9 &&
      std::all_of(given->begin(), given->end(), [](char c) { return c >= '0' && c <= '9'; });
  const int number = digits ? std::stoi(*given) : -1;
  if (number < least || number > most) {
    return usageError(query.line.command(), std::string(option.name) +
                                                " takes a whole number from " +
                                                std::to_string(least) + " to " +
                                                std::to_string(most) + ", not " + *given);
  }
  value = number;
  return std::nullopt;
}

std::optional<int> readTimeOfDay(const Query& query, const OptionSpec& option, int& minute) {
  const auto given = query.line.value(option);
  if (!given) {
    minute = currentMinuteOfDay();
    return std::nullopt;
  }
  const auto parsed = parseMinuteOfDay(*given);
  if (!parsed) {
    return usageError(query.line.command(), std::string(option.name) + " takes " +
                                                std::string(kTimeOfDayForms) + ", not " + *given);
  }
  minute = *parsed;
  return std::nullopt;
}

std::optional<int> startQuery(Query& query) {
  if (auto status = readFormat(query)) return status;
  return loadQueryDatabase(query);
}

void sayNotes(const Questions& questions) {
  for (const std::string& note : questions.notes())
    std::cerr << "murlo: " << visibleMessage(note) << '\n';
}

int reportFailure(const Failure& failure) {
  if (failure.kind == Failure::Kind::kInvalidArgument) {
    fail(failure.message);
    return kExitUsage;
  }
  if (failure.kind != Failure::Kind::kSeveralTrains) return fail(failure.message);
  std::cerr << "murlo: " << visibleMessage(failure.message) << " (murlo stops INDEX):\n";
  TextTable table(
      {{"Index", Align::kRight}, {"Train"}, {"From"}, {"Departs"}, {"To"}, {"Arrives"}});
  for (const TrainLine& t : failure.trains) {
    table.addRow({std::to_string(t.index), t.number, t.from, t.departure, t.to, t.arrival});
  }
  table.print(std::cerr);
  return kExitFailure;
}

}  // namespace murlo::tool
