// The stations of a database: every station the kept trains call at, in
// stops.txt order (those served only by calls the sections leave out last),
// with storable names and abbreviations.
#ifndef MURLO_GTFS_STATION_TABLE_H_
#define MURLO_GTFS_STATION_TABLE_H_

#include <cstdint>
#include <vector>

#include "gtfs/feed_model.h"
#include "gtfs/import_report.h"
#include "gtfs/imported_timetable.h"
#include "gtfs/train_table.h"

namespace murlo::gtfs {

enum class Abbreviations {
  // The feed's stop codes, which riders know, when they can all serve:
  // every station has one of ASCII letters and digits, at most 10, and no
  // two are alike (in capitals); the initials otherwise.
  kStopCodesWhenUnique,
  kInitials,  // the initials of the name's words (initialsOf)
  kStopCode,  // the feed's stop_code where it is letters and digits
};

struct StationOptions {
  bool shortNames = false;  // 11 bytes, for hosts with fixed fields
  bool everyCall = false;   // the sections keep every call (--all-calls)
  Abbreviations abbreviations = Abbreviations::kStopCodesWhenUnique;
  // The leading trains whose stations the sections call at come before
  // all others: the sections' day's, when the sections cannot hold every
  // train (db/timetable_builder.h, buildDatabase).
  std::size_t leadingTrains = 0;
};

// The stations, and in `indexOf` each place's station index (-1 for places
// no train calls at): those the sections call at (sectionCalls) in stops.txt
// order, then those that only calls the sections leave out serve, which
// must come last (db/timetable_builder.h). Names are cleaned (see station_name.h) and kept whole
// up to 100 bytes, or shortened to 11 with `shortNames`; a name equal to an
// earlier station's (in the feed, or by cleaning or shortening) ends in a
// number, 2, 3 and so on in stops.txt order, so that every station can be
// asked for by name. A station without a name takes its stop_id; one
// without initials the abbreviation "S" and its number. Stations may share
// an abbreviation: a lookup lists every station whose abbreviation begins
// with what was typed. Everything changed is reported. `stopCodes` tells
// whether every abbreviation is the station's stop code.
std::vector<ImportedStation> buildStations(const Feed& feed, const std::vector<TrainPart>& trains,
                                           const StationOptions& options,
                                           std::vector<int32_t>& indexOf, bool& stopCodes,
                                           ImportReport& report);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_STATION_TABLE_H_
