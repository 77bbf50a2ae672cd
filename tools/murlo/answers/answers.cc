#include "answers/answers.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

#include "answers/ascii_text.h"
#include "answers/database_handle.h"
#include "answers/host.h"
#include "answers/library_calls.h"
#include "answers/service_date.h"
#include "answers/suggest.h"
#include "answers/time_of_day.h"

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

Status failureOf(Status::Kind kind, std::string message, std::string role = "",
                 std::vector<std::string> names = {}) {
  Status::Details details;
  details.role = std::move(role);
  details.names = std::move(names);
  return Status(kind, std::move(message), std::move(details));
}

TrainsAnswer trainsAnswer(ListKind kind, Subject subject, const LibraryResult& result) {
  TrainsAnswer answer;
  answer.kind = kind;
  answer.subject = std::move(subject);
  answer.count = result.code;
  answer.text = result.text;
  return answer;
}

// The group named `name`, when no station has that name (a station's own
// name comes first); nullptr otherwise.
const StationEntry* groupNamed(const std::string& name, const std::vector<StationEntry>& places) {
  const StationEntry* group = nullptr;
  for (const StationEntry& place : places) {
    if (place.name != name) continue;
    if (!place.isGroup()) return nullptr;
    if (group == nullptr) group = &place;
  }
  return group;
}

// A group named where one station is needed: its members to choose from.
// The message names the members as answers show them (`shownMembers`); the
// choices stay the names to ask by.
Status groupRefused(std::string_view role, const StationEntry& group,
                    const std::vector<std::string>& shownMembers) {
  std::string message =
      group.name + " is a group of " + std::to_string(group.members.size()) + " stations: ";
  for (std::size_t i = 0; i < shownMembers.size(); ++i) {
    message += (i > 0 ? ", " : "") + shownMembers[i];
  }
  return failureOf(Status::Kind::kSeveralStations,
                   message + "; give the " + roleAndStation(role) + " by its name",
                   std::string(role), group.members);
}

Status sameStation(const std::string& station) {
  return failureOf(Status::Kind::kSameStation,
                   "the origin and the destination are the same station (" + station + ")");
}

// The train lines of a structured answer as `kind` lists them, in the
// order asked for.
std::vector<ListedTrain> listedTrains(const murlo_db* db, const murlo_rides& rides, ListKind kind,
                                      const TrainOrder& order, bool markAll = false) {
  std::vector<ListedTrain> trains;
  trains.reserve(rides.count);
  for (std::size_t i = 0; i < rides.count; ++i) {
    trains.push_back(listedTrainOf(rides.rides[i], kind, markAll, db));
    trains.back().words = rideWords(db, rides.rides[i]);
  }
  if (order.byDeparture) sortByDeparture(trains, kind, order.fromMinute);
  return trains;
}

}  // namespace

Status libraryFailure(int32_t code) {
  if (code == MURLO_OUT_OF_MEMORY) {
    return failureOf(Status::Kind::kOutOfMemory, "the library ran out of memory");
  }
  if (code == MURLO_INVALID_ARGUMENT) {
    return failureOf(Status::Kind::kInvalidArgument,
                     "a number of the question is outside the range the library takes");
  }
  return failureOf(Status::Kind::kLibrary,
                   "the library answered with the unexpected result " + std::to_string(code));
}

Status statusFailure(murlo_status status) {
  switch (status) {
    case MURLO_STATUS_OUT_OF_MEMORY: return libraryFailure(MURLO_OUT_OF_MEMORY);
    case MURLO_STATUS_INVALID_ARGUMENT: return libraryFailure(MURLO_INVALID_ARGUMENT);
    default:
      return failureOf(Status::Kind::kLibrary,
                       std::string("the library answered: ") + murlo_status_text(status));
  }
}

Status unreadableResult() {
  return failureOf(Status::Kind::kLibrary,
                   "the library's result text does not have the documented form");
}

Questions::Questions(std::string database, DatabaseHandle handle,
                     std::shared_ptr<const std::vector<StationEntry>> stations)
    : database_(std::move(database)),
      handle_(std::move(handle)),
      stations_(std::move(stations)),
      linesAdded_(stations_ != nullptr) {}

const std::vector<StationEntry>* Questions::stationList() {
  if (!stations_) {
    auto listed = stationEntries(handle_.get(), StationLines::kLeftOut);
    if (!listed) return nullptr;
    stations_ = std::make_shared<const std::vector<StationEntry>>(std::move(*listed));
  }
  return stations_.get();
}

