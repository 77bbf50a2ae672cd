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
inline std::optional<TrainView> trainAt(const TimetableDb& db, int64_t trainIndex) {
  if (trainIndex < 0 || trainIndex >= db.trainCount) return std::nullopt;
  const auto t = static_cast<std::size_t>(trainIndex);
  if (t >= db.trainNumbers.size() || t >= db.trainStopLists.size() ||
      t >= db.trainClassCodes.size() || t >= db.trainFareColumnCodes.size() ||
      t >= db.trainFareRateCodes.size()) {
    return std::nullopt;
  }
  return TrainView{db.trainNumbers[t], StopList(db.trainStopLists[t]), db.trainClassCodes[t],
                   db.trainFareColumnCodes[t], db.trainFareRateCodes[t]};
}

// The name of station `stationIndex`, or nothing when it is outside the
// station table.
inline std::optional<std::string_view> stationNameAt(const TimetableDb& db, int64_t stationIndex) {
  if (stationIndex < 0 || stationIndex >= db.stationCount) return std::nullopt;
  const auto s = static_cast<std::size_t>(stationIndex);
  if (s >= db.stationNames.size()) return std::nullopt;
  return db.stationNames[s];
}

}  // namespace murlo

#endif  // MURLO_DB_TRAIN_VIEW_H_
