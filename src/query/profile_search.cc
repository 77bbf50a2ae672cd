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
//
// Where a journey may take one ride, or two (the bounds tell which), that
// iteration starts with the destination's labels at a cap, as a question
// arriving by it does: the chunk's journeys then found are those of the
// search without it that arrive before the cap, and none arrives later
// where a later departure arrives before the cap with that fewest number
// of rides: that journey beats every such one. The cap is the first later
// departure and two hours; where the round of the fewest rides ends with
// the cap unbeaten, the iteration is given up and made again with the
// window doubled, up to 16 hours, then with no cap. (Journeys of three rides
// or more are left without: they take long enough that the windows cost
// more than they spare.)
#include "query/profile_search.h"

#include <algorithm>
#include <iterator>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "query/journey_readback.h"
#include "query/station_board.h"
#include "query/train_runs.h"

namespace murlo {

ProfileSearch::ProfileSearch(const LoadedDatabase& db, std::span<const StationIndex> origins,
                             std::span<const StationIndex> destinations,
                             const JourneyRequest& request)
    : runs_(db.trainRuns()),
      board_(db.departureBoard()),
      stations_(db.tables().indexableStations()),
      rounds_(request.maxChanges + 1),
      changes_(db.networkChanges(), request),
      destination_(destinations.front().value()) {
  const StationIndex labelled(stations_);
  const auto outside = [labelled](StationIndex s) { return s < StationIndex(0) || s >= labelled; };
  if (std::any_of(origins.begin(), origins.end(), outside) ||
      std::any_of(destinations.begin(), destinations.end(), outside)) {
    return;
  }
  roles_.assign(static_cast<std::size_t>(stations_), 0);
  if (!changes_.general()) {
    const std::span<const uint8_t> left = changes_.leftUnlabelledByStation();
    for (std::size_t s = 0; s < roles_.size() && s < left.size(); ++s) {
      roles_[s] = static_cast<uint8_t>(left[s] * kLeftUnlabelled);
    }
  }
  oneEach_ = origins.size() == 1 && destinations.size() == 1;
  oneDestination_ = destinations.size() == 1;
  plainChange_ = changes_.general() ? changes_.atStation(StationIndex(0)) : 0;
  origin_ = origins.front();
  for (const StationIndex s : origins) roles_[s.slot()] |= kOriginMember;
  for (const StationIndex s : destinations) roles_[s.slot()] |= kDestinationMember;
  QueryStatus dateStatus = QueryStatus::kOk;  // the planner has checked the date
  days_ = RunDays(db.tables(), request.date, dateStatus);
  days_.keepNearDays();
  windowStart_ = request.windowStart();
  departures_ = OriginDepartures(board_, runs_, origins, windowStart_, days_);
  // Arriving by t: no label at the destination is later than t.
  if (request.time == JourneyTime::kArriveBy) arriveBy_ = request.afterMinute + 1;
  if (departures_.groupCount() == 0) return;
  keyHints_.assign(static_cast<std::size_t>(stations_), 0);
  state_.size(rounds_, stations_ + changes_.arrivingLabelCount(), stations_, runs_.trainCount(),
              changes_.general() ? changes_.atStation(StationIndex(0)) : -1);
  pruning_.prepare(db.tables(), runs_, board_, db.rideHops(), changes_, roles_, destinations,
                   rounds_);
  for (const StationIndex s : origins) {
    directFromOrigin_ = directFromOrigin_ || pruning_.rideReaches(s);
  }
  if (!days_.everyDay())
    earliestRun_.assign(static_cast<std::size_t>(runs_.trainCount()), kUnknownRun);
  if (changes_.arrivingLabelCount() > 0) {
    ownStart_.assign(static_cast<std::size_t>(runs_.trainCount()), -1);
  }
}

void ProfileSearch::search(std::size_t first, std::size_t last, std::vector<Journey>& out) {
  const std::size_t groups = departures_.groupCount();
  if (last < groups) {
    // The later departures' iteration gives the destination's labels; a cap
    // on them spares it following every departure of the rest of the day in
    // its early rounds, where a journey of one or two rides arrives before
    // it (see the top of this file).
    const std::span<const OriginDeparture> later = departures_.of(last, groups);
    const int32_t fewest = rounds_ >= 2 ? fewestRides() : 0;
    for (int32_t attempt = 0;; ++attempt) {
      const int32_t cap = fewest <= 2 ? capAfter(later.front().minute, attempt) : arriveBy_;
      startLabels(cap);
      if (cap >= arriveBy_) {
        iterate(later, nullptr);
        break;
      }
      // (Given up as soon as the round of the fewest rides is over with the
      // cap unbeaten.)
      if (iterate(later, nullptr, fewest, cap)) break;
    }
  } else {
    startLabels(arriveBy_);
  }
  const std::size_t begin = out.size();
  for (std::size_t g = last; g-- > first;) iterate(departures_.of(g, g + 1), &out);
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(begin), out.end(),
            [](const Journey& a, const Journey& b) {
              if (a.departure != b.departure) return a.departure < b.departure;
              if (a.arrival != b.arrival) return a.arrival < b.arrival;
              return a.rides.size() < b.rides.size();
            });
}

