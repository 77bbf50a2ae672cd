#include "present/segment_line.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "db/day_rollover.h"
#include "fare/fare_columns.h"
#include "fare/network_fare.h"
#include "present/class_names.h"
#include "present/own_tariff.h"
#include "present/ride_facts.h"

namespace murlo {

namespace {

// What every line needs from the tables, found and checked once.
struct LineSources {
  TrainView train;
  StopPosition from;
  StopPosition to;
  std::string_view boardingName;
  std::string_view alightingName;
  std::string_view firstName;
  std::string_view lastName;
};

std::optional<LineSources> lineSources(const TimetableDb& db, TrainIndex trainIndex,
                                       StopPosition fromStop, StopPosition toStop) {
  const std::optional<TrainView> train = db.train(trainIndex);
  if (!train) return std::nullopt;
  if (train->stops.size() < 2) return std::nullopt;
  const StopPosition last = train->stops.last();
  if (toStop == StopPosition(0)) toStop = last;
  if (fromStop < StopPosition(0) || fromStop >= toStop || toStop > last) return std::nullopt;
  const auto boardingName = db.stationName(train->stops[fromStop].stationIndex());
  const auto alightingName = db.stationName(train->stops[toStop].stationIndex());
  const auto firstName = db.stationName(train->stops[StopPosition(0)].stationIndex());
  const auto lastName = db.stationName(train->stops[last].stationIndex());
  if (!boardingName || !alightingName || !firstName || !lastName) return std::nullopt;
  return LineSources{*train,         fromStop,   toStop,   *boardingName,
                     *alightingName, *firstName, *lastName};
}

// A ride's class and fare where the network has its own tariff (or none).
void applyOwnTariff(const NetworkFares& fares, const StopList& stops, RideFacts& facts) {
  facts.fares = {};
  facts.className = ownClassName(fares, facts.train);
  if (fares.tariff != Tariff::kNetwork) return;
  FareQuestion question;
  if (facts.train.slot() < fares.trainRoutes.size())
    question.route = fares.trainRoutes[facts.train.slot()];
  std::vector<uint32_t> passed;
  for (StopPosition k = facts.board; k <= facts.alight; ++k) {
    const std::size_t station = stops[k].stationIndex().slot();
    passed.push_back(station < fares.stationZones.size() ? fares.stationZones[station]
                                                         : kNoFareRef);
  }
  question.origin = passed.front();
  question.destination = passed.back();
  question.passed = passed;
  facts.networkFare = chooseNetworkFare(fares, question);
}

}  // namespace

CallTimes callTimes(const StopList& stops, StopPosition k) {
  int32_t time = stops[StopPosition(0)].departureMinutes();
  CallTimes call{time, time};
  for (StopPosition i(1); i <= k; ++i) {
    const StopRecord stop = stops[i];
    call.arrival += stepMinutes(time, stop.arrivalMinutes());
    time = stop.arrivalMinutes();
    call.departure = call.arrival + stepMinutes(time, stop.departureMinutes());
  }
  return call;
}

std::vector<CallTimes> allCallTimes(const StopList& stops) {
  std::vector<CallTimes> all;
  all.reserve(static_cast<std::size_t>(stops.size()));
  int32_t time = stops[StopPosition(0)].departureMinutes();
  CallTimes call{time, time};
  all.push_back(call);
  for (StopPosition i(1); stops.holds(i); ++i) {
    const StopRecord stop = stops[i];
    call.arrival += stepMinutes(time, stop.arrivalMinutes());
    time = stop.arrivalMinutes();
    call.departure = call.arrival + stepMinutes(time, stop.departureMinutes());
    all.push_back(call);
  }
  return all;
}

bool hasSegmentLine(const TimetableDb& db, TrainIndex trainIndex, StopPosition fromStop,
                    StopPosition toStop) {
  return lineSources(db, trainIndex, fromStop, toStop).has_value();
}

std::optional<RideFacts> rideFacts(const TimetableDb& db, TrainIndex trainIndex, StopPosition board,
                                   StopPosition alight) {
  const std::optional<LineSources> line = lineSources(db, trainIndex, board, alight);
  if (!line) return std::nullopt;
  const StopList& stops = line->train.stops;
  const StopRecord boarding = stops[line->from];
  const StopRecord alighting = stops[line->to];
  RideFacts facts;
  facts.train = trainIndex;
  facts.board = line->from;
  facts.alight = line->to;
  facts.marker = line->boardingName == line->firstName ? 'S' : ' ';
  facts.number = line->train.number;
  facts.boardingStation = line->boardingName;
  facts.alightingStation = line->alightingName;
  facts.firstStation = line->firstName;
  facts.lastStation = line->lastName;
  facts.className = className(line->train.classCode);
  facts.setOut = stops[StopPosition(0)].departureMinutes();
  facts.departure = callTimes(stops, line->from).departure;
  facts.journeyMinutes = journeyMinutes(stops, line->from, line->to);
  facts.arrival = facts.departure + facts.journeyMinutes;
  facts.distanceKm = alighting.distanceKm() - boarding.distanceKm();
  facts.fares =
      fareColumnValues(line->train.classCode, static_cast<signed char>(line->train.fareColumnCode),
                       line->train.fareRateCode, facts.distanceKm);
  if (const NetworkFares* own = ownTariff(db)) applyOwnTariff(*own, stops, facts);
  return facts;
}

bool appendSegmentLine(std::string& out, const TimetableDb& db, TrainIndex trainIndex,
                       StopPosition fromStop, StopPosition toStop, int32_t mode) {
  const std::optional<LineSources> line = lineSources(db, trainIndex, fromStop, toStop);
  if (!line) return false;
  const TrainView& train = line->train;
  fromStop = line->from;
  toStop = line->to;
  const StopRecord boarding = train.stops[fromStop];
  const StopRecord alighting = train.stops[toStop];
  const std::string_view boardingName = line->boardingName;
  const std::string_view alightingName = line->alightingName;
  const std::string_view firstName = line->firstName;
  const std::string_view lastName = line->lastName;

  // The fields up to the journey time are written straight into `out`, sized
  // first for the longest they can be, each followed by "|".
  // A network with a tariff of its own: its route type, and none of the
  // built-in tariff's fares.
  const NetworkFares* own = ownTariff(db);
  const std::string_view classText =
      own != nullptr ? ownClassName(*own, trainIndex) : className(train.classCode);
  const std::size_t start = out.size();
  out.resize(start + 64 + train.number.size() + boardingName.size() + alightingName.size() +
             firstName.size() + lastName.size() + classText.size());
  char* p = out.data() + start;
  const auto field = [&p](std::string_view text) {
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = '|';
  };
  *p++ = mode == 1 ? 'H' : boardingName == firstName ? 'S' : ' ';
  *p++ = '|';
  p = std::to_chars(p, p + 20, trainIndex.value()).ptr;
  *p++ = '|';
  field(train.number);
  field(boardingName);
  field(boarding.departureHour());
  p[-1] = ':';
  field(boarding.departureMinute());
  field(alightingName);
  field(alighting.arrivalHour());
  p[-1] = ':';
  field(alighting.arrivalMinute());
  field(firstName);
  field(lastName);
  field(classText);
  field("-");
  out.resize(static_cast<std::size_t>(p - out.data()));
  appendHoursMinutes(out, journeyMinutes(train.stops, fromStop, toStop));
  out += '|';
  if (own != nullptr) {
    out += "  - |  - |  - |  - ";
  } else {
    appendFareColumns(out, train.classCode, static_cast<signed char>(train.fareColumnCode),
                      train.fareRateCode, alighting.distanceKm() - boarding.distanceKm());
  }
  return true;
}

std::string buildSegmentLine(const TimetableDb& db, TrainIndex trainIndex, StopPosition fromStop,
                             StopPosition toStop, int32_t mode) {
  std::string line;
  appendSegmentLine(line, db, trainIndex, fromStop, toStop, mode);
  return line;
}

}  // namespace murlo
