// The query commands: murlo stations, at, direct and number (stops is in
// cmd_stops.cc, header in cmd_header.cc).
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "json_writer.h"
#include "library_calls.h"
#include "query_session.h"
#include "result_text.h"
#include "text_table.h"
#include "train_listing.h"

namespace murlo::tool {

const char* const kQueryOptionsHelp =
    "Arguments are UTF-8. Station names are matched exactly, as murlo stations\n"
    "lists them (without ABBR it lists every station). An unknown station is\n"
    "reported with the closest names: by characters, by abbreviation (BJ)\n"
    "and by pinyin initials (beijing).\n"
    "\n"
    "Options, anywhere after the command:\n"
    "  --db FILE   the database to load (default: the bundled sample network;\n"
    "              murlo --version shows its path)\n"
    "  --raw       print the library's result text unchanged, then a newline\n"
    "  --json      print the result as one JSON object on one line\n"
    "  --mode 1    direct only: mark every train line with H (default 0)\n"
    "\n"
    "Exit status:\n"
    "  0  the query ran, also when it found nothing\n"
    "  1  the query failed: unknown station, unknown train index, the same\n"
    "     station as origin and destination, a database that cannot be\n"
    "     loaded, memory exhausted\n"
    "  2  the command line is wrong: missing or extra arguments, an unknown\n"
    "     option, an argument that is not valid UTF-8\n";

namespace {

using Subject = std::vector<std::pair<std::string, std::string>>;

// Begins the JSON object of a query: the database and what was asked.
void beginJson(JsonWriter& json, const Query& query, const Subject& subject) {
  json.beginObject().field("database", query.database);
  for (const auto& [key, value] : subject) json.field(key, value);
}

LibraryText argument(const Query& query, std::size_t i) {
  return toLibraryText(query.options.operands[i]).value_or(LibraryText());
}

// A list of train lines in the chosen format.
// A direct query's JSON also has the (empty) list of change stations.
int showTrains(const Query& query, const LibraryResult& result, const Subject& subject,
               const std::string& noneFound, bool direct = false) {
  if (query.options.format == OutputFormat::kRaw) {
    std::cout << result.text << '\n';
    return kExitOk;
  }
  const auto trains = parseTrainLines(result.text);
  if (!trains) return unreadableResult();
  if (query.options.format == OutputFormat::kJson) {
    JsonWriter json(std::cout);
    beginJson(json, query, subject);
    json.field("count", int64_t{result.code}).key("trains");
    writeTrainsJson(json, *trains);
    if (direct) json.key("change_stations").beginArray().endArray();
    json.endObject();
    std::cout << '\n';
  } else if (trains->empty()) {
    std::cout << noneFound << '\n';
  } else {
    printTrainTable(*trains, std::cout);
  }
  return kExitOk;
}

// Proposed change stations, after a direct query that found no train.
int showChangeStations(const Query& query, const LibraryResult& result, const Subject& subject) {
  const auto stations = parseNames(result.text);
  if (!stations) return unreadableResult();
  const std::string& from = query.options.operands[0];
  const std::string& to = query.options.operands[1];
  if (query.options.format == OutputFormat::kJson) {
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

}  // namespace

int runStations(Args args) {
  Query query;
  if (auto status = parseQuery("stations", args, 0, 1, query)) return *status;
  if (auto status = loadQueryDatabase(query)) return *status;
  const std::string abbreviation = query.options.operands.empty() ? "" : query.options.operands[0];
  const LibraryResult result = findStations(toLibraryText(abbreviation).value_or(LibraryText()));
  if (result.code < 0) return libraryFailure(result.code);
  if (query.options.format == OutputFormat::kRaw) {
    std::cout << result.text << '\n';
    return kExitOk;
  }
  const auto names = parseNames(result.text);
  if (!names) return unreadableResult();
  if (query.options.format == OutputFormat::kJson) {
    JsonWriter json(std::cout);
    beginJson(json, query, {{"abbreviation", abbreviation}});
    json.field("count", int64_t{result.code}).key("stations").beginArray();
    for (const std::string& name : *names) json.value(name);
    json.endArray().endObject();
    std::cout << '\n';
  } else if (names->empty() && abbreviation.empty()) {
    std::cout << "The database " << query.database << " has no stations.\n";
  } else if (names->empty()) {
    std::cout << "No station abbreviation begins with " << abbreviation << ".\n";
  } else {
    TextTable table({{"Station"}});
    for (const std::string& name : *names) table.addRow({name});
    table.print(std::cout);
  }
  return kExitOk;
}

int runAt(Args args) {
  Query query;
  if (auto status = startQuery("at", args, 1, query)) return *status;
  const std::string& station = query.options.operands[0];
  const LibraryResult result = trainsAtStation(argument(query, 0));
  if (result.code == -1) return unknownStation(query, "", station);
  if (result.code < 0) return libraryFailure(result.code);
  return showTrains(query, result, {{"station", station}}, "No train calls at " + station + ".");
}

int runNumber(Args args) {
  Query query;
  if (auto status = startQuery("number", args, 1, query)) return *status;
  const std::string& number = query.options.operands[0];
  const LibraryResult result = trainsByNumber(argument(query, 0));
  if (result.code < 0) return libraryFailure(result.code);
  return showTrains(query, result, {{"number", number}},
                    "No train runs under the number " + number + ".");
}

int runDirect(Args args) {
  Query query;
  if (auto status = startQuery("direct", args, 2, query)) return *status;
  const std::string& from = query.options.operands[0];
  const std::string& to = query.options.operands[1];
  const LibraryResult result =
      directTrains(argument(query, 0), argument(query, 1), query.options.mode);
  switch (result.code) {
    case -3: return fail("the origin and the destination are the same station (" + from + ")");
    case -1: return unknownStation(query, "origin", from);
    case -2: return unknownStation(query, "destination", to);
    default: break;
  }
  if (result.code < 0) return libraryFailure(result.code);
  const Subject subject = {{"from", from}, {"to", to}};
  if (result.code > 0 || query.options.format == OutputFormat::kRaw) {
    return showTrains(query, result, subject, "", true);
  }
  return showChangeStations(query, result, subject);
}

}  // namespace murlo::tool
