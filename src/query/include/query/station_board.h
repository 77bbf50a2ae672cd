// The departure or arrival board of every station: its usable calls (see
// usable_call.h) at which a train can be boarded, or left, in the order a
// board lists them: by time of day, then train index, then stop position.
// Made the first time a board (or, for departures, a journey) is asked for,
// never by the load.
//
// Each call is one 32-bit key, whose order as a number is the board's order:
//
//   bits 31..21  minute of the day (0 to 1439) of the departure or arrival
//   bits 20..7   train index (below 10,000: four digits)
//   bits  6..0   stop position (below 100: two digits)
//
// Four bytes a call; the journey planner walks the departure board to find
// the trains that leave a station.
#ifndef MURLO_QUERY_STATION_BOARD_H_
#define MURLO_QUERY_STATION_BOARD_H_

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

struct BoardKey {
  static_assert(kMinutesPerDay <= 1 << 11, "a minute of the day must fit bits 31..21");
  static_assert(kMaxTrains <= 1 << 14, "a train index must fit bits 20..7");
  static_assert(kMaxStops <= 1 << 7, "a stop position must fit bits 6..0");

  static constexpr uint32_t make(int32_t minute, TrainIndex train, StopPosition stop) {
    return static_cast<uint32_t>(minute) << 21 | static_cast<uint32_t>(train.value()) << 7 |
           static_cast<uint32_t>(stop.value());
  }
  static constexpr int32_t minute(uint32_t key) { return static_cast<int32_t>(key >> 21); }
  static constexpr TrainIndex train(uint32_t key) {
    return TrainIndex(static_cast<int32_t>(key >> 7 & 0x3FFF));
  }
  static constexpr StopPosition stop(uint32_t key) {
    return StopPosition(static_cast<int32_t>(key & 0x7F));
  }
};

class StationBoard {
 public:
  // The board of `kind` for every station of `db`. May throw std::bad_alloc.
  StationBoard(const TimetableDb& db, BoardKind kind);

  // The keys of station `s` in board order; none outside the station table.
  std::span<const uint32_t> calls(StationIndex s) const {
    if (s.value() < 0 || s.slot() + 1 >= begins_.size()) return {};
    return std::span<const uint32_t>(keys_.data() + begins_[s.slot()],
                                     keys_.data() + begins_[s.slot() + 1]);
  }

  // Bytes held, for the benchmarks.
  std::size_t bytes() const;

 private:
  std::vector<uint32_t> begins_;  // per station its first key, and the end
  std::vector<uint32_t> keys_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_STATION_BOARD_H_
