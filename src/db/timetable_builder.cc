#include "db/timetable_builder.h"

#include <utility>

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

TableLists buildTableLists(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains) {
  TableLists lists;
  lists.headerText = std::move(header);
  std::vector<std::string> numbers;
  std::vector<std::string> stopLists;
  std::vector<std::string> calls(stations.size());
  for (std::size_t t = 0; t < trains.size(); ++t) {
    const TrainSpec& train = trains[t];
    lists.trainClassCodes += train.classCode;
    lists.trainFareColumnCodes += train.fareColumnCode;
    lists.trainFareRateCodes += train.fareRateCode;
    numbers.push_back(train.number);
    std::string stops;
    for (std::size_t p = 0; p < train.stops.size(); ++p) {
      stops += stopRecord(train.stops[p]);
      calls[static_cast<std::size_t>(train.stops[p].station)] +=
          callRecord(static_cast<int32_t>(t), static_cast<int32_t>(p));
    }
    stopLists.push_back(std::move(stops));
  }
  std::vector<std::string> names;
  std::vector<std::string> abbreviations;
  for (const StationSpec& station : stations) {
    names.push_back(station.name);
    abbreviations.push_back(station.abbreviation);
  }
  lists.trainNumbers = TextList::copyOf(numbers);
  lists.stationNames = TextList::copyOf(names);
  lists.stationAbbreviations = TextList::copyOf(abbreviations);
  lists.stationCallLists = TextList::copyOf(calls);
  lists.trainStopLists = TextList::copyOf(stopLists);
  return lists;
}

TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains) {
  return TimetableDb(buildTableLists(std::move(header), stations, trains));
}

}  // namespace murlo