void ProfileSearch::startLabels(int32_t destinationLabel) {
  state_.clearLabels();
  for (int32_t round = 1; round <= rounds_; ++round)
    state_.arrival(round, destination_) = destinationLabel;
}

// The cap on the destination's labels for the later departures' iteration,
// attempt `attempt` (from 0): their first minute, `firstLater`, and two
// hours, the window doubled at each attempt; after kCapAttempts (16 hours),
// none (arriveBy_, also where lower, and where one round makes a cap not
// worth it).
int32_t ProfileSearch::capAfter(int32_t firstLater, int32_t attempt) const {
  if (rounds_ < 2 || attempt >= kCapAttempts) return arriveBy_;
  const int64_t window = int64_t{kFirstCapWindow} << attempt;
  return static_cast<int32_t>(std::min<int64_t>(firstLater + window, arriveBy_));
}

// The fewest rides a journey may take where the bounds tell it cheaply: one
// where a train from the origin reaches the destination, two where one
// reaches a station from which a change and a ride do; else 3 (three or
// more).
int32_t ProfileSearch::fewestRides() {
  if (fewestRides_ > 0) return fewestRides_;
  fewestRides_ = directFromOrigin_ ? 1 : 3;
  for (const OriginDeparture& d : departures_.of(0, departures_.groupCount())) {
    if (fewestRides_ < 3) break;
    const TrainRuns::Train& run = runs_.train(d.train);
    const TrainRuns::RunStops stops = runs_.stopsOf(run);
    for (StopPosition m = d.stop.next(); m < run.end(); ++m) {
      if (stops[m].canLeave() && pruning_.oneRideOnReaches(stops[m].station())) {
        fewestRides_ = 2;
        break;
      }
    }
  }
  return fewestRides_;
}

// One iteration: the rounds from `departures` (one minute's, or every later
// one at once), appending the journeys found to `out` when given.
inline bool ProfileSearch::iterate(std::span<const OriginDeparture> departures,
                                   std::vector<Journey>* out, int32_t giveUpRound,
                                   int32_t giveUpLabel) {
  state_.beginIteration();
  for (const OriginDeparture& departure : departures) firstRound(departure);
  // (The destination's label of a round is final once the round is over,
  // or once no round follows.)
  const auto holds = [&] {
    return giveUpRound == 0 || state_.arrival(giveUpRound, destination_) < giveUpLabel;
  };
  bool going = giveUpRound != 1 || holds();
  if (going && rounds_ > 1) readyAfter(1);
  state_.endRound();
  for (int32_t round = 2;
       going && round <= rounds_ && (!state_.readiedBefore().empty() || !state_.queued().empty());
       ++round) {
    if (changes_.general()) {
      laterRound<false>(round);
    } else {
      laterRound<true>(round);
    }
    going = giveUpRound != round || holds();
    if (going && round < rounds_) readyAfter(round);
    state_.endRound();
  }
  state_.endIteration();
  const bool completed = going && holds();
  if (out == nullptr) return completed;
  for (int32_t round = 1; round <= rounds_; ++round) {
    if (!state_.reached(round)) continue;
    Journey journey =
        readJourneyBack(state_, runs_, destination_, round, departures.front().minute);
    if (!comesBack(runs_, roles_, journey)) out->push_back(std::move(journey));
  }
  return completed;
}

// Round 1: the run boarded at the origin, to every later stop it can be left
// at, as far as it stays away from the origin.
inline void ProfileSearch::firstRound(const OriginDeparture& departure) {
  const TrainRuns::Train& run = runs_.train(departure.train);
  const TrainRuns::RunStops stops = runs_.stopsOf(run);
  const bool named = changes_.namesArriving(departure.train);
  const NodeIndex origin(stops[departure.stop].station().value());
  int32_t minute = departure.minute;  // at the stop before, then at this one
  // The first step runs from the departure, every later one from arrival to
  // arrival.
  int32_t stepFrom = stops[departure.stop].departure;
  // (Where more rides may follow, the run is followed only while it may
  // still beat the destination's label: see scanTrain.)
  const int32_t bound = rounds_ > 1 ? state_.arrival(1, destination_) : kNever;
  const int32_t boundAbove = rounds_ > 1 ? state_.arrival(2, destination_) : kNever;
  const bool steady = rounds_ > 1 && pruning_.steady(departure.train);
  for (StopPosition m = departure.stop.next(); m < run.end(); ++m) {
    const TrainRuns::Stop& stop = stops[m];
    const uint8_t role = roleOf(stop.station());
    // Back at the origin: the journey would depart from it again.
    if (atOrigin(stop, role)) break;
    minute += stepMinutes(stepFrom, stop.arrival);
    stepFrom = stop.arrival;
    if (steady && (stop.canBoard() || stop.canLeave()) &&
        pruning_.leadsNowhere(departure.train, m, stop.station(), minute, bound, boundAbove)) {
      break;
    }
    if (stop.canLeave()) {
      const NodeIndex node = nodeOf(departure.train, named, stop.station(), role);
      const Ride how{departure.train, departure.stop, m};
      if (changes_.general()) {
        arrive<false>(1, state_.arrivalsOf(1), node, stop.station(), minute, how, origin, origin_);
      } else {
        arrive<true>(1, state_.arrivalsOf(1), node, stop.station(), minute, how, origin, origin_);
      }
    }
  }
}

