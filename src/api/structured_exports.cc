// The structured C exports: database handles, and answers as C structures
// made from the core's answers (ride lists, stop lists, journeys). Each
// function converts its arguments, asks the core and copies the answer's
// facts into one allocation that the host frees; no exception leaves it.
#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "api/current_db.h"
#include "api/native_path.h"
#include "db/civil_day.h"
#include "db/day_rollover.h"
#include "db/network_rules.h"
#include "murloppc.h"
#include "present/own_tariff.h"
#include "present/ride_facts.h"
#include "present/utf8_names.h"
#include "present/whole_run_rides.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/loaded_database.h"
#include "query/run_days.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

struct murlo_db {
  std::shared_ptr<const murlo::LoadedDatabase> db;
};

namespace murlo {
namespace {

// A UTF-8 argument in GBK; false when it is not UTF-8 or code page 936
// cannot represent it, so that it matches nothing.
bool utf8ArgumentToGbk(const char* utf8, std::string& gbk) {
  std::u16string units;
  return utf8ToUtf16(utf8, units) && utf16ToGbk(units, gbk);
}

// The two station names of a direct-train or journey question in GBK, or
// the status their text gives: equal texts first, then each name, as the
// text exports test them.
murlo_status stationPair(const LoadedDatabase& db, const char* origin, const char* destination,
                         std::string& from, std::string& to) {
  if (std::string_view(origin) == destination) return MURLO_STATUS_SAME_STATION;
  if (!utf8ArgumentToGbk(origin, from)) return MURLO_STATUS_UNKNOWN_ORIGIN;
  if (!utf8ArgumentToGbk(destination, to)) {
    return db.findStation(from) ? MURLO_STATUS_UNKNOWN_DESTINATION : MURLO_STATUS_UNKNOWN_ORIGIN;
  }
  return MURLO_STATUS_OK;
}

static_assert(kMostChanges == MURLO_MOST_CHANGES);
static_assert(kMinutesPerDay - 1 == MURLO_MOST_CHANGE_MINUTES);

murlo_status statusOf(QueryStatus status) {
  switch (status) {
    case QueryStatus::kOk: return MURLO_STATUS_OK;
    case QueryStatus::kUnknownStation: return MURLO_STATUS_UNKNOWN_STATION;
    case QueryStatus::kUnknownOrigin: return MURLO_STATUS_UNKNOWN_ORIGIN;
    case QueryStatus::kUnknownDestination: return MURLO_STATUS_UNKNOWN_DESTINATION;
    case QueryStatus::kSameStation: return MURLO_STATUS_SAME_STATION;
    case QueryStatus::kArgumentOutOfRange: return MURLO_STATUS_INVALID_ARGUMENT;
    case QueryStatus::kDateOutsidePeriod: return MURLO_STATUS_DATE_OUTSIDE_PERIOD;
  }
  return MURLO_STATUS_INVALID_ARGUMENT;
}

// Runs `work`, which stores an answer in `*out` and returns a status;
// exhausted memory becomes MURLO_STATUS_OUT_OF_MEMORY, and `*out` is NULL
// unless the status is MURLO_STATUS_OK.
template <typename List, typename Work>
murlo_status answer(List** out, Work&& work) noexcept {
  if (out == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
  *out = nullptr;
  try {
    return work();
  } catch (...) {
    *out = nullptr;
    return MURLO_STATUS_OUT_OF_MEMORY;
  }
}

// Each answer: the C structure the host reads first, then what it points
// into (the database's UTF-8 texts among them). Standard layout, so that
// the structure's address is the answer's.
struct RideListAnswer {
  RideListAnswer() = default;
  RideListAnswer(const RideListAnswer&) = delete;
  RideListAnswer& operator=(const RideListAnswer&) = delete;
  ~RideListAnswer() { delete[] rides; }

  murlo_rides list{};
  std::shared_ptr<const LoadedDatabase> db;
  // Written once each, not zeroed first: a list of hundreds of rides is
  // written in one pass, as the text answer is. (An array of its own, owned
  // here: a unique_ptr to an array is not standard layout for every
  // compiler.)
  murlo_ride* rides = nullptr;
  std::size_t rideCount = 0;
  std::vector<std::string> changeStationTexts;
  std::vector<const char*> changeStations;
};
struct StopListAnswer {
  murlo_stops list{};
  std::shared_ptr<const LoadedDatabase> db;
  std::vector<murlo_stop> stops;
};
struct JourneyListAnswer {
  murlo_journeys list{};
  std::shared_ptr<const LoadedDatabase> db;
  std::vector<murlo_journey> journeys;
  std::vector<std::vector<murlo_ride>> rides;
  std::vector<std::vector<murlo_walk>> walks;
};
struct StationListAnswer {
  murlo_stations list{};
  std::shared_ptr<const LoadedDatabase> db;
  std::vector<murlo_station> stations;
};
struct GroupListAnswer {
  murlo_station_groups list{};
  std::shared_ptr<const LoadedDatabase> db;  // the member names
  std::vector<murlo_station_group> groups;
  std::vector<std::string> names;  // UTF-8
  std::vector<std::vector<uint32_t>> members;
  std::vector<std::vector<const char*>> memberNames;
};
struct ChangeTimeListAnswer {
  murlo_change_times list{};
  std::shared_ptr<const LoadedDatabase> db;  // the station names
  std::vector<murlo_change_time> times;
};
struct StationInfoAnswer {
  murlo_station_info info{};
  std::shared_ptr<const LoadedDatabase> db;  // the texts
  std::vector<const char*> lines;
};
struct TrainInfoAnswer {
  murlo_train_info info{};
  std::shared_ptr<const LoadedDatabase> db;  // the texts
  std::vector<const char*> platforms;
  std::vector<const char*> stopLabels;
};
static_assert(
    std::is_standard_layout_v<RideListAnswer> && std::is_standard_layout_v<StopListAnswer> &&
    std::is_standard_layout_v<JourneyListAnswer> && std::is_standard_layout_v<StationListAnswer> &&
    std::is_standard_layout_v<GroupListAnswer> && std::is_standard_layout_v<StationInfoAnswer> &&
    std::is_standard_layout_v<TrainInfoAnswer> && std::is_standard_layout_v<ChangeTimeListAnswer>);

// The ride with its times moved by `shift` minutes (to count them from the
// day asked about), and its call at stop `call`, into `ride`. REQUIRES: the
// ride's train has the stop `call`.
void fillRide(murlo_ride& ride, const Utf8Ride& facts, int64_t shift, const TimetableDb& tables,
              StopPosition call) {
  ride.train = static_cast<uint32_t>(facts.train.value());
  ride.number = facts.number;
  ride.marker = facts.marker;
  ride.board_stop = static_cast<uint32_t>(facts.board.value());
  ride.alight_stop = static_cast<uint32_t>(facts.alight.value());
  ride.from = facts.boardingStation;
  ride.to = facts.alightingStation;
  ride.first_station = facts.firstStation;
  ride.last_station = facts.lastStation;
  ride.departure = facts.departure + shift;
  ride.arrival = facts.arrival + shift;
  ride.journey_minutes = facts.journeyMinutes;
  ride.distance_km = facts.distanceKm;
  ride.class_name = facts.className;
  static_assert(kNoFare == MURLO_NO_FARE);
  for (std::size_t c = 0; c < facts.fares.size(); ++c) ride.fares[c] = facts.fares[c];
  ride.set_out = facts.setOut + shift;
  ride.call_stop = static_cast<uint32_t>(call.value());
  // The call's times: kept with a whole run; at the ride's own ends from its
  // times and the stop's standing time; elsewhere stop by stop from the first.
  CallTimes times;
  bool last = false;
  if (call.slot() < facts.calls.size()) {
    times = facts.calls[call.slot()];
    last = call.slot() + 1 == facts.calls.size();
  } else {
    const StopList stops = *tables.stopsOf(facts.train);
    const StopRecord stop = stops[call];
    const int64_t standing = stepMinutes(stop.arrivalMinutes(), stop.departureMinutes());
    times = call == facts.board    ? CallTimes{facts.departure - standing, facts.departure}
            : call == facts.alight ? CallTimes{facts.arrival, facts.arrival + standing}
                                   : callTimes(stops, call);
    last = call == stops.last();
  }
  ride.call_arrival = call == StopPosition(0) ? MURLO_NO_TIME : times.arrival + shift;
  ride.call_departure = last ? MURLO_NO_TIME : times.departure + shift;
}

// What the rides of one answer are made from: the database's UTF-8 texts
// and the whole runs it keeps.
class RideMaker {
 public:
  explicit RideMaker(const LoadedDatabase& db)
      : tables_(db.tables()), names_(db.utf8Names()), wholeRuns_(db.wholeRunRides()) {}

  // The facts of `ride` in UTF-8: a whole run as the database keeps it (made
  // and kept the first time), any other made afresh; nullptr where the tables
  // give the ride no line. Valid until the next call.
  const Utf8Ride* facts(const Ride& ride) {
    const Utf8Ride* kept = wholeRuns_.find(ride.train);
    if (kept != nullptr && ride.board == kept->board && ride.alight == kept->alight) return kept;
    const std::optional<StopList> stops = tables_.stopsOf(ride.train);
    if (stops && ride.board == StopPosition(0) && ride.alight == stops->last()) {
      return wholeRuns_.ride(tables_, names_, ride.train);
    }
    const std::optional<RideFacts> found = rideFacts(tables_, ride.train, ride.board, ride.alight);
    if (!found) return nullptr;
    made_ = utf8Ride(tables_, names_, *found);
    return &made_;
  }

 private:
  const TimetableDb& tables_;
  const Utf8Names& names_;
  const WholeRunRides& wholeRuns_;
  Utf8Ride made_;
};

// How many minutes a board's ride moves to count from the day asked about:
// its time at the station from `afterMinute` on, within 24 hours.
int64_t boardShift(const TimetableDb& db, const Utf8Ride& facts, BoardKind kind,
                   int32_t afterMinute) {
  const StopList stops = *db.stopsOf(facts.train);
  const bool departs = kind == BoardKind::kDepartures;
  const int64_t there =
      departs ? stops[facts.board].departureMinutes() : stops[facts.alight].arrivalMinutes();
  const int64_t asked = there >= afterMinute ? there : there + kMinutesPerDay;
  return asked - (departs ? facts.departure : facts.arrival);
}

// The ride list as a C answer; `shiftOf(facts)` moves each ride's times,
// `callOf(i, ride)` is the stop of its call.
template <typename Shift, typename Call>
murlo_status deliverRides(std::shared_ptr<const LoadedDatabase> db, const RideList& rides,
                          murlo_rides** out, Shift&& shiftOf, Call&& callOf) {
  if (rides.status != QueryStatus::kOk) return statusOf(rides.status);
  auto made = std::make_unique<RideListAnswer>();
  if (!rides.rides.empty()) made->rides = new murlo_ride[rides.rides.size()];
  RideMaker maker(*db);
  for (std::size_t i = 0; i < rides.rides.size(); ++i) {
    const Ride& ride = rides.rides[i];
    if (const Utf8Ride* facts = maker.facts(ride)) {
      fillRide(made->rides[made->rideCount++], *facts, shiftOf(*facts), db->tables(),
               callOf(i, ride));
    }
  }
  // Change stations: a station's name as the database's UTF-8 text, any
  // other name converted.
  const Utf8Names& names = db->utf8Names();
  made->changeStations.reserve(rides.changeStations.size());
  for (std::size_t i = 0; i < rides.changeStations.size(); ++i) {
    if (const std::optional<StationIndex> station = rides.changeStationIndexes[i]) {
      made->changeStations.push_back(names.stationName(*station));
    } else {
      gbkToUtf8(rides.changeStations[i], made->changeStationTexts.emplace_back());
      made->changeStations.push_back(nullptr);
    }
  }
  // The converted texts, placed once none of them moves any more.
  std::size_t converted = 0;
  for (const char*& text : made->changeStations) {
    if (text == nullptr) text = made->changeStationTexts[converted++].c_str();
  }
  made->list = murlo_rides{made->rideCount, made->rides, made->changeStations.size(),
                           made->changeStations.data()};
  made->db = std::move(db);
  *out = &made.release()->list;
  return MURLO_STATUS_OK;
}

const auto kNoShift = [](const Utf8Ride&) { return int64_t{0}; };
const auto kBoarding = [](std::size_t, const Ride& ride) { return ride.board; };

// The handle's database, or nothing for a NULL handle.
// The network view of a handle's database (LoadedDatabase::network()),
// sharing the database's ownership.
std::shared_ptr<const LoadedDatabase> databaseOf(const murlo_db* db) {
  if (db == nullptr || db->db == nullptr) return nullptr;
  return std::shared_ptr<const LoadedDatabase>(db->db, &db->db->network());
}

// A date argument (YYYYMMDD, or MURLO_NO_DATE) as days since 1970-01-01 in
// `date`; false for a number that is not a date.
bool dateArgument(int32_t number, std::optional<CivilDay>& date) {
  date.reset();
  if (number == MURLO_NO_DATE) return true;
  date = civilDayOfNumber(number);
  return date.has_value();
}

// MURLO_STATUS_DATE_OUTSIDE_PERIOD for a date the database's calendar does
// not cover, else MURLO_STATUS_OK.
murlo_status periodStatus(const LoadedDatabase& db, std::optional<CivilDay> date) {
  QueryStatus status = QueryStatus::kOk;
  static_cast<void>(RunDays(db.tables(), date, status));
  return statusOf(status);
}

murlo_status board(const murlo_db* db, const char* station, int32_t date, int32_t afterMinute,
                   int32_t limit, BoardKind kind, murlo_rides** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || station == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
    if (!validBoardArguments(afterMinute, limit)) return MURLO_STATUS_INVALID_ARGUMENT;
    std::optional<CivilDay> day;
    if (!dateArgument(date, day)) return MURLO_STATUS_INVALID_ARGUMENT;
    if (const murlo_status period = periodStatus(*loaded, day); period != MURLO_STATUS_OK)
      return period;
    std::string name;
    if (!utf8ArgumentToGbk(station, name)) return MURLO_STATUS_UNKNOWN_STATION;
    const RideList rides = boardRides(*loaded, name, afterMinute, limit, kind, day);
    const TimetableDb& tables = loaded->tables();
    return deliverRides(
        std::move(loaded), rides, out,
        [&](const Utf8Ride& facts) { return boardShift(tables, facts, kind, afterMinute); },
        [&](std::size_t, const Ride& ride) {
          return kind == BoardKind::kDepartures ? ride.board : ride.alight;
        });
  });
}

// The journeys asked for, their minutes moved by `shift` (whole days: the
// question's day as the host counts it), as a structured answer.
murlo_status planStructured(const murlo_db* db, const char* origin, const char* destination,
                            const JourneyRequest& request, int64_t shift, murlo_journeys** out) {
  auto loaded = databaseOf(db);
  if (!loaded || origin == nullptr || destination == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
  if (!request.valid()) return MURLO_STATUS_INVALID_ARGUMENT;
  if (const murlo_status period = periodStatus(*loaded, request.date); period != MURLO_STATUS_OK)
    return period;
  std::string from;
  std::string to;
  if (const murlo_status names = stationPair(*loaded, origin, destination, from, to);
      names != MURLO_STATUS_OK) {
    return names;
  }
  const JourneyList found = planJourneyList(*loaded, from, to, request);
  if (found.status != QueryStatus::kOk) return statusOf(found.status);
  auto made = std::make_unique<JourneyListAnswer>();
  RideMaker maker(*loaded);
  const Utf8Names& names = loaded->utf8Names();
  for (const TimedJourney& journey : found.journeys) {
    std::vector<murlo_ride>& rides = made->rides.emplace_back();
    std::vector<murlo_walk>& walks = made->walks.emplace_back();
    for (const TimedRide& timed : journey.rides) {
      // The planner's journeys ride only trains that have lines.
      if (const Utf8Ride* facts = maker.facts(timed.ride)) {
        fillRide(rides.emplace_back(), *facts, timed.departure + shift - facts->departure,
                 loaded->tables(), timed.ride.board);
        walks.push_back(timed.walk
                            ? murlo_walk{names.stationName(timed.walk->from),
                                         names.stationName(timed.walk->to), timed.walk->minutes}
                            : murlo_walk{nullptr, nullptr, 0});
      }
    }
  }
  for (std::size_t j = 0; j < found.journeys.size(); ++j) {
    made->journeys.push_back(murlo_journey{found.journeys[j].departure + shift,
                                           found.journeys[j].arrival + shift, made->rides[j].size(),
                                           made->rides[j].data(), made->walks[j].data()});
  }
  made->list = murlo_journeys{made->journeys.size(), made->journeys.data()};
  made->db = std::move(loaded);
  *out = &made.release()->list;
  return MURLO_STATUS_OK;
}

// The core's question for `options`, and the whole days its minute lies
// from the day asked about; false for options out of their ranges or a date
// that is not one.
bool requestOf(const murlo_plan_options* options, int32_t date, JourneyRequest& request,
               int64_t& shift) {
  // The fields of the first version of the structure.
  constexpr std::size_t kFirstSize = offsetof(murlo_plan_options, limit) + sizeof(int32_t);
  if (options == nullptr || options->size < kFirstSize) return false;
  switch (options->time_kind) {
    case MURLO_PLAN_DEPART_AFTER: request.time = JourneyTime::kDepartAfter; break;
    case MURLO_PLAN_ARRIVE_BY: request.time = JourneyTime::kArriveBy; break;
    case MURLO_PLAN_DEPART_BEFORE: request.time = JourneyTime::kDepartBefore; break;
    default: return false;
  }
  const int64_t minute = options->minute;
  const int64_t day = (minute >= 0 ? minute : minute - (kMinutesPerDay - 1)) / kMinutesPerDay;
  shift = day * kMinutesPerDay;
  request.afterMinute = static_cast<int32_t>(minute - shift);
  request.maxChanges = options->max_changes;
  request.minChangeMinutes = options->change_minutes;
  request.leastChangeMinutes = options->least_change_minutes;
  request.limit = options->limit;
  // For a date, the day the minute falls on.
  std::optional<CivilDay> asked;
  if (!dateArgument(date, asked)) return false;
  if (asked) request.date = static_cast<CivilDay>(*asked + day);
  return true;
}

}  // namespace
}  // namespace murlo

