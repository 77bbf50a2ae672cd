// The rounds of the profile search.
//
// One iteration takes the departures of one minute d. Round 1 follows each
// train boarded at the origin at d; round r > 1 follows every train that
// leaves a station improved in round r - 1, from its first such stop on,
// keeping the earliest run it can catch at any stop so far (a day's runs
// never overtake one another) and boarding with the minimum change time. An
// arrival is kept only when it beats the station's label and passes the
// cuts of profile_pruning.h. When round r improves the destination, the
// journey it found (d, that arrival, r rides) beats every later departure
// with at most r rides and every journey with fewer rides from d on, which
// is exactly when its triple is not dominated; its rides are read back
// through the labels, all set in this iteration (journey_readback.h).
//
// paretoJourneys with a limit takes the departures in chunks of time from
// the earliest: one iteration with all departures after the chunk at once
// gives the destination the labels that a search of the whole day would give
// it there (and every other station bounds no worse than none), then the
// chunk's own minutes, latest first. Chunks double in length until enough
// journeys are found; journeys from a chunk depart before any later chunk's.
#include "query/profile_search.h"

#include <algorithm>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "query/journey_readback.h"
#include "query/station_board.h"
#include "query/train_runs.h"

namespace murlo {

ProfileSearch::ProfileSearch(const LoadedDatabase& db, StationIndex origin,
                             StationIndex destination, const JourneyRequest& request)
    : runs_(db.trainRuns()),
      board_(db.departureBoard()),
      origin_(origin),
      destination_(destination),
      stations_(std::min(db.tables().stationCount(), kMaxStations)),
      rounds_(request.maxChanges + 1),
      change_(request.minChangeMinutes) {
  const StationIndex labelled(stations_);
  if (origin >= labelled || destination >= labelled) return;
  departures_ = OriginDepartures(board_, runs_, origin, request.afterMinute);
  if (departures_.groupCount() == 0) return;
  state_.size(rounds_, stations_, runs_.trainCount());
  pruning_.prepare(db.tables(), runs_, destination_, stations_, rounds_, change_);
}

void ProfileSearch::search(std::size_t first, std::size_t last, std::vector<Journey>& out) {
  const std::size_t groups = departures_.groupCount();
  state_.clearLabels();
  if (last < groups) iterate(departures_.of(last, groups), nullptr);
  const std::size_t begin = out.size();
  for (std::size_t g = last; g-- > first;) iterate(departures_.of(g, g + 1), &out);
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(),
            [](const Journey& a, const Journey& b) {
              if (a.departure != b.departure) return a.departure < b.departure;
              if (a.arrival != b.arrival) return a.arrival < b.arrival;
              return a.rides.size() < b.rides.size();
            });
}

// One iteration: the rounds from `departures` (one minute's, or every later
// one at once), appending the journeys found to `out` when given.
inline void ProfileSearch::iterate(std::span<const OriginDeparture> departures,
                                   std::vector<Journey>* out) {
  state_.beginIteration();
  for (const OriginDeparture& departure : departures) firstRound(departure);
  state_.endRound();
  for (int32_t round = 2; round <= rounds_ && !state_.improvedBefore().empty(); ++round) {
    laterRound(round);
    state_.endRound();
  }
  state_.endIteration();
  if (out == nullptr) return;
  for (int32_t round = 1; round <= rounds_; ++round) {
    if (state_.reached(round)) {
      out->push_back(
          readJourneyBack(state_, runs_, destination_, round, departures.front().minute));
    }
  }
}

// Round 1: the run boarded at the origin, to every later stop it can be left
// at.
inline void ProfileSearch::firstRound(const OriginDeparture& departure) {
  const TrainRuns::Train& run = runs_.train(departure.train);
  const TrainRuns::RunStops stops = runs_.stopsOf(run);
  int32_t minute = departure.minute;  // at the stop before, then at this one
  // The first step runs from the departure, every later one from arrival to
  // arrival.
  int32_t stepFrom = stops[departure.stop].departure;
  for (StopPosition m = departure.stop.next(); m < run.end(); ++m) {
    const TrainRuns::Stop& stop = stops[m];
    // Back at the origin: the journey would depart from it again.
    if (atOrigin(stop)) break;
    minute += stepMinutes(stepFrom, stop.arrival);
    stepFrom = stop.arrival;
    if (stop.canLeave()) {
      arrive(1, stop.station(), minute, RideCode(departure.train, departure.stop, m));
    }
  }
}

// Round `round` > 1: the trains that can be boarded at a station improved in
// the round before, from the first such stop, as far as the cuts allow; then
// each of them scanned once.
inline void ProfileSearch::laterRound(int32_t round) {
  const int32_t bound = state_.arrival(round, destination_);
  const RoundReach reach = pruning_.reachOf(round);
  for (const StationIndex s : state_.improvedBefore()) {
    const int32_t ready = state_.arrival(round - 1, s) + change_;
    if (!ProfilePruning::mayBoard(ready, bound)) continue;
    const int32_t covered = pruning_.followedFrom(state_.labelBefore(s));
    const std::span<const uint32_t> keys = board_.calls(s);
    // The keys from the first departure at or after `ready` on, in the
    // order of their next departure, up to the first `covered` reaches.
    const bool whole = covered - ready >= kMinutesPerDay;
    const int32_t readyMinute = whole ? 0 : minuteOfDay(ready);
    std::size_t k =
        whole ? 0
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
      // Every key names a train of the runs; a stop it cannot be boarded at
      // (only in a corrupt file) is skipped by the scan.
      const TrainIndex train = BoardKey::train(key);
      const StopPosition stop = BoardKey::stop(key);
      if (pruning_.worthScanning(reach, train, stop)) state_.queue(train, stop);
    }
  }

  const std::vector<TrainIndex>& queued = state_.queued();
  for (std::size_t q = 0; q < queued.size(); ++q) {
    // The trains' stops lie apart: the next but one is fetched meanwhile.
    if (q + 2 < queued.size()) prefetchStops(queued[q + 2]);
    const TrainIndex train = queued[q];
    scanTrain(round, reach, train, state_.queuedFrom(train));
    state_.unqueue(train);
  }
  state_.clearQueue();
}

