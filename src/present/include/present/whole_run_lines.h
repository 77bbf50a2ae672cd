// Whole-run lines, each written once and then kept.
//
// Trains at a station and trains by number answer with each train's whole
// run, first stop to last, marked "S": a line that depends on the train
// alone, yet costs its fares, its journey time (every stop read) and its
// names each time it is written. A busy station lists hundreds of them, and
// a traveller asks about the same stations again and again. So a loaded
// database keeps each train's line from the first query that writes it on;
// later queries copy it. Loading only makes the empty slots (8 bytes a
// train); a kept line costs about 100 bytes.
//
// The lines belong to the tables as they were loaded. Tables changed
// afterwards (in memory only) must get a new cache or none; a check of the
// tables' sizes catches most changes, and Debug builds compare every kept
// line used with one written afresh.
#ifndef MURLO_PRESENT_WHOLE_RUN_LINES_H_
#define MURLO_PRESENT_WHOLE_RUN_LINES_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "db/timetable_db.h"

namespace murlo {

// The whole-run line of `train` (without "*"; the empty text where the tables
// cannot give one), written and kept if it was not yet; nothing when `db`
// has no current cache. May throw std::bad_alloc.
std::optional<std::string_view> wholeRunLine(const TimetableDb& db, int64_t train);

// Appends the whole-run line of `train` to `out`, as appendSegmentLine(out,
// db, train, 0, 0, 0) does, and returns whether there is one. Copies the kept
// line, or writes the line and keeps it. May throw std::bad_alloc; `out` may
// then have grown.
bool appendWholeRunLine(std::string& out, const TimetableDb& db, int64_t train);

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_LINES_H_
