// The journeys worth taking between two stations over a day of departures.
//
// Every journey that departs in [after, after + 1440) and that no other such
// journey dominates: J dominates J' when J departs no earlier, arrives no
// later and has no more rides, and is strictly better in one of the three.
// One journey for each such (departure, arrival, rides) triple. Changes
// follow the network's rules (change_rules.h). The origin and the
// destination may each be several stations (a group's members): a journey
// departs from any of the origin's and ends at any of the destination's. A
// journey never comes back to its origin: no ride passes a call at one of
// its stations (its departure is its last from the origin), so none alights
// there. Nor does it alight at a station it has left (boarded or alighted
// at, a walk's two ends included): with the network's rules an arrival is
// kept only from a boarding of the train whose journey, read back through
// the labels, has not left the station, the latest stop of the run caught
// (else the earliest later run from another stop scanned); and a journey to
// one station never boards there (walking to the destination is not
// arriving). Labels remember the train arrived by only where a rule names
// it; a journey whose label at a station is beaten by one that has left a
// station it needs later is found where that station's earlier visit
// allows the same changes, which every rule but a transfer naming a train
// does.
//
// The search is round-based (round r finds the journeys of at most r rides)
// over the trains' runs (train_runs.h), with the departures from the origin
// taken from the latest to the earliest: what a later departure reaches stays
// a bound on what an earlier one must beat, so each departure only explores
// what it improves, and a triple is found exactly when its departure beats
// every later one at its number of rides and its arrival beats every journey
// with fewer rides departing as late.
//
// Its parts: the departures from the origin (origin_departures.h), the
// changes (change_rules.h), the labels, ready times and what a round
// improved (profile_state.h), every cut besides the labels
// (profile_pruning.h), the rounds themselves (ProfileSearch, here) and the
// journeys read back from the labels (journey_readback.h).
//
// A round's improved labels set the ready times of the stations their
// changes reach; the next round boards there. A train's arrivals at a
// station where rules name it are labelled apart, and a change from such a
// label boards each train at each station it reaches by the train's own
// minutes; a train named as the one boarded at a stop takes there the
// earliest of the labels a change may come from, each with its own
// minutes.
#ifndef MURLO_QUERY_PROFILE_SEARCH_H_
#define MURLO_QUERY_PROFILE_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "query/change_rules.h"
#include "query/journey.h"
#include "query/loaded_database.h"
#include "query/origin_departures.h"
#include "query/profile_pruning.h"
#include "query/profile_state.h"
#include "query/run_days.h"
#include "query/station_board.h"

#if defined(__GNUC__)
#define MURLO_ALWAYS_INLINE inline __attribute__((always_inline))
#define MURLO_NOINLINE __attribute__((noinline))
#else
#define MURLO_ALWAYS_INLINE inline
#define MURLO_NOINLINE
#endif

namespace murlo {

// One question's search, over any range of its departure minutes.
class ProfileSearch {
 public:
  // The search from `origins` to `destinations` (station indexes, one or
  // more each, none in both) for `request`. REQUIRES: request.valid(). May
  // throw std::bad_alloc (the first search of a database makes the trains'
  // runs).
  ProfileSearch(const LoadedDatabase& db, std::span<const StationIndex> origins,
                std::span<const StationIndex> destinations, const JourneyRequest& request);

  // The departure minutes, from the earliest.
  const OriginDepartures& departures() const { return departures_; }
  // Whether `journey`, found by this search, also runs a day later: always
  // where every train runs every day; for a date, where each of its rides'
  // runs a day later runs.
  bool runsADayLater(const Journey& journey) const;
  // Whether no train can be left at the destination at all.
  bool destinationUnreached() const { return pruning_.destinationUnreached(); }

  // Appends the journeys that depart in minutes [first, last) of the
  // departures, ordered by departure, then arrival, then rides: those of the
  // whole day that depart then.
  void search(std::size_t first, std::size_t last, std::vector<Journey>& out);

