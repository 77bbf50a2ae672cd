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
// paretoJourneys with a limit takes the departures in chunks of time from
// the earliest: one iteration with all departures after the chunk at once
// gives the destination the labels that a search of the whole day would give
// it there (and every other station bounds no worse than none), then the
// chunk's own minutes, latest first. Chunks double in length until enough
// journeys are found; journeys from a chunk depart before any later chunk's.
//
// Pruning, besides the labels: an arrival elsewhere than at the destination
// is kept only while one more ride may beat the destination's label of one
// more ride (a ride takes the change time at least, and in the round before
// the last it must be one of the rides that reach the destination, whose
// times are known: see findOneRideTimes); the last round follows only the
// trains to the destination, the one before only as far as a station with a
// ride there. A train is followed from a station improved in a round only
// when its next departure there comes before the next one from the label
// replaced: the later ones were followed when that label was set.
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

// Minutes fit 32 bits: a kept train has at most 100 stops and a step of at
// most 6588 minutes (fields read -549 to 6039), so eight rides with their
// waits span less than six million minutes.
constexpr int32_t kNever = INT32_MAX / 4;
constexpr int32_t kMostRides = 8;
constexpr uint8_t kNotQueued = 0xFF;
constexpr uint8_t kUnknown = 0xFF;

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

constexpr int32_t dayMinute(int32_t minute) {
  const int32_t m = minute % kMinutesPerDay;
  return m < 0 ? m + kMinutesPerDay : m;
}

