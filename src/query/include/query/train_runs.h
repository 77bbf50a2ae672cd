// Every train's stops as the journey planner reads them: made from the tables
// the first time a journey is planned, never by the load.
//
// Every train runs every day, each day's run the same. A ride boarded at
// stop k at absolute minute d (a minute whose time of day is k's departure)
// arrives at stop k + 1 at d + step(departure of k, arrival of k + 1), and
// at each later stop one step(arrival, next arrival) later: the steps of the
// journey time its line shows (db/day_rollover.h), added as the planner goes
// along the train. All runs of a train are whole days apart at every stop and
// never overtake one another, so the earliest run a traveller can catch at
// any stop arrives first at every later stop: a train is a route whose trips
// are its days.
//
// Per stop, six bytes: the station, whether the train can be boarded and
// left there (at usable calls only, see usable_call.h), and the arrival and
// departure fields as minutes (60 h + m as read: -549 to 6039). Only the
// first 100 stops are kept: no call record names a later one. A train that
// cannot be boarded anywhere keeps no stops.
#ifndef MURLO_QUERY_TRAIN_RUNS_H_
#define MURLO_QUERY_TRAIN_RUNS_H_

#include <cstdint>
#include <vector>

#include "db/indexes.h"
#include "db/timetable_db.h"

namespace murlo {

class TrainRuns {
 public:
  // The stops of every train of `db` (the first 10,000: no call record names
  // another). May throw std::bad_alloc.
  explicit TrainRuns(const TimetableDb& db);

  struct Stop {
    uint16_t place;     // station (bits 0 to 13), can be left (14), boarded (15)
    int16_t arrival;    // minutes of the arrival field
    int16_t departure;  // minutes of the departure field

    int32_t station() const { return place & 0x3FFF; }
    bool canLeave() const { return (place & 0x4000) != 0; }
    bool canBoard() const { return (place & 0x8000) != 0; }
  };

  struct Train {
    uint32_t first = 0;  // its first stop in stops()
    uint8_t stops = 0;   // stops kept, 0 to 100
  };

  int32_t trainCount() const { return static_cast<int32_t>(trains_.size()); }
  // REQUIRES: 0 <= t < trainCount().
  const Train& train(TrainIndex t) const { return trains_[t.slot()]; }
  // Stop k of train t is stops()[train(t).first + k], k < train(t).stops.
  const Stop* stops() const { return stops_.data(); }

  // Whether train `t` can be boarded at stop `k` (never at its last kept
  // stop).
  bool canBoard(TrainIndex t, StopPosition k) const {
    if (t.value() < 0 || t.value() >= trainCount()) return false;
    const Train& run = train(t);
    return k.value() >= 0 && k.value() < run.stops &&
           stops_[run.first + static_cast<uint32_t>(k.value())].canBoard();
  }

  // Bytes held, for the benchmarks.
  std::size_t bytes() const;

 private:
  std::vector<Train> trains_;
  std::vector<Stop> stops_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_RUNS_H_
