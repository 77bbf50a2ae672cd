#include "answers.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

#include "ascii_text.h"
#include "host.h"
#include "library_calls.h"
#include "suggest.h"
#include "time_of_day.h"

namespace murlo::tool {
namespace {

LibraryText libraryText(const std::string& utf8) {
  return toLibraryText(utf8).value_or(LibraryText());
}

std::string roleAndStation(std::string_view role) {
  return role.empty() ? "station" : std::string(role) + " station";
}

std::optional<uint32_t> parseTrainIndex(const std::string& text) {
  uint32_t index = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, index);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return index;
}

bool hasNumber(const TrainLine& train, const std::string& number) {
  std::size_t begin = 0;
  while (begin <= train.number.size()) {
    std::size_t end = train.number.find('/', begin);
    if (end == std::string::npos) end = train.number.size();
    if (train.number.compare(begin, end - begin, number) == 0) return true;
    begin = end + 1;
  }
  return false;
}

Failure failureOf(Failure::Kind kind, std::string message, std::string role = "",
                  std::vector<std::string> names = {}) {
  Failure failure;
  failure.kind = kind;
  failure.message = std::move(message);
  failure.role = std::move(role);
  failure.names = std::move(names);
  return failure;
}

TrainsAnswer trainsAnswer(ListKind kind, Subject subject, const LibraryResult& result) {
  TrainsAnswer answer;
  answer.kind = kind;
  answer.subject = std::move(subject);
  answer.count = result.code;
  answer.text = result.text;
  return answer;
}

Failure sameStation(const std::string& station) {
  return failureOf(Failure::Kind::kSameStation,
                   "the origin and the destination are the same station (" + station + ")");
}

// The train lines of `answer` with their days (and for kAt the call at
// `station`), in the order asked for.
std::optional<Failure> addTrains(TrainsAnswer& answer, const TrainOrder& order,
                                 std::string_view station, std::string_view from,
                                 std::string_view to) {
  const auto lines = parseTrainLines(answer.text);
  if (!lines) return unreadableResult();
  auto trains = completeTrains(*lines, answer.kind, station, from, to);
  if (!trains) return unreadableResult();
  if (order.byDeparture) sortByDeparture(*trains, answer.kind, order.fromMinute);
  answer.trains = std::move(*trains);
  return std::nullopt;
}

// A journey's rides on the clock of the day asked about, with the wait
// before each change: a ride after a change is boarded at the first minute
// of its departure time of day that leaves `changeMinutes` after the ride
// before arrived (a later run of it would arrive a day later, and a journey
// the library writes is one that no other beats). Nothing when the rides do
// not add up to the journey's summary line.
std::optional<Journey> journeyOf(const JourneyLine& line, int changeMinutes) {
  Journey journey;
  journey.departure = line.departure;
  journey.arrival = line.arrival;
  journey.duration = line.duration;
  journey.departureDay = line.day;
  journey.arrivalDay = line.day + line.days;
  const auto departure = minutesOf(line.departure);
  const auto duration = minutesOfDuration(line.duration);
  if (!departure || !duration || line.rides.empty() ||
      line.rides.front().departure != line.departure || line.rides.back().arrival != line.arrival) {
    return std::nullopt;
  }
  const int64_t start = int64_t{line.day} * kMinutesPerDay + *departure;
  int64_t now = start;  // minutes from 00:00 of the day asked about
  for (std::size_t r = 0; r < line.rides.size(); ++r) {
    const TrainLine& train = line.rides[r];
    const auto boards = minutesOf(train.departure);
    const auto alights = minutesOf(train.arrival);
    const auto rideTime = minutesOfDuration(train.journeyTime);
    if (!boards || !alights || !rideTime) return std::nullopt;
    Ride ride;
    if (r > 0) {
      if (train.from != line.rides[r - 1].to) return std::nullopt;
      const int64_t earliest = now + changeMinutes;
      const int64_t delta =
          ((*boards - earliest % kMinutesPerDay) % kMinutesPerDay + kMinutesPerDay) %
          kMinutesPerDay;
      ride.waitMinutes = static_cast<int>(changeMinutes + delta);
      now = earliest + delta;
    }
    ride.departureDay = static_cast<int>(now / kMinutesPerDay);
    now += *rideTime;
    if (now % kMinutesPerDay != *alights) return std::nullopt;
    ride.arrivalDay = static_cast<int>(now / kMinutesPerDay);
    ride.train.line = train;
    journey.rides.push_back(std::move(ride));
  }
  if (now - start != *duration || journey.rides.back().arrivalDay != journey.arrivalDay) {
    return std::nullopt;
  }
  return journey;
}

}  // namespace

