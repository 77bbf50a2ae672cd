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

namespace {

std::vector<CallRule> rulesOf(const TrainSpec& train) {
  std::vector<CallRule> rules;
  rules.reserve(train.stops.size());
  for (const StopSpec& stop : train.stops) rules.push_back(CallRule{stop.board, stop.alight});
  return rules;
}

bool allOpen(const TrainSpec& train) {
  for (const StopSpec& stop : train.stops) {
    if (!stop.board || !stop.alight) return false;
  }
  return true;
}

}  // namespace

TableLists buildTableLists(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains, SectionCalls sectionCalls) {
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
    const std::vector<bool> kept = sectionCalls == SectionCalls::kEvery || allOpen(train)
                                       ? std::vector<bool>(train.stops.size(), true)
                                       : legacyCalls(rulesOf(train));
    int32_t position = 0;
    for (std::size_t p = 0; p < train.stops.size(); ++p) {
      if (p >= kept.size() || !kept[p]) continue;
      stops += stopRecord(train.stops[p]);
      calls[static_cast<std::size_t>(train.stops[p].station)] +=
          callRecord(static_cast<int32_t>(t), position++);
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

NetworkExtension buildExtension(const std::vector<TrainSpec>& trains, NetworkSpec network) {
  NetworkExtension extension;
  for (std::size_t t = 0; t < trains.size(); ++t) {
    const TrainSpec& train = trains[t];
    if (allOpen(train)) continue;
    TrainCalls calls{TrainIndex(static_cast<int32_t>(t)), {}, rulesOf(train)};
    for (const StopSpec& stop : train.stops) calls.stopRecords += stopRecord(stop);
    extension.trains.push_back(std::move(calls));
  }
  extension.groups = std::move(network.groups);
  extension.transfers = std::move(network.transfers);
  extension.changeTimes = std::move(network.changeTimes);
  extension.calendar = std::move(network.calendar);
  extension.fares = std::move(network.fares);
  extension.words = std::move(network.words);
  return extension;
}

TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains) {
  return TimetableDb(buildTableLists(std::move(header), stations, trains));
}

}  // namespace murlo
