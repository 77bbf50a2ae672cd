// murlo stops TRAIN [FROM TO]: a train's stop list with the journey marked.
#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "json_writer.h"
#include "library_calls.h"
#include "query_session.h"
#include "result_text.h"
#include "text_table.h"

namespace murlo::tool {
namespace {

std::optional<uint32_t> parseTrainIndex(const std::string& text) {
  uint32_t index = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, index);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return index;
}

bool hasNumber(const TrainLine& train, const std::string& number) {
  std::size_t begin = 0;
  while (begin <= train.number.size()) {
    std::size_t end = train.number.find('/', begin);
    if (end == std::string::npos) end = train.number.size();
    if (train.number.compare(begin, end - begin, number) == 0) return true;
    begin = end + 1;
  }
  return false;
}

struct TrainChoice {
  std::optional<uint32_t> index;
  int status = kExitOk;  // when there is no index
};

// The index of the one train running under `number`: the only train the
// library finds for it, or the only one that has exactly that number.
// Several are listed on standard error.
TrainChoice trainByNumber(const Query& query, const std::string& number) {
  const LibraryResult result = trainsByNumber(toLibraryText(number).value_or(LibraryText()));
  if (result.code < 0) return {std::nullopt, libraryFailure(result.code)};
  const auto trains = parseTrainLines(result.text);
  if (!trains) return {std::nullopt, unreadableResult()};
  if (trains->empty()) {
    return {std::nullopt,
            fail("no train runs under the number " + number + " in " + query.database)};
  }
  std::vector<const TrainLine*> exact;
  for (const TrainLine& train : *trains) {
    if (hasNumber(train, number)) exact.push_back(&train);
  }
  if (trains->size() == 1) return {trains->front().index};
  if (exact.size() == 1) return {exact.front()->index};
  std::cerr << "murlo: " << trains->size() << " trains run under the number " << number
            << "; give the index of one (murlo stops INDEX):\n";
  TextTable table(
      {{"Index", Align::kRight}, {"Train"}, {"From"}, {"Departs"}, {"To"}, {"Arrives"}});
  for (const TrainLine& t : *trains) {
    table.addRow({std::to_string(t.index), t.number, t.from, t.departure, t.to, t.arrival});
  }
  table.print(std::cerr);
  return {std::nullopt, kExitFailure};
}

void printStopTable(const std::vector<StopLine>& stops, const StopsResult& result,
                    const std::optional<std::string>& from, const std::optional<std::string>& to,
                    const std::string& train, std::ostream& out) {
  // Without a journey there is nothing to mark, and no column for it.
  std::vector<TableColumn> columns = {{"Station"}, {"Arrives"}, {"Departs"}, {"km", Align::kRight}};
  if (from) columns.insert(columns.begin(), {""});
  TextTable table(std::move(columns));
  std::size_t marked = 0;
  for (const StopLine& stop : stops) {
    std::vector<std::string> row = {stop.station, timeWithDay(stop.arrival, stop.arrivalDay),
                                    timeWithDay(stop.departure, stop.departureDay),
                                    std::to_string(stop.km)};
    if (from) row.insert(row.begin(), stop.onJourney ? ">" : "");
    table.addRow(std::move(row));
    if (stop.onJourney) ++marked;
  }
  table.print(out);
  out << '\n' << "Run time of the whole train: " << result.runTime << '\n';
  if (!from) return;
  if (marked > 0) {
    out << "> marks the journey from " << *from << " to " << *to << ".\n";
  } else {
    out << "No stop is marked: train " << train << " does not call at " << *to << ".\n";
  }
}

void writeStopsJson(const std::vector<StopLine>& stops, const StopsResult& result,
                    const std::optional<std::string>& from, const std::optional<std::string>& to,
                    uint32_t train, const std::string& database, std::ostream& out) {
  JsonWriter json(out);
  json.beginObject().field("database", database).field("train", int64_t{train});
  json.key("from");
  from ? json.value(*from) : json.null();
  json.key("to");
  to ? json.value(*to) : json.null();
  json.field("count", int64_t{result.code})
      .field("run_time", result.runTime)
      .key("stops")
      .beginArray();
  for (const StopLine& stop : stops) {
    json.beginObject().key("on_journey").boolean(stop.onJourney).field("station", stop.station);
    json.key("arrival");
    stop.arrival == "-" ? json.null() : json.value(stop.arrival);
    json.key("departure");
    stop.departure == "-" ? json.null() : json.value(stop.departure);
    json.field("km", int64_t{stop.km})
        .field("arrival_day", int64_t{stop.arrivalDay})
        .field("departure_day", int64_t{stop.departureDay})
        .endObject();
  }
  json.endArray().endObject();
  out << '\n';
}

}  // namespace

int runStops(const CommandLine& line) {
  Query query(line);
  if (line.operands().size() == 2) {
    return usageError(line.command(),
                      "stops takes 1 or 3 arguments (TRAIN, or TRAIN FROM TO), not 2");
  }
  if (auto status = startQuery(query)) return *status;
  const std::string& typedTrain = line.operand(0);
  std::optional<uint32_t> train = parseTrainIndex(typedTrain);
  if (!train) {
    const TrainChoice choice = trainByNumber(query, typedTrain);
    if (!choice.index) return choice.status;
    train = choice.index;
  }
  std::optional<std::string> from;
  std::optional<std::string> to;
  if (line.operands().size() == 3) {
    const ResolvedStation boarding = resolveStation(query, "boarding", line.operand(1));
    if (!boarding.name) return boarding.status;
    const ResolvedStation alighting = resolveStation(query, "alighting", line.operand(2));
    if (!alighting.name) return alighting.status;
    from = boarding.name;
    to = alighting.name;
  }
  const StopsResult result =
      trainStops(*train, toLibraryText(from.value_or("")).value_or(LibraryText()),
                 toLibraryText(to.value_or("")).value_or(LibraryText()));
  if (result.code < 0) return libraryFailure(result.code);
  if (result.code == 0) {
    return fail("no train has the index " + std::to_string(*train) + " in " + query.database);
  }
  if (query.format == OutputFormat::kRaw) {
    std::cout << result.stops << '\n' << result.runTime << '\n';
    return kExitOk;
  }
  auto stops = parseStopLines(result.stops);
  if (!stops) return unreadableResult();
  assignDays(*stops);
  if (query.format == OutputFormat::kJson) {
    writeStopsJson(*stops, result, from, to, *train, query.database, std::cout);
  } else {
    printStopTable(*stops, result, from, to, std::to_string(*train), std::cout);
  }
  return kExitOk;
}

}  // namespace murlo::tool
