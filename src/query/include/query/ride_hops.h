// The fewest minutes a ride takes between two stations that a train calls at
// one after the other (calls that can be neither boarded nor left passed
// by), over every train of a database: what a journey's remaining rides
// take at least, whatever runs and whenever. Kept by the station arrived at,
// for searches back from a destination (ProfilePruning). Made once for a
// database, the first time a journey with changes is planned.
//
// A corrupt file's times can make a step of a train negative (a ride never
// is, db/day_rollover.h): such a train's hops count 0 minutes, and it is not
// steady (its arrivals do not only grow along it).
#ifndef MURLO_QUERY_RIDE_HOPS_H_
#define MURLO_QUERY_RIDE_HOPS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "query/train_runs.h"

namespace murlo {

class RideHops {
 public:
  struct Hop {
    StationIndex from;
    int32_t minutes;
  };

  // The hops of the trains of `runs` between the first `stations` stations.
  // May throw std::bad_alloc.
  RideHops(const TrainRuns& runs, int32_t stations);

  int32_t stationCount() const { return static_cast<int32_t>(start_.size()) - 1; }
  // Whether no step of train `t` (a train of the runs) is negative.
  bool steady(TrainIndex t) const { return unsteady_.empty() || unsteady_[t.slot()] == 0; }
  // The hops that arrive at `s`, one for each station they come from.
  std::span<const Hop> into(StationIndex s) const {
    return std::span<const Hop>(hops_).subspan(start_[s.slot()],
                                               start_[s.slot() + 1] - start_[s.slot()]);
  }

 private:
  std::vector<uint32_t> start_;  // by station and one more
  std::vector<Hop> hops_;
  std::vector<uint8_t> unsteady_;  // by train: 1 where a step is negative; empty where none is
};

}  // namespace murlo

#endif  // MURLO_QUERY_RIDE_HOPS_H_
