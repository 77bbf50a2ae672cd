#include "gtfs/feed_facts.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "gtfs/boarding_rules.h"
#include "gtfs/csv_reader.h"
#include "gtfs/feed_error.h"
#include "gtfs/field_values.h"

namespace murlo::gtfs {
namespace {

constexpr uint64_t kProgressEvery = 1 << 16;
constexpr int kMaxParentDepth = 8;

void readAgencies(const FeedFiles& files, FeedFacts& facts) {
  auto source = files.open("agency.txt");
  if (!source) return;
  CsvReader rows(std::move(source), files.displayName("agency.txt"));
  const std::size_t idColumn = rows.column("agency_id");
  const std::size_t nameColumn = rows.column("agency_name");
  const std::size_t zoneColumn = rows.column("agency_timezone");
  while (rows.next()) {
    if (facts.agencies.empty() && isTimeZoneName(rows.field(zoneColumn))) {
      facts.timeZone = std::string(rows.field(zoneColumn));
    }
    facts.agencies.push_back(
        {std::string(rows.field(idColumn)), std::string(rows.field(nameColumn))});
  }
}

// Route types by route_id; counts the routes of each type.
std::unordered_map<std::string, int32_t> readRouteTypes(
    const FeedFiles& files, std::map<int32_t, FeedFacts::RouteType>& types) {
  std::unordered_map<std::string, int32_t> typeOf;
  CsvReader rows = openRequiredCsv(files, "routes.txt");
  const std::size_t idColumn = rows.requireColumn("route_id");
  const std::size_t typeColumn = rows.requireColumn("route_type");
  while (rows.next()) {
    const auto type = toInt(rows.field(typeColumn));
    if (!type || !typeOf.emplace(std::string(rows.field(idColumn)), *type).second) continue;
    FeedFacts::RouteType& entry = types[*type];
    entry.type = *type;
    ++entry.routes;
  }
  return typeOf;
}

void readTrips(const FeedFiles& files, const std::unordered_map<std::string, int32_t>& typeOf,
               std::map<int32_t, FeedFacts::RouteType>& types, FeedFacts& facts) {
  CsvReader rows = openRequiredCsv(files, "trips.txt");
  const std::size_t routeColumn = rows.requireColumn("route_id");
  const std::size_t shapeColumn = rows.column("shape_id");
  while (rows.next()) {
    ++facts.trips;
    if (!rows.field(shapeColumn).empty()) ++facts.shapes.tripsWithShape;
    const auto type = typeOf.find(std::string(rows.field(routeColumn)));
    if (type != typeOf.end()) ++types[type->second].trips;
  }
}

// The station of every stop_id (the top of its chain of parents) and its
// name.
struct StationsOfStops {
  std::unordered_map<std::string, std::string> stationOf;
  std::unordered_map<std::string, std::string> nameOf;  // by stop_id
};

StationsOfStops readStations(const FeedFiles& files, FeedFacts& facts) {
  CsvReader rows = openRequiredCsv(files, "stops.txt");
  const std::size_t idColumn = rows.requireColumn("stop_id");
  const std::size_t nameColumn = rows.column("stop_name");
  const std::size_t parentColumn = rows.column("parent_station");
  std::unordered_map<std::string, std::string> parentOf;
  StationsOfStops stations;
  while (rows.next()) {
    ++facts.stops;
    parentOf.emplace(std::string(rows.field(idColumn)), std::string(rows.field(parentColumn)));
    stations.nameOf.emplace(std::string(rows.field(idColumn)), std::string(rows.field(nameColumn)));
  }
  for (const auto& [id, parent] : parentOf) {
    std::string station = id;
    for (int depth = 0; depth < kMaxParentDepth; ++depth) {
      const auto up = parentOf.find(station);
      if (up == parentOf.end() || up->second.empty() || parentOf.count(up->second) == 0) break;
      station = up->second;
    }
    stations.stationOf.emplace(id, std::move(station));
  }
  return stations;
}

// The rows of transfers.txt, and the stations of one name they join (as
// the import groups them).
void readTransfers(const FeedFiles& files, const StationsOfStops& stations, FeedFacts& facts) {
  auto source = files.open("transfers.txt");
  if (!source) return;
  FeedFacts::Transfers& t = facts.transfers;
  t.present = true;
  CsvReader rows(std::move(source), files.displayName("transfers.txt"));
  const std::size_t fromColumn = rows.column("from_stop_id");
  const std::size_t toColumn = rows.column("to_stop_id");
  const std::size_t typeColumn = rows.column("transfer_type");
  const std::size_t fromTripColumn = rows.column("from_trip_id");
  const std::size_t toTripColumn = rows.column("to_trip_id");
  std::map<std::string, std::string> joined;  // station -> the first of its set
  const auto top = [&](std::string s) {
    while (joined.count(s) != 0 && joined[s] != s) s = joined[s];
    return s;
  };
  while (rows.next()) {
    ++t.rows;
    const std::string_view type = rows.field(typeColumn);
    uint64_t& kind = type.empty() || type == "0"  ? t.recommended
                     : type == "1"                ? t.timed
                     : type == "2"                ? t.minimumTime
                     : type == "3"                ? t.forbidden
                     : type == "4" || type == "5" ? t.onBoard
                                                  : t.other;
    ++kind;
    t.betweenTrips += !rows.field(fromTripColumn).empty() || !rows.field(toTripColumn).empty();
    const auto from = stations.stationOf.find(std::string(rows.field(fromColumn)));
    const auto to = stations.stationOf.find(std::string(rows.field(toColumn)));
    if (from == stations.stationOf.end() || to == stations.stationOf.end()) continue;
    if (from->second == to->second) {
      ++t.withinStation;
      continue;
    }
    if (&kind == &t.forbidden || &kind == &t.onBoard || &kind == &t.other) continue;
    if (stations.nameOf.at(from->second) != stations.nameOf.at(to->second)) continue;
    const std::string a = top(from->second);
    const std::string b = top(to->second);
    joined.emplace(a, a);
    joined.emplace(b, b);
    if (a != b) joined[std::max(a, b)] = std::min(a, b);
  }
  std::unordered_map<std::string, int> sizes;
  for (const auto& entry : joined) ++sizes[top(entry.first)];
  for (const auto& [root, size] : sizes) t.complexes += size >= 2;
}

void readCalls(const FeedFiles& files,
               const std::unordered_map<std::string, std::string>& stationOf, FeedFacts& facts,
               Progress& progress) {
  CsvReader rows = openRequiredCsv(files, "stop_times.txt");
  const std::size_t stopColumn = rows.requireColumn("stop_id");
  const std::size_t pickupColumn = rows.column("pickup_type");
  const std::size_t dropOffColumn = rows.column("drop_off_type");
  facts.shapes.stopTimeDistances = rows.column("shape_dist_traveled") != CsvReader::kMissing;
  std::unordered_set<std::string_view> stations;
  std::string key;
  progress.begin(rows.name(), rows.size());
  while (rows.next()) {
    FeedFacts::Calls& calls = facts.calls;
    if (++calls.total % kProgressEvery == 0) progress.update(rows.bytesRead(), calls.total);
    key.assign(rows.field(stopColumn));
    if (const auto station = stationOf.find(key); station != stationOf.end()) {
      stations.insert(station->second);
    }
    const Boarding pickup = parseBoarding(rows.field(pickupColumn)).value_or(Boarding::kRegular);
    const Boarding dropOff = parseBoarding(rows.field(dropOffColumn)).value_or(Boarding::kRegular);
    calls.boardingOnly += allows(pickup) && !allows(dropOff);
    calls.alightingOnly += !allows(pickup) && allows(dropOff);
    calls.neither += !allows(pickup) && !allows(dropOff);
    calls.arranged += pickup == Boarding::kByPhone || pickup == Boarding::kWithDriver ||
                      dropOff == Boarding::kByPhone || dropOff == Boarding::kWithDriver;
  }
  progress.end(facts.calls.total);
  facts.stations = stations.size();
}

void readShapePoints(const FeedFiles& files, FeedFacts& facts, Progress& progress) {
  auto source = files.open("shapes.txt");
  if (!source) return;
  facts.shapes.present = true;
  CsvReader rows(std::move(source), files.displayName("shapes.txt"));
  const std::size_t idColumn = rows.requireColumn("shape_id");
  const std::size_t distanceColumn = rows.column("shape_dist_traveled");
  std::unordered_set<std::string> shapes;
  progress.begin(rows.name(), rows.size());
  while (rows.next()) {
    if (++facts.shapes.points % kProgressEvery == 0) {
      progress.update(rows.bytesRead(), facts.shapes.points);
    }
    shapes.emplace(rows.field(idColumn));
    facts.shapes.distances = facts.shapes.distances || !rows.field(distanceColumn).empty();
  }
  progress.end(facts.shapes.points);
  facts.shapes.shapes = shapes.size();
}

}  // namespace

FeedFacts describeFeed(const FeedFiles& files, Progress& progress) {
  FeedFacts facts;
  readAgencies(files, facts);
  std::map<int32_t, FeedFacts::RouteType> types;
  const auto typeOf = readRouteTypes(files, types);
  facts.routes = typeOf.size();
  readTrips(files, typeOf, types, facts);
  for (const auto& [type, entry] : types) facts.routeTypes.push_back(entry);
  facts.dates = countServiceDates(files, FeedFilter{});
  const StationsOfStops stations = readStations(files, facts);
  readCalls(files, stations.stationOf, facts, progress);
  readTransfers(files, stations, facts);
  readShapePoints(files, facts, progress);
  return facts;
}

std::string routeTypeName(int32_t type) {
  switch (type) {
    case 0: return "tram";
    case 1: return "subway";
    case 2: return "rail";
    case 3: return "bus";
    case 4: return "ferry";
    case 5: return "cable tram";
    case 6: return "aerial lift";
    case 7: return "funicular";
    case 11: return "trolleybus";
    case 12: return "monorail";
    default: break;
  }
  struct Group {
    int32_t first;
    const char* name;
  };
  static constexpr Group kExtended[] = {
      {100, "railway service"},  {200, "coach service"}, {400, "urban railway"},
      {700, "bus service"},      {800, "trolleybus"},    {900, "tram service"},
      {1000, "water transport"}, {1100, "air service"},  {1200, "ferry service"},
      {1300, "aerial lift"},     {1400, "funicular"},    {1500, "taxi"},
      {1700, "miscellaneous"}};
  for (const Group& g : kExtended) {
    if (type >= g.first && type < g.first + 100) return g.name;
  }
  return "";
}

}  // namespace murlo::gtfs