// After round `round`: the ready times its improved labels give the
// stations their changes reach, the trains named as boarded there queued,
// and the boardings from trains' own labels.
inline void ProfileSearch::readyAfter(int32_t round) {
  if (changes_.general()) {
    // Every change at one station: the ready times follow from the labels.
    for (const NodeIndex node : state_.improved()) {
      state_.markReadied(StationIndex(node.value()), state_.labelBefore(node));
    }
    return;
  }
  for (const NodeIndex node : state_.improved()) {
    const int32_t label = state_.arrival(round, node);
    if (node.value() < stations_) {
      const StationIndex a(node.value());
      if (const int32_t here = changes_.atStation(a); here != kNoChange) {
        state_.improveReady(round, rounds_, a, label + here, node);
      }
      for (const ChangeRules::Walk& walk : changes_.walksFrom(a)) {
        if (boardsNever(walk.to)) continue;
        state_.improveReady(round, rounds_, walk.to, label + changes_.walkMinutes(walk), node);
      }
      for (const ChangeRules::NamedBoarding& named : changes_.namedBoardingsFrom(a)) {
        state_.queue(named.train, named.stop);
      }
      continue;
    }
    // A train's own label: each train at each station its changes reach, by
    // its own minutes.
    const int32_t own = node.value() - stations_;
    const StationIndex a = changes_.arrivingStation(own);
    const TrainIndex arrived = changes_.arrivingTrain(own);
    for (const StationIndex b : changes_.reachFrom(a)) {
      if (boardsNever(b)) continue;
      for (const BoardKeyBits key : board_.calls(b)) {
        const TrainIndex train = BoardKey::train(key);
        const StopPosition stop = BoardKey::stop(key);
        if (!runs_.canBoard(train, stop)) continue;
        const int32_t minutes = changes_.minutes(a, b, arrived, train);
        if (minutes == kNoChange) continue;
        own_.push_back(OwnBoarding{train, stop, label + minutes, node});
        state_.queue(train, stop);
      }
    }
  }
  if (own_.empty()) return;
  std::sort(own_.begin(), own_.end(), [](const OwnBoarding& x, const OwnBoarding& y) {
    return x.train != y.train ? x.train < y.train : x.stop < y.stop;
  });
  for (std::size_t i = own_.size(); i-- > 0;) {
    ownStart_[own_[i].train.slot()] = static_cast<int32_t>(i);
  }
}

// Round `round` > 1: the trains that can be boarded at a station whose ready
// time improved in the round before, from the first such stop, as far as
// the cuts allow, and those queued by the changes; then each of them
// scanned once.
template <bool kRules>
inline void ProfileSearch::laterRound(int32_t round) {
  const int32_t bound = state_.arrival(round, destination_);
  const RoundReach reach = pruning_.reachOf(round);
  // The destination's label of one more ride.
  const int32_t boundAbove =
      round < rounds_ ? state_.arrival(round + 1, destination_) : kNoRideMore;
  for (const StationIndex s : state_.readiedBefore()) {
    const int32_t ready = state_.ready(round - 1, s);
    // (A departure from `limit` on is cut, as a ready time that late.)
    const int32_t limit = pruning_.boardingLimit(s, bound, boundAbove);
    if (ready >= limit) continue;
    const int32_t covered = ProfilePruning::followedFrom(state_.readyBefore(s));
    const std::span<const BoardKeyBits> keys = board_.calls(s);
    // The keys that depart in [ready, covered), in the order of their next
    // departure: all of them, or those from the minute of `ready` on, then
    // (past midnight) those from the day's start, each up to the minute of
    // `covered`.
    // (Found from where the station's last ready time was: its next is
    // near, and the covered minute near this one.)
    uint32_t& hint = keyHints_[s.slot()];
    const auto keyAt = [&keys, &hint](int32_t minute) { return firstKeyFrom(keys, minute, hint); };
    // (`dayStart`: the minute the keys' day begins, for their departures.)
    const auto follow = [&](std::size_t from, std::size_t to, int32_t dayStart) {
      const std::span<const BoardKeyBits> range = keys.subspan(from, to - from);
      switch (reach) {
        case RoundReach::kAnywhere:
          followKeys<RoundReach::kAnywhere>(range, dayStart, limit, bound, boundAbove);
          break;
        case RoundReach::kOneRideOn:
          followKeys<RoundReach::kOneRideOn>(range, dayStart, limit, bound, boundAbove);
          break;
        case RoundReach::kDestination:
          followKeys<RoundReach::kDestination>(range, dayStart, limit, bound, boundAbove);
          break;
      }
    };
    if (covered <= ready) continue;
    const int32_t readyMinute = minuteOfDay(ready);
    const int32_t today = ready - readyMinute;
    const std::size_t first = keyAt(readyMinute);
    hint = static_cast<uint32_t>(first);
    if (covered - ready >= kMinutesPerDay) {
      // (Those before the minute of `ready` depart the next day.)
      follow(0, first, today + kMinutesPerDay);
      follow(first, keys.size(), today);
      continue;
    }
    const int32_t coveredMinute = readyMinute + (covered - ready);  // below 2 days
    if (coveredMinute <= kMinutesPerDay) {
      follow(first, keyAt(coveredMinute), today);
    } else {
      follow(first, keys.size(), today);
      follow(0, keyAt(coveredMinute - kMinutesPerDay), today + kMinutesPerDay);
    }
  }

  switch (reach) {
    case RoundReach::kAnywhere: scanQueued<kRules, RoundReach::kAnywhere>(round); break;
    case RoundReach::kOneRideOn: scanQueued<kRules, RoundReach::kOneRideOn>(round); break;
    case RoundReach::kDestination: scanQueued<kRules, RoundReach::kDestination>(round); break;
  }
  state_.clearQueue();
  for (const OwnBoarding& boarding : own_) ownStart_[boarding.train.slot()] = -1;
  own_.clear();
}

