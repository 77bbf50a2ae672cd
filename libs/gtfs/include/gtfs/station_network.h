// From transfers.txt and the stations' parents to what the database's
// extension says beyond its trains: transfers between stations and trains,
// each station's own change time, and the station complexes an import split
// into stations of one name ("X", "X2").
#ifndef MURLO_GTFS_STATION_NETWORK_H_
#define MURLO_GTFS_STATION_NETWORK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/timetable_builder.h"
#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"
#include "gtfs/imported_timetable.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

// What the network holds, for the summary.
struct NetworkCounts {
  std::size_t groups = 0;
  std::size_t minimumTime = 0;  // transfers by kind
  std::size_t timed = 0;
  std::size_t forbidden = 0;
  std::size_t changeTimes = 0;
  std::size_t elsewhere = 0;  // rows of stations or trips not imported for the date
};

// The network of `feed`'s transfers, for the trains `parts` (train t is
// parts[t]) of `runs` and the `stations` (stationOf: each place's station
// index, -1 where no train calls):
// - transfer_type 0 and 2: a transfer with a minimum time, min_transfer_time
//   in whole minutes rounded up (0 when not given); between platforms of one
//   station and for every train, that station's change time instead (the
//   largest given; a type 0 row without a time says nothing of it);
// - 1: a timed transfer, 3: a forbidden one;
// - between the trains of from_trip_id and to_trip_id when given (a trip
//   that runs as several trains at the station, of frequencies.txt, is
//   reported and dropped), else between any trains.
// Rows of one kind between the same stations and trains become one (the
// largest time). Stations of one name (before numbering) that a transfer
// other than a forbidden one joins, or whose stops name one parent_station
// missing from stops.txt, form a station complex named as its first
// member; its minutes are the largest minimum time of the transfers between
// its members, else the largest change time among them, else 0.
NetworkSpec buildNetwork(const Feed& feed, const std::vector<Run>& runs,
                         const std::vector<TrainPart>& parts, const std::vector<int32_t>& stationOf,
                         const std::vector<ImportedStation>& stations, NetworkCounts& counts,
                         ImportReport& report);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_STATION_NETWORK_H_
