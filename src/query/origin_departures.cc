#include "query/origin_departures.h"

#include <algorithm>

#include "db/day_rollover.h"

namespace murlo {

OriginDepartures::OriginDepartures(const StationBoard& board, const TrainRuns& runs,
                                   std::span<const StationIndex> origins, int32_t after,
                                   const RunDays& days) {
  const int32_t afterMinute = minuteOfDay(after);
  for (const StationIndex origin : origins) {
    const std::span<const BoardKeyBits> keys = board.calls(origin);
    const auto start = static_cast<std::size_t>(
        std::lower_bound(keys.begin(), keys.end(),
                         BoardKey::make(afterMinute, TrainIndex(0), StopPosition(0))) -
        keys.begin());
    // From the first key at or after `after` on, wrapping around to the ones
    // before it, which depart the next day.
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const BoardKeyBits key = keys[(start + i) % keys.size()];
      const TrainIndex train = BoardKey::train(key);
      const StopPosition stop = BoardKey::stop(key);
      if (!runs.canBoard(train, stop)) continue;
      const int32_t minute = after + minuteOfDay(BoardKey::minute(key) - after);
      if (!days.everyDay()) {
        const TrainRuns::Train& run = runs.train(train);
        if (!days.runs(train, runDayOf(minute) - runs.departureDay(run, stop), run.dayPattern()))
          continue;
      }
      departures_.push_back(OriginDeparture{minute, train, stop});
    }
  }
  if (origins.size() > 1) {
    std::sort(departures_.begin(), departures_.end(),
              [](const OriginDeparture& x, const OriginDeparture& y) {
                if (x.minute != y.minute) return x.minute < y.minute;
                return x.train != y.train ? x.train < y.train : x.stop < y.stop;
              });
  }
  for (std::size_t i = 0; i < departures_.size(); ++i) {
    if (i == 0 || departures_[i].minute != departures_[i - 1].minute) groups_.push_back(i);
  }
  if (!groups_.empty()) groups_.push_back(departures_.size());
}

}  // namespace murlo
