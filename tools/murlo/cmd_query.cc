// The query commands: murlo stations, at, direct and number (stops is in
// cmd_stops.cc, header in cmd_header.cc).
#include <algorithm>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "json_writer.h"
#include "library_calls.h"
#include "query_session.h"
#include "result_text.h"
#include "station_match.h"
#include "terminal.h"
#include "text_table.h"
#include "train_listing.h"

namespace murlo::tool {
namespace {

using Subject = std::vector<std::pair<std::string, std::string>>;

// Begins the JSON object of a query: the database and what was asked.
void beginJson(JsonWriter& json, const Query& query, const Subject& subject) {
  json.beginObject().field("database", query.database);
  for (const auto& [key, value] : subject) json.field(key, value);
}

LibraryText libraryText(const std::string& utf8) {
  return toLibraryText(utf8).value_or(LibraryText());
}

// How a train list is to be shown: --order, --columns, --no-fares.
struct ListOptions {
  bool byDeparture = true;
  TableLayout layout;
};

std::optional<int> readListOptions(const Query& query, ListKind kind, ListOptions& options) {
  const Command& command = query.line.command();
  if (const auto order = query.line.value(kOrderOption)) {
    if (*order != "time" && *order != "index") {
      return usageError(command, "--order takes time or index, not " + *order);
    }
    options.byDeparture = *order == "time";
  }
  if (const auto columns = query.line.value(kColumnsOption)) {
    std::string error;
    const auto chosen = parseColumns(kind, *columns, error);
    if (!chosen) return usageError(command, error);
    options.layout.columns = *chosen;
  }
  options.layout.fares = !query.line.flag(kNoFaresOption);
  options.layout.width = outputWidth();
  return std::nullopt;
}

// A list of train lines in the chosen format. A direct query's JSON also
// has the (empty) list of change stations.
int showTrains(const Query& query, const LibraryResult& result, ListKind kind,
               const ListOptions& options, const Subject& subject, const std::string& noneFound,
               std::string_view station = "", std::string_view from = "",
               std::string_view to = "") {
  if (query.format == OutputFormat::kRaw) {
    std::cout << result.text << '\n';
    return kExitOk;
  }
  const auto lines = parseTrainLines(result.text);
  if (!lines) return unreadableResult();
  auto trains = completeTrains(*lines, kind, station, from, to);
  if (!trains) return unreadableResult();
  if (options.byDeparture) sortByDeparture(*trains, kind);
  if (query.format == OutputFormat::kJson) {
    JsonWriter json(std::cout);
    beginJson(json, query, subject);
    json.field("count", int64_t{result.code}).key("trains");
    writeTrainsJson(json, *trains, kind);
    if (kind == ListKind::kDirect) json.key("change_stations").beginArray().endArray();
    json.endObject();
    std::cout << '\n';
  } else if (trains->empty()) {
    std::cout << noneFound << '\n';
  } else {
    printTrainTable(*trains, kind, options.layout, std::cout);
  }
  return kExitOk;
}

// Proposed change stations, after a direct query that found no train.
int showChangeStations(const Query& query, const LibraryResult& result, const Subject& subject,
                       const std::string& from, const std::string& to) {
  const auto stations = parseNames(result.text);
  if (!stations) return unreadableResult();
  if (query.format == OutputFormat::kJson) {
    JsonWriter json(std::cout);
    beginJson(json, query, subject);
    json.field("count", int64_t{0}).key("trains").beginArray().endArray();
    json.key("change_stations").beginArray();
    for (const std::string& station : *stations) json.value(station);
    json.endArray().endObject();
    std::cout << '\n';
  } else if (stations->empty()) {
    std::cout << "No direct train from " << from << " to " << to
              << ", and no change station to propose.\n";
  } else {
    std::cout << "No direct train from " << from << " to " << to << ".\n\n";
    TextTable table({{"Proposed change stations"}});
    for (const std::string& station : *stations) table.addRow({station});
    table.print(std::cout);
  }
  return kExitOk;
}

bool hasLowerCase(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::string inCapitals(std::string text) {
  for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

}  // namespace

int runStations(const CommandLine& line) {
  Query query(line);
  if (auto status = startQuery(query)) return *status;
  const std::string abbreviation = line.operands().empty() ? "" : line.operand(0);
  const auto namePart = line.value(kNameOption);
  const LibraryResult result = findStations(libraryText(abbreviation));
  if (result.code < 0) return libraryFailure(result.code);
  if (query.format == OutputFormat::kRaw) {
    std::cout << result.text << '\n';
    return kExitOk;
  }
  const auto all = loadedStations();
  if (!all) return unreadableResult();
  // The stations whose abbreviation begins with ABBR, as typed or in
  // capitals, in table order.
  const std::string capitals = inCapitals(abbreviation);
  const bool alsoCapitals = hasLowerCase(abbreviation);
  const std::vector<std::string> partNames =
      namePart ? namesContaining(*namePart, *all) : std::vector<std::string>{};
  std::vector<StationEntry> found;
  for (const StationEntry& station : *all) {
    const auto begins = [&](const std::string& prefix) {
      return station.abbreviation.compare(0, prefix.size(), prefix) == 0;
    };
    if (!begins(abbreviation) && !(alsoCapitals && begins(capitals))) continue;
    if (namePart &&
        std::find(partNames.begin(), partNames.end(), station.name) == partNames.end()) {
      continue;
    }
    found.push_back(station);
  }
  if (alsoCapitals && query.format == OutputFormat::kTable) {
    std::cerr << "murlo: abbreviations are in capitals: also looked for " << capitals << '\n';
  }
  if (query.format == OutputFormat::kJson) {
    JsonWriter json(std::cout);
    beginJson(json, query, {{"abbreviation", abbreviation}});
    if (namePart) json.field("name", *namePart);
    if (alsoCapitals) json.field("also_abbreviation", capitals);
    json.field("count", static_cast<int64_t>(found.size())).key("stations").beginArray();
    for (const StationEntry& station : found) json.value(station.name);
    json.endArray().key("abbreviations").beginArray();
    for (const StationEntry& station : found) json.value(station.abbreviation);
    json.endArray().endObject();
    std::cout << '\n';
  } else if (found.empty() && abbreviation.empty() && !namePart) {
    std::cout << "The database " << query.database << " has no stations.\n";
  } else if (found.empty() && namePart) {
    std::cout << "No station name contains " << *namePart
              << (abbreviation.empty() ? "" : " with an abbreviation beginning " + abbreviation)
              << ".\n";
  } else if (found.empty()) {
    std::cout << "No station abbreviation begins with " << abbreviation
              << (alsoCapitals ? " or " + capitals : "") << ".\n";
  } else {
    TextTable table({{"Station"}, {"Abbreviation"}});
    for (const StationEntry& station : found) table.addRow({station.name, station.abbreviation});
    table.print(std::cout);
  }
  return kExitOk;
}

int runAt(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  if (auto status = readFormat(query)) return *status;
  if (auto status = readListOptions(query, ListKind::kAt, options)) return *status;
  if (auto status = loadQueryDatabase(query)) return *status;
  const std::string& typed = line.operand(0);
  const ResolvedStation station = resolveStation(query, "", typed);
  if (!station.name) return station.status;
  const LibraryResult result = trainsAtStation(libraryText(*station.name));
  if (result.code == -1) return unknownStation(query, "", typed);
  if (result.code < 0) return libraryFailure(result.code);
  return showTrains(query, result, ListKind::kAt, options, {{"station", *station.name}},
                    "No train calls at " + *station.name + ".", *station.name);
}

int runNumber(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  if (auto status = readFormat(query)) return *status;
  if (auto status = readListOptions(query, ListKind::kNumber, options)) return *status;
  if (auto status = loadQueryDatabase(query)) return *status;
  const std::string& number = line.operand(0);
  const LibraryResult result = trainsByNumber(libraryText(number));
  if (result.code < 0) return libraryFailure(result.code);
  return showTrains(query, result, ListKind::kNumber, options, {{"number", number}},
                    "No train runs under the number " + number + ".");
}

int runDirect(const CommandLine& line) {
  Query query(line);
  ListOptions options;
  if (auto status = readFormat(query)) return *status;
  int32_t mode = 0;
  if (const auto value = line.value(kModeOption)) {
    if (*value != "0" && *value != "1") {
      return usageError(line.command(), "--mode takes 0 or 1, not " + *value);
    }
    mode = *value == "1" ? 1 : 0;
  }
  if (auto status = readListOptions(query, ListKind::kDirect, options)) return *status;
  if (auto status = loadQueryDatabase(query)) return *status;
  const std::string& typedFrom = line.operand(0);
  const std::string& typedTo = line.operand(1);
  const auto same = [](const std::string& station) {
    return fail("the origin and the destination are the same station (" + station + ")");
  };
  // Equal texts are the same station, known or not, as the library says.
  if (typedFrom == typedTo) return same(typedFrom);
  const ResolvedStation origin = resolveStation(query, "origin", typedFrom);
  if (!origin.name) return origin.status;
  const ResolvedStation destination = resolveStation(query, "destination", typedTo);
  if (!destination.name) return destination.status;
  const std::string& from = *origin.name;
  const std::string& to = *destination.name;
  const LibraryResult result = directTrains(libraryText(from), libraryText(to), mode);
  switch (result.code) {
    case -3: return same(from);
    case -1: return unknownStation(query, "origin", typedFrom);
    case -2: return unknownStation(query, "destination", typedTo);
    default: break;
  }
  if (result.code < 0) return libraryFailure(result.code);
  const Subject subject = {{"from", from}, {"to", to}};
  if (result.code > 0 || query.format == OutputFormat::kRaw) {
    return showTrains(query, result, ListKind::kDirect, options, subject, "", "", from, to);
  }
  return showChangeStations(query, result, subject, from, to);
}

}  // namespace murlo::tool
