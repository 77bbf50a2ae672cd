#include "query/usable_call.h"

namespace murlo {

std::optional<UsableCall> usableCall(const TimetableDb& db, StationIndex station,
                                     CallRecord record) {
  const std::optional<TrainView> train = db.trainCalled(record);
  if (!train || train->stops.size() < 2) return std::nullopt;
  const StopList& stops = train->stops;
  if (stops[record.stopPosition()].stationIndex() != station) return std::nullopt;
  if (!db.stationName(stops[StopPosition(0)].stationIndex()) ||
      !db.stationName(stops[stops.last()].stationIndex())) {
    return std::nullopt;
  }
  return UsableCall{record.trainIndex(), record.stopPosition(), stops,
                    db.callRule(record.trainIndex(), record.stopPosition())};
}

}  // namespace murlo
