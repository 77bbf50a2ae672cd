#include "present/segment_line.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "db/day_rollover.h"
#include "fare/fare_columns.h"
#include "present/class_names.h"

namespace murlo {

bool appendSegmentLine(std::string& out, const TimetableDb& db, TrainIndex trainIndex,
                       StopPosition fromStop, StopPosition toStop, int32_t mode) {
  const std::optional<TrainView> train = db.train(trainIndex);
  if (!train) return false;
  if (train->stops.size() < 2) return false;
  const StopPosition last = train->stops.last();
  if (toStop == StopPosition(0)) toStop = last;
  if (fromStop < StopPosition(0) || fromStop >= toStop || toStop > last) return false;

  const StopRecord boarding = train->stops[fromStop];
  const StopRecord alighting = train->stops[toStop];
  const auto boardingName = db.stationName(boarding.stationIndex());
  const auto alightingName = db.stationName(alighting.stationIndex());
  const auto firstName = db.stationName(train->stops[StopPosition(0)].stationIndex());
  const auto lastName = db.stationName(train->stops[last].stationIndex());
  if (!boardingName || !alightingName || !firstName || !lastName) return false;

  // The fields up to the journey time are written straight into `out`, sized
  // first for the longest they can be, each followed by "|".
  const std::string_view classText = className(train->classCode);
  const std::size_t start = out.size();
  out.resize(start + 64 + train->number.size() + boardingName->size() + alightingName->size() +
             firstName->size() + lastName->size() + classText.size());
  char* p = out.data() + start;
  const auto field = [&p](std::string_view text) {
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = '|';
  };
  *p++ = mode == 1 ? 'H' : *boardingName == *firstName ? 'S' : ' ';
  *p++ = '|';
  p = std::to_chars(p, p + 20, trainIndex.value()).ptr;
  *p++ = '|';
  field(train->number);
  field(*boardingName);
  field(boarding.departureHour());
  p[-1] = ':';
  field(boarding.departureMinute());
  field(*alightingName);
  field(alighting.arrivalHour());
  p[-1] = ':';
  field(alighting.arrivalMinute());
  field(*firstName);
  field(*lastName);
  field(classText);
  field("-");
  out.resize(static_cast<std::size_t>(p - out.data()));
  appendHoursMinutes(out, journeyMinutes(train->stops, fromStop, toStop));
  out += '|';
  appendFareColumns(out, train->classCode, static_cast<signed char>(train->fareColumnCode),
                    train->fareRateCode, alighting.distanceKm() - boarding.distanceKm());
  return true;
}

std::string buildSegmentLine(const TimetableDb& db, TrainIndex trainIndex, StopPosition fromStop,
                             StopPosition toStop, int32_t mode) {
  std::string line;
  appendSegmentLine(line, db, trainIndex, fromStop, toStop, mode);
  return line;
}

}  // namespace murlo