using murlo::answer;
using murlo::databaseOf;

extern "C" {

MURLO_EXPORT const char* murlo_status_text(murlo_status status) {
  switch (status) {
    case MURLO_STATUS_OK: return "ok";
    case MURLO_STATUS_CANNOT_OPEN: return "the file cannot be opened";
    case MURLO_STATUS_CANNOT_SIZE: return "the file's size cannot be determined";
    case MURLO_STATUS_CANNOT_READ: return "the file cannot be read as a database";
    case MURLO_STATUS_UNKNOWN_STATION: return "no station has that name";
    case MURLO_STATUS_UNKNOWN_ORIGIN: return "no station has the origin's name";
    case MURLO_STATUS_UNKNOWN_DESTINATION: return "no station has the destination's name";
    case MURLO_STATUS_SAME_STATION: return "the origin and the destination are the same";
    case MURLO_STATUS_UNKNOWN_TRAIN: return "no train has that index";
    case MURLO_STATUS_INVALID_ARGUMENT: return "an argument is missing or outside its range";
    case MURLO_STATUS_OUT_OF_MEMORY: return "memory ran out";
    case MURLO_STATUS_DATE_OUTSIDE_PERIOD:
      return "the date lies outside the period the timetable covers";
  }
  return "unknown status";
}

MURLO_EXPORT murlo_status murlo_db_open(const char* path, murlo_db** db) {
  return answer(db, [&] {
    std::u16string units;
    murlo::NativePath nativePath;
    if (path == nullptr || !murlo::utf8ToUtf16(path, units) ||
        !murlo::toNativePath(units, nativePath)) {
      return MURLO_STATUS_CANNOT_OPEN;
    }
    std::shared_ptr<const murlo::LoadedDatabase> loaded;
    switch (murlo::loadDatabase(nativePath, loaded)) {
      case murlo::LoadResult::kLoaded: break;
      case murlo::LoadResult::kCannotOpen: return MURLO_STATUS_CANNOT_OPEN;
      case murlo::LoadResult::kCannotSize: return MURLO_STATUS_CANNOT_SIZE;
      case murlo::LoadResult::kFailed: return MURLO_STATUS_CANNOT_READ;
    }
    *db = new murlo_db{std::move(loaded)};
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT murlo_db* murlo_db_of_process(void) {
  return new (std::nothrow) murlo_db{murlo::currentDb()};
}

MURLO_EXPORT void murlo_db_close(murlo_db* db) { delete db; }

MURLO_EXPORT murlo_status murlo_db_period(const murlo_db* db, int32_t* first_date,
                                          int32_t* last_date) {
  if (db == nullptr || db->db == nullptr || first_date == nullptr || last_date == nullptr)
    return MURLO_STATUS_INVALID_ARGUMENT;
  *first_date = *last_date = MURLO_NO_DATE;
  const murlo::NetworkRules* rules = db->db->network().tables().networkRules();
  if (rules != nullptr && !rules->extension().calendar.empty()) {
    const murlo::ServiceCalendar& calendar = rules->extension().calendar;
    *first_date = murlo::numberOfCivilDay(calendar.firstDay);
    *last_date = murlo::numberOfCivilDay(calendar.firstDay + calendar.dayCount - 1);
  }
  return MURLO_STATUS_OK;
}

MURLO_EXPORT const char* murlo_db_time_zone(const murlo_db* db) {
  if (db == nullptr || db->db == nullptr) return "";
  const murlo::NetworkRules* rules = db->db->network().tables().networkRules();
  return rules != nullptr ? rules->extension().calendar.timeZone.c_str() : "";
}

MURLO_EXPORT int32_t murlo_db_tariff(const murlo_db* db) {
  if (db == nullptr || db->db == nullptr) return MURLO_TARIFF_BUILT_IN;
  const murlo::NetworkFares* fares = murlo::ownTariff(db->db->network().tables());
  if (fares == nullptr) return MURLO_TARIFF_BUILT_IN;
  return fares->tariff == murlo::Tariff::kNetwork ? MURLO_TARIFF_NETWORK : MURLO_TARIFF_NONE;
}

MURLO_EXPORT int32_t murlo_db_ride_fare(const murlo_db* db, uint32_t train, uint32_t board_stop,
                                        uint32_t alight_stop, murlo_fare* out) {
  if (db == nullptr || db->db == nullptr || out == nullptr) return 0;
  if (train > INT32_MAX || board_stop > INT32_MAX || alight_stop > INT32_MAX) return 0;
  try {
    const murlo::TimetableDb& tables = db->db->network().tables();
    const murlo::NetworkFares* fares = murlo::ownTariff(tables);
    if (fares == nullptr || fares->tariff != murlo::Tariff::kNetwork) return 0;
    const murlo::StopPosition board(static_cast<int32_t>(board_stop));
    const murlo::StopPosition alight(static_cast<int32_t>(alight_stop));
    // Stop 0 would mean the last stop to rideFacts: never an alighting here.
    if (alight == murlo::StopPosition(0)) return 0;
    const std::optional<murlo::RideFacts> facts =
        murlo::rideFacts(tables, murlo::TrainIndex(static_cast<int32_t>(train)), board, alight);
    if (!facts || !facts->networkFare) return 0;
    const murlo::FareProduct& product = fares->products[*facts->networkFare];
    *out = murlo_fare{product.amount, product.currency.c_str(), product.digits, product.id.c_str()};
    return 1;
  } catch (...) {
    return 0;
  }
}

MURLO_EXPORT const char* murlo_db_header(const murlo_db* db) {
  if (db == nullptr) return "";
  try {
    return db->db->utf8Names().header();
  } catch (...) {
    return "";
  }
}

MURLO_EXPORT murlo_status murlo_db_stations(const murlo_db* db, const char* abbreviation_prefix,
                                            murlo_stations** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || abbreviation_prefix == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
    const murlo::TimetableDb& tables = loaded->tables();
    std::vector<murlo::StationIndex> found;
    std::string prefix;
    if (*abbreviation_prefix == '\0') {
      for (murlo::StationIndex s(0); s.value() < tables.stationCount(); ++s) found.push_back(s);
    } else if (murlo::utf8ArgumentToGbk(abbreviation_prefix, prefix)) {
      found = loaded->indexes().stationsWithAbbreviationPrefix(tables, prefix);
    }
    const murlo::Utf8Names& names = loaded->utf8Names();
    auto made = std::make_unique<murlo::StationListAnswer>();
    for (const murlo::StationIndex s : found) {
      made->stations.push_back(murlo_station{static_cast<uint32_t>(s.value()), names.stationName(s),
                                             names.stationAbbreviation(s)});
    }
    made->list = murlo_stations{made->stations.size(), made->stations.data()};
    made->db = std::move(loaded);
    *out = &made.release()->list;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_stations_free(murlo_stations* list) {
  delete reinterpret_cast<murlo::StationListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_trains_at_station(const murlo_db* db, const char* station,
                                                     murlo_rides** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || station == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
    std::string name;
    if (!murlo::utf8ArgumentToGbk(station, name)) return MURLO_STATUS_UNKNOWN_STATION;
    const murlo::RideList rides = murlo::trainsAtStationRides(*loaded, name);
    return murlo::deliverRides(std::move(loaded), rides, out, murlo::kNoShift,
                               [&](std::size_t i, const murlo::Ride&) { return rides.calls[i]; });
  });
}

MURLO_EXPORT murlo_status murlo_db_direct_trains(const murlo_db* db, const char* origin,
                                                 const char* destination, murlo_rides** out) {
  return murlo_db_direct_trains_on(db, origin, destination, MURLO_NO_DATE, out);
}

MURLO_EXPORT murlo_status murlo_db_direct_trains_on(const murlo_db* db, const char* origin,
                                                    const char* destination, int32_t date,
                                                    murlo_rides** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || origin == nullptr || destination == nullptr) {
      return MURLO_STATUS_INVALID_ARGUMENT;
    }
    std::optional<murlo::CivilDay> day;
    if (!murlo::dateArgument(date, day)) return MURLO_STATUS_INVALID_ARGUMENT;
    if (const murlo_status period = murlo::periodStatus(*loaded, day); period != MURLO_STATUS_OK)
      return period;
    std::string from;
    std::string to;
    if (const murlo_status names = murlo::stationPair(*loaded, origin, destination, from, to);
        names != MURLO_STATUS_OK) {
      return names;
    }
    const murlo::RideList rides = murlo::directTrainRides(*loaded, from, to, day);
    return murlo::deliverRides(std::move(loaded), rides, out, murlo::kNoShift, murlo::kBoarding);
  });
}

MURLO_EXPORT murlo_status murlo_db_trains_by_number(const murlo_db* db, const char* number,
                                                    murlo_rides** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || number == nullptr) return MURLO_STATUS_INVALID_ARGUMENT;
    std::string gbk;
    const murlo::RideList rides = murlo::utf8ArgumentToGbk(number, gbk)
                                      ? murlo::trainsByNumberRides(*loaded, gbk)
                                      : murlo::RideList{};
    return murlo::deliverRides(std::move(loaded), rides, out, murlo::kNoShift, murlo::kBoarding);
  });
}

