// Train result lists: SegmentLines each followed by "*".
#ifndef MURLO_QUERY_TRAIN_LINES_H_
#define MURLO_QUERY_TRAIN_LINES_H_

#include <cstdint>
#include <string>

#include "query/loaded_database.h"

namespace murlo {

// Appends the SegmentLine of train `train` from stop `from` to stop `to` and
// "*". Returns false, appending nothing, when the tables cannot give the line
// (corrupt data): the caller skips that record and does not count it. May
// throw std::bad_alloc.
bool appendTrainLine(std::string& text, const LoadedDatabase& db, TrainIndex train,
                     StopPosition from, StopPosition to, int32_t mode);

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_LINES_H_
