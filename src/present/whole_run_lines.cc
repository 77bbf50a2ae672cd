#include "present/whole_run_lines.h"

#include <stdexcept>

#include "present/segment_line.h"

namespace murlo {
namespace {

TableShape shapeOf(const TimetableDb& db) {
  return TableShape{db.trainCount,
                    db.stationCount,
                    db.trainNumbers.size(),
                    db.trainStopLists.size(),
                    db.stationNames.size(),
                    db.trainClassCodes.size(),
                    db.trainFareColumnCodes.size(),
                    db.trainFareRateCodes.size()};
}

}  // namespace

void buildWholeRunLines(TimetableDb& db) {
  WholeRunLines lines;
  const std::size_t trains = db.trainNumbers.size();
  lines.ends.reserve(trains);
  lines.text.reserve(trains * 96);  // a typical line is 80 to 100 bytes
  for (std::size_t t = 0; t < trains; ++t) {
    appendSegmentLine(lines.text, db, static_cast<int64_t>(t), 0, 0, 0);
    if (lines.text.size() > UINT32_MAX) throw std::length_error("whole-run lines past 4 GiB");
    lines.ends.push_back(static_cast<uint32_t>(lines.text.size()));
  }
  lines.text.shrink_to_fit();
  lines.builtFor = shapeOf(db);
  db.wholeRunLines = std::move(lines);
}

bool wholeRunLinesCurrent(const TimetableDb& db) {
  return db.wholeRunLines.ends.size() == db.trainNumbers.size() &&
         db.wholeRunLines.builtFor == shapeOf(db);
}

std::optional<std::string_view> writtenWholeRunLine(const TimetableDb& db, int64_t train) {
  if (!wholeRunLinesCurrent(db)) return std::nullopt;
  if (train < 0 || static_cast<uint64_t>(train) >= db.wholeRunLines.ends.size()) {
    return std::string_view();
  }
  return db.wholeRunLines.line(static_cast<std::size_t>(train));
}

}  // namespace murlo
