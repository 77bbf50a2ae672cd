#include "query_session.h"

#include "host.h"
#include "text_table.h"

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
  return std::nullopt;
}

std::optional<int> startQuery(Query& query) {
  if (auto status = readFormat(query)) return status;
  return loadQueryDatabase(query);
}

void sayNotes(const Questions& questions) {
  for (const std::string& note : questions.notes()) std::cerr << "murlo: " << note << '\n';
}

int reportFailure(const Failure& failure) {
  if (failure.kind != Failure::Kind::kSeveralTrains) return fail(failure.message);
  std::cerr << "murlo: " << failure.message << " (murlo stops INDEX):\n";
  TextTable table(
      {{"Index", Align::kRight}, {"Train"}, {"From"}, {"Departs"}, {"To"}, {"Arrives"}});
  for (const TrainLine& t : failure.trains) {
    table.addRow({std::to_string(t.index), t.number, t.from, t.departure, t.to, t.arrival});
  }
  table.print(std::cerr);
  return kExitFailure;
}

}  // namespace murlo::tool
