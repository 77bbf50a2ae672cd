// The parts of a feed that an import uses, for the trips of one date (or a
// period): every
// stop, the selected routes and trips, and the stop times of those trips.
#ifndef MURLO_GTFS_FEED_MODEL_H_
#define MURLO_GTFS_FEED_MODEL_H_

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "db/service_calendar.h"
#include "gtfs/boarding_rules.h"
#include "gtfs/great_circle.h"

namespace murlo::gtfs {

inline constexpr int32_t kNoTime = -1;
inline constexpr double kNoDistance = std::numeric_limits<double>::quiet_NaN();

struct Route {
  std::string id;
  std::string shortName;
  int32_t type = 0;
  std::string longName;    // route_long_name
  std::string colour;      // route_color as written: RRGGBB or ""
  std::string textColour;  // route_text_color
};

// One row of stops.txt.
struct StopPlace {
  std::string id;
  std::string name;
  std::string code;
  std::string parentId;
  Position position;
  bool hasPosition = false;
  int32_t station = -1;      // the place that is its station: its parent, or itself
  int64_t line = 0;          // in stops.txt
  int32_t wheelchair = 0;    // wheelchair_boarding: 0 unknown (or as its parent), 1 yes, 2 no
  std::string platformCode;  // platform_code
};

struct Trip {
  std::string id;
  int32_t route = 0;
  std::string shortName;
  std::string shapeId;
  int32_t path = -1;       // index into Feed::paths, -1 when shapes.txt has no points for it
  int32_t days = -1;       // a period's import: index into Feed::dayPatterns; -1 for one date
  int64_t line = 0;        // in trips.txt
  std::string headsign;    // trip_headsign
  int32_t direction = -1;  // direction_id 0 or 1, -1 when not given
  int32_t wheelchair = 0;  // wheelchair_accessible: 0 unknown, 1 yes, 2 no
};

struct StopTime {
  int32_t trip = 0;
  int32_t sequence = 0;
  int32_t arrival = kNoTime;  // seconds after the service day's start
  int32_t departure = kNoTime;
  int32_t stop = 0;  // index into Feed::stops
  double shapeDistance = kNoDistance;
  Boarding pickup = Boarding::kRegular;
  Boarding dropOff = Boarding::kRegular;
  int64_t line = 0;  // in stop_times.txt
};

// One row of frequencies.txt: the trip also runs every `headway` seconds
// from `start` to before `end`, its times shifted.
struct Frequency {
  int32_t trip = 0;
  int32_t start = 0;
  int32_t end = 0;
  int32_t headway = 0;
};

// One row of transfers.txt that names known stops: a change from `from` to
// `to` (indexes into Feed::stops), for every trip or between two trips.
struct FeedTransfer {
  int32_t from = 0;
  int32_t to = 0;
  int32_t type = 0;      // transfer_type: 0 recommended, 1 timed, 2 minimum time, 3 forbidden
  int32_t seconds = -1;  // min_transfer_time, -1 when not given
  std::string fromTrip;  // from_trip_id, empty for every trip
  std::string toTrip;    // to_trip_id
  int64_t line = 0;      // in transfers.txt
};

// The length of a shape and its distance values, to tell their unit.
struct ShapeLength {
  double km = 0;        // along its points
  double distance = 0;  // last shape_dist_traveled minus the first
};

// A shape's points in order, and the km along them from the first to each.
struct ShapePath {
  std::vector<Position> points;
  std::vector<double> km;
};

struct Feed {
  std::vector<Route> routes;           // selected by type and agency
  std::vector<StopPlace> stops;        // all of stops.txt, in its order
  std::vector<Trip> trips;             // selected: running on the date
  std::vector<StopTime> stopTimes;     // of selected trips, grouped by trip
  std::vector<std::size_t> tripBegin;  // trip t's stop times: [tripBegin[t], tripBegin[t+1])
  std::vector<Frequency> frequencies;
  std::vector<ShapeLength> shapes;      // shapes of selected trips with distances
  std::vector<ShapePath> paths;         // every shape of the selected trips
  std::vector<FeedTransfer> transfers;  // of transfers.txt, when the feed has one
  bool hasTransfers = false;            // transfers.txt is there
  std::size_t tripsInFeed = 0;
  std::size_t servicesRunning = 0;      // on the date (on some date of the period)
  std::vector<DayPattern> dayPatterns;  // a period's import: the days each service runs
  std::string timeZone;                 // agency.txt's agency_timezone, "" when none usable
  std::string stopsName;                // how messages name stops.txt,
  std::string tripsName;                // trips.txt
  std::string stopTimesName;            // and stop_times.txt
  std::string transfersName;            // transfers.txt
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_MODEL_H_
