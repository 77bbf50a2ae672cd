#include "query/train_lines.h"

#include "present/segment_line.h"

namespace murlo {

bool appendTrainLine(std::string& text, const LoadedDatabase& db, TrainIndex train,
                     StopPosition from, StopPosition to, int32_t mode) {
  const bool wholeRun = from == StopPosition(0) && to == StopPosition(0) && mode == 0;
  const bool written = wholeRun ? db.wholeRunLines().append(text, db.tables(), train)
                                : appendSegmentLine(text, db.tables(), train, from, to, mode);
  if (!written) return false;
  text += '*';
  return true;
}

}  // namespace murlo
