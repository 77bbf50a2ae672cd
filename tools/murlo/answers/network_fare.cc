#include "answers/network_fare.h"

namespace murlo::tool {

std::string fareText(int64_t amount, const std::string& currency, int digits) {
  const bool negative = amount < 0;
  std::string number = std::to_string(amount);
  if (negative) number.erase(0, 1);
  if (digits > 0) {
    const auto width = static_cast<std::size_t>(digits);
    if (number.size() <= width) number.insert(0, width + 1 - number.size(), '0');
    number.insert(number.size() - width, ".");
  }
  std::string symbol = currency == "USD"   ? "$"
                       : currency == "EUR" ? "\xE2\x82\xAC"
                       : currency == "GBP" ? "\xC2\xA3"
                       : currency == "JPY" ? "\xC2\xA5"
                                           : currency + " ";
  return (negative ? "-" : "") + symbol + number;
}

std::optional<NetworkFare> networkFareOf(const murlo_db* db, const murlo_ride& ride) {
  murlo_fare fare{};
  if (murlo_db_ride_fare(db, ride.train, ride.board_stop, ride.alight_stop, &fare) != 1) {
    return std::nullopt;
  }
  return NetworkFare{fare.amount, fare.currency, fare.digits,
                     fareText(fare.amount, fare.currency, fare.digits)};
}

std::optional<NetworkFare> totalFare(const std::vector<std::optional<NetworkFare>>& fares) {
  if (fares.empty() || !fares.front()) return std::nullopt;
  NetworkFare total = *fares.front();
  for (std::size_t i = 1; i < fares.size(); ++i) {
    const std::optional<NetworkFare>& fare = fares[i];
    if (!fare || fare->currency != total.currency || fare->digits != total.digits) {
      return std::nullopt;
    }
    // Amounts are at most 2^32 minor units each: a sum of any journey fits.
    total.amount += fare->amount;
  }
  total.text = fareText(total.amount, total.currency, total.digits);
  return total;
}

}  // namespace murlo::tool
