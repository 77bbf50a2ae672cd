// Which of a network's own fares a ride pays: the cheapest whose rules match
// its route, its origin and destination zones and the zones it passes.
#include "fare/network_fare.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace murlo {
namespace {

constexpr uint32_t kAny = kNoFareRef;

// Fares: 0 "base" 2.75, 1 "express" 6.50, 2 "cheap" 1.00, 3 "same" 2.75,
// 4 "yen" 300 JPY; routes 0 and 1; zones 0, 1 and 2.
NetworkFares network(std::vector<FareRule> rules) {
  NetworkFares fares;
  fares.tariff = Tariff::kNetwork;
  fares.products = {{"base", 275, "USD", 2},
                    {"express", 650, "USD", 2},
                    {"cheap", 100, "USD", 2},
                    {"same", 275, "USD", 2},
                    {"yen", 300, "JPY", 0}};
  fares.routes = {{"A", 2}, {"B", 1}};
  fares.zones = {"Z0", "Z1", "Z2"};
  fares.rules = std::move(rules);
  return fares;
}

TEST(NetworkFareTest, TheCheapestFareWhoseRulesMatchTheRide) {
  struct Case {
    const char* name;
    std::vector<FareRule> rules;
    uint32_t route;
    std::vector<uint32_t> passed;  // boarding zone first, alighting zone last
    std::optional<uint32_t> fare;
  } cases[] = {
      {"no rules, no fare", {}, 0, {0, 1}, std::nullopt},
      {"a rule naming nothing matches every ride", {{1}}, 0, {0, 1}, 1},
      {"the cheapest of those that match", {{1}, {0}, {2, 1}}, 0, {0, 1}, 0},
      {"route named", {{2, 1}, {0, 0}}, 0, {0, 1}, 0},
      {"route of another train", {{2, 1}}, 0, {0, 1}, std::nullopt},
      {"origin and destination", {{2, kAny, 1, 0}, {1, kAny, 0, 1}}, 0, {0, 2, 1}, 1},
      {"a station without a zone matches no zone named",
       {{0, kAny, 0}},
       0,
       {kNoFareRef, 0},
       std::nullopt},
      {"contained zones: exactly those passed",
       {{2, kAny, kAny, kAny, 0}, {2, kAny, kAny, kAny, 1}, {1}},
       0,
       {0, 1, 1, 0},
       2},
      {"contained zones: a zone passed that the rules do not name",
       {{2, kAny, kAny, kAny, 0}, {2, kAny, kAny, kAny, 1}, {1}},
       0,
       {0, 1, 2},
       1},
      {"contained zones: one named that is not passed",
       {{2, kAny, kAny, kAny, 0}, {2, kAny, kAny, kAny, 1}},
       0,
       {0, 0},
       std::nullopt},
      {"contained zones of another route are another set",
       {{2, 0, kAny, kAny, 0}, {2, 1, kAny, kAny, 1}},
       0,
       {0},
       2},
      {"equal amounts: the first fare of the file", {{3}, {0}}, 0, {0, 1}, 0},
      {"amounts of different digits compared exactly", {{4}, {1}}, 1, {0, 1}, 1},
  };
  for (const Case& c : cases) {
    const NetworkFares fares = network(c.rules);
    FareQuestion ride;
    ride.route = c.route;
    ride.origin = c.passed.front();
    ride.destination = c.passed.back();
    ride.passed = c.passed;
    EXPECT_EQ(chooseNetworkFare(fares, ride), c.fare) << c.name;
    // Without the network's own tariff no rule is read.
    NetworkFares none = fares;
    none.tariff = Tariff::kBuiltIn;
    EXPECT_EQ(chooseNetworkFare(none, ride), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace murlo
