// A feed's fares as a network's own tariff (db/network_fares.h): the fares
// of fare_attributes.txt, the rules of fare_rules.txt, each station's zone
// from stops.txt's zone_id and each train's route. See docs/gtfs-import.md.
#ifndef MURLO_GTFS_FARE_IMPORT_H_
#define MURLO_GTFS_FARE_IMPORT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "db/network_fares.h"
#include "gtfs/feed_files.h"
#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"

namespace murlo::gtfs {

// What the import kept of the feed's fares, for its summary.
struct FareCounts {
  bool faresFile = false;  // fare_attributes.txt is there
  std::size_t fares = 0;   // kept
  std::size_t faresDropped = 0;
  std::size_t rules = 0;  // kept (one a fare when the feed has no fare_rules.txt)
  std::size_t rulesDropped = 0;
  std::size_t zonedStations = 0;
};

// The minor-unit digits of an ISO 4217 currency: 0 for JPY, KRW, ..., 3
// for BHD, KWD, ..., 4 for CLF and UYW, 2 for every other code.
int currencyDigits(std::string_view currency);

// "2.75" in minor units of a currency of `digits` digits (275 for 2), or
// nothing for a text that is not such an amount (a negative one, one finer
// than the currency's least unit, one over 2^32 - 1 minor units).
std::optional<uint32_t> minorUnits(std::string_view price, int digits);

// The fares of the trains whose routes are `trainRoutes` (indexes of
// feed.routes, one a train) and of the stations that `stationOf` makes of
// feed.stops (-1 for a stop of no station): Tariff::kNone for a feed
// without fare_attributes.txt or without a fare the import can keep.
NetworkFares importFares(const FeedFiles& files, const Feed& feed,
                         const std::vector<int32_t>& trainRoutes,
                         const std::vector<int32_t>& stationOf, std::size_t stationCount,
                         FareCounts& counts, ImportReport& report);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FARE_IMPORT_H_
