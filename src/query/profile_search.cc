// The search behind paretoJourneys.
//
// Labels: for each round r (1 to the most rides) and station s, the earliest
// arrival at s found with at most r rides from the departures taken so far
// (the later ones), and how it was reached: by a ride (train, boarding stop,
// alighting stop) or as a copy of round r - 1's label. Labels never grow, and
// a label of round r is never later than round r - 1's at the same station.
//
// One iteration takes the departures of one minute d. Round 1 follows each
// train boarded at the origin at d; round r > 1 follows every train that
// leaves a station improved in round r - 1, from its first such stop on,
// keeping the earliest run it can catch at any stop so far (a day's runs
// never overtake one another) and boarding with the minimum change time. An
// arrival is kept only when it beats the station's label and the
// destination's label of its round: anything else cannot lead to a journey
// that is not dominated. When round r improves the destination, the journey
// it found (d, that arrival, r rides) beats every later departure with at
// most r rides and every journey with fewer rides from d on, which is
// exactly when its triple is not dominated; its rides are read back through
// the labels, all set in this iteration.
//
// paretoJourneys with a limit takes the departures in chunks from the
// earliest: one iteration with all departures after the chunk at once gives
// the labels that a search of the whole day would hold there, then the
// chunk's own minutes, latest first. Chunks double in size until enough
// journeys are found; journeys from a chunk depart before any later chunk's.
#include "query/profile_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "query/station_board.h"
#include "query/train_runs.h"

namespace murlo {
namespace {

constexpr int64_t kNever = INT64_MAX / 4;
constexpr int32_t kMostRides = 8;
constexpr uint8_t kNotQueued = 0xFF;

// How a label was reached: 0 for a copy of the round below, else a ride.
constexpr uint32_t kCopied = 0;
constexpr uint32_t rideCode(TrainIndex train, int32_t board, int32_t alight) {
  return 1u << 31 | static_cast<uint32_t>(train.value()) << 14 | static_cast<uint32_t>(board) << 7 |
         static_cast<uint32_t>(alight);
}
constexpr Ride rideOf(uint32_t code) {
  return Ride{TrainIndex(static_cast<int32_t>(code >> 14 & 0x3FFF)),
              StopPosition(static_cast<int32_t>(code >> 7 & 0x7F)),
              StopPosition(static_cast<int32_t>(code & 0x7F))};
}

constexpr int64_t dayMinute(int64_t minute) {
  const int64_t m = minute % kMinutesPerDay;
  return m < 0 ? m + kMinutesPerDay : m;
}

// A run that leaves the origin in the window.
struct OriginDeparture {
  int64_t minute;  // absolute departure, in [after, after + 1440)
  TrainIndex train;
  int32_t stop;
};

class ProfileSearch {
 public:
  ProfileSearch(const LoadedDatabase& db, StationIndex origin, StationIndex destination,
                const JourneyRequest& request)
      : tables_(db.tables()),
        runs_(db.trainRuns()),
        board_(db.departureBoard()),
        origin_(origin.value()),
        destination_(destination.value()),
        stations_(std::min(tables_.stationCount(), kMaxStations)),
        rounds_(request.maxChanges + 1),
        change_(request.minChangeMinutes) {
    collectDepartures(request.afterMinute);
    if (groups_.empty()) return;
    const auto labels = static_cast<std::size_t>(rounds_ + 1) * static_cast<std::size_t>(stations_);
    labels_.resize(labels);
    parents_.resize(labels);
    marked_.assign(static_cast<std::size_t>(stations_), 0);
    previous_.resize(static_cast<std::size_t>(stations_));
    fromStop_.assign(static_cast<std::size_t>(runs_.trainCount()), kNotQueued);
    destinationStop_.assign(static_cast<std::size_t>(runs_.trainCount()), 0);
    const CallList calls = tables_.callsAt(destination);
    for (int32_t j = 0; j < calls.size(); ++j) {
      const TrainIndex train = calls[j].trainIndex();
      const int32_t stop = calls[j].stopPosition().value();
      if (train.value() < 0 || train.value() >= runs_.trainCount()) continue;
      const TrainRuns::Train& run = runs_.train(train);
      if (stop < 1 || stop >= run.stops) continue;
      const TrainRuns::Stop& here = runs_.stops()[run.first + static_cast<uint32_t>(stop)];
      if (!here.canLeave() || here.station() != destination_) continue;
      uint8_t& last = destinationStop_[train.slot()];
      last = static_cast<uint8_t>(std::max<int32_t>(last, stop));
    }
  }