// A run that leaves the origin in the window.
struct OriginDeparture {
  int32_t minute;  // absolute departure, in [after, after + 1440)
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
      if (last == 0) destinationTrains_.push_back(train.value());
      last = static_cast<uint8_t>(std::max<int32_t>(last, stop));
    }
    findOneRideTimes();
  }

  // Distinct departure minutes.
  std::size_t groupCount() const { return groups_.empty() ? 0 : groups_.size() - 1; }
  // The first of them at or after absolute minute `minute` (groupCount()
  // when none).
  std::size_t groupFrom(int32_t minute) const {
    std::size_t g = 0;
    while (g < groupCount() && departures_[groups_[g]].minute < minute) ++g;
    return g;
  }
  // Whether no train can be left at the destination at all.
  bool destinationUnreached() const { return destinationTrains_.empty(); }

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
  // Round by round: a round reads the labels of the round before and writes
  // its own, two arrays of four bytes a station.
  std::size_t at(int32_t round, int32_t station) const {
    return static_cast<std::size_t>(round) * static_cast<std::size_t>(stations_) +
           static_cast<std::size_t>(station);
  }
  int32_t& label(int32_t round, int32_t station) { return labels_[at(round, station)]; }
  uint32_t& parent(int32_t round, int32_t station) { return parents_[at(round, station)]; }
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
      const int32_t minute = after + dayMinute(BoardKey::minute(key) - after);
      departures_.push_back(OriginDeparture{minute, train, stop.value()});
    }
    for (std::size_t i = 0; i < departures_.size(); ++i) {
      if (i == 0 || departures_[i].minute != departures_[i - 1].minute) groups_.push_back(i);
    }
    if (!groups_.empty()) groups_.push_back(departures_.size());
  }

  // The least time from an arrival at each station to the destination by
  // one more ride, waits aside but for the change time: the trains there that
  // can be left at the destination, each ride's time added up backwards from
  // its arrival there. Rides are never shorter than 0 minutes, so this is a
  // bound no such journey beats.
  void findOneRideTimes() {
    oneRide_.assign(static_cast<std::size_t>(stations_), kNever);
    usefulUntil_.assign(static_cast<std::size_t>(runs_.trainCount()), kUnknown);
    for (const int32_t t : destinationTrains_) {
      const TrainRuns::Stop* stops = runs_.stops() + runs_.train(TrainIndex(t)).first;
      int32_t after = 0;  // from the arrival at stop k + 1 to the destination
      for (int32_t k = destinationStop_[static_cast<std::size_t>(t)] - 1; k >= 0; --k) {
        // A train calling twice there: the first call is reached soonest (a
        // ride between two times of day never lasts less than 0 minutes).
        if (stops[k + 1].canLeave() && stops[k + 1].station() == destination_) after = 0;
        if (stops[k].canBoard()) {
          int32_t& best = oneRide_[static_cast<std::size_t>(stops[k].station())];
          best = std::min(best,
                          change_ + stepMinutes(stops[k].departure, stops[k + 1].arrival) + after);
        }
        after += stepMinutes(stops[k].arrival, stops[k + 1].arrival);
      }
    }
  }

  // The last stop of `train` worth reaching in the round before the last: one
  // where it can be left at the destination or at a station with a ride to it
  // (0 when there is none). Found when first needed.
  int32_t usefulUntil(TrainIndex train) {
    uint8_t& until = usefulUntil_[train.slot()];
    if (until == kUnknown) {
      const TrainRuns::Train& run = runs_.train(train);
      const TrainRuns::Stop* stops = runs_.stops() + run.first;
      until = 0;
      for (int32_t m = run.stops - 1; m > 0 && until == 0; --m) {
        if (stops[m].canLeave() &&
            (stops[m].station() == destination_ ||
             oneRide_[static_cast<std::size_t>(stops[m].station())] < kNever)) {
          until = static_cast<uint8_t>(m);
        }
      }
    }
    return until;
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
    int32_t minute = departure.minute;  // at stop m - 1, then at stop m
    for (int32_t m = departure.stop + 1; m < run.stops; ++m) {
      minute += m == departure.stop + 1 ? stepMinutes(stops[m - 1].departure, stops[m].arrival)
                                        : stepMinutes(stops[m - 1].arrival, stops[m].arrival);
      if (stops[m].canLeave()) {
        arrive(1, stops[m].station(), minute, rideCode(departure.train, departure.stop, m));
      }
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
    const int32_t bound = label(round, destination_);
    const bool last = round == rounds_;
    const bool nextToLast = round + 1 == rounds_;
    for (const int32_t s : improvedBefore_) {
      const int32_t ready = label(round - 1, s) + change_;
      if (ready >= bound) continue;  // every ride from here arrives too late
      const int32_t before = previous_[static_cast<std::size_t>(s)];
      const int32_t covered = before >= kNever ? kNever : before + change_;
      const std::span<const uint32_t> keys = board_.calls(StationIndex(s));
      // The keys from the first departure at or after `ready` on, in the
      // order of their next departure, up to the first `covered` reaches.
      const bool whole = covered - ready >= kMinutesPerDay;
      const auto readyMinute = static_cast<int32_t>(whole ? 0 : dayMinute(ready));
      std::size_t k =
          whole
              ? 0
              : static_cast<std::size_t>(
                    std::lower_bound(keys.begin(), keys.end(),
                                     BoardKey::make(readyMinute, TrainIndex(0), StopPosition(0))) -
                    keys.begin());
      for (std::size_t n = 0; n < keys.size(); ++n, ++k) {
        if (k == keys.size()) k = 0;
        const uint32_t key = keys[k];
        if (!whole) {
          int32_t wait = BoardKey::minute(key) - readyMinute;
          if (wait < 0) wait += kMinutesPerDay;
          if (ready + wait >= covered) break;
        }
        // Every key names a train of the runs; a stop it cannot be boarded
        // at (only in a corrupt file) is skipped by the scan.
        const TrainIndex train = BoardKey::train(key);
        const int32_t stop = BoardKey::stop(key).value();
        if (last && destinationStop_[train.slot()] <= stop) continue;
        if (nextToLast && usefulUntil(train) <= stop) continue;
        uint8_t& from = fromStop_[train.slot()];
        if (from == kNotQueued) queued_.push_back(train.value());
        from = static_cast<uint8_t>(std::min<int32_t>(from, stop));
      }
    }

    for (std::size_t q = 0; q < queued_.size(); ++q) {
      // The trains' stops lie apart: the next but one is fetched meanwhile.
      if (q + 2 < queued_.size()) prefetchStops(queued_[q + 2]);
      const int32_t t = queued_[q];
      uint8_t& from = fromStop_[static_cast<std::size_t>(t)];
      scanTrain(round, TrainIndex(t), from, last);
      from = kNotQueued;
    }
    queued_.clear();
  }

  void prefetchStops(int32_t train) const {
#if defined(__GNUC__)
    __builtin_prefetch(runs_.stops() + runs_.train(TrainIndex(train)).first +
                       fromStop_[static_cast<std::size_t>(train)]);
#else
    static_cast<void>(train);
#endif
  }

  // Follows `train` from stop `from` on, boarding with the labels of the
  // round before; in the last round only to the destination.
  void scanTrain(int32_t round, TrainIndex train, int32_t from, bool last) {
    const TrainRuns::Train& run = runs_.train(train);
    const TrainRuns::Stop* stops = runs_.stops() + run.first;
    const int32_t end = last                   ? destinationStop_[train.slot()] + 1
                        : round + 1 == rounds_ ? usefulUntil(train) + 1
                                               : run.stops;
    const int32_t bound = label(round, destination_);
    int32_t here = kNever;  // the arrival at stop m of the run caught so far
    int32_t boardedAt = 0;
    for (int32_t m = from; m < end; ++m) {
      const TrainRuns::Stop& stop = stops[m];
      if (here < kNever && stop.canLeave() && (!last || stop.station() == destination_)) {
        arrive(round, stop.station(), here, rideCode(train, boardedAt, m));
      }
      if (m + 1 == end) break;
      int32_t next =
          here < kNever ? here + stepMinutes(stop.arrival, stops[m + 1].arrival) : kNever;
      if (stop.canBoard()) {
        const int32_t ready = label(round - 1, stop.station()) + change_;
        if (ready < bound) {
          // The earliest run that departs here at or after `ready`. All runs
          // depart here whole days apart, the one caught so far at
          // next - step among them.
          const int32_t step = stepMinutes(stop.departure, stops[m + 1].arrival);
          if (next >= kNever) {
            next = ready + dayMinute(stop.departure - ready) + step;
            boardedAt = m;
          } else if (const int32_t departs = next - step; ready <= departs - kMinutesPerDay) {
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
  void arrive(int32_t round, int32_t station, int32_t minute, uint32_t how) {
    int32_t& here = label(round, station);
    if (minute >= here || minute >= label(round, destination_)) return;
    // Anywhere else, only while one more ride may still beat the
    // destination's label of one more ride: it takes at least the change
    // time, and in the round before the last it must be one of the rides to
    // the destination (none in the last round).
    if (station != destination_) {
      if (round == rounds_) return;
      const int32_t toGo =
          round + 1 == rounds_ ? oneRide_[static_cast<std::size_t>(station)] : change_;
      if (toGo >= kNever || minute + toGo >= label(round + 1, destination_)) return;
    }
    const int32_t before = here;
    here = minute;
    parent(round, station) = how;
    for (int32_t above = round + 1; above <= rounds_; ++above) {
      int32_t& copy = label(above, station);
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
  Journey journeyTo(int32_t round, int32_t departure) {
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

  std::vector<int32_t> labels_;    // by round, then station
  std::vector<uint32_t> parents_;  // likewise
  std::array<bool, kMostRides + 1> reached_{};
  std::vector<uint8_t> marked_;    // by station: improved in this round
  std::vector<int32_t> previous_;  // by station: its label before that
  std::vector<int32_t> improved_;
  std::vector<int32_t> improvedBefore_;
  std::vector<uint8_t> fromStop_;  // by train: first stop to scan, or kNotQueued
  // By train: the last stop at which it can be left at the destination, or 0.
  std::vector<uint8_t> destinationStop_;
  std::vector<int32_t> destinationTrains_;  // those with one
  std::vector<int32_t> oneRide_;            // by station: see findOneRideTimes
  std::vector<uint8_t> usefulUntil_;        // by train: see usefulUntil, or kUnknown
  std::vector<int32_t> queued_;
};

}  // namespace

std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request,
                                    std::size_t firstChunk) {
  ProfileSearch search(db, origin, destination, request);
  std::vector<Journey> journeys;
  const std::size_t groups = search.groupCount();
  if (search.destinationUnreached()) return journeys;
  if (request.limit == 0) {
    search.search(0, groups, journeys);
    return journeys;
  }
  const auto limit = static_cast<std::size_t>(request.limit);
  if (firstChunk > 0) {
    for (std::size_t begin = 0, size = firstChunk; begin < groups && journeys.size() < limit;
         size *= 2) {
      const std::size_t end = std::min(groups, begin + size);
      search.search(begin, end, journeys);
      begin = end;
    }
  } else {
    // Chunks of time: trains of every kind run through the day, so the
    // journeys worth taking come at a rate that depends little on how busy
    // the origin is. The first chunk lasts an hour per journey asked for and
    // one more.
    const int32_t end = request.afterMinute + kMinutesPerDay;
    std::size_t begin = 0;
    for (int32_t from = request.afterMinute,
                 span = static_cast<int32_t>(
                     std::min<int64_t>(60 * (int64_t{request.limit} + 1), kMinutesPerDay));
         begin < groups && journeys.size() < limit; span = std::min(2 * span, kMinutesPerDay)) {
      from = std::min(end, from + span);
      const std::size_t until = search.groupFrom(from);
      if (until == begin) continue;
      search.search(begin, until, journeys);
      begin = until;
    }
  }
  if (journeys.size() > limit) journeys.resize(limit);
  return journeys;
}

}  // namespace murlo
