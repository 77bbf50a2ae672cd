// Each selected trip as a run of calls at stations: times completed and
// checked, distances measured, successive stops at one station merged, and
// trips of frequencies.txt repeated at their headways.
#ifndef MURLO_GTFS_TRIP_RUNS_H_
#define MURLO_GTFS_TRIP_RUNS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gtfs/distance_unit.h"
#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"

namespace murlo::gtfs {

struct RunStop {
  int32_t station = 0;  // index into Feed::stops of the station
  int32_t arrival = 0;  // seconds after the service day's start
  int32_t departure = 0;
  double km = 0;       // from the trip's first stop
  bool board = true;   // the feed allows boarding here
  bool alight = true;  // and alighting
};

struct Run {
  int32_t trip = 0;
  std::vector<RunStop> stops;
  // A period's import: the days the run starts (bits empty for one date),
  // and the trips of other days with the same calls merged into it
  // (run_days.h).
  DayPattern days;
  std::vector<int32_t> sameTrips;
  int32_t firstDeparture() const { return stops.front().departure; }
};

// Which of a train's calls the database's seven sections keep: those of
// keptCalls (the extension holds the others), or every call with
// `allCalls`.
std::vector<bool> sectionCalls(const std::vector<RunStop>& stops, bool allCalls);

// Where a trip's km come from.
enum class DistanceSource { kFeed, kShape, kGreatCircle };

struct TripDistances {
  std::vector<double> km;  // at each stop time, from the first
  DistanceSource source = DistanceSource::kGreatCircle;
  bool feedRejected = false;   // shape_dist_traveled given but not used
  bool shapeRejected = false;  // a shape followed but not used
};

// The km of trips along the same shape calling at the same stops, measured
// once (by path and stop_ids).
using PathCache = std::unordered_map<std::string, std::optional<std::vector<double>>>;

// Cumulative km at each stop time of `trip`: its shape_dist_traveled values
// in `unit` when every stop has one, they never decrease and they agree
// with the coordinates (between 0.9 and 3 times the straight-line length,
// give or take a km); else along the trip's shape, when it has one that
// passes within 1 km of every stop and agrees with the coordinates as well;
// else in straight lines between the coordinates.
TripDistances tripKm(const Feed& feed, std::size_t trip, const std::optional<DistanceUnit>& unit,
                     PathCache& cache);

struct RunOptions {
  bool allCalls = false;  // the sections keep every call, whatever the boarding rules
};

// What the runs add up to: the rides the boarding rules let them offer.
struct RunTotals {
  RideTally rides;
  std::size_t tripsByFeed = 0;  // trips measured by shape_dist_traveled,
  std::size_t tripsAlongShapes = 0;
  std::size_t tripsByGreatCircle = 0;
};

// The runs of every usable trip, in trips.txt order (a trip of
// frequencies.txt gives one run per departure, at most 2000 per row). Each
// keeps every call that allows boarding or alighting, with its rule (every
// call with `allCalls`); `totals` counts the rides the sections offer, those
// of keptCalls (boarding_rules.h) or with `allCalls` all. What is left out
// or changed is reported.
std::vector<Run> buildRuns(const Feed& feed, const std::optional<DistanceUnit>& unit,
                           const RunOptions& options, RunTotals& totals, ImportReport& report);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_TRIP_RUNS_H_
