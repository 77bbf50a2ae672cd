// One train's entries across the per-train tables, checked once.
#ifndef MURLO_DB_TRAIN_VIEW_H_
#define MURLO_DB_TRAIN_VIEW_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "db/records.h"
#include "db/timetable_db.h"

namespace murlo {

struct TrainView {
  std::string_view number;
  StopList stops;
  char classCode;
  char fareColumnCode;
  char fareRateCode;
};

// Train `trainIndex` of `db`, or nothing when the index is outside the train
// tables or any per-train table lacks its entry (a file that breaks the
// invariants). Never reads outside a table.
std::optional<TrainView> trainAt(const TimetableDb& db, int64_t trainIndex);

// The name of station `stationIndex`, or nothing when it is outside the
// station table.
std::optional<std::string_view> stationNameAt(const TimetableDb& db, int64_t stationIndex);

}  // namespace murlo

#endif  // MURLO_DB_TRAIN_VIEW_H_