MURLO_EXPORT murlo_status murlo_db_departures(const murlo_db* db, const char* station,
                                              int32_t after_minute, int32_t limit,
                                              murlo_rides** out) {
  return murlo::board(db, station, MURLO_NO_DATE, after_minute, limit,
                      murlo::BoardKind::kDepartures, out);
}

MURLO_EXPORT murlo_status murlo_db_departures_on(const murlo_db* db, const char* station,
                                                 int32_t date, int32_t after_minute, int32_t limit,
                                                 murlo_rides** out) {
  return murlo::board(db, station, date, after_minute, limit, murlo::BoardKind::kDepartures, out);
}

MURLO_EXPORT murlo_status murlo_db_arrivals(const murlo_db* db, const char* station,
                                            int32_t after_minute, int32_t limit,
                                            murlo_rides** out) {
  return murlo::board(db, station, MURLO_NO_DATE, after_minute, limit, murlo::BoardKind::kArrivals,
                      out);
}

MURLO_EXPORT murlo_status murlo_db_arrivals_on(const murlo_db* db, const char* station,
                                               int32_t date, int32_t after_minute, int32_t limit,
                                               murlo_rides** out) {
  return murlo::board(db, station, date, after_minute, limit, murlo::BoardKind::kArrivals, out);
}

