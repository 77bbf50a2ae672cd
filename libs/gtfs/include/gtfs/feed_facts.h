// What a feed holds, for murlo gtfs-info: its agencies and time zone, routes
// by type, the
// dates its trips run on, its stations, the calls with boarding rules and
// whether it has shapes.
#ifndef MURLO_GTFS_FEED_FACTS_H_
#define MURLO_GTFS_FEED_FACTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gtfs/feed_files.h"
#include "gtfs/progress.h"
#include "gtfs/service_dates.h"

namespace murlo::gtfs {

struct FeedFacts {
  struct Agency {
    std::string id;
    std::string name;
  };
  struct RouteType {
    int32_t type = 0;
    std::size_t routes = 0;
    std::size_t trips = 0;
  };
  // The calls of stop_times.txt by their pickup_type and drop_off_type.
  struct Calls {
    uint64_t total = 0;
    uint64_t boardingOnly = 0;   // no drop-off
    uint64_t alightingOnly = 0;  // no pickup
    uint64_t neither = 0;        // passing through
    uint64_t arranged = 0;       // either by phone or with the driver (2, 3)
  };
  struct Shapes {
    bool present = false;  // shapes.txt
    std::size_t shapes = 0;
    uint64_t points = 0;
    bool distances = false;  // its shape_dist_traveled values
    std::size_t tripsWithShape = 0;
    bool stopTimeDistances = false;  // shape_dist_traveled in stop_times.txt
  };

  // The rows of transfers.txt by transfer_type, and where they lead.
  struct Transfers {
    bool present = false;  // transfers.txt
    uint64_t rows = 0;
    uint64_t recommended = 0;    // 0 or empty
    uint64_t timed = 0;          // 1
    uint64_t minimumTime = 0;    // 2
    uint64_t forbidden = 0;      // 3
    uint64_t onBoard = 0;        // 4, 5: staying on board, which the import ignores
    uint64_t other = 0;          // any other value
    uint64_t withinStation = 0;  // both stops in one station (a change time)
    uint64_t betweenTrips = 0;   // naming from_trip_id or to_trip_id
    uint64_t complexes = 0;      // sets of stations of one name that rows join
  };

  std::vector<Agency> agencies;
  std::string timeZone;  // the first agency's agency_timezone, when it is a time zone name
  std::vector<RouteType> routeTypes;  // ascending
  std::size_t routes = 0;
  std::size_t trips = 0;
  ServiceDates dates;
  std::size_t stops = 0;     // rows of stops.txt
  std::size_t stations = 0;  // stations that trips call at (stops by parent_station)
  Calls calls;
  Shapes shapes;
  Transfers transfers;
};

// Reads the whole feed. Throws FeedError when a required file or column is
// missing.
FeedFacts describeFeed(const FeedFiles& files, Progress& progress);

// "rail", "bus", "railway service" (100-199) and so on; "" for a type
// without a name.
std::string routeTypeName(int32_t type);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_FACTS_H_