  // Distinct departure minutes.
  std::size_t groupCount() const { return groups_.empty() ? 0 : groups_.size() - 1; }

  // Appends the journeys that depart in minutes [first, last) of the groups,
  // in order.
  void search(std::size_t first, std::size_t last, std::vector<Journey>& out) {
    std::fill(labels_.begin(), labels_.end(), kNever);
    if (last < groupCount()) iterate(departuresOf(last, groupCount()), nullptr);
    const std::size_t begin = out.size();
    for (std::size_t g = last; g-- > first;) iterate(departuresOf(g, g + 1), &out);
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(),
              [](const Journey& a, const Journey& b) {
                if (a.departure != b.departure) return a.departure < b.departure;
                if (a.arrival != b.arrival) return a.arrival < b.arrival;
                return a.rides.size() < b.rides.size();
              });
  }

 private:
  int64_t& label(int32_t round, int32_t station) {
    return labels_[static_cast<std::size_t>(round) * static_cast<std::size_t>(stations_) +
                   static_cast<std::size_t>(station)];
  }
  uint32_t& parent(int32_t round, int32_t station) {
    return parents_[static_cast<std::size_t>(round) * static_cast<std::size_t>(stations_) +
                    static_cast<std::size_t>(station)];
  }
  std::span<const OriginDeparture> departuresOf(std::size_t firstGroup, std::size_t lastGroup) {
    return std::span<const OriginDeparture>(departures_.data() + groups_[firstGroup],
                                            departures_.data() + groups_[lastGroup]);
  }

  // The runs that leave the origin in [after, after + 1440), ordered by
  // departure, train and stop, and where each minute's departures begin.
  void collectDepartures(int32_t after) {
    if (origin_ >= stations_ || destination_ >= stations_) return;
    const std::span<const uint32_t> keys = board_.calls(StationIndex(origin_));
    const auto start = static_cast<std::size_t>(
        std::lower_bound(keys.begin(), keys.end(),
                         BoardKey::make(after, TrainIndex(0), StopPosition(0))) -
        keys.begin());
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const uint32_t key = keys[(start + i) % keys.size()];
      const TrainIndex train = BoardKey::train(key);
      const StopPosition stop = BoardKey::stop(key);
      if (!runs_.canBoard(train, stop)) continue;
      const int64_t minute = after + dayMinute(BoardKey::minute(key) - after);
      departures_.push_back(OriginDeparture{minute, train, stop.value()});
    }
    for (std::size_t i = 0; i < departures_.size(); ++i) {
      if (i == 0 || departures_[i].minute != departures_[i - 1].minute) groups_.push_back(i);
    }
    if (!groups_.empty()) groups_.push_back(departures_.size());
  }

  // One iteration: the rounds from `departures` (one minute's, or every
  // later one at once), appending the journeys found to `out` when given.
  void iterate(std::span<const OriginDeparture> departures, std::vector<Journey>* out) {
    reached_.fill(false);
    for (const OriginDeparture& departure : departures) firstRound(departure);
    endRound();
    for (int32_t round = 2; round <= rounds_ && !improvedBefore_.empty(); ++round) {
      laterRound(round);
      endRound();
    }
    improvedBefore_.clear();
    if (out == nullptr) return;
    for (int32_t round = 1; round <= rounds_; ++round) {
      if (reached_[static_cast<std::size_t>(round)]) {
        out->push_back(journeyTo(round, departures.front().minute));
      }
    }
  }

  void endRound() {
    for (const int32_t s : improved_) marked_[static_cast<std::size_t>(s)] = 0;
    improvedBefore_.swap(improved_);
    improved_.clear();
  }

