// Which tariff a timetable's fares follow, and a network's own fares as a
// fare feed states them: fare products, the rules that say which rides
// each one pays for, each station's fare zone and each train's route (with
// its kind of vehicle, which names the class of its rides). A file carries
// them in block 8 of its extension (docs/file-format.md).
#ifndef MURLO_DB_NETWORK_FARES_H_
#define MURLO_DB_NETWORK_FARES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace murlo {

enum class Tariff : uint8_t {
  kBuiltIn = 0,  // the built-in tariff (src/fare): every file without block 8
  kNone = 1,     // the network has no fares
  kNetwork = 2,  // the network's own fares (NetworkFares)
};

// A route, zone or rule field that names nothing: any route or zone.
inline constexpr uint32_t kNoFareRef = 0xFFFFFFFFu;
// A route whose kind of vehicle is not known.
inline constexpr uint16_t kNoRouteType = 0xFFFF;
inline constexpr uint8_t kMostCurrencyDigits = 4;

struct FareProduct {
  std::string id;        // UTF-8, 1 to 255 bytes
  uint32_t amount = 0;   // the price in minor units of the currency
  std::string currency;  // ISO 4217 code: three capital letters
  uint8_t digits = 2;    // the currency's minor-unit digits, 0 to 4

  friend bool operator==(const FareProduct&, const FareProduct&) = default;
};

struct FareRoute {
  std::string id;                // UTF-8, 1 to 255 bytes
  uint16_t type = kNoRouteType;  // the route type of a fare feed (3 bus, 2 rail, ...)

  friend bool operator==(const FareRoute&, const FareRoute&) = default;
};

// A ride may pay with `fare` when each field that names something matches:
// its train's route, the zone it is boarded in and the zone it is left in.
// Rules of one fare and one route, origin and destination that name zones
// it contains apply together: to a ride through exactly those zones.
struct FareRule {
  uint32_t fare = 0;  // index of products
  uint32_t route = kNoFareRef;
  uint32_t origin = kNoFareRef;  // zones are indexes of NetworkFares::zones
  uint32_t destination = kNoFareRef;
  uint32_t contains = kNoFareRef;

  friend bool operator==(const FareRule&, const FareRule&) = default;
};

struct NetworkFares {
  Tariff tariff = Tariff::kBuiltIn;
  std::vector<FareProduct> products;  // kNetwork only; ids distinct
  std::vector<FareRoute> routes;      // ids distinct
  std::vector<std::string> zones;     // ids (UTF-8, 1 to 255 bytes), distinct
  std::vector<FareRule> rules;        // kNetwork only
  // One a station of the file (a zone or kNoFareRef) when there are zones,
  // else none; one a train (a route or kNoFareRef) when there are routes.
  std::vector<uint32_t> stationZones;
  std::vector<uint32_t> trainRoutes;

  bool empty() const { return *this == NetworkFares{}; }
  friend bool operator==(const NetworkFares&, const NetworkFares&) = default;
};

// What is wrong with `fares` for a file of these counts, or "".
std::string networkFaresProblem(const NetworkFares& fares, int32_t trainCount,
                                int32_t stationCount);

}  // namespace murlo

#endif  // MURLO_DB_NETWORK_FARES_H_