const std::vector<StationEntry>* Questions::stationListWithLines() {
  const auto* stations = stationList();
  if (stations == nullptr || linesAdded_) return stations;
  std::vector<StationEntry> withLines = *stations;
  addStationLines(handle_.get(), withLines);
  stations_ = std::make_shared<const std::vector<StationEntry>>(std::move(withLines));
  linesAdded_ = true;
  return stations_.get();
}

void Questions::noteWritten(NamesAsWritten& written, const std::string& name) {
  const auto* stations = stationList();
  if (stations == nullptr || written.contains(name)) return;
  for (const StationEntry& station : *stations) {
    if (station.name != name) continue;
    if (!station.label.empty()) written.emplace(name, station.label);
    return;
  }
}

std::string Questions::shownStation(const std::string& name) {
  NamesAsWritten written;
  noteWritten(written, name);
  return shownName(written, name);
}

Result<std::string> Questions::resolve(std::string_view role, std::string_view typed,
                                       Groups groups) {
  const auto* stations = stationList();
  if (stations == nullptr) return unreadableResult();
  typed = trimSpaces(typed);
  const StationMatch match = matchStation(typed, *stations);
  switch (match.kind) {
    case StationMatch::Kind::kExact:
    case StationMatch::Kind::kTaken: {
      const StationEntry* group = groupNamed(match.name, *stations);
      if (group != nullptr && groups == Groups::kRefused) {
        std::vector<std::string> shownMembers;
        for (const std::string& member : group->members) {
          shownMembers.push_back(shownStation(member));
        }
        return groupRefused(role, *group, shownMembers);
      }
      if (match.kind == StationMatch::Kind::kTaken) {
        NamesAsWritten written;
        noteWritten(written, match.name);
        notes_.push_back("taking " + std::string(group != nullptr ? "the station group " : "") +
                         shownName(written, match.name) + " for \"" + std::string(typed) + "\"" +
                         (match.byAbbreviation ? " (its abbreviation)" : ""));
      }
      return match.name;
    }
    case StationMatch::Kind::kSeveral: {
      std::string message = "\"" + std::string(typed) + "\" matches " +
                            std::to_string(match.candidates.size()) + " stations: ";
      for (std::size_t i = 0; i < match.candidates.size(); ++i) {
        if (i == 8) {
          message += ", ...";
          break;
        }
        message += (i > 0 ? ", " : "") + match.candidates[i];
        // Where the network writes its own names, the label riders know.
        for (const StationEntry& station : *stations) {
          if (station.name == match.candidates[i] && !station.label.empty()) {
            message += " \"" + station.label + "\"";
            break;
          }
        }
      }
      return failureOf(Status::Kind::kSeveralStations,
                       message + "; give the " + roleAndStation(role) + " by its name",
                       std::string(role), match.candidates);
    }
    case StationMatch::Kind::kNone: break;
  }
  return unknownStation(role, typed);
}

Status Questions::unknownStation(std::string_view role, std::string_view typed) {
  std::string message = "unknown " + roleAndStation(role) + " \"" + std::string(typed) + "\"";
  const auto* all = stationListWithLines();
  if (all == nullptr || all->empty()) {
    return failureOf(Status::Kind::kUnknownStation,
                     message + ": the database " + database_ + " has no stations",
                     std::string(role));
  }
  // A line's name is no station's: its stations are the ones to choose from.
  const StationLine* line = nullptr;
  std::vector<std::string> ofLine;
  for (const StationEntry& station : *all) {
    const StationLine* named = lineNamed(typed, station);
    if (named == nullptr || (line != nullptr && named->text() != line->text())) continue;
    line = named;
    ofLine.push_back(station.name);
  }
  if (line != nullptr) {
    message += " (a line's name: " + line->text() + " calls at ";
    for (std::size_t i = 0; i < ofLine.size() && i < 8; ++i) {
      NamesAsWritten written;
      noteWritten(written, ofLine[i]);
      message += (i > 0 ? ", " : "") + shownName(written, ofLine[i]);
    }
    message += ofLine.size() > 8 ? ", ...)" : ")";
    return failureOf(Status::Kind::kUnknownStation, std::move(message), std::string(role),
                     std::move(ofLine));
  }
  std::vector<std::string> names = suggestStations(typed, *all);
  if (names.empty()) {
    message += " (murlo stations ABBR lists station names)";
  } else {
    message += "; did you mean ";
    for (std::size_t i = 0; i < names.size(); ++i) message += (i > 0 ? ", " : "") + names[i];
    message += "?";
  }
  return failureOf(Status::Kind::kUnknownStation, std::move(message), std::string(role),
                   std::move(names));
}

