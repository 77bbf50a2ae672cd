// The tariff a timetable source says it uses and the network's own fares
// (docs/timetable-source.md, "Tariff and fares"): the lines `tariff`,
// `route`, `zone`, `fare` and `fare-rule`, and a train's `route` line.
#ifndef MURLO_TIMETABLE_SOURCE_SOURCE_FARES_H_
#define MURLO_TIMETABLE_SOURCE_SOURCE_FARES_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/indexes.h"
#include "db/network_fares.h"

namespace murlo::source {

// The keywords of the lines outside a train.
bool isFareKeyword(std::string_view token);

// "10.75" as 1075 and 2 digits: digits, then at most one "." and 1 to 4
// digits; an amount of at most 2^32 - 1 minor units. Nothing otherwise.
struct Price {
  uint32_t amount = 0;
  uint8_t digits = 0;
};
std::optional<Price> parsePrice(std::string_view text);
std::string priceText(uint32_t amount, int digits);

class FareLines {
 public:
  using Report = std::function<void(int line, std::string message)>;
  // The station a line names (declared index), or nothing, reported.
  using StationAt = std::function<std::optional<StationIndex>(int line, std::string_view token)>;
  FareLines(Report error, StationAt stationAt)
      : error_(std::move(error)), stationAt_(std::move(stationAt)) {}

  // A line whose keyword isFareKeyword.
  void line(int number, const std::vector<std::string_view>& tokens);
  // `route ROUTE` in train `train` (its index among the trains).
  void trainRoute(int number, const std::vector<std::string_view>& tokens, std::size_t train);

  // The fares, each station's zone moved to its index in the database
  // (`newIndex`, -1 for a station left out; empty: as declared).
  NetworkFares finish(const std::vector<int32_t>& newIndex, std::size_t stationCount,
                      std::size_t trainCount);

 private:
  std::optional<uint32_t> known(int number, const std::map<std::string, uint32_t>& ids,
                                std::string_view id, const char* what);
  bool newId(int number, std::map<std::string, uint32_t>& ids, std::string_view id,
             std::size_t index, const char* what);

  Report error_;
  StationAt stationAt_;
  NetworkFares fares_;
  int tariffLine_ = 0;
  int firstFareLine_ = 0;
  std::map<std::string, uint32_t> productIds_, routeIds_, zoneIds_;
  std::map<StationIndex, uint32_t> stationZones_;  // declared index -> zone
  std::map<std::size_t, uint32_t> trainRoutes_;
};

// The lines that give `fares` back (after the stations, before the trains),
// stations named by `reference`; "" for a file without block 8. An id that
// would not build back is reported in `warnings` and a "# warning:" line.
std::string fareLinesOf(const NetworkFares& fares,
                        const std::function<std::string(int32_t)>& reference,
                        std::vector<std::string>& warnings);

}  // namespace murlo::source

#endif  // MURLO_TIMETABLE_SOURCE_SOURCE_FARES_H_
