// The whole-run lines written at load.
//
// Trains at a station and trains by number answer with each train's whole
// run, first stop to last, marked "S": a line that depends on the train
// alone, yet costs its fares, its journey time (every stop read) and its
// names each time. A busy station lists hundreds of them. Writing every
// train's line once when a file is loaded (about 2 ms and 1 MB for 10,000
// trains) turns those answers into copies.
//
// The lines belong to the tables as they were loaded. Tables changed
// afterwards (in memory only) must have the lines written again or dropped;
// a check of the tables' sizes catches most changes, and Debug builds compare
// every line used with one written afresh.
#ifndef MURLO_PRESENT_WHOLE_RUN_LINES_H_
#define MURLO_PRESENT_WHOLE_RUN_LINES_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "db/timetable_db.h"

namespace murlo {

// Writes `db.wholeRunLines` from its tables. May throw std::bad_alloc, or
// std::length_error past 4 GiB of lines.
void buildWholeRunLines(TimetableDb& db);

// Whether `db.wholeRunLines` were written for tables of the present sizes.
bool wholeRunLinesCurrent(const TimetableDb& db);

// The whole-run line of `train` (without "*"; the empty text where the tables
// cannot give one), or nothing when the lines are not current.
std::optional<std::string_view> writtenWholeRunLine(const TimetableDb& db, int64_t train);

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_LINES_H_
