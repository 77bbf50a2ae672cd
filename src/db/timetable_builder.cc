#include "db/timetable_builder.h"

#include <algorithm>
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

std::string stopRecord(const StopSpec& stop, int32_t indexDigits) {
  std::string record;
  record.reserve(static_cast<std::size_t>(stopRecordSize(indexDigits)));
  appendDigits(record, stop.station, indexDigits);
  appendDigits(record, stop.arrival / 60, 2);
  appendDigits(record, stop.arrival % 60, 2);
  appendDigits(record, stop.departure / 60, 2);
  appendDigits(record, stop.departure % 60, 2);
  appendDigits(record, stop.distanceKm, 4);
  return record;
}

std::string callRecord(int32_t train, int32_t position, int32_t indexDigits) {
  std::string record;
  record.reserve(static_cast<std::size_t>(callRecordSize(indexDigits)));
  appendDigits(record, train, indexDigits);
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

SectionsShare sectionsShare(const std::vector<StationSpec>& stations,
                            const std::vector<TrainSpec>& trains, const ServiceCalendar& calendar,
                            SectionsLimits limits) {
  const std::size_t maxStations = limits.stations;
  const std::size_t maxTrains = limits.trains;
  if (stations.size() <= maxStations && trains.size() <= maxTrains)
    return SectionsShare{trains.size(), stations.size()};
  // Without a sections day the sections hold the leading trains that fit.
  const bool day = !calendar.empty() && calendar.sectionsDay >= 0;
  SectionsShare share{0, std::min(stations.size(), maxStations)};
  while (share.trains < std::min(trains.size(), maxTrains)) {
    const TrainSpec& train = trains[share.trains];
    const bool fits =
        std::all_of(train.stops.begin(), train.stops.end(), [&](const StopSpec& stop) {
          return static_cast<std::size_t>(stop.station) < share.stations;
        });
    if (!fits || (day && !calendar.runsOn(TrainIndex(static_cast<int32_t>(share.trains)),
                                          calendar.sectionsDay)))
      break;
    ++share.trains;
  }
  return share;
}

DatabaseParts buildDatabase(std::string header, const std::vector<StationSpec>& stations,
                            const std::vector<TrainSpec>& trains, NetworkSpec network,
                            SectionCalls sectionCalls, SectionsLimits limits) {
  const SectionsShare share = sectionsShare(stations, trains, network.calendar, limits);
  if (share.trains == trains.size() && share.stations == stations.size()) {
    DatabaseParts parts{buildTableLists(std::move(header), stations, trains, sectionCalls), {}};
    parts.extension = buildExtension(trains, std::move(network));
    return parts;
  }
  const auto trainsEnd = trains.begin() + static_cast<std::ptrdiff_t>(share.trains);
  const std::vector<TrainSpec> sectionsTrains(trains.begin(), trainsEnd);
  const std::vector<StationSpec> sectionsStations(
      stations.begin(), stations.begin() + static_cast<std::ptrdiff_t>(share.stations));
  DatabaseParts parts{
      buildTableLists(std::move(header), sectionsStations, sectionsTrains, sectionCalls), {}};
  parts.extension = buildExtension(sectionsTrains, std::move(network));
  MoreTrains& more = parts.extension.more;
  for (std::size_t s = share.stations; s < stations.size(); ++s)
    more.stations.push_back(MoreStation{stations[s].name, stations[s].abbreviation});
  for (auto t = trainsEnd; t != trains.end(); ++t) {
    MoreTrain train{t->number, t->classCode, t->fareColumnCode, t->fareRateCode, {}, rulesOf(*t)};
    for (const StopSpec& stop : t->stops) train.stopRecords += stopRecord(stop, kWideIndexDigits);
    more.trains.push_back(std::move(train));
  }
  return parts;
}

TimetableDb buildTimetable(std::string header, const std::vector<StationSpec>& stations,
                           const std::vector<TrainSpec>& trains) {
  return TimetableDb(buildTableLists(std::move(header), stations, trains));
}

}  // namespace murlo