Status Questions::noNumber() {
  return failureOf(Status::Kind::kInvalidArgument, "give a train number, such as K101");
}

Owned<murlo_rides> Questions::trainsUnder(std::string& number, std::string_view typed,
                                          murlo_status& status) {
  const auto ask = [&](const std::string& asked) {
    murlo_rides* rides = nullptr;
    status = murlo_db_trains_by_number(handle_.get(), asked.c_str(), &rides);
    return Owned<murlo_rides>(rides);
  };
  Owned<murlo_rides> rides = ask(number);
  // Train numbers are written in capitals: "k101" is K101 when no train
  // runs under the number as typed.
  if (rides && rides->count == 0 && hasAsciiLowerCase(number)) {
    Owned<murlo_rides> inCapitals = ask(asciiCapitals(number));
    if (inCapitals && inCapitals->count > 0) {
      number = asciiCapitals(number);
      notes_.push_back("taking " + number + " for \"" + std::string(typed) + "\"");
      return inCapitals;
    }
    if (!inCapitals) return inCapitals;
  }
  return rides;
}

Result<uint32_t> Questions::trainByNumber(std::string_view typed) {
  std::string number(trimSpaces(typed));
  if (number.empty()) return noNumber();
  murlo_status status = MURLO_STATUS_OK;
  const Owned<murlo_rides> rides = trainsUnder(number, typed, status);
  if (!rides) return statusFailure(status);
  if (rides->count == 0) {
    return failureOf(Status::Kind::kUnknownTrain,
                     "no train runs under the number " + number + " in " + database_);
  }
  std::vector<TrainLine> trains;
  for (std::size_t i = 0; i < rides->count; ++i) trains.push_back(trainLineOf(rides->rides[i]));
  if (trains.size() == 1) return trains.front().index;
  std::vector<const TrainLine*> exact;
  for (const TrainLine& train : trains) {
    if (hasNumber(train, number)) exact.push_back(&train);
  }
  if (exact.size() == 1) return exact.front()->index;
  std::string message = std::to_string(trains.size()) + " trains run under the number " + number +
                        "; give the index of one";
  Status::Details details;
  details.trains = std::move(trains);
  return Status(Status::Kind::kSeveralTrains, std::move(message), std::move(details));
}

Result<HeaderAnswer> Questions::header(Detail detail) {
  if (detail == Detail::kFields) {
    const ServicePeriod period = servicePeriodOf(handle_.get());
    HeaderAnswer answer;
    answer.header = murlo_db_header(handle_.get());
    answer.firstDate = period.first;
    answer.lastDate = period.last;
    answer.timeZone = period.timeZone;
    const std::time_t now = std::time(nullptr);
    answer.today = dateIn(period.timeZone, now);
    answer.nowMinute = minuteIn(period.timeZone, now);
    return answer;
  }
  const LibraryResult result = headerText();
  if (result.code < 0) return libraryFailure(result.code);
  HeaderAnswer answer;
  answer.header = result.text;
  return answer;
}