// Every minute of the search is at or after the window's start. A run of
// service day s departs the stops of a span of day d on day s + d, so the
// first that can be caught departs on the first run from day (start's
// day) - d on, or the next one when that departs them all before the
// start, at the span's earliest minute or later.
int32_t ProfileSearch::findEarliestRun(TrainIndex train) const {
  const int32_t firstDay = runDayOf(windowStart_);
  const int32_t pattern = runs_.train(train).dayPattern();
  int64_t earliest = kNever;
  for (const TrainRuns::DepartureSpan& span : runs_.departureSpans(train)) {
    int32_t day = days_.firstRunFrom(train, firstDay - span.day, pattern);
    if (day != kNoRunDay && int64_t{day + span.day} * kMinutesPerDay + span.latest < windowStart_) {
      day = days_.firstRunFrom(train, day + 1, pattern);
    }
    if (day == kNoRunDay) continue;
    earliest = std::min(
        earliest,
        std::max<int64_t>(windowStart_, int64_t{day + span.day} * kMinutesPerDay + span.earliest));
  }
  return static_cast<int32_t>(earliest);
}

// Scans each train queued for round `round`, of `kReach`, once.
template <bool kRules, RoundReach kReach>
inline void ProfileSearch::scanQueued(int32_t round) {
  const std::vector<TrainIndex>& queued = state_.queued();
  const int32_t* const destinationLabel = &state_.arrivalsOf(round)[destination_.slot()];
  for (std::size_t q = 0; q < queued.size(); ++q) {
    // The trains' stops lie apart: the next but one is fetched meanwhile.
    if (q + 2 < queued.size()) prefetchStops(queued[q + 2]);
    if (q + 4 < queued.size()) prefetchEarliestRun(queued[q + 4]);
    const TrainIndex train = queued[q];
    if (!state_.queuedWithStop(train)) {
      // Every stop it was followed from was cut.
    } else if (runsNoneBefore(train, *destinationLabel)) {
      // Its every arrival would be later than the destination's label now,
      // and dropped: nothing a scan would do.
    } else if constexpr (!kRules) {
      scanTrain<ScanKind::kPlain>(round, kReach, train, state_.queuedFrom(train));
    } else if (changes_.namesArriving(train) || changes_.namesBoarding(train) ||
               (!own_.empty() && ownStart_[train.slot()] >= 0)) {
      scanNamedTrain(round, kReach, train, state_.queuedFrom(train));
    } else {
      scanTrain<ScanKind::kRules>(round, kReach, train, state_.queuedFrom(train));
    }
    state_.unqueue(train);
  }
}

