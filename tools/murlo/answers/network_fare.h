// A network's own fare as murlo shows it (murlo_db_ride_fare): an exact
// amount in minor units of its currency, written "$10.75", "€2.40",
// "£3.10", "¥250" (JPY), or with the code first for any other currency:
// "CHF 3.50", "CNY 12.00".
#ifndef MURLO_TOOLS_MURLO_ANSWERS_NETWORK_FARE_H_
#define MURLO_TOOLS_MURLO_ANSWERS_NETWORK_FARE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "murloppc.h"

namespace murlo::tool {

struct NetworkFare {
  int64_t amount = 0;    // minor units
  std::string currency;  // ISO 4217
  int digits = 2;
  std::string text;  // as shown

  friend bool operator==(const NetworkFare&, const NetworkFare&) = default;
};

// "$10.75" for 1075 USD of 2 digits (see above).
std::string fareText(int64_t amount, const std::string& currency, int digits);

// The fare of `ride` by the network's own fares, or nothing.
std::optional<NetworkFare> networkFareOf(const murlo_db* db, const murlo_ride& ride);

// The sum of the fares where every one is there, in one currency; nothing
// otherwise (or for no fares at all).
std::optional<NetworkFare> totalFare(const std::vector<std::optional<NetworkFare>>& fares);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_NETWORK_FARE_H_