Failure libraryFailure(int32_t code) {
  if (code == MURLO_OUT_OF_MEMORY) {
    return failureOf(Failure::Kind::kOutOfMemory, "the library ran out of memory");
  }
  if (code == MURLO_INVALID_ARGUMENT) {
    return failureOf(Failure::Kind::kInvalidArgument,
                     "a number of the question is outside the range the library takes");
  }
  return failureOf(Failure::Kind::kLibrary,
                   "the library answered with the unexpected result " + std::to_string(code));
}

Failure unreadableResult() {
  return failureOf(Failure::Kind::kLibrary,
                   "the library's result text does not have the documented form");
}

Questions::Questions(std::string database,
                     std::shared_ptr<const std::vector<StationEntry>> stations)
    : database_(std::move(database)), stations_(std::move(stations)) {}

const std::vector<StationEntry>* Questions::stationList() {
  if (!stations_) {
    auto loaded = loadedStations();
    if (!loaded) return nullptr;
    stations_ = std::make_shared<const std::vector<StationEntry>>(std::move(*loaded));
  }
  return stations_.get();
}

std::variant<std::string, Failure> Questions::resolve(std::string_view role,
                                                      std::string_view typed) {
  const auto* stations = stationList();
  if (stations == nullptr) return unreadableResult();
  typed = trimSpaces(typed);
  const StationMatch match = matchStation(typed, *stations);
  switch (match.kind) {
    case StationMatch::Kind::kExact: return match.name;
    case StationMatch::Kind::kTaken:
      notes_.push_back("taking " + match.name + " for \"" + std::string(typed) + "\"" +
                       (match.byAbbreviation ? " (its abbreviation)" : ""));
      return match.name;
    case StationMatch::Kind::kSeveral: {
      std::string message = "\"" + std::string(typed) + "\" matches " +
                            std::to_string(match.candidates.size()) + " stations: ";
      for (std::size_t i = 0; i < match.candidates.size(); ++i) {
        if (i == 8) {
          message += ", ...";
          break;
        }
        message += (i > 0 ? ", " : "") + match.candidates[i];
      }
      return failureOf(Failure::Kind::kSeveralStations,
                       message + "; give the " + roleAndStation(role) + " by its name",
                       std::string(role), match.candidates);
    }
    case StationMatch::Kind::kNone: break;
  }
  return unknownStation(role, typed);
}

Failure Questions::unknownStation(std::string_view role, std::string_view typed) {
  Failure failure = failureOf(Failure::Kind::kUnknownStation,
                              "unknown " + roleAndStation(role) + " \"" + std::string(typed) + "\"",
                              std::string(role));
  if (findStations(LibraryText()).code == 0) {
    failure.message += ": the database " + database_ + " has no stations";
    return failure;
  }
  failure.names = suggestStations(typed);
  if (failure.names.empty()) {
    failure.message += " (murlo stations ABBR lists station names)";
    return failure;
  }
  failure.message += "; did you mean ";
  for (std::size_t i = 0; i < failure.names.size(); ++i) {
    failure.message += (i > 0 ? ", " : "") + failure.names[i];
  }
  failure.message += "?";
  return failure;
}

Failure Questions::noNumber() {
  return failureOf(Failure::Kind::kInvalidArgument, "give a train number, such as K101");
}

LibraryResult Questions::trainsUnder(std::string& number, std::string_view typed) {
  LibraryResult result = trainsByNumber(libraryText(number));
  // Train numbers are written in capitals: "k101" is K101 when no train
  // runs under the number as typed.
  if (result.code == 0 && hasAsciiLowerCase(number)) {
    LibraryResult inCapitals = trainsByNumber(libraryText(asciiCapitals(number)));
    if (inCapitals.code > 0) {
      number = asciiCapitals(number);
      notes_.push_back("taking " + number + " for \"" + std::string(typed) + "\"");
      result = std::move(inCapitals);
    }
  }
  return result;
}