// Queues the trains that depart a station as `keys` (at `dayStart` + each
// one's minute) as far as the cuts of a round of `kReach` allow (`limit`:
// the station's ProfilePruning::boardingLimit, `bound`: the destination's
// label of the round, `boundAbove` of one more ride): the keys from the
// limit on are not read. A stop cut after worthScanning keeps its train's
// place in the queue (ProfileState::keepPlace), so that the scans, and the
// rides kept where arrivals tie, come in much the order they did before
// the limit (which of an equal triple's journeys comes first can differ).
template <RoundReach kReach>
inline void ProfileSearch::followKeys(std::span<const BoardKeyBits> keys, int32_t dayStart,
                                      int32_t limit, int32_t bound, int32_t boundAbove) {
  for (const BoardKeyBits key : keys) {
    // (The keys depart in order: none from here on may board.)
    const int32_t departs = dayStart + BoardKey::minute(key);
    if (departs >= limit) break;
    // Every key names a train of the runs; a stop it cannot be boarded at
    // (only in a corrupt file) is skipped by the scan.
    const TrainIndex train = BoardKey::train(key);
    const StopPosition stop = BoardKey::stop(key);
    if (!pruning_.worthScanning(kReach, train, stop)) continue;
    if ((kReach == RoundReach::kOneRideOn &&
         !pruning_.mayArriveInTime(train, stop, departs, boundAbove)) ||
        (kReach == RoundReach::kDestination &&
         !pruning_.arrivesInTime(train, stop, departs, bound))) {
      state_.keepPlace(train);
      continue;
    }
    state_.queue(train, stop);
  }
}

// For a date, where the train's earliest run is kept (runsNoneBefore).
inline void ProfileSearch::prefetchEarliestRun(TrainIndex train) const {
#if defined(__GNUC__)
  if (!earliestRun_.empty()) __builtin_prefetch(&earliestRun_[train.slot()]);
#else
  static_cast<void>(train);
#endif
}

inline void ProfileSearch::prefetchStops(TrainIndex train) const {
#if defined(__GNUC__)
  if (state_.queuedWithStop(train)) {
    __builtin_prefetch(runs_.stopsOf(runs_.train(train)).at(state_.queuedFrom(train)));
  }
#else
  static_cast<void>(train);
#endif
}

// The ready time at `station` of `train`, which rules name as boarded there:
// the earliest of the labels of the round before that a change may come
// from, each with the minutes of its change to this train.
void ProfileSearch::namedReady(int32_t round, TrainIndex train, StationIndex station,
                               int32_t& ready, NodeIndex& source) const {
  ready = kNever;
  if (boardsNever(station)) return;
  for (const StationIndex a : changes_.reachTo(station)) {
    const int32_t label = state_.arrival(round - 1, NodeIndex(a.value()));
    if (label >= kNever) continue;
    const int32_t minutes = changes_.minutes(a, station, kAnyTrain, train);
    if (minutes != kNoChange && label + minutes < ready) {
      ready = label + minutes;
      source = NodeIndex(a.value());
    }
  }
}

