#include "present/segment_line.h"

#include <optional>
#include <string_view>

#include "db/day_rollover.h"
#include "db/train_view.h"
#include "fare/fare_columns.h"
#include "present/class_names.h"

namespace murlo {

std::string buildSegmentLine(const TimetableDb& db, int64_t trainIndex, int32_t fromStop,
                             int32_t toStop, int32_t mode) {
  const std::optional<TrainView> train = trainAt(db, trainIndex);
  if (!train) return {};
  const int32_t stops = train->stops.size();
  if (stops < 2) return {};
  if (toStop == 0) toStop = stops - 1;
  if (fromStop < 0 || fromStop >= toStop || toStop > stops - 1) return {};

  const StopRecord boarding = train->stops[fromStop];
  const StopRecord alighting = train->stops[toStop];
  const auto boardingName = stationNameAt(db, boarding.stationIndex());
  const auto alightingName = stationNameAt(db, alighting.stationIndex());
  const auto firstName = stationNameAt(db, train->stops[0].stationIndex());
  const auto lastName = stationNameAt(db, train->stops[stops - 1].stationIndex());
  if (!boardingName || !alightingName || !firstName || !lastName) return {};

  const std::string fares =
      buildFareColumns(train->classCode, static_cast<signed char>(train->fareColumnCode),
                       train->fareRateCode, alighting.distanceKm() - boarding.distanceKm());
  const std::string journey = formatHoursMinutes(journeyMinutes(train->stops, fromStop, toStop));
  const std::string index = std::to_string(trainIndex);
  const char* marker = mode == 1 ? "H|" : *boardingName == *firstName ? "S|" : " |";

  std::string line;
  line.reserve(64 + train->number.size() + fares.size() + 4 * 12);
  const auto field = [&line](std::string_view text) {
    line.append(text);
    line += '|';
  };
  line += marker;
  field(index);
  field(train->number);
  field(*boardingName);
  line.append(boarding.departureHour()).append(":");
  field(boarding.departureMinute());
  field(*alightingName);
  line.append(alighting.arrivalHour()).append(":");
  field(alighting.arrivalMinute());
  field(*firstName);
  field(*lastName);
  field(className(train->classCode));
  field("-");
  field(journey);
  line.append(fares);
  return line;
}

}  // namespace murlo