std::variant<uint32_t, Failure> Questions::trainByNumber(std::string_view typed) {
  std::string number(trimSpaces(typed));
  if (number.empty()) return noNumber();
  const LibraryResult result = trainsUnder(number, typed);
  if (result.code < 0) return libraryFailure(result.code);
  const auto trains = parseTrainLines(result.text);
  if (!trains) return unreadableResult();
  if (trains->empty()) {
    return failureOf(Failure::Kind::kUnknownTrain,
                     "no train runs under the number " + number + " in " + database_);
  }
  if (trains->size() == 1) return trains->front().index;
  std::vector<const TrainLine*> exact;
  for (const TrainLine& train : *trains) {
    if (hasNumber(train, number)) exact.push_back(&train);
  }
  if (exact.size() == 1) return exact.front()->index;
  Failure failure = failureOf(Failure::Kind::kSeveralTrains,
                              std::to_string(trains->size()) + " trains run under the number " +
                                  number + "; give the index of one");
  failure.trains = *trains;
  return failure;
}

Outcome<HeaderAnswer> Questions::header() {
  const LibraryResult result = headerText();
  if (result.code < 0) return libraryFailure(result.code);
  return HeaderAnswer{result.text};
}

Outcome<StationsAnswer> Questions::stations(const std::string& abbreviation,
                                            const std::optional<std::string>& namePart,
                                            Detail detail) {
  const LibraryResult result = findStations(libraryText(abbreviation));
  if (result.code < 0) return libraryFailure(result.code);
  StationsAnswer answer;
  answer.abbreviation = abbreviation;
  answer.namePart = namePart;
  answer.text = result.text;
  const std::string capitals = asciiCapitals(abbreviation);
  if (hasAsciiLowerCase(abbreviation)) answer.alsoAbbreviation = capitals;
  if (detail == Detail::kText) return answer;
  const auto* all = stationList();
  if (all == nullptr) return unreadableResult();
  // The stations whose abbreviation begins with the one asked for, as typed
  // or in capitals, in table order.
  const std::vector<std::string> partNames =
      namePart ? namesContaining(*namePart, *all) : std::vector<std::string>{};
  for (const StationEntry& station : *all) {
    const auto begins = [&](const std::string& prefix) {
      return station.abbreviation.compare(0, prefix.size(), prefix) == 0;
    };
    if (!begins(abbreviation) && !(answer.alsoAbbreviation && begins(capitals))) continue;
    if (namePart &&
        std::find(partNames.begin(), partNames.end(), station.name) == partNames.end()) {
      continue;
    }
    answer.stations.push_back(station);
  }
  return answer;
}

Outcome<TypedStationsAnswer> Questions::typedStations(const std::string& typed, std::size_t limit) {
  const auto* all = stationList();
  if (all == nullptr) return unreadableResult();
  TypedStationsAnswer answer;
  answer.typed = typed;
  const std::vector<const StationEntry*> found = stationsForTyping(typed, *all);
  for (std::size_t i = 0; i < found.size() && i < limit; ++i) answer.stations.push_back(*found[i]);
  answer.more = found.size() > limit;
  return answer;
}

Outcome<TrainsAnswer> Questions::at(const std::string& typed, const TrainOrder& order,
                                    Detail detail) {
  auto resolved = resolve("", typed);
  if (auto* failure = std::get_if<Failure>(&resolved)) return std::move(*failure);
  const std::string station = std::get<std::string>(std::move(resolved));
  const LibraryResult result = trainsAtStation(libraryText(station));
  if (result.code == -1) return unknownStation("", typed);
  if (result.code < 0) return libraryFailure(result.code);
  TrainsAnswer answer = trainsAnswer(ListKind::kAt, {{"station", station}}, result);
  if (detail == Detail::kFields) {
    if (auto failure = addTrains(answer, order, station, "", "")) return std::move(*failure);
  }
  return answer;
}

