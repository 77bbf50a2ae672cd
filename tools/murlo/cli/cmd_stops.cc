// murlo stops TRAIN [FROM TO]: a train's stop list with the journey marked.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "answers/names_as_written.h"
#include "answers/text_table.h"
#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/query_session.h"

namespace murlo::tool {
namespace {

// Why a train cannot take the journey asked about.
void sayNoJourney(const StopsAnswer& answer, std::ostream& out) {
  const auto calls = [&](const std::string& name) {
    return std::any_of(answer.stops.begin(), answer.stops.end(),
                       [&](const StopLine& stop) { return stop.station == name; });
  };
  const std::string train = "train " + std::to_string(answer.train);
  const std::string from = visibleText(shownName(answer.written, *answer.from));
  const std::string to = visibleText(shownName(answer.written, *answer.to));
  out << "No stop is marked: ";
  if (!calls(*answer.from)) {
    out << train << " does not call at " << from << ".\n";
  } else if (!calls(*answer.to)) {
    out << train << " does not call at " << to << ".\n";
  } else if (*answer.from == *answer.to) {
    out << "the journey from " << from << " to " << to << " goes nowhere.\n";
  } else {
    out << train << " does not run from " << from << " to " << to << ": it calls at " << to
        << " before " << from << ".\n";
  }
}

void printStopTable(const StopsAnswer& answer, std::ostream& out) {
  // Without a journey the train can take there is nothing to mark, and no
  // column for it.
  const bool journey = answer.runsFromTo.value_or(false);
  std::vector<TableColumn> columns = {{"Station"}, {"Arrives"}, {"Departs"}, {"km", Align::kRight}};
  if (journey) columns.insert(columns.begin(), {""});
  TextTable table(std::move(columns));
  std::size_t marked = 0;
  for (const StopLine& stop : answer.stops) {
    std::vector<std::string> row = {
        shownName(answer.written, stop.station), timeWithDay(stop.arrival, stop.arrivalDay),
        timeWithDay(stop.departure, stop.departureDay), std::to_string(stop.km)};
    if (journey) row.insert(row.begin(), stop.onJourney ? ">" : "");
    table.addRow(std::move(row));
    if (stop.onJourney) ++marked;
  }
  table.print(out);
  out << '\n' << "Run time of the whole train: " << answer.runTime << '\n';
  if (!answer.from) return;
  if (journey && marked > 0) {
    out << "> marks the journey from " << visibleText(shownName(answer.written, *answer.from))
        << " to " << visibleText(shownName(answer.written, *answer.to)) << ".\n";
  } else {
    sayNoJourney(answer, out);
  }
}

}  // namespace

int runStops(const CommandLine& line) {
  Query query(line);
  if (line.operands().size() == 2) {
    return usageError(line.command(),
                      "stops takes 1 or 3 arguments (TRAIN, or TRAIN FROM TO), not 2");
  }
  if (const Status status = startQuery(query); !status.ok()) return reportFailure(query, status);
  std::optional<std::string> from;
  std::optional<std::string> to;
  if (line.operands().size() == 3) {
    from = line.operand(1);
    to = line.operand(2);
  }
  Questions questions(query.database, query.handle);
  const auto answer = questions.stops(line.operand(0), from, to, query.detail());
  sayNotes(questions);
  if (!answer.ok()) return reportFailure(query, answer.status());
  if (query.format == OutputFormat::kRaw) {
    std::cout << answer->text << '\n' << answer->runTime << '\n';
    return kExitOk;
  }
  if (query.format == OutputFormat::kJson) return printJson(query, *answer);
  printStopTable(*answer, std::cout);
  return kExitOk;
}

}  // namespace murlo::tool
