// An imported timetable written as timetable source (docs/timetable-source.md),
// the form the import is checked in and can be reviewed in.
#ifndef MURLO_GTFS_SOURCE_TEXT_H_
#define MURLO_GTFS_SOURCE_TEXT_H_

#include <string>
#include <string_view>

#include "gtfs/imported_timetable.h"

namespace murlo::gtfs {

// The source, opening with `comment` (one "# " line per line of it), with
// "names long" when a name is over 11 bytes. Each station is preceded by
// its stop_id and name in the feed as a comment; one whose name an earlier
// one has is declared with a label ("name#2"); each train is preceded by
// its note as a comment.
// REQUIRES: the header converts to GBK.
std::string sourceText(const ImportedTimetable& timetable, std::string_view comment);

// `dumped`, the source `murlo dump` writes of the imported database (which
// builds back into the same file, extension and all), with the comments
// sourceText gives: `comment` in place of the dump's first line, and each
// station's stop_id and each train's note before it. REQUIRES: `dumped`
// declares the stations and trains of `timetable` in its order.
std::string annotatedSource(std::string_view dumped, const ImportedTimetable& timetable,
                            std::string_view comment);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_SOURCE_TEXT_H_