Outcome<TrainsAnswer> Questions::direct(const std::string& typedFrom, const std::string& typedTo,
                                        int32_t mode, const TrainOrder& order, Detail detail) {
  // Equal texts are the same station, known or not, as the library says.
  if (typedFrom == typedTo) return sameStation(typedFrom);
  auto origin = resolve("origin", typedFrom);
  if (auto* failure = std::get_if<Failure>(&origin)) return std::move(*failure);
  auto destination = resolve("destination", typedTo);
  if (auto* failure = std::get_if<Failure>(&destination)) return std::move(*failure);
  const std::string from = std::get<std::string>(std::move(origin));
  const std::string to = std::get<std::string>(std::move(destination));
  const LibraryResult result = directTrains(libraryText(from), libraryText(to), mode);
  switch (result.code) {
    case -3: return sameStation(from);
    case -1: return unknownStation("origin", typedFrom);
    case -2: return unknownStation("destination", typedTo);
    default: break;
  }
  if (result.code < 0) return libraryFailure(result.code);
  TrainsAnswer answer = trainsAnswer(ListKind::kDirect, {{"from", from}, {"to", to}}, result);
  if (detail == Detail::kText) return answer;
  if (result.code > 0) {
    if (auto failure = addTrains(answer, order, "", from, to)) return std::move(*failure);
    return answer;
  }
  auto stations = parseNames(result.text);
  if (!stations) return unreadableResult();
  answer.changeStations = std::move(*stations);
  return answer;
}

Outcome<TrainsAnswer> Questions::number(const std::string& typed, const TrainOrder& order,
                                        Detail detail) {
  std::string number(trimSpaces(typed));
  if (number.empty()) return noNumber();
  const LibraryResult result = trainsUnder(number, typed);
  if (result.code < 0) return libraryFailure(result.code);
  TrainsAnswer answer = trainsAnswer(ListKind::kNumber, {{"number", number}}, result);
  if (detail == Detail::kFields) {
    if (auto failure = addTrains(answer, order, "", "", "")) return std::move(*failure);
  }
  return answer;
}

Outcome<StopsAnswer> Questions::stops(const std::string& typedTrain,
                                      const std::optional<std::string>& typedFrom,
                                      const std::optional<std::string>& typedTo, Detail detail) {
  std::optional<uint32_t> train = parseTrainIndex(typedTrain);
  if (!train) {
    auto choice = trainByNumber(typedTrain);
    if (auto* failure = std::get_if<Failure>(&choice)) return std::move(*failure);
    train = std::get<uint32_t>(choice);
  }
  StopsAnswer answer;
  answer.train = *train;
  if (typedFrom && typedTo) {
    auto boarding = resolve("boarding", *typedFrom);
    if (auto* failure = std::get_if<Failure>(&boarding)) return std::move(*failure);
    auto alighting = resolve("alighting", *typedTo);
    if (auto* failure = std::get_if<Failure>(&alighting)) return std::move(*failure);
    answer.from = std::get<std::string>(std::move(boarding));
    answer.to = std::get<std::string>(std::move(alighting));
  }
  const StopsResult result = trainStops(*train, libraryText(answer.from.value_or("")),
                                        libraryText(answer.to.value_or("")));
  if (result.code < 0) return libraryFailure(result.code);
  if (result.code == 0) {
    return failureOf(Failure::Kind::kUnknownTrain,
                     "no train has the index " + std::to_string(*train) + " in " + database_);
  }
  answer.count = result.code;
  answer.runTime = result.runTime;
  answer.text = result.stops;
  if (detail == Detail::kFields) {
    auto stops = parseStopLines(result.stops);
    if (!stops) return unreadableResult();
    assignDays(*stops);
    answer.stops = std::move(*stops);
    if (answer.from) {
      const auto calls = [&](const std::string& name, auto after) {
        return std::find_if(after, answer.stops.end(),
                            [&](const StopLine& stop) { return stop.station == name; });
      };
      const auto boarding = calls(*answer.from, answer.stops.begin());
      answer.runsFromTo =
          boarding != answer.stops.end() && calls(*answer.to, boarding + 1) != answer.stops.end();
    }
  }
  return answer;
}