Result<StationsAnswer> Questions::stations(const std::string& abbreviation,
                                           const std::optional<std::string>& namePart,
                                           Detail detail) {
  StationsAnswer answer;
  answer.abbreviation = abbreviation;
  answer.namePart = namePart;
  const std::string capitals = asciiCapitals(abbreviation);
  if (hasAsciiLowerCase(abbreviation)) answer.alsoAbbreviation = capitals;
  if (detail == Detail::kText) {
    const LibraryResult result = findStations(libraryText(abbreviation));
    if (result.code < 0) return libraryFailure(result.code);
    answer.text = result.text;
    return answer;
  }
  const auto* all = namePart ? stationListWithLines() : stationList();
  if (all == nullptr) return unreadableResult();
  // The stations whose abbreviation begins with the one asked for, as typed
  // or in capitals, in table order.
  const std::vector<std::string> partNames =
      namePart ? namesContaining(*namePart, *all) : std::vector<std::string>{};
  const auto abbreviated = [&](const StationEntry& station) {
    const auto begins = [&](const std::string& prefix) {
      return station.abbreviation.compare(0, prefix.size(), prefix) == 0;
    };
    return !station.isGroup() &&
           (begins(abbreviation) || (answer.alsoAbbreviation && begins(capitals)));
  };
  for (const StationEntry& station : *all) {
    if (!abbreviated(station)) continue;
    if (namePart &&
        std::find(partNames.begin(), partNames.end(), station.name) == partNames.end()) {
      continue;
    }
    answer.stations.push_back(station);
    answer.byLine.emplace_back();
  }
  if (!namePart) return answer;
  // Then the stations of the lines the name gives, not found by their own.
  const std::size_t byName = answer.stations.size();
  for (const StationEntry& station : *all) {
    if (!abbreviated(station)) continue;
    const StationLine* line = lineNamed(*namePart, station);
    if (line == nullptr ||
        std::any_of(answer.stations.begin(), answer.stations.begin() + static_cast<long>(byName),
                    [&](const StationEntry& s) { return s.name == station.name; }))
      continue;
    answer.stations.push_back(station);
    answer.byLine.push_back(line->text());
  }
  return answer;
}

Result<TypedStationsAnswer> Questions::typedStations(const std::string& typed, std::size_t limit) {
  const auto* all = stationListWithLines();
  if (all == nullptr) return unreadableResult();
  TypedStationsAnswer answer;
  answer.typed = typed;
  std::vector<bool> byLine;
  const std::vector<const StationEntry*> found = stationsForTyping(typed, *all, &byLine);
  for (std::size_t i = 0; i < found.size() && i < limit; ++i) {
    answer.stations.push_back(*found[i]);
    // A station that only a line's name finds says which line.
    const StationLine* line = byLine[i] ? lineNamed(typed, *found[i]) : nullptr;
    answer.byLine.push_back(line != nullptr ? line->text() : "");
  }
  answer.more = found.size() > limit;
  return answer;
}

Result<TrainsAnswer> Questions::at(const std::string& typed, const TrainOrder& order,
                                   Detail detail) {
  auto resolved = resolve("", typed);
  if (!resolved.ok()) return resolved.status();
  const std::string station = std::move(*resolved);
  if (detail == Detail::kText) {
    const LibraryResult result = trainsAtStation(libraryText(station));
    if (result.code == -1) return unknownStation("", typed);
    if (result.code < 0) return libraryFailure(result.code);
    return trainsAnswer(ListKind::kAt, {{"station", station}}, result);
  }
  murlo_rides* asked = nullptr;
  const murlo_status status = murlo_db_trains_at_station(handle_.get(), station.c_str(), &asked);
  const Owned<murlo_rides> rides(asked);
  if (status == MURLO_STATUS_UNKNOWN_STATION) return unknownStation("", typed);
  if (status != MURLO_STATUS_OK) return statusFailure(status);
  TrainsAnswer answer = trainsAnswer(ListKind::kAt, {{"station", station}}, {});
  noteWritten(answer.written, station);
  answer.count = static_cast<int32_t>(rides->count);
  answer.trains = listedTrains(handle_.get(), *rides, ListKind::kAt, order);
  return answer;
}

