// Direct trains between two stations, or proposed change stations.
#ifndef MURLO_QUERY_DIRECT_TRAINS_H_
#define MURLO_QUERY_DIRECT_TRAINS_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "db/service_calendar.h"
#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/ride_list.h"

namespace murlo {

// The direct trains from `origin` to `destination` (GBK names, matched
// exactly; the first of equal names wins): each train that calls at the origin
// and later at the destination gives its SegmentLine for that stretch
// followed by "*", in the order of the origin's calls; the count is their
// number. With none, the count is 0 and the text lists the proposed change
// stations, each followed by "|" (see direct_trains.cc). The statuses
// kSameStation, kUnknownOrigin and kUnknownDestination are tested in that
// order.
// May throw std::bad_alloc.
QueryResult directTrains(const LoadedDatabase& db, std::string_view origin,
                         std::string_view destination, int32_t mode);

// The same as data: the ride of each train (or the status, as
// directTrains), or with none the change stations. For a `date` (days since
// 1970-01-01) in a database with a calendar, only the runs that leave the
// origin that date and run (query/run_days.h); kDateOutsidePeriod, tested
// first, for a date the calendar does not cover.
RideList directTrainRides(const LoadedDatabase& db, std::string_view origin,
                          std::string_view destination,
                          std::optional<CivilDay> date = std::nullopt);

}  // namespace murlo

#endif  // MURLO_QUERY_DIRECT_TRAINS_H_
