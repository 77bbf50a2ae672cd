#include "query/usable_call.h"

#include <algorithm>

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

UsableCalls::UsableCalls(const TimetableDb& db)
    : db_(db), trains_(static_cast<std::size_t>(std::max(db.trainCount(), 0))) {}

void UsableCalls::learn(TrainIndex t, Train& train) const {
  const std::optional<TrainView> view = db_.train(t);
  train.state = kUnusable;
  if (!view || view->stops.size() < 2) return;
  const StopList& stops = view->stops;
  if (!db_.stationName(stops[StopPosition(0)].stationIndex()) ||
      !db_.stationName(stops[stops.last()].stationIndex())) {
    return;
  }
  train.stops = stops;
  train.state = kUsable;
}

}  // namespace murlo
