#include "query/train_lines.h"

#include "present/segment_line.h"

namespace murlo {

bool appendTrainLine(std::string& text, const LoadedDatabase& db, TrainIndex train,
                     StopPosition from, StopPosition to, int32_t mode) {
  if (!appendSegmentLine(text, db.tables(), train, from, to, mode)) return false;
  text += '*';
  return true;
}

}  // namespace murlo