// Follows `train` from stop `from` on, boarding with the ready times of the
// round before (and its own boardings), as far as the cuts of a round of
// `reach` allow and the run stays away from the origin.
template <ProfileSearch::ScanKind kKind>
MURLO_ALWAYS_INLINE void ProfileSearch::scanTrain(int32_t round, RoundReach reach, TrainIndex train,
                                                  StopPosition from) {
  constexpr bool kRules = kKind != ScanKind::kPlain;
  constexpr bool kNamed = kKind == ScanKind::kNamed;
  const TrainRuns::Train& run = runs_.train(train);
  const TrainRuns::RunStops stops = runs_.stopsOf(run);
  const StopPosition end = pruning_.scanEnd(reach, train, run);
  const int32_t bound = state_.arrival(round, destination_);
  const int32_t boundAbove =
      round < rounds_ ? state_.arrival(round + 1, destination_) : kNoRideMore;
  const bool namedArriving = kNamed && changes_.namesArriving(train);
  const bool namedBoarding = kNamed && changes_.namesBoarding(train);
  // This train's own boardings, by stop.
  const OwnBoarding* own = nullptr;
  if (kNamed && !own_.empty() && ownStart_[train.slot()] >= 0) {
    own = &own_[static_cast<std::size_t>(ownStart_[train.slot()])];
  }
  const OwnBoarding* const ownEnd = own_.data() + own_.size();
  int32_t* const arrivals = state_.arrivalsOf(round);
  // The ready times of the round before by station (without rules, the
  // labels, to which the change's minutes are added).
  const int32_t* const readies =
      kRules ? state_.keptReadiesOf(round - 1) : state_.arrivalsOf(round - 1);
  int32_t here = kNever;  // the arrival at stop m of the run caught so far
  // Where the run caught was boarded, and from which node (-1: the node of
  // the ready time there, read only when an arrival is kept). With the
  // network's rules, a run is boarded at the last stop it can be (where a
  // change walked to one stop, the traveller need not have left the
  // stations before it); without, at the first, as always. Where the
  // journey so boarded has left a station it comes to again, another
  // boarding may not have (arriveWhereLeft).
  StopPosition boardedAt(0);
  StationIndex boardedStation(-1);
  NodeIndex boardedSource(-1);
  // Past the last stop it was queued from, a stop boarded from a ready time
  // that did not improve in the round before boards nothing that was not
  // followed when that ready time was set; so once the run caught can no
  // longer beat the destination's label (its arrival and the fewest
  // minutes of rides from there only grow along the train), the scan ends.
  const StopPosition last = pruning_.steady(train) ? state_.queuedLast(train) : run.end();
  // Stop m, and the one after it, side by side in memory.
  const TrainRuns::Stop* at = stops.at(from);
  for (StopPosition m = from; m < end; ++m, ++at) {
    const TrainRuns::Stop& stop = at[0];
    if (m > last && (stop.canBoard() || stop.canLeave()) &&
        pruning_.leadsNowhere(train, m, stop.station(), here, bound, boundAbove)) {
      break;
    }
    // (Without rules both ends are one station each.)
    const uint8_t role =
        kRules ? roles_[stop.station().slot()]
               : static_cast<uint8_t>(
                     (stop.station() == origin_ ? kOriginMember : 0) |
                     (stop.station().value() == destination_.value() ? kDestinationMember : 0));
    // A run that comes back to the origin is dropped there: the journey
    // would depart from the origin again.
    if (atOrigin(stop, role)) here = kNever;
    if (here < kNever && stop.canLeave() && ProfilePruning::mayLeaveAt(reach, role)) {
      const NodeIndex node = nodeOf(train, namedArriving, stop.station(), role);
      if constexpr (!kRules) {
        // (Without rules no arrival where the run was boarded beats the
        // label it was boarded from.)
        arrive<false>(round, arrivals, node, stop.station(), here, Ride{train, boardedAt, m},
                      boardedSource, boardedStation);
      } else if ((role & kLeftUnlabelled) == 0) {
        // (No arrival at a station the journey left beats its label there.)
        if (stop.station() != boardedStation) {
          arrive<true>(round, arrivals, node, stop.station(), here, Ride{train, boardedAt, m},
                       boardedSource, boardedStation);
        }
      } else if (here < arrivals[node.slot()] &&
                 pruning_.keepsArrival(round, node, stop.station(), here, arrivals,
                                       state_.nodeCount())) {
        arriveWhereLeft(round, arrivals, node, train, from, m, here,
                        Boarding{boardedAt, boardedStation, boardedSource, 0});
      }
    }
    if (m.next() == end) break;
    const TrainRuns::Stop& next = at[1];
    int32_t minute = here < kNever ? here + stepMinutes(stop.arrival, next.arrival) : kNever;
    if (stop.canBoard()) {
      int32_t ready = readies[stop.station().slot()] + (kRules ? 0 : plainChange_);
      NodeIndex source(-1);  // -1: the ready time's own
      if (namedBoarding && changes_.namesBoardingAt(train, m)) {
        namedReady(round, train, stop.station(), ready, source);
      }
      for (; kNamed && own != nullptr && own != ownEnd && own->train == train && own->stop <= m;
           ++own) {
        if (own->stop == m && own->ready < ready) {
          ready = own->ready;
          source = own->from;
        }
      }
      if (pruning_.mayBoard(stop.station(), ready, bound, boundAbove)) {
        // The earliest run that departs here at or after `ready` (and, for
        // a date, runs). All runs depart here whole days apart, the one
        // caught so far at minute - step among them.
        const int32_t step = stepMinutes(stop.departure, next.arrival);
        const auto board = [&] {
          boardedAt = m;
          if constexpr (kRules) {
            boardedStation = stop.station();
            boardedSource = source;
          }
        };
        if (minute >= kNever) {
          const int32_t departs =
              firstRun(train, run, m, ready + minuteOfDay(stop.departure - ready));
          if (departs < kNever) {
            minute = departs + step;
            board();
          }
        } else if (const int32_t departs = minute - step,
                   earlier = ready <= departs - kMinutesPerDay
                                 ? firstRun(train, run, m,
                                            departs - kMinutesPerDay *
                                                          ((departs - ready) / kMinutesPerDay))
                                 : departs;
                   earlier < departs) {
          minute = earlier + step;
          board();
        } else if (kRules && ready <= departs) {
          board();
        }
      }
    }
    here = minute;
  }
}

// Whether the journey labelled at `node` in `round` has left `station`:
// alighted or boarded there (a walk's two ends, each change's), read back
// through the labels as journey_readback.h does.
bool ProfileSearch::hasLeft(int32_t round, NodeIndex node, StationIndex station) const {
  for (int32_t r = round; r >= 1;) {
    const StationIndex at = node.value() < stations_
                                ? StationIndex(node.value())
                                : changes_.arrivingStation(node.value() - stations_);
    if (at == station) return true;
    const RideCode how = state_.how(r, node);
    if (how.isCopy()) {
      --r;
      continue;
    }
    const Ride ride = how.ride();
    if (runs_.stopsOf(runs_.train(ride.train))[ride.board].station() == station) return true;
    node = state_.from(r, node);
    --r;
  }
  return false;
}

