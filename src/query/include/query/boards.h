// Departure and arrival boards: what leaves a station, or arrives there,
// after a given minute of the day.
#ifndef MURLO_QUERY_BOARDS_H_
#define MURLO_QUERY_BOARDS_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "db/service_calendar.h"
#include "query/loaded_database.h"
#include "query/query_result.h"
#include "query/ride_list.h"
#include "query/station_board.h"  // BoardKind

namespace murlo {

// Whether a board may be asked with these numbers: `afterMinute` a minute of
// the day (0 to 1439) and `limit` not negative.
bool validBoardArguments(int32_t afterMinute, int32_t limit);

// The departures from the station named `name` (GBK, the first of equal
// names): every usable call there at which a train can be boarded (see
// usable_call.h), ordered by how long after `afterMinute` its departure time
// of day comes ((departure - afterMinute) mod 1440), then by train index,
// then by stop position; each written as the SegmentLine of its train from
// this stop to its last stop, followed by "*". At most `limit` lines (0:
// all). The count is the number of lines; the status kArgumentOutOfRange
// (tested first) unless validBoardArguments, or kUnknownStation.
// Whole runs come from the lines the database keeps; the answer holds the
// others. May throw std::bad_alloc (the first board of a database makes
// every station's).
Utf16Answer departureBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                           int32_t limit);

// The arrivals at the station named `name`: every usable call there at which
// a train can be left, ordered by ((arrival - afterMinute) mod 1440), then
// train index, then stop position; each the SegmentLine of its train from its
// first stop to this stop, followed by "*". Limit and statuses as
// departureBoard.
Utf16Answer arrivalBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                         int32_t limit);

// A board as data: the ride of each call as departureBoard (kDepartures) or
// arrivalBoard (kArrivals) writes it, or kArgumentOutOfRange (tested first),
// kDateOutsidePeriod or kUnknownStation. For a `date` (days since
// 1970-01-01) in a database with a calendar, the calls are those of the
// runs that run: a call at minute afterMinute + wait of that date belongs to
// the run that set out the day its stop's run minute says before
// (query/run_days.h), yesterday's for a train past midnight; the limit
// counts the calls listed.
RideList boardRides(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                    int32_t limit, BoardKind kind, std::optional<CivilDay> date = std::nullopt);

}  // namespace murlo

#endif  // MURLO_QUERY_BOARDS_H_
