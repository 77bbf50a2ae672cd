#include "fare/network_fare.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace murlo {
namespace {

bool names(uint32_t field, uint32_t value) { return field == kNoFareRef || field == value; }

// An amount in units of 10^-4 of its currency, so that fares of different
// digits compare (the amounts fit: at most 2^32 minor units).
int64_t comparable(const FareProduct& product) {
  int64_t scaled = product.amount;
  for (int d = product.digits; d < kMostCurrencyDigits; ++d) scaled *= 10;
  return scaled;
}

}  // namespace

std::optional<uint32_t> chooseNetworkFare(const NetworkFares& fares, const FareQuestion& ride) {
  if (fares.tariff != Tariff::kNetwork) return std::nullopt;
  std::vector<uint32_t> passed;
  for (const uint32_t zone : ride.passed)
    if (zone != kNoFareRef) passed.push_back(zone);
  std::sort(passed.begin(), passed.end());
  passed.erase(std::unique(passed.begin(), passed.end()), passed.end());

  std::optional<uint32_t> best;
  const auto consider = [&](uint32_t fare) {
    if (fare >= fares.products.size()) return;
    if (!best || comparable(fares.products[fare]) < comparable(fares.products[*best]) ||
        (comparable(fares.products[fare]) == comparable(fares.products[*best]) && fare < *best))
      best = fare;
  };
  // Rules naming a contained zone, by fare, route, origin and destination,
  // then zone: each run of one key is one set of zones.
  std::vector<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>> containing;
  for (const FareRule& rule : fares.rules) {
    if (!names(rule.route, ride.route) || !names(rule.origin, ride.origin) ||
        !names(rule.destination, ride.destination))
      continue;
    if (rule.contains == kNoFareRef) {
      consider(rule.fare);
    } else {
      containing.emplace_back(rule.fare, rule.route, rule.origin, rule.destination, rule.contains);
    }
  }
  std::sort(containing.begin(), containing.end());
  containing.erase(std::unique(containing.begin(), containing.end()), containing.end());
  for (std::size_t begin = 0; begin < containing.size();) {
    std::size_t end = begin;
    std::vector<uint32_t> zones;
    const auto key = [&](std::size_t i) {
      const auto& [fare, route, origin, destination, zone] = containing[i];
      return std::tuple(fare, route, origin, destination);
    };
    while (end < containing.size() && key(end) == key(begin))
      zones.push_back(std::get<4>(containing[end++]));
    if (zones == passed) consider(std::get<0>(containing[begin]));
    begin = end;
  }
  return best;
}

}  // namespace murlo