// An arrival at `node` by `train` at its stop `m`, at `minute` on the run
// caught as `latest`, at a station the journey may have left without its
// label showing it: from `latest` where its journey has not left the
// station; else from the stop scanned since `from` (and since the origin)
// that boards the earliest run from which the journey may alight there, the
// latest such stop among equals. Rare: the stops are scanned again.
void ProfileSearch::arriveWhereLeft(int32_t round, int32_t* arrivals, NodeIndex node,
                                    TrainIndex train, StopPosition from, StopPosition m,
                                    int32_t minute, Boarding latest) {
  const TrainRuns::Train& run = runs_.train(train);
  const TrainRuns::RunStops stops = runs_.stopsOf(run);
  const StationIndex station = stops[m].station();
  const auto leaves = [&](StationIndex boarded, NodeIndex source) {
    return boarded != station && !hasLeft(round - 1, sourceOf(round, boarded, source), station);
  };
  if (leaves(latest.station, latest.source)) {
    arrive<true>(round, arrivals, node, station, minute, Ride{train, latest.stop, m}, latest.source,
                 latest.station);
    return;
  }
  const int32_t* const readies = state_.keptReadiesOf(round - 1);
  const int32_t bound = state_.arrival(round, destination_);
  const int32_t boundAbove =
      round < rounds_ ? state_.arrival(round + 1, destination_) : kNoRideMore;
  int32_t best = kNever;
  Boarding chosen{};
  for (StopPosition k = from; k < m; ++k) {
    const TrainRuns::Stop& stop = stops[k];
    const uint8_t role = roles_[stop.station().slot()];
    if (atOrigin(stop, role)) best = kNever;
    if (!stop.canBoard() || boardsNever(stop.station())) continue;
    // The ready time as the scan takes it.
    int32_t ready = readies[stop.station().slot()];
    NodeIndex source(-1);
    if (changes_.namesBoarding(train) && changes_.namesBoardingAt(train, k)) {
      namedReady(round, train, stop.station(), ready, source);
    }
    if (!own_.empty() && ownStart_[train.slot()] >= 0) {
      for (auto o = own_.begin() + ownStart_[train.slot()]; o != own_.end() && o->train == train;
           ++o) {
        if (o->stop == k && o->ready < ready) {
          ready = o->ready;
          source = o->from;
        }
      }
    }
    if (!pruning_.mayBoard(stop.station(), ready, bound, boundAbove) ||
        !leaves(stop.station(), source)) {
      continue;
    }
    const int32_t departs = firstRun(train, run, k, ready + minuteOfDay(stop.departure - ready));
    if (departs >= kNever) continue;
    int32_t at = departs + stepMinutes(stop.departure, stops[k.next()].arrival);
    for (StopPosition j = k.next(); j < m; ++j) {
      at += stepMinutes(stops[j].arrival, stops[j.next()].arrival);
    }
    if (at <= best) {
      best = at;
      chosen = Boarding{k, stop.station(), source, ready};
    }
  }
  if (best < kNever) {
    arrive<true>(round, arrivals, node, station, best, Ride{train, chosen.stop, m}, chosen.source,
                 chosen.station);
  }
}

// A train that rules name, or with boardings of its own: scanned apart.
void ProfileSearch::scanNamedTrain(int32_t round, RoundReach reach, TrainIndex train,
                                   StopPosition from) {
  scanTrain<ScanKind::kNamed>(round, reach, train, from);
}

// An arrival at `node` (at `station`) in `round`, reached as `how` boarded
// at `boarded` from node `source` (-1: the node of the ready time there),
// that beats the node's label (arrive): kept when it passes the cuts, and
// copied up to the rounds above that it beats.
template <bool kRules>
void ProfileSearch::keepArrival(int32_t round, int32_t* arrivals, NodeIndex node,
                                StationIndex station, int32_t minute, Ride how, NodeIndex source,
                                StationIndex boarded) {
  int32_t& here = arrivals[node.slot()];
  if (!pruning_.keepsArrival(round, node, station, minute, arrivals, state_.nodeCount())) {
    return;
  }
  const int32_t before = here;
  here = minute;
  state_.how(round, node) = RideCode(how.train, how.board, how.alight);
  if constexpr (kRules) state_.setFrom(round, node, sourceOf(round, boarded, source));
  for (int32_t above = round + 1; above <= rounds_; ++above) {
    int32_t& copy = state_.arrival(above, node);
    if (minute >= copy) break;
    copy = minute;
    state_.how(above, node) = RideCode();
  }
  if (node == destination_) {
    state_.markReached(round);
  } else {
    state_.markImproved(node, before);
  }
}