Result<TrainsAnswer> Questions::direct(const std::string& typedFrom, const std::string& typedTo,
                                       int32_t mode, const TrainOrder& order, Detail detail,
                                       int32_t date) {
  // Equal texts are the same station, known or not, as the library says.
  if (typedFrom == typedTo) return sameStation(typedFrom);
  auto origin = resolve("origin", typedFrom);
  if (!origin.ok()) return origin.status();
  auto destination = resolve("destination", typedTo);
  if (!destination.ok()) return destination.status();
  const std::string from = std::move(*origin);
  const std::string to = std::move(*destination);
  Subject subject = {{"from", from}, {"to", to}};
  if (order.timeAsked) subject.emplace_back("at", formatMinuteOfDay(order.fromMinute));
  if (date != MURLO_NO_DATE) subject.emplace_back("date", formatIsoDate(date));
  if (detail == Detail::kText) {
    const LibraryResult result = directTrains(libraryText(from), libraryText(to), mode);
    switch (result.code) {
      case -3: return sameStation(shownStation(from));
      case -1: return unknownStation("origin", typedFrom);
      case -2: return unknownStation("destination", typedTo);
      default: break;
    }
    if (result.code < 0) return libraryFailure(result.code);
    return trainsAnswer(ListKind::kDirect, subject, result);
  }
  murlo_rides* asked = nullptr;
  const murlo_status status =
      date == MURLO_NO_DATE
          ? murlo_db_direct_trains(handle_.get(), from.c_str(), to.c_str(), &asked)
          : murlo_db_direct_trains_on(handle_.get(), from.c_str(), to.c_str(), date, &asked);
  const Owned<murlo_rides> rides(asked);
  switch (status) {
    case MURLO_STATUS_OK: break;
    case MURLO_STATUS_SAME_STATION: return sameStation(shownStation(from));
    case MURLO_STATUS_UNKNOWN_ORIGIN: return unknownStation("origin", typedFrom);
    case MURLO_STATUS_UNKNOWN_DESTINATION: return unknownStation("destination", typedTo);
    default: return statusFailure(status);
  }
  TrainsAnswer answer = trainsAnswer(ListKind::kDirect, subject, {});
  answer.count = static_cast<int32_t>(rides->count);
  answer.trains = listedTrains(handle_.get(), *rides, ListKind::kDirect, order, mode == 1);
  for (std::size_t i = 0; i < rides->change_station_count; ++i) {
    answer.changeStations.emplace_back(rides->change_stations[i]);
  }
  for (const std::string& station : answer.changeStations) noteWritten(answer.written, station);
  noteWritten(answer.written, from);
  noteWritten(answer.written, to);
  return answer;
}

Result<TrainsAnswer> Questions::number(const std::string& typed, const TrainOrder& order,
                                       Detail detail) {
  std::string number(trimSpaces(typed));
  if (number.empty()) return noNumber();
  murlo_status status = MURLO_STATUS_OK;
  const Owned<murlo_rides> rides = trainsUnder(number, typed, status);
  if (!rides) return statusFailure(status);
  if (detail == Detail::kText) {
    const LibraryResult result = trainsByNumber(libraryText(number));
    if (result.code < 0) return libraryFailure(result.code);
    return trainsAnswer(ListKind::kNumber, {{"number", number}}, result);
  }
  TrainsAnswer answer = trainsAnswer(ListKind::kNumber, {{"number", number}}, {});
  answer.count = static_cast<int32_t>(rides->count);
  answer.trains = listedTrains(handle_.get(), *rides, ListKind::kNumber, order);
  return answer;
}

Result<StopsAnswer> Questions::stops(const std::string& typedTrain,
                                     const std::optional<std::string>& typedFrom,
                                     const std::optional<std::string>& typedTo, Detail detail) {
  std::optional<uint32_t> train = parseTrainIndex(typedTrain);
  if (!train) {
    auto choice = trainByNumber(typedTrain);
    if (!choice.ok()) return choice.status();
    train = *choice;
  }
  StopsAnswer answer;
  answer.train = *train;
  if (typedFrom && typedTo) {
    auto boarding = resolve("boarding", *typedFrom);
    if (!boarding.ok()) return boarding.status();
    auto alighting = resolve("alighting", *typedTo);
    if (!alighting.ok()) return alighting.status();
    answer.from = std::move(*boarding);
    answer.to = std::move(*alighting);
  }
  if (detail == Detail::kText) {
    const StopsResult result = trainStops(*train, libraryText(answer.from.value_or("")),
                                          libraryText(answer.to.value_or("")));
    if (result.code < 0) return libraryFailure(result.code);
    if (result.code == 0) return noTrain(*train);
    answer.count = result.code;
    answer.runTime = result.runTime;
    answer.text = result.stops;
    return answer;
  }
  murlo_stops* asked = nullptr;
  const murlo_status status =
      murlo_db_train_stops(handle_.get(), *train, answer.from.value_or("").c_str(),
                           answer.to.value_or("").c_str(), &asked);
  const Owned<murlo_stops> stops(asked);
  if (status == MURLO_STATUS_UNKNOWN_TRAIN) return noTrain(*train);
  if (status != MURLO_STATUS_OK) return statusFailure(status);
  answer.count = static_cast<int32_t>(stops->count);
  answer.runTime = spanOf(stops->run_minutes);
  for (std::size_t i = 0; i < stops->count; ++i)
    answer.stops.push_back(stopLineOf(stops->stops[i]));
  // The stops' labels, one per stop, as the train's words give them.
  murlo_train_info* info = nullptr;
  if (murlo_db_train_info(handle_.get(), *train, &info) == MURLO_STATUS_OK) {
    for (std::size_t i = 0; i < info->stop_count && i < answer.stops.size(); ++i) {
      if (info->stop_labels[i] != nullptr && info->stop_labels[i][0] != '\0')
        answer.written.emplace(answer.stops[i].station, info->stop_labels[i]);
    }
    murlo_train_info_free(info);
  }
  if (answer.from) {
    noteWritten(answer.written, *answer.from);
    noteWritten(answer.written, *answer.to);
  }
  if (answer.from) {
    const auto calls = [&](const std::string& name, auto after) {
      return std::find_if(after, answer.stops.end(),
                          [&](const StopLine& stop) { return stop.station == name; });
    };
    const auto boarding = calls(*answer.from, answer.stops.begin());
    answer.runsFromTo =
        boarding != answer.stops.end() && calls(*answer.to, boarding + 1) != answer.stops.end();
  }
  return answer;
}

