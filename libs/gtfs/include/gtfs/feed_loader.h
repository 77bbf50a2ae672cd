// Reading a feed into the model: the trips that run on one date (chosen by
// the service calendar, the route types and the agencies asked for), their
// stop times and the stops.
#ifndef MURLO_GTFS_FEED_LOADER_H_
#define MURLO_GTFS_FEED_LOADER_H_

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gtfs/feed_files.h"
#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"
#include "gtfs/progress.h"

namespace murlo::gtfs {

struct FeedFilter {
  std::chrono::year_month_day date;
  // The last date of a period from `date` (at most kMaxCalendarDays): its
  // trips are those that run on any of its dates, each with its days
  // (Trip::days). Nothing: the trips of the one date `date`.
  std::optional<std::chrono::year_month_day> lastDate;
  std::vector<int32_t> routeTypes;    // empty: every type
  std::vector<std::string> agencies;  // agency_id or agency_name; empty: every agency
};

// Whether a route of `type` is asked for: a listed type, or the extended
// types of a listed basic one (2 rail also takes 100-199, 3 bus 700-799,
// 1 subway 400-499, 0 tram 900-999, 4 ferry 1000-1099, 6 1300-1399,
// 7 1400-1499).
bool routeTypeWanted(const std::vector<int32_t>& wanted, int32_t type);

// The routes of the types and agencies asked for (the filter's date is not
// used), with `index` from route_id to their place and `allRoutes` every
// route_id of routes.txt. Throws FeedError for an --agency the feed lacks.
// With `timeZone`, also agency.txt's agency_timezone (the first agency's,
// when it is a time zone name; else "", reported).
std::vector<Route> readRoutes(const FeedFiles& files, const FeedFilter& filter,
                              ImportReport& report, std::unordered_map<std::string, int32_t>& index,
                              std::unordered_set<std::string>& allRoutes,
                              std::string* timeZone = nullptr);

// The routes and trips that run on the date (on some date of the period).
struct TripSelection {
  std::vector<Route> routes;
  std::vector<Trip> trips;
  std::unordered_map<std::string, int32_t> tripIndex;
  std::unordered_set<std::string> tripIdsInFeed;  // every trip_id of trips.txt
  std::size_t tripsInFeed = 0;
  std::size_t servicesRunning = 0;      // on the date, or on some date of the period
  std::vector<DayPattern> dayPatterns;  // a period's: the days of each service that runs
  std::string timeZone;                 // agency.txt's agency_timezone, "" when none usable
};
TripSelection selectTrips(const FeedFiles& files, const FeedFilter& filter, ImportReport& report,
                          Progress& progress);

// The whole model. Rows that break the feed's rules are reported and their
// trip left out; a missing file or column the import needs throws FeedError.
Feed loadFeed(const FeedFiles& files, const FeedFilter& filter, ImportReport& report,
              Progress& progress);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_LOADER_H_