inline void ProfileSearch::prefetchStops(TrainIndex train) const {
#if defined(__GNUC__)
  __builtin_prefetch(runs_.stopsOf(runs_.train(train)).at(state_.queuedFrom(train)));
#else
  static_cast<void>(train);
#endif
}

// Follows `train` from stop `from` on, boarding with the labels of the round
// before, as far as the cuts of a round of `reach` allow.
inline void ProfileSearch::scanTrain(int32_t round, RoundReach reach, TrainIndex train,
                                     StopPosition from) {
  const TrainRuns::Train& run = runs_.train(train);
  const TrainRuns::RunStops stops = runs_.stopsOf(run);
  const StopPosition end = pruning_.scanEnd(reach, train, run);
  const int32_t bound = state_.arrival(round, destination_);
  int32_t here = kNever;  // the arrival at stop m of the run caught so far
  StopPosition boardedAt(0);
  // Stop m, and the one after it, side by side in memory.
  const TrainRuns::Stop* at = stops.at(from);
  for (StopPosition m = from; m < end; ++m, ++at) {
    const TrainRuns::Stop& stop = at[0];
    // A run that comes back to the origin is dropped there: the journey
    // would depart from the origin again.
    if (atOrigin(stop)) here = kNever;
    if (here < kNever && stop.canLeave() && pruning_.mayLeaveAt(reach, stop.station())) {
      arrive(round, stop.station(), here, RideCode(train, boardedAt, m));
    }
    if (m.next() == end) break;
    const TrainRuns::Stop& next = at[1];
    int32_t minute = here < kNever ? here + stepMinutes(stop.arrival, next.arrival) : kNever;
    if (stop.canBoard()) {
      const int32_t ready = state_.arrival(round - 1, stop.station()) + change_;
      if (ProfilePruning::mayBoard(ready, bound)) {
        // The earliest run that departs here at or after `ready`. All runs
        // depart here whole days apart, the one caught so far at
        // minute - step among them.
        const int32_t step = stepMinutes(stop.departure, next.arrival);
        if (minute >= kNever) {
          minute = ready + minuteOfDay(stop.departure - ready) + step;
          boardedAt = m;
        } else if (const int32_t departs = minute - step; ready <= departs - kMinutesPerDay) {
          minute = departs - kMinutesPerDay * ((departs - ready) / kMinutesPerDay) + step;
          boardedAt = m;
        }
      }
    }
    here = minute;
  }
}

// An arrival at `station` in `round`, reached as `how`: kept when it beats
// the station's label and passes the cuts, and copied up to the rounds above
// that it beats.
inline void ProfileSearch::arrive(int32_t round, StationIndex station, int32_t minute,
                                  RideCode how) {
  int32_t& here = state_.arrival(round, station);
  if (minute >= here || !pruning_.keepsArrival(round, station, minute, state_)) return;
  const int32_t before = here;
  here = minute;
  state_.how(round, station) = how;
  for (int32_t above = round + 1; above <= rounds_; ++above) {
    int32_t& copy = state_.arrival(above, station);
    if (minute >= copy) break;
    copy = minute;
    state_.how(above, station) = RideCode();
  }
  if (station == destination_) {
    state_.markReached(round);
  } else {
    state_.markImproved(station, before);
  }
}

std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request) {
  ProfileSearch search(db, origin, destination, request);
  std::vector<Journey> journeys;
  const std::size_t groups = search.departures().groupCount();
  if (search.destinationUnreached()) return journeys;
  if (request.limit == 0) {
    search.search(0, groups, journeys);
    return journeys;
  }
  // Chunks of time: trains of every kind run through the day, so the
  // journeys worth taking come at a rate that depends little on how busy the
  // origin is. The first chunk lasts an hour per journey asked for and one
  // more.
  const auto limit = static_cast<std::size_t>(request.limit);
  const int32_t end = request.afterMinute + kMinutesPerDay;
  std::size_t begin = 0;
  for (int32_t from = request.afterMinute, span = static_cast<int32_t>(std::min<int64_t>(
                                               60 * (int64_t{request.limit} + 1), kMinutesPerDay));
       begin < groups && journeys.size() < limit; span = std::min(2 * span, kMinutesPerDay)) {
    from = std::min(end, from + span);
    const std::size_t until = search.departures().groupFrom(from);
    if (until == begin) continue;
    search.search(begin, until, journeys);
    begin = until;
  }
  if (journeys.size() > limit) journeys.resize(limit);
  return journeys;
}

}  // namespace murlo