Status Questions::noTrain(uint32_t train) const {
  return failureOf(Status::Kind::kUnknownTrain,
                   "no train has the index " + std::to_string(train) + " in " + database_);
}

Result<BoardAnswer> Questions::departures(const std::string& station, int atMinute, int32_t limit,
                                          Detail detail, int32_t date) {
  return board(ListKind::kDepartures, station, atMinute, limit, detail, date);
}

Result<BoardAnswer> Questions::arrivals(const std::string& station, int atMinute, int32_t limit,
                                        Detail detail, int32_t date) {
  return board(ListKind::kArrivals, station, atMinute, limit, detail, date);
}

Result<BoardAnswer> Questions::board(ListKind kind, const std::string& typed, int atMinute,
                                     int32_t limit, Detail detail, int32_t date) {
  auto resolved = resolve("", typed);
  if (!resolved.ok()) return resolved.status();
  BoardAnswer answer;
  answer.kind = kind;
  answer.station = std::move(*resolved);
  answer.atMinute = atMinute;
  answer.limit = limit;
  answer.date = date;
  if (detail == Detail::kText) {
    const LibraryText station = libraryText(answer.station);
    const LibraryResult result = kind == ListKind::kDepartures
                                     ? departureBoard(station, atMinute, limit)
                                     : arrivalBoard(station, atMinute, limit);
    if (result.code == -1) return unknownStation("", typed);
    if (result.code < 0) return libraryFailure(result.code);
    answer.count = result.code;
    answer.text = result.text;
    return answer;
  }
  murlo_rides* asked = nullptr;
  const char* station = answer.station.c_str();
  murlo_status status = MURLO_STATUS_OK;
  if (date == MURLO_NO_DATE) {
    status = kind == ListKind::kDepartures
                 ? murlo_db_departures(handle_.get(), station, atMinute, limit, &asked)
                 : murlo_db_arrivals(handle_.get(), station, atMinute, limit, &asked);
  } else {
    status = kind == ListKind::kDepartures
                 ? murlo_db_departures_on(handle_.get(), station, date, atMinute, limit, &asked)
                 : murlo_db_arrivals_on(handle_.get(), station, date, atMinute, limit, &asked);
  }
  const Owned<murlo_rides> rides(asked);
  if (status == MURLO_STATUS_UNKNOWN_STATION) return unknownStation("", typed);
  if (status != MURLO_STATUS_OK) return statusFailure(status);
  answer.count = static_cast<int32_t>(rides->count);
  answer.trains = listedTrains(handle_.get(), *rides, kind, TrainOrder{false, 0});
  noteWritten(answer.written, answer.station);
  return answer;
}