  // Round 1: the run boarded at the origin, to every later stop it can be
  // left at.
  void firstRound(const OriginDeparture& departure) {
    const TrainRuns::Train& run = runs_.train(departure.train);
    const TrainRuns::Stop* stops = runs_.stops() + run.first;
    int64_t minute = departure.minute;  // at stop m - 1, then at stop m
    for (int32_t m = departure.stop + 1; m < run.stops; ++m) {
      minute += m == departure.stop + 1 ? stepMinutes(stops[m - 1].departure, stops[m].arrival)
                                        : stepMinutes(stops[m - 1].arrival, stops[m].arrival);
      if (!stops[m].canLeave()) continue;
      const int32_t s = stops[m].station();
      if (rounds_ == 1 && s != destination_) continue;
      arrive(1, s, minute, rideCode(departure.train, departure.stop, m));
    }
  }

  // Round `round` > 1: the trains that can be boarded at a station improved
  // in the round before, from the first such stop; of each station's trains
  // only those whose next departure from the new label on comes before the
  // next one from the label it replaced. The others catch the same run as
  // before, which was followed when that label was set (or, for a copy, in
  // the round below), and can improve nothing. In the last round only trains
  // that can still be left at the destination matter.
  void laterRound(int32_t round) {
    const int64_t bound = label(round, destination_);
    const bool last = round == rounds_;
    for (const int32_t s : improvedBefore_) {
      const int64_t ready = label(round - 1, s) + change_;
      if (ready >= bound) continue;  // every ride from here arrives too late
      const int64_t before = previous_[static_cast<std::size_t>(s)];
      const int64_t covered = before >= kNever ? kNever : before + change_;
      const std::span<const uint32_t> keys = board_.calls(StationIndex(s));
      const std::size_t start =
          covered - ready >= kMinutesPerDay
              ? 0
              : static_cast<std::size_t>(
                    std::lower_bound(keys.begin(), keys.end(),
                                     BoardKey::make(static_cast<int32_t>(dayMinute(ready)),
                                                    TrainIndex(0), StopPosition(0))) -
                    keys.begin());
      for (std::size_t i = 0; i < keys.size(); ++i) {
        const uint32_t key = keys[(start + i) % keys.size()];
        if (ready + dayMinute(BoardKey::minute(key) - ready) >= covered) break;
        // Every key names a train of the runs; a stop it cannot be boarded
        // at (only in a corrupt file) is skipped by the scan.
        const TrainIndex train = BoardKey::train(key);
        const int32_t stop = BoardKey::stop(key).value();
        if (last && destinationStop_[train.slot()] <= stop) continue;
        uint8_t& from = fromStop_[train.slot()];
        if (from == kNotQueued) queued_.push_back(train.value());
        from = static_cast<uint8_t>(std::min<int32_t>(from, stop));
      }
    }
    for (const int32_t t : queued_) {
      uint8_t& from = fromStop_[static_cast<std::size_t>(t)];
      scanTrain(round, TrainIndex(t), from, last);
      from = kNotQueued;
    }
    queued_.clear();
  }

  // Follows `train` from stop `from` on, boarding with the labels of the
  // round before; in the last round only to the destination.
  void scanTrain(int32_t round, TrainIndex train, int32_t from, bool last) {
    const TrainRuns::Train& run = runs_.train(train);
    const TrainRuns::Stop* stops = runs_.stops() + run.first;
    const int32_t end = last ? destinationStop_[train.slot()] + 1 : run.stops;
    const int64_t bound = label(round, destination_);
    int64_t here = kNever;  // the arrival at stop m of the run caught so far
    int32_t boardedAt = 0;
    for (int32_t m = from; m < end; ++m) {
      const TrainRuns::Stop& stop = stops[m];
      if (here < kNever && stop.canLeave() && (!last || stop.station() == destination_)) {
        arrive(round, stop.station(), here, rideCode(train, boardedAt, m));
      }
      if (m + 1 == end) break;
      int64_t next =
          here < kNever ? here + stepMinutes(stop.arrival, stops[m + 1].arrival) : kNever;
      if (stop.canBoard()) {
        const int64_t ready = label(round - 1, stop.station()) + change_;
        if (ready < bound) {
          // The earliest run that departs here at or after `ready`. All runs
          // depart here whole days apart, the one caught so far at
          // next - step among them.
          const int32_t step = stepMinutes(stop.departure, stops[m + 1].arrival);
          if (next >= kNever) {
            next = ready + dayMinute(stop.departure - ready) + step;
            boardedAt = m;
          } else if (const int64_t departs = next - step; ready <= departs - kMinutesPerDay) {
            next = departs - kMinutesPerDay * ((departs - ready) / kMinutesPerDay) + step;
            boardedAt = m;
          }
        }
      }
      here = next;
    }
  }

