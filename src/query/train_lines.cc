#include "query/train_lines.h"

#include <cassert>

#include "present/segment_line.h"
#include "present/whole_run_lines.h"

namespace murlo {

bool appendTrainLine(std::string& text, const TimetableDb& db, int64_t train, int32_t from,
                     int32_t to, int32_t mode) {
  if (from == 0 && to == 0 && mode == 0) {
    if (const auto line = wholeRunLine(db, train)) {
      // Fails when tables were changed after loading but kept the cache.
      assert(*line == buildSegmentLine(db, train, 0, 0, 0));
      if (line->empty()) return false;
      text.append(*line);
      text += '*';
      return true;
    }
  }
  if (!appendSegmentLine(text, db, train, from, to, mode)) return false;
  text += '*';
  return true;
}

}  // namespace murlo
