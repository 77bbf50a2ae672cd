// Strong index types: a train index, a station index and a stop position are
// different kinds of number, so that one cannot be passed for another.
//
// Each holds the value as a record's digit field reads it, so it may lie
// outside the tables (a corrupt file, a caller's argument): the tables check
// it where they are read (TimetableDb::train, ::stationName, ...).
#ifndef MURLO_DB_INDEXES_H_
#define MURLO_DB_INDEXES_H_

#include <compare>
#include <cstddef>
#include <cstdint>

namespace murlo {

template <typename Tag>
class StrongIndex {
 public:
  constexpr StrongIndex() = default;
  constexpr explicit StrongIndex(int32_t value) : value_(value) {}

  constexpr int32_t value() const { return value_; }
  // The position in a container. REQUIRES: value() >= 0.
  constexpr std::size_t slot() const { return static_cast<std::size_t>(value_); }

  constexpr StrongIndex& operator++() {
    ++value_;
    return *this;
  }
  constexpr StrongIndex& operator--() {
    --value_;
    return *this;
  }
  constexpr StrongIndex next() const { return StrongIndex(value_ + 1); }
  constexpr StrongIndex previous() const { return StrongIndex(value_ - 1); }

  friend constexpr auto operator<=>(StrongIndex, StrongIndex) = default;

 private:
  int32_t value_ = 0;
};

// A train's position in the per-train tables (file order): the handle a host
// passes back to ask for a train's stops.
using TrainIndex = StrongIndex<struct TrainIndexTag>;
// A station's position in the station tables (file order).
using StationIndex = StrongIndex<struct StationIndexTag>;
// A stop's position in its train's stop list, 0 for the first stop.
using StopPosition = StrongIndex<struct StopPositionTag>;

}  // namespace murlo

#endif  // MURLO_DB_INDEXES_H_