  // An arrival at `station` in `round`, reached as `how`. Arrivals that cannot
  // lead to a journey that is not dominated are dropped: those that do not
  // beat the station's label or the destination's, and in the last round
  // those anywhere but the destination.
  void arrive(int32_t round, int32_t station, int64_t minute, uint32_t how) {
    int64_t& here = label(round, station);
    if (minute >= here || minute >= label(round, destination_)) return;
    const int64_t before = here;
    here = minute;
    parent(round, station) = how;
    for (int32_t above = round + 1; above <= rounds_; ++above) {
      int64_t& copy = label(above, station);
      if (minute >= copy) break;
      copy = minute;
      parent(above, station) = kCopied;
    }
    if (station == destination_) {
      reached_[static_cast<std::size_t>(round)] = true;
    } else if (marked_[static_cast<std::size_t>(station)] == 0) {
      marked_[static_cast<std::size_t>(station)] = 1;
      previous_[static_cast<std::size_t>(station)] = before;
      improved_.push_back(station);
    }
  }

  // The journey of `round`'s label at the destination, read back ride by
  // ride to the origin.
  Journey journeyTo(int32_t round, int64_t departure) {
    Journey journey;
    journey.departure = departure;
    journey.arrival = label(round, destination_);
    int32_t station = destination_;
    for (int32_t r = round; r >= 1; --r) {
      const uint32_t how = parent(r, station);
      if (how == kCopied) continue;
      const Ride ride = rideOf(how);
      journey.rides.push_back(ride);
      station =
          runs_.stops()[runs_.train(ride.train).first + static_cast<uint32_t>(ride.board.value())]
              .station();
    }
    std::reverse(journey.rides.begin(), journey.rides.end());
    return journey;
  }

  const TimetableDb& tables_;
  const TrainRuns& runs_;
  const StationBoard& board_;
  const int32_t origin_;
  const int32_t destination_;
  const int32_t stations_;  // labelled: those a stop record can name
  const int32_t rounds_;    // the most rides
  const int32_t change_;

  std::vector<OriginDeparture> departures_;
  std::vector<std::size_t> groups_;  // where each minute's departures begin, and the end

  std::vector<int64_t> labels_;    // by round, then station
  std::vector<uint32_t> parents_;  // likewise
  std::array<bool, kMostRides + 1> reached_{};
  std::vector<uint8_t> marked_;    // by station: improved in this round
  std::vector<int64_t> previous_;  // by station: its label before that
  std::vector<int32_t> improved_;
  std::vector<int32_t> improvedBefore_;
  std::vector<uint8_t> fromStop_;  // by train: first stop to scan, or kNotQueued
  // By train: the last stop at which it can be left at the destination, or 0.
  std::vector<uint8_t> destinationStop_;
  std::vector<int32_t> queued_;
};

// The first chunk of departure minutes searched for `limit` journeys.
std::size_t firstChunkFor(int32_t limit) { return 4 * static_cast<std::size_t>(limit) + 8; }

}  // namespace

std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request,
                                    std::size_t firstChunk) {
  ProfileSearch search(db, origin, destination, request);
  std::vector<Journey> journeys;
  const std::size_t groups = search.groupCount();
  if (request.limit == 0) {
    search.search(0, groups, journeys);
    return journeys;
  }
  const auto limit = static_cast<std::size_t>(request.limit);
  for (std::size_t begin = 0, size = firstChunk > 0 ? firstChunk : firstChunkFor(request.limit);
       begin < groups && journeys.size() < limit; size *= 2) {
    const std::size_t end = std::min(groups, begin + size);
    search.search(begin, end, journeys);
    begin = end;
  }
  if (journeys.size() > limit) journeys.resize(limit);
  return journeys;
}

}  // namespace murlo