 private:
  // The rounds, defined in profile_search.cc and used there only. Inline, so
  // that they compile into one loop nest as they would in one function: the
  // hot loop costs a few percent more instructions when they are called.
  // The labels cleared, the destination's at `destinationLabel`.
  void startLabels(int32_t destinationLabel);
  // The later departures' iteration under a cap (profile_search.cc).
  int32_t capAfter(int32_t firstLater, int32_t attempt) const;
  int32_t fewestRides();
  static constexpr int32_t kFirstCapWindow = 120;
  static constexpr int32_t kCapAttempts = 4;
  // (Returns false where given up: after round `giveUpRound`, where the
  // destination's label of that round is still `giveUpLabel` or later.)
  inline bool iterate(std::span<const OriginDeparture> departures, std::vector<Journey>* out,
                      int32_t giveUpRound = 0, int32_t giveUpLabel = 0);
  inline void firstRound(const OriginDeparture& departure);
  inline void readyAfter(int32_t round);
  // (Compiled for files with rules and without.)
  template <bool kRules>
  inline void laterRound(int32_t round);
  // The scan inlined whatever its size, compiled for each kind of train:
  // on a file without rules; with rules, a train no rule names (the most);
  // and one that rules name or that has boardings of its own (kept out of
  // the loop, scanNamedTrain).
  enum class ScanKind { kPlain, kRules, kNamed };
  template <ScanKind kKind>
  MURLO_ALWAYS_INLINE void scanTrain(int32_t round, RoundReach reach, TrainIndex train,
                                     StopPosition from);
  MURLO_NOINLINE void scanNamedTrain(int32_t round, RoundReach reach, TrainIndex train,
                                     StopPosition from);
  MURLO_NOINLINE void namedReady(int32_t round, TrainIndex train, StationIndex station,
                                 int32_t& ready, NodeIndex& source) const;
  // (Where kRules is false, the plain file's way: no source kept.)
  // (`arrivals`: state_.arrivalsOf(round), read once by the caller.) Most
  // arrivals a scan meets are no earlier than the label: that test is
  // inlined in the scans, the rest (keepArrival) is not.
  template <bool kRules>
  MURLO_ALWAYS_INLINE void arrive(int32_t round, int32_t* arrivals, NodeIndex node,
                                  StationIndex station, int32_t minute, Ride how, NodeIndex source,
                                  StationIndex boarded) {
    if (minute < arrivals[node.slot()]) {
      keepArrival<kRules>(round, arrivals, node, station, minute, how, source, boarded);
    }
  }
  template <bool kRules>
  MURLO_NOINLINE void keepArrival(int32_t round, int32_t* arrivals, NodeIndex node,
                                  StationIndex station, int32_t minute, Ride how, NodeIndex source,
                                  StationIndex boarded);
  // (Compiled for each reach, which the scan inlined then knows.)
  template <bool kRules, RoundReach kReach>
  inline void scanQueued(int32_t round);
  template <RoundReach kReach>
  inline void followKeys(std::span<const BoardKeyBits> keys, int32_t dayStart, int32_t limit,
                         int32_t bound, int32_t boundAbove);
  inline void prefetchStops(TrainIndex train) const;
  inline void prefetchEarliestRun(TrainIndex train) const;
  // Whether the journey labelled at `node` in `round` has alighted or
  // boarded at `station` (its origin aside).
  MURLO_NOINLINE bool hasLeft(int32_t round, NodeIndex node, StationIndex station) const;
  struct Boarding;
  MURLO_NOINLINE void arriveWhereLeft(int32_t round, int32_t* arrivals, NodeIndex node,
                                      TrainIndex train, StopPosition from, StopPosition m,
                                      int32_t minute, Boarding latest);
  // The first run of `train` that departs its stop `m` from `minute` on (a
  // minute that stop departs at) and runs: `minute` itself unless the
  // question is for a date; kNever when none does.
  int32_t firstRun(TrainIndex train, const TrainRuns::Train& run, StopPosition m,
                   int32_t minute) const {
    if (days_.everyDay()) return minute;
    const int64_t found =
        days_.firstDepartureFrom(train, runs_.departureDay(run, m), minute, run.dayPattern());
    return found >= kNever ? kNever : static_cast<int32_t>(found);
  }
  // Whether no run of `train` that runs can be boarded before `bound`, so
  // that every arrival a scan of it gives is dropped: only for a date,
  // where a train that does not run on the day asked is boarded days later
  // or never.
  bool runsNoneBefore(TrainIndex train, int32_t bound) {
    if (earliestRun_.empty()) return false;
    int32_t& earliest = earliestRun_[train.slot()];
    if (earliest == kUnknownRun) earliest = findEarliestRun(train);
    return earliest >= bound;
  }
  int32_t findEarliestRun(TrainIndex train) const;
  // The node an arrival of `train` at `station` (of role `role`) labels
  // (inlined: the scans ask it at every stop they may leave the train).
  MURLO_ALWAYS_INLINE NodeIndex nodeOf(TrainIndex train, bool named, StationIndex station,
                                       uint8_t role) const {
    if ((role & kDestinationMember) != 0) return destination_;
    if (named) {
      const int32_t label = changes_.arrivingLabel(train, station);
      if (label >= 0) return NodeIndex(stations_ + label);
    }
    return NodeIndex(station.value());
  }
  // The role of `station`: compared with the two ends where each is one
  // station, read from roles_ where one is a group.
  uint8_t roleOf(StationIndex station) const {
    if (oneEach_) {
      return static_cast<uint8_t>(
          (station == origin_ ? kOriginMember : 0) |
          (station.value() == destination_.value() ? kDestinationMember : 0));
    }
    return roles_[station.slot()];
  }
  // The node a boarding at `station` was made from: `source`, or where
  // -1 the node of the station's ready time.
  NodeIndex sourceOf(int32_t round, StationIndex station, NodeIndex source) const {
    return source.value() >= 0 ? source : state_.keptReadyFrom(round - 1, station);
  }
  // Whether no journey boards at `station` after a ride (reached on foot):
  // a journey that boards at a destination that is one station has left
  // it, and could never end there (walking to the destination is not
  // arriving); one that boards at a station of its origin would depart
  // from its origin again (its departure is its last from the origin). Its
  // ready times are never set.
  bool boardsNever(StationIndex station) const {
    return (oneDestination_ && station.value() == destination_.value()) ||
           (roleOf(station) & kOriginMember) != 0;
  }
  // Whether a run's stop is a call at the origin (stops that can be neither
  // boarded nor left keep no station).
  static bool atOrigin(const TrainRuns::Stop& stop, uint8_t role) {
    return (role & kOriginMember) != 0 && stop.place != 0;
  }

