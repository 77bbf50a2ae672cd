#include "query/train_lines.h"

#include "present/segment_line.h"
#include "present/whole_run_lines.h"

namespace murlo {

bool appendTrainLine(std::string& text, const TimetableDb& db, int64_t train, int32_t from,
                     int32_t to, int32_t mode) {
  const bool written = from == 0 && to == 0 && mode == 0
                           ? appendWholeRunLine(text, db, train)
                           : appendSegmentLine(text, db, train, from, to, mode);
  if (!written) return false;
  text += '*';
  return true;
}

}  // namespace murlo
