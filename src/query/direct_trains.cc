// Direct trains between two stations, or proposed change stations.
//
// Direct trains: every call of a train at the origin is paired with the calls
// of the same train at the destination that the destination's call list
// reaches before it passes that train (the list ascends by train), and each
// pair with the origin first gives one SegmentLine. Lines follow the origin's
// call list.
//
// Change stations, when there is no direct train:
//   onward  - every station after the origin on a train that calls there, with
//             its distance from the origin along the first such train;
//   feeder  - every station before the destination on a train that calls
//             there, with its distance to the destination along the first one;
//   a station index in both lists is a candidate with the sum of the two;
//   candidates whose total is below 1.36 times the shortest total (the
//   shortest starts at 30000 km) are written by name, each followed by "|",
//   the first name that contains 北京 being written as 北京 itself.
// Both lists hold a name once, at the first station index listed with it.
//
// Call records that name no train of the tables or no stop of their train
// are left out before any of this, and a stop at a station outside the
// station table lists nothing. A pair whose line cannot be built from the
// tables is not written and not counted, so the count always equals the
// number of lines.
#include "query/direct_trains.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <span>
#include <vector>

#include "db/day_rollover.h"
#include "db/records.h"
#include "query/listed_names.h"
#include "query/run_days.h"
#include "query/train_lines.h"

