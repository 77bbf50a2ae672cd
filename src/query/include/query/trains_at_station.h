// Every train calling at one station.
#ifndef MURLO_QUERY_TRAINS_AT_STATION_H_
#define MURLO_QUERY_TRAINS_AT_STATION_H_

#include <cstdint>
#include <string_view>

#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/ride_list.h"

namespace murlo {

// For each call in the call list of the station named `name` (the first of
// equal names), the SegmentLine of that train's whole run (kept, in UTF-16),
// in call-list order; a train calling twice gives two lines. The count is the
// number of lines, or the status kUnknownStation. A call record naming no
// train of the tables, or a stop position outside that train's stop list, is
// skipped and not counted. May throw std::bad_alloc.
Utf16Answer trainsAtStation(const LoadedDatabase& db, std::string_view name);
// The same as data: the whole run of each train that call gives, or
// kUnknownStation.
RideList trainsAtStationRides(const LoadedDatabase& db, std::string_view name);

}  // namespace murlo

#endif  // MURLO_QUERY_TRAINS_AT_STATION_H_
