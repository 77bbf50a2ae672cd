// Stops, stop times, frequencies and shape lengths of the selected trips.
#include "gtfs/feed_loader.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "gtfs/csv_reader.h"
#include "gtfs/feed_error.h"
#include "gtfs/field_values.h"
#include "gtfs/gtfs_time.h"
#include "gtfs/shapes.h"

namespace murlo::gtfs {
namespace {

constexpr uint64_t kProgressEvery = 1 << 16;
constexpr int kMaxParentDepth = 8;

std::vector<StopPlace> readStops(const FeedFiles& files, ImportReport& report,
                                 std::unordered_map<std::string, int32_t>& index) {
  CsvReader stops = openRequiredCsv(files, "stops.txt");
  const std::size_t idColumn = stops.requireColumn("stop_id");
  const std::size_t nameColumn = stops.column("stop_name");
  const std::size_t codeColumn = stops.column("stop_code");
  const std::size_t parentColumn = stops.column("parent_station");
  const std::size_t latColumn = stops.column("stop_lat");
  const std::size_t lonColumn = stops.column("stop_lon");
  const std::size_t wheelchairColumn = stops.column("wheelchair_boarding");
  const std::size_t platformColumn = stops.column("platform_code");
  std::vector<StopPlace> places;
  while (stops.next()) {
    StopPlace place;
    place.line = stops.line();
    place.id = std::string(stops.field(idColumn));
    place.name = std::string(stops.field(nameColumn));
    place.code = std::string(stops.field(codeColumn));
    place.parentId = std::string(stops.field(parentColumn));
    const std::string_view wheelchair = stops.field(wheelchairColumn);
    place.wheelchair = wheelchair == "1" ? 1 : wheelchair == "2" ? 2 : 0;
    place.platformCode = std::string(stops.field(platformColumn));
    const auto lat = toDouble(stops.field(latColumn));
    const auto lon = toDouble(stops.field(lonColumn));
    if (lat && lon && std::abs(*lat) <= 90 && std::abs(*lon) <= 180) {
      place.position = {*lat, *lon};
      place.hasPosition = true;
    }
    if (!index.emplace(place.id, static_cast<int32_t>(places.size())).second) {
      report.warn("stops ignored: repeated stop_id", stops.where() + ": stop " + place.id);
      continue;
    }
    places.push_back(std::move(place));
  }
  // Each stop's station: the top of its chain of parents.
  for (std::size_t s = 0; s < places.size(); ++s) {
    auto station = static_cast<int32_t>(s);
    for (int depth = 0; depth < kMaxParentDepth; ++depth) {
      const StopPlace& place = places[static_cast<std::size_t>(station)];
      if (place.parentId.empty()) break;
      const auto parent = index.find(place.parentId);
      if (parent == index.end() || parent->second == station) {
        report.warn("stops kept on their own: unknown parent_station",
                    stops.name() + ":" + std::to_string(places[s].line) + ": stop " + places[s].id +
                        " names parent " + place.parentId);
        break;
      }
      station = parent->second;
    }
    places[s].station = station;
  }
  return places;
}

// Stop times of the selected trips; trips with a broken row are marked.
void readStopTimes(const FeedFiles& files, const TripSelection& selection,
                   const std::unordered_map<std::string, int32_t>& stopIndex, Feed& feed,
                   std::vector<bool>& broken, ImportReport& report, Progress& progress) {
  CsvReader rows = openRequiredCsv(files, "stop_times.txt");
  feed.stopTimesName = rows.name();
  const std::size_t tripColumn = rows.requireColumn("trip_id");
  const std::size_t stopColumn = rows.requireColumn("stop_id");
  const std::size_t sequenceColumn = rows.requireColumn("stop_sequence");
  const std::size_t arrivalColumn = rows.column("arrival_time");
  const std::size_t departureColumn = rows.column("departure_time");
  const std::size_t distanceColumn = rows.column("shape_dist_traveled");
  const std::size_t pickupColumn = rows.column("pickup_type");
  const std::size_t dropOffColumn = rows.column("drop_off_type");
  progress.begin(rows.name(), rows.size());
  uint64_t count = 0;
  std::string key;
  while (rows.next()) {
    if (++count % kProgressEvery == 0) progress.update(rows.bytesRead(), count);
    key.assign(rows.field(tripColumn));
    const auto trip = selection.tripIndex.find(key);
    if (trip == selection.tripIndex.end()) continue;
    const auto t = static_cast<std::size_t>(trip->second);
    if (broken[t]) continue;
    const auto fail = [&](const std::string& kind, const std::string& what) {
      report.warn(kind, rows.where() + ": trip " + trip->first + ": " + what);
      broken[t] = true;
    };
    StopTime row;
    row.trip = trip->second;
    row.line = rows.line();
    key.assign(rows.field(stopColumn));
    const auto stop = stopIndex.find(key);
    if (stop == stopIndex.end()) {
      fail("trips dropped: unknown stop_id", "stop " + key + " is not in stops.txt");
      continue;
    }
    row.stop = stop->second;
    const auto sequence = toInt(rows.field(sequenceColumn));
    if (!sequence || *sequence < 0) {
      fail("trips dropped: invalid stop_sequence",
           "stop_sequence '" + std::string(rows.field(sequenceColumn)) + "'");
      continue;
    }
    row.sequence = *sequence;
    bool timesValid = true;
    for (const auto& [column, target] :
         {std::pair{arrivalColumn, &row.arrival}, std::pair{departureColumn, &row.departure}}) {
      const std::string_view text = rows.field(column);
      if (text.empty()) continue;
      const auto seconds = parseGtfsTime(text);
      if (!seconds) {
        fail("trips dropped: invalid time", "the time '" + std::string(text) + "' is not H:MM:SS");
        timesValid = false;
        break;
      }
      *target = *seconds;
    }
    if (!timesValid) continue;
    if (const std::string_view text = rows.field(distanceColumn); !text.empty()) {
      const auto distance = toDouble(text);
      if (distance && *distance >= 0) row.shapeDistance = *distance;
    }
    for (const auto& [column, target] :
         {std::pair{pickupColumn, &row.pickup}, std::pair{dropOffColumn, &row.dropOff}}) {
      const auto rule = parseBoarding(rows.field(column));
      if (!rule) {
        report.warn(
            "boarding rules: unknown pickup_type or drop_off_type read as regular",
            rows.where() + ": trip " + trip->first + ": '" + std::string(rows.field(column)) + "'");
      }
      *target = rule.value_or(Boarding::kRegular);
    }
    feed.stopTimes.push_back(row);
  }
  progress.end(count);
}

// Groups the stop times by trip (a counting sort, so linear), each trip's
// in stop_sequence order, and leaves out broken trips and trips without two
// stop times.
void groupByTrip(Feed& feed, std::vector<bool>& broken, ImportReport& report) {
  const std::size_t trips = feed.trips.size();
  std::vector<std::size_t> begin(trips + 1, 0);
  for (const StopTime& row : feed.stopTimes) ++begin[static_cast<std::size_t>(row.trip) + 1];
  for (std::size_t t = 0; t < trips; ++t) begin[t + 1] += begin[t];
  std::vector<StopTime> grouped(feed.stopTimes.size());
  std::vector<std::size_t> next(begin.begin(), begin.end() - 1);
  for (const StopTime& row : feed.stopTimes)
    grouped[next[static_cast<std::size_t>(row.trip)]++] = row;
  const auto bySequence = [](const StopTime& a, const StopTime& b) {
    return a.sequence < b.sequence;
  };
  for (std::size_t t = 0; t < trips; ++t) {
    const auto first = grouped.begin() + static_cast<std::ptrdiff_t>(begin[t]);
    const auto last = grouped.begin() + static_cast<std::ptrdiff_t>(begin[t + 1]);
    std::stable_sort(first, last, bySequence);
    const auto repeated = std::adjacent_find(
        first, last, [](const StopTime& a, const StopTime& b) { return a.sequence == b.sequence; });
    if (!broken[t] && repeated != last) {
      report.warn("trips dropped: repeated stop_sequence",
                  feed.stopTimesName + ":" + std::to_string((repeated + 1)->line) + ": trip " +
                      feed.trips[t].id + ": stop_sequence " + std::to_string(repeated->sequence) +
                      " appears twice");
      broken[t] = true;
    }
  }
  // Keep the good trips, renumbered.
  std::vector<Trip> keptTrips;
  std::vector<StopTime> keptRows;
  std::vector<std::size_t> keptBegin{0};
  for (std::size_t t = 0; t < trips; ++t) {
    if (broken[t]) continue;
    if (begin[t + 1] - begin[t] < 2) {
      report.warn("trips dropped: fewer than 2 stop times",
                  feed.tripsName + ":" + std::to_string(feed.trips[t].line) + ": trip " +
                      feed.trips[t].id + ": " + std::to_string(begin[t + 1] - begin[t]) +
                      (begin[t + 1] - begin[t] == 1 ? " stop time" : " stop times"));
      continue;
    }
    const auto index = static_cast<int32_t>(keptTrips.size());
    for (std::size_t r = begin[t]; r < begin[t + 1]; ++r) {
      keptRows.push_back(grouped[r]);
      keptRows.back().trip = index;
    }
    keptTrips.push_back(std::move(feed.trips[t]));
    keptBegin.push_back(keptRows.size());
  }
  feed.trips = std::move(keptTrips);
  feed.stopTimes = std::move(keptRows);
  feed.tripBegin = std::move(keptBegin);
}

void readFrequencies(const FeedFiles& files, Feed& feed, ImportReport& report) {
  auto source = files.open("frequencies.txt");
  if (!source) return;
  std::unordered_map<std::string, int32_t> tripIndex;
  for (std::size_t t = 0; t < feed.trips.size(); ++t) {
    tripIndex.emplace(feed.trips[t].id, static_cast<int32_t>(t));
  }
  CsvReader rows(std::move(source), files.displayName("frequencies.txt"));
  const std::size_t tripColumn = rows.requireColumn("trip_id");
  const std::size_t startColumn = rows.requireColumn("start_time");
  const std::size_t endColumn = rows.requireColumn("end_time");
  const std::size_t headwayColumn = rows.requireColumn("headway_secs");
  while (rows.next()) {
    const auto trip = tripIndex.find(std::string(rows.field(tripColumn)));
    if (trip == tripIndex.end()) continue;
    const auto start = parseGtfsTime(rows.field(startColumn));
    const auto end = parseGtfsTime(rows.field(endColumn));
    const auto headway = toInt(rows.field(headwayColumn));
    if (!start || !end || !headway || *headway <= 0 || *end < *start) {
      report.warn("frequencies ignored: invalid times or headway",
                  rows.where() + ": trip " + std::string(rows.field(tripColumn)));
      continue;
    }
    feed.frequencies.push_back({trip->second, *start, *end, *headway});
  }
}

// The rows of transfers.txt the import can use; the others are reported.
void readTransfers(const FeedFiles& files,
                   const std::unordered_map<std::string, int32_t>& stopIndex,
                   const std::unordered_set<std::string>& tripIds, Feed& feed,
                   ImportReport& report) {
  auto source = files.open("transfers.txt");
  if (!source) return;
  feed.hasTransfers = true;
  CsvReader rows(std::move(source), files.displayName("transfers.txt"));
  feed.transfersName = rows.name();
  const std::size_t fromColumn = rows.column("from_stop_id");
  const std::size_t toColumn = rows.column("to_stop_id");
  const std::size_t typeColumn = rows.column("transfer_type");
  // Rows without stops (staying on board between trips) say nothing the
  // database keeps; the import goes on without the file.
  for (const auto& [column, name] :
       {std::pair{fromColumn, "from_stop_id"}, std::pair{toColumn, "to_stop_id"},
        std::pair{typeColumn, "transfer_type"}}) {
    if (column == CsvReader::kMissing) {
      report.warn("transfers.txt ignored: a column is missing",
                  rows.name() + ": no column " + std::string(name));
      return;
    }
  }
  const std::size_t timeColumn = rows.column("min_transfer_time");
  const std::size_t fromTripColumn = rows.column("from_trip_id");
  const std::size_t toTripColumn = rows.column("to_trip_id");
  const std::size_t fromRouteColumn = rows.column("from_route_id");
  const std::size_t toRouteColumn = rows.column("to_route_id");
  while (rows.next()) {
    const std::string from(rows.field(fromColumn));
    const std::string to(rows.field(toColumn));
    const std::string what = rows.where() + ": from " + from + " to " + to;
    const std::string_view typeText = rows.field(typeColumn);
    const auto type = typeText.empty() ? std::optional<int32_t>(0) : toInt(typeText);
    if (!type || *type < 0 || *type > 5) {
      report.warn("transfers dropped: unknown transfer_type",
                  what + ": transfer_type '" + std::string(typeText) + "'");
      continue;
    }
    if (*type >= 4) {
      report.warn("transfers ignored: staying on board (transfer_type 4, 5)", what);
      continue;
    }
    const auto fromStop = stopIndex.find(from);
    const auto toStop = stopIndex.find(to);
    if (fromStop == stopIndex.end() || toStop == stopIndex.end()) {
      report.warn("transfers dropped: unknown stop_id", what);
      continue;
    }
    FeedTransfer transfer;
    transfer.from = fromStop->second;
    transfer.to = toStop->second;
    transfer.type = *type;
    transfer.line = rows.line();
    transfer.fromTrip = std::string(rows.field(fromTripColumn));
    transfer.toTrip = std::string(rows.field(toTripColumn));
    bool known = true;
    for (const std::string* trip : {&transfer.fromTrip, &transfer.toTrip}) {
      if (!trip->empty() && tripIds.count(*trip) == 0) {
        report.warn("transfers dropped: unknown trip_id", what + ": trip " + *trip);
        known = false;
        break;
      }
    }
    if (!known) continue;
    const bool byRoute = !rows.field(fromRouteColumn).empty() || !rows.field(toRouteColumn).empty();
    if (byRoute && transfer.fromTrip.empty() && transfer.toTrip.empty()) {
      report.warn("transfers dropped: between routes, which the database cannot tell", what);
      continue;
    }
    const std::string_view timeText = rows.field(timeColumn);
    if (!timeText.empty()) {
      const auto seconds = toInt(timeText);
      if (!seconds || *seconds < 0) {
        report.warn("transfers: invalid min_transfer_time ignored",
                    what + ": '" + std::string(timeText) + "'");
      } else {
        transfer.seconds = *seconds;
      }
    }
    if (transfer.type == 2 && transfer.seconds < 0) {
      report.warn("transfers dropped: transfer_type 2 without min_transfer_time", what);
      continue;
    }
    feed.transfers.push_back(std::move(transfer));
  }
}

}  // namespace

Feed loadFeed(const FeedFiles& files, const FeedFilter& filter, ImportReport& report,
              Progress& progress) {
  TripSelection selection = selectTrips(files, filter, report, progress);
  Feed feed;
  feed.routes = std::move(selection.routes);
  feed.tripsInFeed = selection.tripsInFeed;
  feed.servicesRunning = selection.servicesRunning;
  feed.dayPatterns = std::move(selection.dayPatterns);
  feed.timeZone = std::move(selection.timeZone);
  feed.stopsName = files.displayName("stops.txt");
  feed.tripsName = files.displayName("trips.txt");
  std::unordered_map<std::string, int32_t> stopIndex;
  feed.stops = readStops(files, report, stopIndex);
  std::vector<bool> broken(selection.trips.size(), false);
  feed.trips = std::move(selection.trips);
  readStopTimes(files, selection, stopIndex, feed, broken, report, progress);
  groupByTrip(feed, broken, report);
  readFrequencies(files, feed, report);
  readTransfers(files, stopIndex, selection.tripIdsInFeed, feed, report);
  readShapes(files, feed, progress);
  return feed;
}

}  // namespace murlo::gtfs