  // A boarding that a change from a train's own label allows: `train` at
  // `stop` from minute `ready`, from node `from`.
  struct OwnBoarding {
    TrainIndex train;
    StopPosition stop;
    int32_t ready;
    NodeIndex from;
  };

  const TrainRuns& runs_;
  const StationBoard& board_;
  const int32_t stations_;  // labelled: those a stop record can name
  const int32_t rounds_;    // the most rides
  const ChangeRules changes_;
  NodeIndex destination_;       // the node of every destination station
  std::vector<uint8_t> roles_;  // by station: StationRole bits
  bool oneEach_ = true;         // the origin and the destination are one station each
  bool oneDestination_ = true;  // the destination is one station
  int32_t plainChange_ = 0;     // every change's minutes without rules
  StationIndex origin_;

  RunDays days_;             // the runs that run, for a question for a date
  int32_t windowStart_ = 0;  // no minute of the search is earlier
  // For a date, by train: no run of it that runs departs one of its stops
  // at or after the window's start before this minute (kNever: none does;
  // kUnknownRun: not found yet). Empty without a date.
  std::vector<int32_t> earliestRun_;
  static constexpr int32_t kUnknownRun = std::numeric_limits<int32_t>::min();
  int32_t arriveBy_ = kNever;      // one past the latest arrival wanted
  bool directFromOrigin_ = false;  // one ride from the origin may reach the destination
  int32_t fewestRides_ = 0;        // see fewestRides; 0: not known yet
  OriginDepartures departures_;
  // The boardings of the round under way from trains' own labels, by train
  // and stop, and where each train's begin (-1: none).
  std::vector<OwnBoarding> own_;
  std::vector<int32_t> ownStart_;
  // Where a run was boarded: its stop and station, the node it was boarded
  // from (-1: the node of the ready time there) and the ready time.
  struct Boarding {
    StopPosition stop;
    StationIndex station;
    NodeIndex source;
    int32_t ready;
  };
  ProfileState state_;
  ProfilePruning pruning_;
  // By station: where in its departures its last ready time was found.
  std::vector<uint32_t> keyHints_;
};

// The non-dominated journeys from `origins` to `destinations` (station
// indexes, one or more each, none in both) for `request`, ordered by departure, then arrival, then
// rides; at most request.limit of them (0: all). Where several journeys share
// a triple, the one written is the first the search finds, which depends on
// the arguments and the tables alone. REQUIRES: request.valid(). May throw
// std::bad_alloc (the first plan of a database makes the trains' runs).
//
// Asked for the latest journeys (arriving by t, departing before t), the
// window is [t - 1440, t), the arrivals by t alone (for kArriveBy), and a
// limit keeps the latest departures, searched in chunks back from t.
//
// With a limit, the departures are searched in chunks of time from the
// earliest, each twice as long as the one before (the first an hour for each
// journey asked for and one more), until enough journeys are found.
std::vector<Journey> paretoJourneys(const LoadedDatabase& db, std::span<const StationIndex> origins,
                                    std::span<const StationIndex> destinations,
                                    const JourneyRequest& request);
// The same between two stations (different).
std::vector<Journey> paretoJourneys(const LoadedDatabase& db, StationIndex origin,
                                    StationIndex destination, const JourneyRequest& request);

// Leaving after a time, the journeys depart within one day; where every train
// runs every day, each journey found also runs a day later (for a date, a
// journey does where its trains run the next day: `runsADayLater`). A journey that
// arrives no sooner than another's next-day run, with no fewer rides, is
// beaten by that run (it leaves later and arrives no later): a traveller
// would simply wait for it (D5 to 秦皇岛 and on by two changes to the D321
// that leaves 北京 the next evening). Drops such journeys, keeping the order
// of the rest. paretoJourneys does so when leaving after a time.
void dropBeatenByTheNextDay(std::vector<Journey>& journeys);
void dropBeatenByTheNextDay(std::vector<Journey>& journeys,
                            const std::function<bool(const Journey&)>& runsADayLater);

}  // namespace murlo

#endif  // MURLO_QUERY_PROFILE_SEARCH_H_
