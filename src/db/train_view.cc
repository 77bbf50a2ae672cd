#include "db/train_view.h"

namespace murlo {

std::optional<TrainView> trainAt(const TimetableDb& db, int64_t trainIndex) {
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

std::optional<std::string_view> stationNameAt(const TimetableDb& db, int64_t stationIndex) {
  if (stationIndex < 0 || stationIndex >= db.stationCount) return std::nullopt;
  const auto s = static_cast<std::size_t>(stationIndex);
  if (s >= db.stationNames.size()) return std::nullopt;
  return db.stationNames[s];
}

}  // namespace murlo