bool ProfileSearch::runsADayLater(const Journey& journey) const {
  if (days_.everyDay()) return true;
  // The rides timed as the journey takes them (each on the first run from
  // the change on that runs), each run's next-day run asked for.
  int64_t now = journey.departure;
  StationIndex alighted(-1);
  TrainIndex arrivedBy(-1);
  for (std::size_t r = 0; r < journey.rides.size(); ++r) {
    const Ride& ride = journey.rides[r];
    const TrainRuns::Train& run = runs_.train(ride.train);
    const TrainRuns::RunStops stops = runs_.stopsOf(run);
    if (r > 0) {
      const int32_t minutes =
          changes_.minutes(alighted, stops[ride.board].station(), arrivedBy, ride.train);
      if (minutes == kNoChange) return false;
      const int64_t ready = now + minutes;
      const int64_t departs =
          ready + minuteOfDay(static_cast<int32_t>(stops[ride.board].departure - ready));
      now = days_.firstDepartureFrom(ride.train, runs_.departureDay(run, ride.board), departs);
      if (now == kNoRun) return false;
    }
    if (!days_.runs(ride.train, runDayOf(now) - runs_.departureDay(run, ride.board) + 1)) {
      return false;
    }
    int32_t stepFrom = stops[ride.board].departure;
    for (StopPosition m = ride.board.next(); m <= ride.alight; ++m) {
      now += stepMinutes(stepFrom, stops[m].arrival);
      stepFrom = stops[m].arrival;
    }
    alighted = stops[ride.alight].station();
    arrivedBy = ride.train;
  }
  return true;
}

void dropBeatenByTheNextDay(std::vector<Journey>& journeys) {
  dropBeatenByTheNextDay(journeys, [](const Journey&) { return true; });
}

void dropBeatenByTheNextDay(std::vector<Journey>& journeys,
                            const std::function<bool(const Journey&)>& runsADayLater) {
  std::vector<bool> later(journeys.size());
  for (std::size_t j = 0; j < journeys.size(); ++j) later[j] = runsADayLater(journeys[j]);
  std::vector<Journey> kept;
  kept.reserve(journeys.size());
  for (const Journey& journey : journeys) {
    bool beaten = false;
    for (std::size_t j = 0; j < journeys.size() && !beaten; ++j) {
      const Journey& other = journeys[j];
      beaten = later[j] && other.arrival + kMinutesPerDay <= journey.arrival &&
               other.rides.size() <= journey.rides.size();
    }
    if (!beaten) kept.push_back(journey);
  }
  journeys = std::move(kept);
}

std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request) {
  return paretoJourneys(db, std::span<const StationIndex>(&origin, 1),
                        std::span<const StationIndex>(&destination, 1), request);
}

std::vector<Journey> paretoJourneys(const LoadedDatabase& db, std::span<const StationIndex> origins,
                                    std::span<const StationIndex> destinations,
                                    const JourneyRequest& request) {
  ProfileSearch search(db, origins, destinations, request);
  std::vector<Journey> journeys;
  const std::size_t groups = search.departures().groupCount();
  if (search.destinationUnreached()) return journeys;
  if (request.limit == 0) {
    search.search(0, groups, journeys);
    if (request.time == JourneyTime::kDepartAfter) {
      dropBeatenByTheNextDay(journeys,
                             [&](const Journey& journey) { return search.runsADayLater(journey); });
    }
    return journeys;
  }
  const auto limit = static_cast<std::size_t>(request.limit);
  const auto firstSpan =
      static_cast<int32_t>(std::min<int64_t>(60 * (int64_t{request.limit} + 1), kMinutesPerDay));
  if (request.time != JourneyTime::kDepartAfter) {
    // The latest journeys: chunks of time back from t, each chunk's journeys
    // before those of the chunks after it.
    const int32_t start = request.windowStart();
    std::size_t until = groups;
    for (int32_t to = request.afterMinute, span = firstSpan; until > 0 && journeys.size() < limit;
         span = std::min(2 * span, kMinutesPerDay)) {
      to = std::max(start, to - span);
      const std::size_t begin = search.departures().groupFrom(to);
      if (begin == until) continue;
      std::vector<Journey> earlier;
      search.search(begin, until, earlier);
      journeys.insert(journeys.begin(), std::make_move_iterator(earlier.begin()),
                      std::make_move_iterator(earlier.end()));
      until = begin;
    }
    if (journeys.size() > limit) {
      journeys.erase(journeys.begin(),
                     journeys.begin() + static_cast<std::ptrdiff_t>(journeys.size() - limit));
    }
    return journeys;
  }
  // Chunks of time: trains of every kind run through the day, so the
  // journeys worth taking come at a rate that depends little on how busy the
  // origin is. The first chunk lasts an hour per journey asked for and one
  // more.
  const int32_t end = request.afterMinute + kMinutesPerDay;
  std::size_t begin = 0;
  for (int32_t from = request.afterMinute, span = firstSpan;
       begin < groups && journeys.size() < limit; span = std::min(2 * span, kMinutesPerDay)) {
    from = std::min(end, from + span);
    const std::size_t until = search.departures().groupFrom(from);
    if (until == begin) continue;
    search.search(begin, until, journeys);
    // A journey beaten by another's next-day run is beaten by one found by
    // now: a later one that arrives a day sooner beats it the same day.
    dropBeatenByTheNextDay(journeys,
                           [&](const Journey& journey) { return search.runsADayLater(journey); });
    begin = until;
  }
  if (journeys.size() > limit) journeys.resize(limit);
  return journeys;
}

}  // namespace murlo
