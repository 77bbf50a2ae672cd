// From runs to the trains of a database: ordered by first departure,
// numbered, split and cut to the format's limits, and kept within its
// capacity.
#ifndef MURLO_GTFS_TRAIN_TABLE_H_
#define MURLO_GTFS_TRAIN_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/file_format.h"
#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"
#include "gtfs/trip_runs.h"

namespace murlo::gtfs {

// The file format's limits (db/file_format.h), as the importer counts.
inline constexpr auto kMaxStops = static_cast<std::size_t>(murlo::kMaxStops);
inline constexpr int32_t kMaxKm = kMaxDistanceKm;
inline constexpr auto kMaxTrains = static_cast<std::size_t>(murlo::kMaxTrains);
inline constexpr auto kMaxStations = static_cast<std::size_t>(murlo::kMaxStations);

// Sorts `runs` by first departure (feed time, so 24:30 comes after 23:59),
// then by what they are (route, trip_short_name, then calls: station, times,
// km, boarding rules), keeping the feed's order among runs alike in all of
// it. Runs leaving together are so ordered alike in an import of one date
// and in one of a whole period, where a trip of another day may stand for
// them.
void orderRuns(const Feed& feed, std::vector<Run>& runs);

// The number of each run (in the order given): its trip's trip_short_name
// made storable, else its route's short name (else "T") followed by a
// counter per route in that order, as many digits as the route's count
// needs. Changes are reported.
std::vector<std::string> numberRuns(const Feed& feed, const std::vector<Run>& runs,
                                    ImportReport& report);

struct TrainPart {
  std::size_t run = 0;  // index into the runs
  std::string number;
  std::vector<RunStop> stops;  // km from the part's first stop
  int part = 1;                // of `parts` consecutive trains of one run
  int parts = 1;
};

// Each run as trains: a run of more than 100 stops is split into
// consecutive trains of up to 100 that overlap at the stop where they
// meet; a train over 9999 km ends at its last stop within 9999 km (a train
// left with one stop is dropped). Sorted again by first departure. Splits
// and cuts are reported.
std::vector<TrainPart> splitRuns(const Feed& feed, const std::vector<Run>& runs,
                                 std::vector<std::string> numbers, ImportReport& report);

// The trains in order that fit the database: up to 10,000 trains calling at
// up to 10,000 stations in all. Dropped trains are reported.
std::vector<TrainPart> keepWithinCapacity(const Feed& feed, const std::vector<Run>& runs,
                                          std::vector<TrainPart> parts, ImportReport& report,
                                          std::size_t maxTrains = kMaxTrains,
                                          std::size_t maxStations = kMaxStations);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_TRAIN_TABLE_H_
