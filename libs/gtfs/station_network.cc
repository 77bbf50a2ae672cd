#include "gtfs/station_network.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <unordered_map>

#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::gtfs {
namespace {

constexpr int32_t kMostMinutes = 1439;

// Stations joined into complexes.
class Complexes {
 public:
  explicit Complexes(std::size_t stations) : parent_(stations) {
    std::iota(parent_.begin(), parent_.end(), std::size_t{0});
  }
  std::size_t root(std::size_t s) {
    while (parent_[s] != s) s = parent_[s] = parent_[parent_[s]];
    return s;
  }
  void join(std::size_t a, std::size_t b) {
    a = root(a);
    b = root(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<std::size_t> parent_;
};

using TransferKey = std::tuple<int32_t, int32_t, TransferKind, int32_t, int32_t>;

std::string gbkOf(const std::string& utf8) {
  std::u16string units;
  std::string gbk;
  utf8ToUtf16(utf8, units);
  utf16ToGbk(units, gbk);
  return gbk;
}

}  // namespace

NetworkSpec buildNetwork(const Feed& feed, const std::vector<Run>& runs,
                         const std::vector<TrainPart>& parts, const std::vector<int32_t>& stationOf,
                         const std::vector<ImportedStation>& stations, NetworkCounts& counts,
                         ImportReport& report) {
  NetworkSpec network;
  std::unordered_map<std::string, std::vector<std::size_t>> trainsOfTrip;
  for (std::size_t t = 0; t < parts.size(); ++t) {
    const Run& run = runs[parts[t].run];
    trainsOfTrip[feed.trips[static_cast<std::size_t>(run.trip)].id].push_back(t);
    // A train of a period runs as the trips of other days merged into it too.
    for (const int32_t same : run.sameTrips)
      trainsOfTrip[feed.trips[static_cast<std::size_t>(same)].id].push_back(t);
  }
  const auto stationAt = [&](int32_t stop) {
    const auto place = static_cast<std::size_t>(feed.stops[static_cast<std::size_t>(stop)].station);
    return stationOf[place];
  };
  // The train of `trip` that arrives at (`arriving`) or leaves `station`:
  // kAnyTrain for no trip, nothing when none or several do.
  const auto trainAt = [&](const std::string& trip, int32_t station, bool arriving,
                           const std::string& where) -> std::optional<int32_t> {
    if (trip.empty()) return kAnyTrain.value();
    const auto found = trainsOfTrip.find(trip);
    if (found == trainsOfTrip.end()) {
      ++counts.elsewhere;
      return std::nullopt;
    }
    std::vector<std::size_t> matching;
    for (const std::size_t t : found->second) {
      const std::vector<RunStop>& stops = parts[t].stops;
      for (std::size_t k = arriving ? 1 : 0; k + (arriving ? 0 : 1) < stops.size(); ++k) {
        if (stationOf[static_cast<std::size_t>(stops[k].station)] == station) {
          matching.push_back(t);
          break;
        }
      }
    }
    if (matching.size() != 1) {
      report.warn(matching.empty() ? "transfers dropped: the trip does not call at the stop"
                                   : "transfers dropped: the trip runs as several trains there",
                  where + ": trip " + trip);
      return std::nullopt;
    }
    return static_cast<int32_t>(matching.front());
  };

  std::map<TransferKey, int32_t> transfers;  // the largest minutes of each
  std::map<int32_t, int32_t> changeTimes;
  for (const FeedTransfer& row : feed.transfers) {
    const std::string where = feed.transfersName + ":" + std::to_string(row.line);
    const int32_t from = stationAt(row.from);
    const int32_t to = stationAt(row.to);
    if (from < 0 || to < 0) {
      ++counts.elsewhere;
      continue;
    }
    const auto fromTrain = trainAt(row.fromTrip, from, true, where);
    if (!fromTrain) continue;
    const auto toTrain = trainAt(row.toTrip, to, false, where);
    if (!toTrain) continue;
    int32_t minutes = 0;
    if (row.seconds > 0) {
      minutes = (row.seconds + 59) / 60;
      if (minutes > kMostMinutes) {
        report.warn("transfers: min_transfer_time over a day taken as 1439 minutes",
                    where + ": " + std::to_string(row.seconds) + " s");
        minutes = kMostMinutes;
      }
    }
    const TransferKind kind = row.type == 1   ? TransferKind::kTimed
                              : row.type == 3 ? TransferKind::kForbidden
                                              : TransferKind::kMinimumTime;
    const bool anyTrain = *fromTrain == kAnyTrain.value() && *toTrain == kAnyTrain.value();
    if (from == to && anyTrain && kind == TransferKind::kMinimumTime) {
      if (row.seconds >= 0) changeTimes[from] = std::max(changeTimes[from], minutes);
      continue;
    }
    if (kind != TransferKind::kMinimumTime) minutes = 0;
    int32_t& kept = transfers[{from, to, kind, *fromTrain, *toTrain}];
    kept = std::max(kept, minutes);
  }

  Complexes complexes(stations.size());
  const auto sameName = [&](int32_t a, int32_t b) {
    return stations[static_cast<std::size_t>(a)].baseName ==
           stations[static_cast<std::size_t>(b)].baseName;
  };
  for (const auto& [key, minutes] : transfers) {
    const auto& [from, to, kind, fromTrain, toTrain] = key;
    network.transfers.push_back({StationIndex(from), StationIndex(to), kind, minutes,
                                 TrainIndex(fromTrain), TrainIndex(toTrain)});
    (kind == TransferKind::kTimed       ? counts.timed
     : kind == TransferKind::kForbidden ? counts.forbidden
                                        : counts.minimumTime) += 1;
    if (from != to && kind != TransferKind::kForbidden && sameName(from, to)) {
      complexes.join(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    }
  }
  std::unordered_map<std::string, int32_t> byMissingParent;  // parent_station -> first station
  for (std::size_t p = 0; p < feed.stops.size(); ++p) {
    const StopPlace& place = feed.stops[p];
    if (place.parentId.empty() || place.station != static_cast<int32_t>(p) || stationOf[p] < 0) {
      continue;
    }
    const auto [first, fresh] = byMissingParent.emplace(place.parentId, stationOf[p]);
    if (!fresh && sameName(first->second, stationOf[p])) {
      complexes.join(static_cast<std::size_t>(first->second),
                     static_cast<std::size_t>(stationOf[p]));
    }
  }
  for (const auto& [station, minutes] : changeTimes) {
    network.changeTimes.push_back({StationIndex(station), minutes});
  }
  counts.changeTimes = network.changeTimes.size();

  std::map<std::size_t, std::vector<StationIndex>> members;  // by first member
  for (std::size_t s = 0; s < stations.size(); ++s) {
    members[complexes.root(s)].push_back(StationIndex(static_cast<int32_t>(s)));
  }
  for (auto& [groupRoot, group] : members) {
    if (group.size() < 2) continue;
    const std::size_t root = groupRoot;  // clang 14 lambdas cannot capture a structured binding
    const auto member = [&](int32_t s) {
      return complexes.root(static_cast<std::size_t>(s)) == root;
    };
    int32_t minutes = -1;
    for (const Transfer& t : network.transfers) {
      if (t.kind == TransferKind::kMinimumTime && t.from != t.to && member(t.from.value()) &&
          member(t.to.value())) {
        minutes = std::max(minutes, t.minutes);
      }
    }
    if (minutes < 0) {
      minutes = 0;
      for (const ChangeTime& c : network.changeTimes) {
        if (member(c.station.value())) minutes = std::max(minutes, c.minutes);
      }
    }
    network.groups.push_back(
        {GroupKind::kComplex, gbkOf(stations[root].name), minutes, std::move(group)});
  }
  counts.groups = network.groups.size();
  return network;
}

}  // namespace murlo::gtfs
