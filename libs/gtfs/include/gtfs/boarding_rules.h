// Whether travellers may board and alight at each call of a trip
// (pickup_type, drop_off_type), and which calls a train keeps so that it
// never offers a ride the feed forbids.
#ifndef MURLO_GTFS_BOARDING_RULES_H_
#define MURLO_GTFS_BOARDING_RULES_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace murlo::gtfs {

// The values of pickup_type and drop_off_type.
enum class Boarding : uint8_t {
  kRegular = 0,     // 0 or empty
  kNone = 1,        // 1: no boarding (alighting) here
  kByPhone = 2,     // 2: arranged with the agency beforehand
  kWithDriver = 3,  // 3: arranged with the driver
};

// The value of a field; empty is regular. Nothing for any other text.
std::optional<Boarding> parseBoarding(std::string_view field);

// Arranged boarding and alighting (2, 3) are allowed: the train stops there
// for whoever asks, so the ride exists.
inline bool allows(Boarding b) { return b != Boarding::kNone; }

struct CallRule {
  bool board = true;
  bool alight = true;
  int32_t station = 0;  // rides between calls at one station are not counted
};

// The calls a train keeps. A database train offers every ride from any of
// its stops to any later one, so it keeps the first call that allows
// boarding, the last that allows alighting, and between them the calls that
// allow both: every ride it offers is allowed, and the trip's own origin and
// terminus stay where the feed lets them. Empty when the feed allows no
// ride on the trip.
std::vector<bool> keptCalls(const std::vector<CallRule>& calls);

// Rides between calls at different stations: those the feed allows, and of
// the calls `kept` those offered that it allows and that it forbids.
struct RideTally {
  uint64_t allowed = 0;
  uint64_t offered = 0;    // allowed and offered
  uint64_t forbidden = 0;  // offered though the feed forbids them

  uint64_t hidden() const { return allowed - offered; }
  RideTally& operator+=(const RideTally& other);
};
RideTally tallyRides(const std::vector<CallRule>& calls, const std::vector<bool>& kept);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_BOARDING_RULES_H_
