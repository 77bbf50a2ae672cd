// A network's own fares (db/network_fares.h): which fare a ride pays, and
// the amount written in its currency.
#ifndef MURLO_FARE_NETWORK_FARE_H_
#define MURLO_FARE_NETWORK_FARE_H_

#include <cstdint>
#include <optional>
#include <span>

#include "db/network_fares.h"

namespace murlo {

// What one ride asks of the fare rules: its train's route, the zones of the
// stations where it is boarded and left, and the zones of every station
// from the one to the other, both included (kNoFareRef for a station
// without a zone, which only rules naming no zone there match).
struct FareQuestion {
  uint32_t route = kNoFareRef;
  uint32_t origin = kNoFareRef;
  uint32_t destination = kNoFareRef;
  std::span<const uint32_t> passed;
};

// The fare a ride pays: among the fares of which a rule matches it, the
// cheapest (amounts compared in units of 10^-4 of their currencies), the
// first of the file among equal ones; nothing when no rule matches. A rule
// matches when the route, origin and destination it names (each, where it
// names one) are the ride's; the rules of one fare, route, origin and
// destination that name contained zones match together, when those zones
// are exactly the zones the ride passes through.
std::optional<uint32_t> chooseNetworkFare(const NetworkFares& fares, const FareQuestion& ride);

}  // namespace murlo

#endif  // MURLO_FARE_NETWORK_FARE_H_
