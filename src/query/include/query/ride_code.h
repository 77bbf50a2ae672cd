// How a label of the journey planner was reached, in four bytes: as a copy
// of the round below, or by a ride (train, boarding stop, alighting stop).
//
//   bit  31      set for a ride (all bits 0 for a copy)
//   bits 30..14  train index (below kMaxNetworkTrains)
//   bits 13..7   boarding stop position (below 100)
//   bits  6..0   alighting stop position
#ifndef MURLO_QUERY_RIDE_CODE_H_
#define MURLO_QUERY_RIDE_CODE_H_

#include <cstdint>

#include "db/file_format.h"
#include "db/indexes.h"
#include "query/journey.h"

namespace murlo {

class RideCode {
 public:
  static constexpr int kStopBits = 7;
  static constexpr int kTrainBits = 17;
  static_assert(kMaxStops <= 1 << kStopBits, "a stop position must fit its bits");
  static_assert(kMaxNetworkTrains <= 1 << kTrainBits, "a train index must fit its bits");
  static_assert(kTrainBits + 2 * kStopBits <= 31, "a ride must fit below the ride bit");

  // A copy of the round below.
  constexpr RideCode() = default;
  // REQUIRES: train, board and alight within the format's limits.
  constexpr RideCode(TrainIndex train, StopPosition board, StopPosition alight)
      : bits_(kRide | static_cast<uint32_t>(train.value()) << (2 * kStopBits) |
              static_cast<uint32_t>(board.value()) << kStopBits |
              static_cast<uint32_t>(alight.value())) {}

  constexpr bool isCopy() const { return bits_ == 0; }
  // REQUIRES: !isCopy().
  constexpr Ride ride() const {
    return Ride{TrainIndex(field(2 * kStopBits, kTrainBits)),
                StopPosition(field(kStopBits, kStopBits)), StopPosition(field(0, kStopBits))};
  }

 private:
  static constexpr uint32_t kRide = 1u << 31;
  constexpr int32_t field(int shift, int bits) const {
    return static_cast<int32_t>(bits_ >> shift & ((1u << bits) - 1));
  }

  uint32_t bits_ = 0;
};

}  // namespace murlo

#endif  // MURLO_QUERY_RIDE_CODE_H_
