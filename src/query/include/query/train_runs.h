// Every train's daily runs, as the journey planner reads them: made from the
// tables the first time a journey is planned, never by the load.
//
// Every train runs every day. Take a run's departure from the train's first
// stop as its base B, an absolute minute whose time of day is that
// departure's (B = phase mod 1440). Then the run arrives at stop j at
// B + A(j), with A(j) the journey time from the first stop to stop j (the
// day-rollover rule: the step from the first departure to the next arrival,
// then arrival to arrival), and departs from stop k at B + D(k), with
// D(k) = A(k + 1) - step(departure of k, arrival of k + 1). A ride from stop
// k to stop j > k thus lasts A(j) - D(k): the same steps as the journey time
// that the train's line from k to j shows, whatever the times hold. And
// D(k) = departure of k - departure of the first stop (mod 1440), so the run
// departs stop k at its departure time of day.
//
// Runs of one train are a day apart and never overtake one another, so the
// earliest run a traveller can catch at any stop arrives first at every later
// stop: a train is a route whose trips are its days.
//
// Per stop, six bytes: 2 A(j) + (1 when the train can be left there), and
// the step of D(k), or kCannotBoard. Only the first 100 stops are kept: no
// call record names a later one. A train that cannot be boarded anywhere
// keeps no stops.
#ifndef MURLO_QUERY_TRAIN_RUNS_H_
#define MURLO_QUERY_TRAIN_RUNS_H_

#include <cstdint>
#include <vector>

#include "db/indexes.h"
#include "db/timetable_db.h"

namespace murlo {

class TrainRuns {
 public:
  // A journey never uses a train whose journey time from its first stop to
  // any stop is more than this many minutes from 0 (about 500 years): only a
  // corrupt file holds one, and the planner's sums stay exact within it.
  static constexpr int32_t kLongestRunMinutes = 1 << 28;
  static constexpr int16_t kCannotBoard = INT16_MIN;

  // The runs of every train of `db` (the first 10,000: no call record names
  // another). Stops are boarded and left at usable calls only (see
  // usable_call.h). May throw std::bad_alloc.
  explicit TrainRuns(const TimetableDb& db);

  struct Train {
    uint32_t first = 0;  // its first stop in the per-stop arrays
    int16_t phase = 0;   // its first departure's time of day, 0 to 1439
    uint8_t stops = 0;   // stops kept, 0 to 100
  };

  int32_t trainCount() const { return static_cast<int32_t>(trains_.size()); }
  // REQUIRES: 0 <= t < trainCount().
  const Train& train(TrainIndex t) const { return trains_[t.slot()]; }

  // Per stop g = train(t).first + position:
  // whether the train can be left there, and then A(position);
  bool canLeave(uint32_t g) const { return (arrivals_[g] & 1) != 0; }
  int32_t arrivalOffset(uint32_t g) const { return arrivals_[g] >> 1; }
  // whether it can be boarded there (never at its last kept stop), and then
  // D(position). REQUIRES for departureOffset: canBoard(g).
  bool canBoard(uint32_t g) const { return steps_[g] != kCannotBoard; }
  int32_t departureOffset(uint32_t g) const { return arrivalOffset(g + 1) - steps_[g]; }

  // Whether train `t` can be boarded at stop `k`.
  bool canBoard(TrainIndex t, StopPosition k) const {
    if (t.value() < 0 || t.value() >= trainCount()) return false;
    const Train& run = train(t);
    return k.value() >= 0 && k.value() < run.stops &&
           canBoard(run.first + static_cast<uint32_t>(k.value()));
  }

  // Bytes held, for the benchmarks.
  std::size_t bytes() const;

 private:
  std::vector<Train> trains_;
  std::vector<int32_t> arrivals_;  // 2 A(j) + can leave
  std::vector<int16_t> steps_;     // A(k + 1) - D(k), or kCannotBoard
};

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_RUNS_H_
