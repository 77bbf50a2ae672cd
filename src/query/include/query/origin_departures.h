// The departures the profile search (profile_search.h) takes from the
// origin: every run that leaves it (any of its stations, for a group) in
// [after, after + 1440), ordered by departure, train and stop, grouped by
// departure minute.
#ifndef MURLO_QUERY_ORIGIN_DEPARTURES_H_
#define MURLO_QUERY_ORIGIN_DEPARTURES_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "db/indexes.h"
#include "query/run_days.h"
#include "query/station_board.h"
#include "query/train_runs.h"

namespace murlo {

// A run that leaves the origin in the window.
struct OriginDeparture {
  int32_t minute;  // absolute departure, in [after, after + 1440)
  TrainIndex train;
  StopPosition stop;
};

class OriginDepartures {
 public:
  // None.
  OriginDepartures() = default;
  // The runs of `runs` that can be boarded at any of `origins` (whose
  // departure boards are `board`'s) in [after, after + 1440), those that
  // run on their service days by `days`. May throw std::bad_alloc.
  OriginDepartures(const StationBoard& board, const TrainRuns& runs,
                   std::span<const StationIndex> origins, int32_t after,
                   const RunDays& days = RunDays());

  // Distinct departure minutes.
  std::size_t groupCount() const { return groups_.empty() ? 0 : groups_.size() - 1; }
  // The first of them at or after absolute minute `minute` (groupCount()
  // when none).
  std::size_t groupFrom(int32_t minute) const {
    std::size_t g = 0;
    while (g < groupCount() && departures_[groups_[g]].minute < minute) ++g;
    return g;
  }
  // The departures of minutes [firstGroup, lastGroup).
  std::span<const OriginDeparture> of(std::size_t firstGroup, std::size_t lastGroup) const {
    return std::span<const OriginDeparture>(departures_.data() + groups_[firstGroup],
                                            departures_.data() + groups_[lastGroup]);
  }

 private:
  std::vector<OriginDeparture> departures_;
  std::vector<std::size_t> groups_;  // where each minute's departures begin, and the end
};

}  // namespace murlo

#endif  // MURLO_QUERY_ORIGIN_DEPARTURES_H_
