// murlo stops TRAIN FROM TO: a train's stop list with the journey marked.
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

bool isStation(const std::string& name, const std::vector<std::string>& stations) {
  for (const std::string& station : stations) {
    if (station == name) return true;
  }
  return false;
}

void printStopTable(const std::vector<StopLine>& stops, const StopsResult& result,
                    const std::string& from, const std::string& to, uint32_t train,
                    std::ostream& out) {
  TextTable table({{""}, {"Station"}, {"Arrives"}, {"Departs"}, {"km", Align::kRight}});
  std::size_t marked = 0;
  for (const StopLine& stop : stops) {
    table.addRow({stop.onJourney ? ">" : "", stop.station, stop.arrival, stop.departure,
                  std::to_string(stop.km)});
    if (stop.onJourney) ++marked;
  }
  table.print(out);
  out << '\n' << "Run time of the whole train: " << result.runTime << '\n';
  if (marked > 0) {
    out << "> marks the journey from " << from << " to " << to << ".\n";
  } else {
    out << "No stop is marked: train " << train << " does not call at " << to << ".\n";
  }
}

void writeStopsJson(const std::vector<StopLine>& stops, const StopsResult& result,
                    const std::string& from, const std::string& to, uint32_t train,
                    const std::string& database, std::ostream& out) {
  JsonWriter json(out);
  json.beginObject()
      .field("database", database)
      .field("train", int64_t{train})
      .field("from", from)
      .field("to", to)
      .field("count", int64_t{result.code})
      .field("run_time", result.runTime)
      .key("stops")
      .beginArray();
  for (const StopLine& stop : stops) {
    json.beginObject().key("on_journey").boolean(stop.onJourney).field("station", stop.station);
    json.key("arrival");
    stop.arrival == "-" ? json.null() : json.value(stop.arrival);
    json.key("departure");
    stop.departure == "-" ? json.null() : json.value(stop.departure);
    json.field("km", int64_t{stop.km}).endObject();
  }
  json.endArray().endObject();
  out << '\n';
}

}  // namespace

int runStops(Args args) {
  Query query;
  if (auto status = parseQuery("stops", args, 3, 3, query)) return *status;
  const auto train = parseTrainIndex(query.options.operands[0]);
  if (!train) {
    return usageError(*query.command,
                      "TRAIN is a train index (the Index column of at, "
                      "direct and number), not " +
                          query.options.operands[0]);
  }
  if (auto status = loadQueryDatabase(query)) return *status;
  const std::string& from = query.options.operands[1];
  const std::string& to = query.options.operands[2];

  const LibraryResult all = findStations(LibraryText());
  if (all.code < 0) return libraryFailure(all.code);
  const auto stations = parseNames(all.text);
  if (!stations) return unreadableResult();
  if (!isStation(from, *stations)) return unknownStation(query, "boarding", from);
  if (!isStation(to, *stations)) return unknownStation(query, "alighting", to);

  const StopsResult result = trainStops(*train, toLibraryText(from).value_or(LibraryText()),
                                        toLibraryText(to).value_or(LibraryText()));
  if (result.code < 0) return libraryFailure(result.code);
  if (result.code == 0) {
    return fail("no train has the index " + std::to_string(*train) + " in " + query.database);
  }
  if (query.options.format == OutputFormat::kRaw) {
    std::cout << result.stops << '\n' << result.runTime << '\n';
    return kExitOk;
  }
  const auto stops = parseStopLines(result.stops);
  if (!stops) return unreadableResult();
  if (query.options.format == OutputFormat::kJson) {
    writeStopsJson(*stops, result, from, to, *train, query.database, std::cout);
  } else {
    printStopTable(*stops, result, from, to, *train, std::cout);
  }
  return kExitOk;
}

}  // namespace murlo::tool
