#include "query/train_lines.h"

#include "present/segment_line.h"

namespace murlo {

bool appendTrainLine(std::string& text, const TimetableDb& db, int64_t train, int32_t from,
                     int32_t to, int32_t mode) {
  const std::string line = buildSegmentLine(db, train, from, to, mode);
  if (line.empty()) return false;
  text += line;
  text += '*';
  return true;
}

}  // namespace murlo