Result<PlanAnswer> Questions::plan(const std::string& typedFrom, const std::string& typedTo,
                                   const PlanQuestion& question, Detail detail) {
  if (typedFrom == typedTo) return sameStation(typedFrom);
  auto origin = resolve("origin", typedFrom, Groups::kTaken);
  if (!origin.ok()) return origin.status();
  auto destination = resolve("destination", typedTo, Groups::kTaken);
  if (!destination.ok()) return destination.status();
  PlanAnswer answer;
  answer.from = std::move(*origin);
  answer.to = std::move(*destination);
  answer.question = question;
  if (detail == Detail::kText) {
    const LibraryResult result =
        planJourneys(libraryText(answer.from), libraryText(answer.to), question.atMinute,
                     question.maxChanges, question.changeMinutes, question.limit);
    switch (result.code) {
      case -3: return sameStation(shownStation(answer.from));
      case -1: return unknownStation("origin", typedFrom);
      case -2: return unknownStation("destination", typedTo);
      default: break;
    }
    if (result.code < 0) return libraryFailure(result.code);
    answer.count = result.code;
    answer.text = result.text;
    return answer;
  }
  murlo_change_times* times = nullptr;
  const murlo_status timesStatus = murlo_db_change_times(handle_.get(), &times);
  if (timesStatus != MURLO_STATUS_OK) return statusFailure(timesStatus);
  answer.ownChangeTimes = static_cast<int32_t>(times->count);
  murlo_change_times_free(times);
  murlo_plan_options options{};
  options.size = sizeof options;
  options.time_kind = question.time == JourneyTime::kArriveBy      ? MURLO_PLAN_ARRIVE_BY
                      : question.time == JourneyTime::kLeaveBefore ? MURLO_PLAN_DEPART_BEFORE
                                                                   : MURLO_PLAN_DEPART_AFTER;
  options.minute = question.atMinute;
  options.max_changes = question.maxChanges;
  options.change_minutes = question.changeMinutes;
  options.least_change_minutes = question.leastChangeMinutes;
  options.limit = question.limit;
  murlo_journeys* asked = nullptr;
  const murlo_status status =
      question.date == MURLO_NO_DATE
          ? murlo_db_plan(handle_.get(), answer.from.c_str(), answer.to.c_str(), &options, &asked)
          : murlo_db_plan_on(handle_.get(), answer.from.c_str(), answer.to.c_str(), question.date,
                             &options, &asked);
  const Owned<murlo_journeys> journeys(asked);
  switch (status) {
    case MURLO_STATUS_OK: break;
    case MURLO_STATUS_SAME_STATION: return sameStation(shownStation(answer.from));
    case MURLO_STATUS_UNKNOWN_ORIGIN: return unknownStation("origin", typedFrom);
    case MURLO_STATUS_UNKNOWN_DESTINATION: return unknownStation("destination", typedTo);
    default: return statusFailure(status);
  }
  answer.count = static_cast<int32_t>(journeys->count);
  noteWritten(answer.written, answer.from);
  noteWritten(answer.written, answer.to);
  for (std::size_t j = 0; j < journeys->count; ++j) {
    const murlo_journey& found = journeys->journeys[j];
    Journey journey;
    journey.departure = clockOf(found.departure);
    journey.arrival = clockOf(found.arrival);
    journey.departureDay = dayOf(found.departure);
    journey.arrivalDay = dayOf(found.arrival);
    journey.duration = spanOf(found.arrival - found.departure);
    for (std::size_t r = 0; r < found.ride_count; ++r) {
      const murlo_ride& taken = found.rides[r];
      Ride ride;
      // The train's days from the day it set out, the ride's from the day
      // asked about.
      ride.train = listedTrainOf(taken, ListKind::kDirect, false, handle_.get());
      ride.train.words = rideWords(handle_.get(), taken);
      ride.departureDay = dayOf(taken.departure);
      ride.arrivalDay = dayOf(taken.arrival);
      int walked = 0;
      if (found.walks != nullptr && found.walks[r].to != nullptr) {
        const murlo_walk& walk = found.walks[r];
        ride.walk = WalkStep{walk.from, walk.to, walk.minutes};
        noteWritten(answer.written, ride.walk->from);
        noteWritten(answer.written, ride.walk->to);
        walked = walk.minutes;
      }
      if (r > 0) {
        ride.waitMinutes = static_cast<int>(taken.departure - found.rides[r - 1].arrival) - walked;
      }
      journey.rides.push_back(std::move(ride));
    }
    journey.builtInFares = murlo_db_tariff(handle_.get()) == MURLO_TARIFF_BUILT_IN;
    std::vector<std::optional<NetworkFare>> fares;
    for (const Ride& ride : journey.rides) fares.push_back(ride.train.line.fare);
    journey.fare = totalFare(fares);
    answer.journeys.push_back(std::move(journey));
  }
  return answer;
}

}  // namespace murlo::tool
