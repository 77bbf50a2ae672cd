#include "query/train_lines.h"

#include "present/segment_line.h"

namespace murlo {

bool appendTrainLine(std::string& text, const TimetableDb& db, int64_t train, int32_t from,
                     int32_t to, int32_t mode) {
  if (!appendSegmentLine(text, db, train, from, to, mode)) return false;
  text += '*';
  return true;
}

}  // namespace murlo
