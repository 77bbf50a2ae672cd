// The query commands: murlo stations, at, direct, number, departures and
// arrivals (stops is in cmd_stops.cc, plan in cmd_plan.cc, header in
// cmd_header.cc). The questions and their JSON are
// answers.h and answer_json.h, shared with murlo serve; here are the tables.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "answers/names_as_written.h"
#include "answers/service_date.h"
#include "answers/text_table.h"
#include "answers/time_of_day.h"
#include "answers/train_listing.h"
#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/query_session.h"
#include "cli/terminal.h"

namespace murlo::tool {
namespace {

// How a train list is to be shown: --order, --columns, --no-fares.
struct ListOptions {
  TrainOrder order;
  TableLayout layout;
};

Status readListOptions(const Query& query, ListKind kind, ListOptions& options) {
  int order = options.order.byDeparture ? 0 : 1;  // the place of time or index
  if (Status status = readOption(query.line, kOrderOption, order); !status.ok()) return status;
  options.order.byDeparture = order == 0;
  if (const auto columns = query.line.value(kColumnsOption)) {
    auto chosen = parseColumns(kind, *columns);
    if (!chosen.ok()) return chosen.status();
    options.layout.columns = std::move(*chosen);
  }
  options.layout.fares = !query.line.flag(kNoFaresOption);
  options.layout.width = outputWidth();
  return Status();
}

// A train list in the chosen format.
int showTrains(const Query& query, const Questions& questions, const Result<TrainsAnswer>& answer,
               const ListOptions& options, const std::string& noneFound) {
  return showAnswer(query, questions, answer, [&](const TrainsAnswer& trains) {
    if (trains.trains.empty()) {
      std::cout << visibleText(noneFound) << '\n';
    } else {
      printTrainTable(trains.trains, trains.kind, options.layout, std::cout);
    }
  });
}

// The proposed change stations of a direct query that found no train.
// `onDate`: " on DATE" for a question asked for a date, else "".
void printChangeStations(const TrainsAnswer& answer, const std::string& onDate) {
  const std::string from = shownName(answer.written, answer.subject[0].second);
  const std::string to = shownName(answer.written, answer.subject[1].second);
  if (answer.changeStations.empty()) {
    std::cout << "No direct train from " << visibleText(from) << " to " << visibleText(to) << onDate
              << ", and no change station to propose.\n";
    return;
  }
  std::cout << "No direct train from " << visibleText(from) << " to " << visibleText(to) << onDate
            << ".\n\n";
  TextTable table({{"Proposed change stations"}});
  for (const std::string& station : answer.changeStations)
    table.addRow({shownName(answer.written, station)});
  table.print(std::cout);
}

}  // namespace

int runStations(const CommandLine& line) {
  Query query(line);
  if (const Status status = startQuery(query); !status.ok()) return reportFailure(query, status);
  const std::string abbreviation = line.operands().empty() ? "" : line.operand(0);
  const auto namePart = line.value(kNameOption);
  Questions questions(query.database, query.handle);
  const auto answer = questions.stations(abbreviation, namePart, query.detail());
  if (!answer.ok()) return reportFailure(query, answer.status());
  if (query.format == OutputFormat::kRaw) {
    std::cout << answer->text << '\n';
    return kExitOk;
  }
  const auto& also = answer->alsoAbbreviation;
  if (also && query.format == OutputFormat::kTable) {
    std::cerr << "murlo: abbreviations are in capitals: also looked for " << *also << '\n';
  }
  const std::vector<StationEntry>& found = answer->stations;
  if (query.format == OutputFormat::kJson) {
    return printJson(query, *answer);
  } else if (found.empty() && abbreviation.empty() && !namePart) {
    std::cout << "The database " << query.database << " has no stations.\n";
  } else if (found.empty() && namePart) {
    std::cout << "No station name contains " << *namePart
              << (abbreviation.empty() ? "" : " with an abbreviation beginning " + abbreviation)
              << ".\n";
  } else if (found.empty()) {
    std::cout << "No station abbreviation begins with " << abbreviation
              << (also ? " or " + *also : "") << ".\n";
  } else {
    // A Line column where a line's name found some of them.
    const bool lines = std::any_of(answer->byLine.begin(), answer->byLine.end(),
                                   [](const std::string& byLine) { return !byLine.empty(); });
    std::vector<TableColumn> columns = {{"Station"}, {"Abbreviation"}};
    if (lines) columns.push_back({"Line"});
    TextTable table(std::move(columns));
    for (std::size_t i = 0; i < found.size(); ++i) {
      std::vector<std::string> row = {writtenOr(found[i].label, found[i].name),
                                      found[i].abbreviation};
      if (lines) row.push_back(i < answer->byLine.size() ? answer->byLine[i] : "");
      table.addRow(std::move(row));
    }
    table.print(std::cout);
  }
  return kExitOk;
}

int runAt(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  Status status = readFormat(query);
  if (status.ok()) status = readListOptions(query, ListKind::kAt, options);
  if (status.ok()) status = loadQueryDatabase(query);
  if (!status.ok()) return reportFailure(query, status);
  Questions questions(query.database, query.handle);
  const auto answer = questions.at(line.operand(0), options.order, query.detail());
  const std::string station =
      answer.ok() ? shownName(answer->written, answer->subject.front().second) : "";
  return showTrains(query, questions, answer, options, "No train calls at " + station + ".");
}

int runNumber(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  Status status = readFormat(query);
  if (status.ok()) status = readListOptions(query, ListKind::kNumber, options);
  if (status.ok()) status = loadQueryDatabase(query);
  if (!status.ok()) return reportFailure(query, status);
  Questions questions(query.database, query.handle);
  const auto answer = questions.number(line.operand(0), options.order, query.detail());
  const std::string number = answer.ok() ? answer->subject.front().second : "";
  return showTrains(query, questions, answer, options,
                    "No train runs under the number " + number + ".");
}

namespace {

// murlo direct --at: the trains in order of departure from that time. The
// library's text (--raw) has an order of its own, and --order index is
// another order: neither goes with it.
Status readDirectTime(const Query& query, ListOptions& options) {
  if (!query.line.value(kDirectAtOption)) return Status();
  if (query.format == OutputFormat::kRaw) {
    return Status::badParameter("--at",
                                "--at orders the trains, --raw prints the library's text as "
                                "it stands: give one of them");
  }
  if (!options.order.byDeparture) {
    return Status::badParameter("--at",
                                "--at lists the trains by departure: it takes no "
                                "--order index");
  }
  options.order.timeAsked = true;
  return readOption(query.line, kDirectAtOption, options.order.fromMinute);
}

}  // namespace

int runDirect(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  int mode = 0;
  Status status = readFormat(query);
  if (status.ok()) status = readOption(line, kModeOption, mode);
  if (status.ok()) status = readListOptions(query, ListKind::kDirect, options);
  if (status.ok()) status = readDirectTime(query, options);
  if (status.ok()) status = loadQueryDatabase(query);
  int32_t date = MURLO_NO_DATE;
  if (status.ok()) status = readQuestionDate(query, date);
  if (!status.ok()) return reportFailure(query, status);
  Questions questions(query.database, query.handle);
  const auto answer =
      questions.direct(line.operand(0), line.operand(1), mode, options.order, query.detail(), date);
  const std::string onDate = date == MURLO_NO_DATE ? "" : " on " + formatIsoDate(date);
  if (answer.ok() && answer->count == 0 && query.format == OutputFormat::kTable) {
    sayNotes(questions);
    printChangeStations(*answer, onDate);
    return kExitOk;
  }
  if (answer.ok() && options.order.timeAsked && query.format == OutputFormat::kTable) {
    sayNotes(questions);
    std::cout << "From " << visibleText(shownName(answer->written, answer->subject[0].second))
              << " to " << visibleText(shownName(answer->written, answer->subject[1].second))
              << onDate << ", in order of departure from "
              << formatMinuteOfDay(options.order.fromMinute) << ":\n";
    printTrainTable(answer->trains, answer->kind, options.layout, std::cout);
    return kExitOk;
  }
  if (answer.ok() && date != MURLO_NO_DATE && query.format == OutputFormat::kTable) {
    sayNotes(questions);
    std::cout << "From " << visibleText(shownName(answer->written, answer->subject[0].second))
              << " to " << visibleText(shownName(answer->written, answer->subject[1].second))
              << onDate << ":\n";
    printTrainTable(answer->trains, answer->kind, options.layout, std::cout);
    return kExitOk;
  }
  return showTrains(query, questions, answer, options, "");
}

namespace {

// murlo departures and murlo arrivals: a board of the calls at a station.
int runBoard(const CommandLine& line, ListKind kind) {
  Query query(line);
  ListOptions options;
  int atMinute = 0;
  int limit = kDefaultBoardLines;
  Status status = readFormat(query);
  if (status.ok()) status = readTimeOfDay(query, kAtOption, atMinute);
  if (status.ok()) status = readOption(line, kBoardLimitOption, limit);
  if (status.ok()) status = readListOptions(query, kind, options);
  if (status.ok()) status = loadQueryDatabase(query);
  int32_t date = MURLO_NO_DATE;
  if (status.ok()) {
    status = readQuestionDate(query, date, line.value(kAtOption) ? nullptr : &atMinute);
  }
  if (!status.ok()) return reportFailure(query, status);
  Questions questions(query.database, query.handle);
  const auto answer =
      kind == ListKind::kDepartures
          ? questions.departures(line.operand(0), atMinute, limit, query.detail(), date)
          : questions.arrivals(line.operand(0), atMinute, limit, query.detail(), date);
  return showAnswer(query, questions, answer, [&](const BoardAnswer& board) {
    const bool departures = kind == ListKind::kDepartures;
    const std::string onDate =
        board.date == MURLO_NO_DATE ? "" : " on " + formatIsoDate(board.date);
    if (board.trains.empty()) {
      std::cout << (departures ? "No train leaves " : "No train arrives at ")
                << visibleText(shownName(board.written, board.station)) << onDate << ".\n";
      return;
    }
    std::cout << (departures ? "Leaving " : "Arriving at ")
              << visibleText(shownName(board.written, board.station)) << " from "
              << formatMinuteOfDay(board.atMinute) << onDate << ":\n";
    const std::vector<ListedTrain> shown = daysFromBoardDay(board.trains, kind);
    printTrainTable(shown, kind, options.layout, std::cout);
    if (hasDayMarks(shown)) {
      printDayAskedNote(std::cout, std::any_of(shown.begin(), shown.end(),
                                               [](const auto& t) { return t.departureDay < 0; }));
    }
  });
}

}  // namespace

int runDepartures(const CommandLine& line) { return runBoard(line, ListKind::kDepartures); }

int runArrivals(const CommandLine& line) { return runBoard(line, ListKind::kArrivals); }

}  // namespace murlo::tool