Outcome<BoardAnswer> Questions::departures(const std::string& station, int atMinute, int32_t limit,
                                           Detail detail) {
  return board(ListKind::kDepartures, station, atMinute, limit, detail);
}

Outcome<BoardAnswer> Questions::arrivals(const std::string& station, int atMinute, int32_t limit,
                                         Detail detail) {
  return board(ListKind::kArrivals, station, atMinute, limit, detail);
}

Outcome<BoardAnswer> Questions::board(ListKind kind, const std::string& typed, int atMinute,
                                      int32_t limit, Detail detail) {
  auto resolved = resolve("", typed);
  if (auto* failure = std::get_if<Failure>(&resolved)) return std::move(*failure);
  BoardAnswer answer;
  answer.kind = kind;
  answer.station = std::get<std::string>(std::move(resolved));
  answer.atMinute = atMinute;
  answer.limit = limit;
  const LibraryText station = libraryText(answer.station);
  const LibraryResult result = kind == ListKind::kDepartures
                                   ? departureBoard(station, atMinute, limit)
                                   : arrivalBoard(station, atMinute, limit);
  if (result.code == -1) return unknownStation("", typed);
  if (result.code < 0) return libraryFailure(result.code);
  answer.count = result.code;
  answer.text = result.text;
  if (detail == Detail::kText) return answer;
  const auto lines = parseTrainLines(result.text);
  if (!lines) return unreadableResult();
  auto trains = completeTrains(*lines, kind, answer.station, "", "");
  if (!trains) return unreadableResult();
  answer.trains = std::move(*trains);
  setBoardDays(answer.trains, kind, atMinute);
  return answer;
}

Outcome<PlanAnswer> Questions::plan(const std::string& typedFrom, const std::string& typedTo,
                                    const PlanQuestion& question, Detail detail) {
  if (typedFrom == typedTo) return sameStation(typedFrom);
  auto origin = resolve("origin", typedFrom);
  if (auto* failure = std::get_if<Failure>(&origin)) return std::move(*failure);
  auto destination = resolve("destination", typedTo);
  if (auto* failure = std::get_if<Failure>(&destination)) return std::move(*failure);
  PlanAnswer answer;
  answer.from = std::get<std::string>(std::move(origin));
  answer.to = std::get<std::string>(std::move(destination));
  answer.question = question;
  const LibraryResult result =
      planJourneys(libraryText(answer.from), libraryText(answer.to), question.atMinute,
                   question.maxChanges, question.changeMinutes, question.limit);
  switch (result.code) {
    case -3: return sameStation(answer.from);
    case -1: return unknownStation("origin", typedFrom);
    case -2: return unknownStation("destination", typedTo);
    default: break;
  }
  if (result.code < 0) return libraryFailure(result.code);
  answer.count = result.code;
  answer.text = result.text;
  if (detail == Detail::kText) return answer;
  const auto lines = parseJourneys(result.text);
  if (!lines || lines->size() != static_cast<std::size_t>(result.code)) return unreadableResult();
  // Each ride's train with its days as in every train list, asked once for
  // a ride that several journeys share.
  std::map<std::tuple<uint32_t, std::string, std::string>, ListedTrain> trains;
  for (const JourneyLine& line : *lines) {
    auto journey = journeyOf(line, question.changeMinutes);
    if (!journey) return unreadableResult();
    for (Ride& ride : journey->rides) {
      const TrainLine& train = ride.train.line;
      const auto key = std::make_tuple(train.index, train.from, train.to);
      auto found = trains.find(key);
      if (found == trains.end()) {
        auto listed = completeTrains({train}, ListKind::kDirect, "", train.from, train.to);
        if (!listed || listed->size() != 1) return unreadableResult();
        found = trains.emplace(key, std::move(listed->front())).first;
      }
      // The line as this journey's ride has it, the days of its train.
      TrainLine rideLine = train;
      ride.train = found->second;
      ride.train.line = std::move(rideLine);
    }
    answer.journeys.push_back(std::move(*journey));
  }
  return answer;
}

}  // namespace murlo::tool
