// Train result lists: SegmentLines each followed by "*".
#ifndef MURLO_QUERY_TRAIN_LINES_H_
#define MURLO_QUERY_TRAIN_LINES_H_

#include <cstdint>
#include <string>

#include "db/timetable_db.h"

namespace murlo {

// Appends the SegmentLine of train `train` from stop `from` to stop `to` (0
// and 0: the whole run) and "*". Returns false, appending nothing, when the
// tables cannot give the line (corrupt data): the caller skips that record
// and does not count it.
bool appendTrainLine(std::string& text, const TimetableDb& db, int64_t train, int32_t from,
                     int32_t to, int32_t mode);

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_LINES_H_