namespace murlo {
namespace {

constexpr int32_t kShortestTotalStart = 30000;
constexpr double kKeepFactor = 1.36;
constexpr std::string_view kBeijing = "\xB1\xB1\xBE\xA9";  // 北京 in GBK

struct Call {
  TrainIndex train;
  StopPosition stop;  // position of the station in the train's stop list
  StopList stops;     // the train's stop list; it holds `stop`
};

struct StationDistance {
  StationIndex station;
  int32_t km;
};

// The call records of `station` that name a train of the tables and one of its
// whole stop records, in list order.
std::vector<Call> callsAt(const TimetableDb& db, StationIndex station) {
  const CallList list = db.callsAt(station);
  std::vector<Call> calls;
  calls.reserve(static_cast<std::size_t>(list.size()));
  for (int32_t j = 0; j < list.size(); ++j) {
    const CallRecord record = list[j];
    const std::optional<TrainView> train = db.trainCalled(record);
    if (!train) continue;
    calls.push_back(Call{record.trainIndex(), record.stopPosition(), train->stops});
  }
  return calls;
}

// The train index of every whole record of `calls`, as read.
std::vector<TrainIndex> trainsOf(const CallList& calls) {
  std::vector<TrainIndex> trains(static_cast<std::size_t>(calls.size()));
  for (int32_t j = 0; j < calls.size(); ++j) {
    trains[static_cast<std::size_t>(j)] = calls[j].trainIndex();
  }
  return trains;
}

// Direct trains: for each origin call, the destination calls from the first
// up to the first of a greater train are searched for the same train at a
// later stop; each pair that has a line gives its ride.
//
// With both call lists ascending by train (`originTrains` and
// `destinationTrains` hold their train indexes), the search for each origin
// call starts where the previous one left off. Records that name no train or
// stop of the tables need no sorting out here: in an ascending list they
// cannot hide a call that the search would reach, and their lines cannot be
// built.
void addMergedRides(const TimetableDb& db, const CallList& origins,
                    std::span<const TrainIndex> originTrains, const CallList& destinations,
                    std::span<const TrainIndex> destinationTrains, std::vector<Ride>& rides) {
  std::size_t first = 0;  // the first destination call not of an earlier train
  for (std::size_t i = 0; i < originTrains.size(); ++i) {
    const TrainIndex train = originTrains[i];
    while (first < destinationTrains.size() && destinationTrains[first] < train) ++first;
    for (std::size_t j = first; j < destinationTrains.size() && destinationTrains[j] == train;
         ++j) {
      const StopPosition from = origins[static_cast<int32_t>(i)].stopPosition();
      const StopPosition to = destinations[static_cast<int32_t>(j)].stopPosition();
      if (from >= to) continue;
      if (const std::optional<Ride> ride = listableRide(db, train, from, to)) {
        rides.push_back(*ride);
      }
    }
  }
}

// The same search over call lists in any order, without the records that name
// no train or stop. Where a search ends is found by a binary search over the
// running maximum of the destination trains; the calls of one train, by a
// binary search over the destination calls ordered by train (ties in list
// order).
void addScannedRides(const TimetableDb& db, std::span<const Call> origins,
                     std::span<const Call> destinations, std::vector<Ride>& rides) {
  std::vector<TrainIndex> runningMax(destinations.size());
  for (std::size_t j = 0; j < destinations.size(); ++j) {
    runningMax[j] =
        j == 0 ? destinations[j].train : std::max(runningMax[j - 1], destinations[j].train);
  }
  std::vector<int32_t> byTrain(destinations.size());
  std::iota(byTrain.begin(), byTrain.end(), 0);
  const auto trainOf = [&destinations](int32_t j) {
    return destinations[static_cast<std::size_t>(j)].train;
  };
  std::stable_sort(byTrain.begin(), byTrain.end(),
                   [&trainOf](int32_t a, int32_t b) { return trainOf(a) < trainOf(b); });

  for (const Call& origin : origins) {
    // The search for this call reaches the destination calls before `end`.
    const auto end = static_cast<int32_t>(
        std::upper_bound(runningMax.begin(), runningMax.end(), origin.train) - runningMax.begin());
    auto it =
        std::lower_bound(byTrain.begin(), byTrain.end(), origin.train,
                         [&trainOf](int32_t j, TrainIndex train) { return trainOf(j) < train; });
    for (; it != byTrain.end() && trainOf(*it) == origin.train && *it < end; ++it) {
      const StopPosition to = destinations[static_cast<std::size_t>(*it)].stop;
      if (origin.stop >= to) continue;
      if (const std::optional<Ride> ride = listableRide(db, origin.train, origin.stop, to)) {
        rides.push_back(*ride);
      }
    }
  }
}

// Stations after each origin call's stop, each name once, with the distance
// from the origin along the first train that reaches it.
std::vector<StationDistance> onwardStations(std::span<const Call> origins, ListedNames& listed) {
  std::vector<StationDistance> onward;
  for (const Call& call : origins) {
    const int32_t originKm = call.stops[call.stop].distanceKm();
    for (StopPosition k = call.stop.next(); call.stops.holds(k); ++k) {
      const StopRecord stop = call.stops[k];
      if (listed.add(stop.stationIndex())) {
        onward.push_back(StationDistance{stop.stationIndex(), stop.distanceKm() - originKm});
      }
    }
  }
  return onward;
}

// Stations before each destination call's stop, each name once, with the
// distance to the destination along the first train that leaves from it.
std::vector<StationDistance> feederStations(std::span<const Call> destinations,
                                            ListedNames& listed) {
  std::vector<StationDistance> feeders;
  for (const Call& call : destinations) {
    const int32_t destinationKm = call.stops[call.stop].distanceKm();
    for (StopPosition k(0); k < call.stop; ++k) {
      const StopRecord stop = call.stops[k];
      if (listed.add(stop.stationIndex())) {
        feeders.push_back(StationDistance{stop.stationIndex(), destinationKm - stop.distanceKm()});
      }
    }
  }
  return feeders;
}

// The change stations into `answer`: candidates in onward order whose total
// distance is below the keep threshold, by name.
void addChangeStations(const TimetableDb& db, std::span<const StationDistance> onward,
                       std::span<const StationDistance> feeders, RideList& answer) {
  // Each station index is listed at most once in either list, so a station's
  // place among the feeders joins the two lists in one pass.
  std::vector<int32_t> feederAt(static_cast<std::size_t>(db.stationCount()), -1);
  for (std::size_t f = 0; f < feeders.size(); ++f) {
    feederAt[feeders[f].station.slot()] = static_cast<int32_t>(f);
  }
  std::vector<StationDistance> candidates;
  int32_t shortest = kShortestTotalStart;
  for (const StationDistance& station : onward) {
    const int32_t f = feederAt[station.station.slot()];
    if (f < 0) continue;
    const int32_t total = station.km + feeders[static_cast<std::size_t>(f)].km;
    candidates.push_back(StationDistance{station.station, total});
    shortest = std::min(shortest, total);
  }

  const auto threshold = static_cast<int32_t>(static_cast<double>(shortest) * kKeepFactor);
  bool beijingWritten = false;
  for (const StationDistance& candidate : candidates) {
    if (candidate.km >= threshold) continue;
    const std::string_view name = *db.stationName(candidate.station);
    if (!beijingWritten && name.find(kBeijing) != std::string_view::npos) {
      answer.changeStations.push_back(kBeijing);
      answer.changeStationIndexes.push_back(std::nullopt);
      beijingWritten = true;
    } else {
      answer.changeStations.push_back(name);
      answer.changeStationIndexes.push_back(candidate.station);
    }
  }
}

}  // namespace

RideList directTrainRides(const LoadedDatabase& db, std::string_view origin,
                          std::string_view destination, std::optional<CivilDay> date) {
  RideList answer;
  const RunDays days(db.tables(), date, answer.status);
  if (answer.status != QueryStatus::kOk) return answer;
  const std::optional<StationIndex> from =
      origin == destination ? std::nullopt : db.findStation(origin);
  const std::optional<StationIndex> to = from ? db.findStation(destination) : std::nullopt;
  answer.status = origin == destination ? QueryStatus::kSameStation
                  : !from               ? QueryStatus::kUnknownOrigin
                  : !to                 ? QueryStatus::kUnknownDestination
                                        : QueryStatus::kOk;
  if (answer.status != QueryStatus::kOk) return answer;

  const TimetableDb& tables = db.tables();
  const CallList originList = tables.callsAt(*from);
  const CallList destinationList = tables.callsAt(*to);
  const std::vector<TrainIndex> originTrains = trainsOf(originList);
  const std::vector<TrainIndex> destinationTrains = trainsOf(destinationList);
  if (std::is_sorted(originTrains.begin(), originTrains.end()) &&
      std::is_sorted(destinationTrains.begin(), destinationTrains.end())) {
    addMergedRides(tables, originList, originTrains, destinationList, destinationTrains,
                   answer.rides);
  } else {
    addScannedRides(tables, callsAt(tables, *from), callsAt(tables, *to), answer.rides);
  }
  if (!days.everyDay()) {
    // For a date, the runs that leave the origin that day and run.
    std::erase_if(answer.rides, [&](const Ride& ride) {
      const std::optional<StopList> stops = tables.stopsOf(ride.train);
      return !stops || !days.runs(ride.train, -runDayOf(runMinuteOfDeparture(*stops, ride.board)));
    });
  }
  if (!answer.rides.empty()) return answer;

  const std::vector<Call> origins = callsAt(tables, *from);
  const std::vector<Call> destinations = callsAt(tables, *to);

  ListedNames listed(db);
  const std::vector<StationDistance> onward = onwardStations(origins, listed);
  listed.clear();
  const std::vector<StationDistance> feeders = feederStations(destinations, listed);
  addChangeStations(tables, onward, feeders, answer);
  return answer;
}

QueryResult directTrains(const LoadedDatabase& db, std::string_view origin,
                         std::string_view destination, int32_t mode) {
  const RideList answer = directTrainRides(db, origin, destination);
  if (answer.status != QueryStatus::kOk) return QueryResult{.status = answer.status};
  QueryResult result;
  for (const Ride& ride : answer.rides) {
    if (appendTrainLine(result.text, db, ride.train, ride.board, ride.alight, mode)) ++result.count;
  }
  if (result.count > 0) return result;
  for (const std::string_view name : answer.changeStations) result.text.append(name).append("|");
  return result;
}

}  // namespace murlo
