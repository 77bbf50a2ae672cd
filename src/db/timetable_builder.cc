#include "db/timetable_builder.h"

#include "db/lookup_indexes.h"

namespace murlo {
namespace {

void appendDigits(std::string& out, int32_t value, int width) {
  char digits[8];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(digits, static_cast<std::size_t>(width));
}

}  // namespace

std::string stopRecord(const StopSpec& stop) {
  std::string record;
  record.reserve(16);
  appendDigits(record, stop.station, 4);
  appendDigits(record, stop.arrival / 60, 2);
  appendDigits(record, stop.arrival % 60, 2);
  appendDigits(record, stop.departure / 60, 2);
  appendDigits(record, stop.departure % 60, 2);
  appendDigits(record, stop.distanceKm, 4);
  return record;
}

std::string callRecord(int32_t train, int32_t position) {
  std::string record;
  record.reserve(6);
  appendDigits(record, train, 4);
  appendDigits(record, position, 2);
  return record;
}

TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains) {
  TimetableDb db;
  db.headerText = std::move(header);
  std::vector<std::string> calls(stations.size());
  for (std::size_t t = 0; t < trains.size(); ++t) {
    const TrainSpec& train = trains[t];
    db.trainClassCodes += train.classCode;
    db.trainFareColumnCodes += train.fareColumnCode;
    db.trainFareRateCodes += train.fareRateCode;
    db.trainNumbers.push_back(train.number);
    std::string stops;
    for (std::size_t p = 0; p < train.stops.size(); ++p) {
      stops += stopRecord(train.stops[p]);
      calls[static_cast<std::size_t>(train.stops[p].station)] +=
          callRecord(static_cast<int32_t>(t), static_cast<int32_t>(p));
    }
    db.trainStopLists.push_back(stops);
  }
  for (std::size_t s = 0; s < stations.size(); ++s) {
    db.stationNames.push_back(stations[s].name);
    db.stationAbbreviations.push_back(stations[s].abbreviation);
    db.stationCallLists.push_back(calls[s]);
  }
  db.trainCount = static_cast<int32_t>(trains.size());
  db.stationCount = static_cast<int32_t>(stations.size());
  buildLookupIndexes(db);
  return db;
}

}  // namespace murlo