MURLO_EXPORT void murlo_rides_free(murlo_rides* list) {
  delete reinterpret_cast<murlo::RideListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_train_stops(const murlo_db* db, uint32_t train,
                                               const char* boarding, const char* alighting,
                                               murlo_stops** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded || boarding == nullptr || alighting == nullptr) {
      return MURLO_STATUS_INVALID_ARGUMENT;
    }
    // A name that does not convert marks nothing, as an empty one.
    std::string from;
    std::string to;
    if (!murlo::utf8ArgumentToGbk(boarding, from)) from.clear();
    if (!murlo::utf8ArgumentToGbk(alighting, to)) to.clear();
    const murlo::TrainIndex index(train <= uint32_t{INT32_MAX} ? static_cast<int32_t>(train) : -1);
    const murlo::TrainStops found = murlo::trainStops(*loaded, index, from, to);
    if (!found.found) return MURLO_STATUS_UNKNOWN_TRAIN;
    const murlo::StopList stops = *loaded->tables().stopsOf(index);
    const murlo::Utf8Names& names = loaded->utf8Names();
    auto made = std::make_unique<murlo::StopListAnswer>();
    const murlo::StopPosition last = stops.last();
    for (const murlo::MarkedStop& marked : found.stops) {
      const murlo::StopRecord stop = stops[marked.stop];
      const murlo::CallTimes times = murlo::callTimes(stops, marked.stop);
      made->stops.push_back(murlo_stop{
          static_cast<uint32_t>(marked.stop.value()), names.stationName(stop.stationIndex()),
          marked.stop == murlo::StopPosition(0) ? MURLO_NO_TIME : times.arrival,
          marked.stop == last ? MURLO_NO_TIME : times.departure, stop.distanceKm(),
          marked.marked ? 1 : 0});
    }
    made->list = murlo_stops{train, names.trainNumber(index), made->stops.size(),
                             made->stops.data(), found.runMinutes};
    made->db = std::move(loaded);
    *out = &made.release()->list;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_stops_free(murlo_stops* list) {
  delete reinterpret_cast<murlo::StopListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_plan_journeys(const murlo_db* db, const char* origin,
                                                 const char* destination, int32_t after_minute,
                                                 int32_t max_changes, int32_t min_change_minutes,
                                                 int32_t limit, murlo_journeys** out) {
  return answer(out, [&] {
    const murlo::JourneyRequest request{after_minute, max_changes, min_change_minutes, limit};
    return murlo::planStructured(db, origin, destination, request, 0, out);
  });
}

MURLO_EXPORT murlo_status murlo_db_plan(const murlo_db* db, const char* origin,
                                        const char* destination, const murlo_plan_options* options,
                                        murlo_journeys** out) {
  return murlo_db_plan_on(db, origin, destination, MURLO_NO_DATE, options, out);
}

MURLO_EXPORT murlo_status murlo_db_plan_on(const murlo_db* db, const char* origin,
                                           const char* destination, int32_t date,
                                           const murlo_plan_options* options,
                                           murlo_journeys** out) {
  return answer(out, [&] {
    murlo::JourneyRequest request;
    int64_t shift = 0;
    if (!murlo::requestOf(options, date, request, shift)) return MURLO_STATUS_INVALID_ARGUMENT;
    return murlo::planStructured(db, origin, destination, request, shift, out);
  });
}

MURLO_EXPORT void murlo_journeys_free(murlo_journeys* list) {
  delete reinterpret_cast<murlo::JourneyListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_station_groups(const murlo_db* db, murlo_station_groups** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded) return MURLO_STATUS_INVALID_ARGUMENT;
    auto made = std::make_unique<murlo::GroupListAnswer>();
    if (const murlo::NetworkRules* rules = loaded->tables().networkRules()) {
      const murlo::Utf8Names& names = loaded->utf8Names();
      const auto& groups = rules->groups();
      made->names.resize(groups.size());
      made->members.resize(groups.size());
      made->memberNames.resize(groups.size());
      for (std::size_t g = 0; g < groups.size(); ++g) {
        murlo::gbkToUtf8(groups[g].name, made->names[g]);
        for (const murlo::StationIndex s : groups[g].members) {
          made->members[g].push_back(static_cast<uint32_t>(s.value()));
          made->memberNames[g].push_back(names.stationName(s));
        }
        made->groups.push_back(murlo_station_group{
            made->names[g].c_str(),
            groups[g].kind == murlo::GroupKind::kCity ? MURLO_GROUP_CITY : MURLO_GROUP_COMPLEX,
            groups[g].minutes, made->members[g].size(), made->members[g].data(),
            made->memberNames[g].data()});
      }
    }
    made->list = murlo_station_groups{made->groups.size(), made->groups.data()};
    made->db = std::move(loaded);
    *out = &made.release()->list;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_station_groups_free(murlo_station_groups* list) {
  delete reinterpret_cast<murlo::GroupListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_change_times(const murlo_db* db, murlo_change_times** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded) return MURLO_STATUS_INVALID_ARGUMENT;
    auto made = std::make_unique<murlo::ChangeTimeListAnswer>();
    if (const murlo::NetworkRules* rules = loaded->tables().networkRules()) {
      const murlo::Utf8Names& names = loaded->utf8Names();
      for (const murlo::ChangeTime& time : rules->extension().changeTimes) {
        made->times.push_back(murlo_change_time{static_cast<uint32_t>(time.station.value()),
                                                names.stationName(time.station), time.minutes});
      }
    }
    made->list = murlo_change_times{made->times.size(), made->times.data()};
    made->db = std::move(loaded);
    *out = &made.release()->list;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_change_times_free(murlo_change_times* list) {
  delete reinterpret_cast<murlo::ChangeTimeListAnswer*>(list);
}

MURLO_EXPORT murlo_status murlo_db_station_info(const murlo_db* db, uint32_t station,
                                                murlo_station_info** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded) return MURLO_STATUS_INVALID_ARGUMENT;
    if (station >= static_cast<uint32_t>(loaded->tables().stationCount()))
      return MURLO_STATUS_UNKNOWN_STATION;
    const murlo::StationIndex s(static_cast<int32_t>(station));
    auto made = std::make_unique<murlo::StationInfoAnswer>();
    murlo_station_info& info = made->info;
    info.index = station;
    info.name = loaded->utf8Names().stationName(s);
    info.name_as_written = "";
    info.label = "";
    const murlo::StationLabels& labels = loaded->stationLabels();
    if (const murlo::NetworkRules* rules = loaded->tables().networkRules()) {
      if (const murlo::StationWords* words = rules->extension().words.station(s)) {
        info.name_as_written = words->name.c_str();
        info.label = labels.label(s).c_str();
        info.has_coordinates = words->where ? 1 : 0;
        info.latitude = words->where ? words->where->latitude : 0;
        info.longitude = words->where ? words->where->longitude : 0;
        info.wheelchair = static_cast<int32_t>(words->wheelchair);
      }
    }
    for (const std::string& line : labels.lines(s)) made->lines.push_back(line.c_str());
    info.line_count = made->lines.size();
    info.lines = made->lines.data();
    made->db = std::move(loaded);
    *out = &made.release()->info;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_station_info_free(murlo_station_info* info) {
  delete reinterpret_cast<murlo::StationInfoAnswer*>(info);
}

MURLO_EXPORT murlo_status murlo_db_train_info(const murlo_db* db, uint32_t train,
                                              murlo_train_info** out) {
  return answer(out, [&] {
    auto loaded = databaseOf(db);
    if (!loaded) return MURLO_STATUS_INVALID_ARGUMENT;
    if (train >= static_cast<uint32_t>(loaded->tables().trainCount()))
      return MURLO_STATUS_UNKNOWN_TRAIN;
    const murlo::TrainIndex t(static_cast<int32_t>(train));
    auto made = std::make_unique<murlo::TrainInfoAnswer>();
    murlo_train_info& info = made->info;
    info.train = train;
    info.number = loaded->utf8Names().trainNumber(t);
    info.number_as_written = info.line_short_name = info.line_long_name = info.headsign = "";
    info.route_type = -1;
    info.colour = info.text_colour = MURLO_NO_COLOUR;
    info.direction = MURLO_NO_DIRECTION;
    if (const murlo::NetworkRules* rules = loaded->tables().networkRules()) {
      const murlo::NetworkWords& words = rules->extension().words;
      if (const murlo::TrainWords* own = words.train(t)) {
        info.number_as_written = own->number.c_str();
        info.headsign = own->headsign.c_str();
        info.direction = own->direction;
        info.wheelchair = static_cast<int32_t>(own->wheelchair);
        for (const std::string& platform : own->platforms)
          made->platforms.push_back(platform.c_str());
      }
      if (const murlo::LineWords* line = words.lineOf(t)) {
        info.has_line = 1;
        info.line_short_name = line->shortName.c_str();
        info.line_long_name = line->longName.c_str();
        info.route_type = line->routeType;
        info.colour = line->colour ? static_cast<int32_t>(*line->colour) : MURLO_NO_COLOUR;
        info.text_colour =
            line->textColour ? static_cast<int32_t>(*line->textColour) : MURLO_NO_COLOUR;
      }
    }
    info.platform_count = made->platforms.size();
    info.platforms = made->platforms.data();
    if (const std::optional<murlo::StopList> stops = loaded->tables().stopsOf(t)) {
      const murlo::StationLabels& labels = loaded->stationLabels();
      for (murlo::StopPosition k(0); stops->holds(k); ++k)
        made->stopLabels.push_back(labels.label((*stops)[k].stationIndex()).c_str());
    }
    info.stop_count = made->stopLabels.size();
    info.stop_labels = made->stopLabels.data();
    made->db = std::move(loaded);
    *out = &made.release()->info;
    return MURLO_STATUS_OK;
  });
}

MURLO_EXPORT void murlo_train_info_free(murlo_train_info* info) {
  delete reinterpret_cast<murlo::TrainInfoAnswer*>(info);
}

}  // extern "C"
