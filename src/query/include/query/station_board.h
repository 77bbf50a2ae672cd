// The departure or arrival board of every station: its usable calls (see
// usable_call.h) at which a train can be boarded, or left, in the order a
// board lists them: by time of day, then train index, then stop position
// (in a wide network view with dates, trains of one minute by the time of
// day they leave their first stops before their indexes).
// Made the first time a board (or, for departures, a journey) is asked for,
// never by the load.
//
// Each call is one 64-bit key, whose order as a number is the board's order
// (in a wide network view with dates, only from one minute to the next):
//
//   bits 42..32  minute of the day (0 to 1439) of the departure or arrival
//   bits 31..7   train index (below kMaxNetworkTrains)
//   bits  6..0   stop position (below 100: two digits)
//
// Eight bytes a call; the journey planner walks the departure board to find
// the trains that leave a station.
#ifndef MURLO_QUERY_STATION_BOARD_H_
#define MURLO_QUERY_STATION_BOARD_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "db/indexes.h"
#include "db/timetable_db.h"

namespace murlo {

enum class BoardKind { kDepartures, kArrivals };

// The minute of the day (0 to 1439) of an absolute minute, of any sign.
constexpr int32_t minuteOfDay(int32_t minute) {
  const int32_t m = minute % kMinutesPerDay;
  return m < 0 ? m + kMinutesPerDay : m;
}

using BoardKeyBits = uint64_t;

struct BoardKey {
  static_assert(kMaxNetworkTrains <= 1 << 25, "a train index must fit bits 31..7");
  static_assert(kMaxStops <= 1 << 7, "a stop position must fit bits 6..0");

  static constexpr BoardKeyBits make(int32_t minute, TrainIndex train, StopPosition stop) {
    return static_cast<BoardKeyBits>(minute) << 32 | static_cast<BoardKeyBits>(train.value()) << 7 |
           static_cast<BoardKeyBits>(stop.value());
  }
  static constexpr int32_t minute(BoardKeyBits key) { return static_cast<int32_t>(key >> 32); }
  static constexpr TrainIndex train(BoardKeyBits key) {
    return TrainIndex(static_cast<int32_t>(key >> 7 & 0x1FFFFFF));
  }
  static constexpr StopPosition stop(BoardKeyBits key) {
    return StopPosition(static_cast<int32_t>(key & 0x7F));
  }
};

// The place in `keys` (one station's, in board order) of the first key
// departing at `minute` (a minute of the day) or later, or keys.size():
// searched outwards from `hint` (any place), which a search that asks
// nearby minutes of a station one after another keeps.
inline std::size_t firstKeyFrom(std::span<const BoardKeyBits> keys, int32_t minute,
                                std::size_t hint) {
  const BoardKeyBits wanted = BoardKey::make(minute, TrainIndex(0), StopPosition(0));
  std::size_t low = 0;  // the place is in [low, high]
  std::size_t high = keys.size();
  hint = std::min(hint, keys.size());
  if (hint < keys.size() && keys[hint] < wanted) {
    std::size_t step = 1;
    low = hint + 1;
    while (hint + step < keys.size() && keys[hint + step] < wanted) {
      low = hint + step + 1;
      step *= 2;
    }
    high = std::min(hint + step, keys.size());
  } else {
    std::size_t step = 1;
    high = hint;
    while (step <= hint && keys[hint - step] >= wanted) {
      high = hint - step;
      step *= 2;
    }
    low = step <= hint ? hint - step + 1 : 0;
  }
  return static_cast<std::size_t>(std::lower_bound(keys.begin() + static_cast<std::ptrdiff_t>(low),
                                                   keys.begin() + static_cast<std::ptrdiff_t>(high),
                                                   wanted) -
                                  keys.begin());
}

class StationBoard {
 public:
  // The board of `kind` for every station of `db`. May throw std::bad_alloc.
  StationBoard(const TimetableDb& db, BoardKind kind);

  // The keys of station `s` in board order; none outside the station table.
  std::span<const BoardKeyBits> calls(StationIndex s) const {
    if (s.value() < 0 || s.slot() + 1 >= begins_.size()) return {};
    return std::span<const BoardKeyBits>(keys_.data() + begins_[s.slot()],
                                         keys_.data() + begins_[s.slot() + 1]);
  }

  // Bytes held, for the benchmarks.
  std::size_t bytes() const;

 private:
  std::vector<uint32_t> begins_;  // per station its first key, and the end
  std::vector<BoardKeyBits> keys_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_STATION_BOARD_H_
