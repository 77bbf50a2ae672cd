// The structured answers of database handles against the text answers of the
// process's database: on generated networks and the worked example, every
// ride, stop and journey written as the text operations write their lines
// must be those lines, and every status the code of the text operation.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "db/civil_day.h"
#include "db/timetable_builder.h"
#include "db/writer.h"
#include "generate/network_generator.h"
#include "murloppc.h"
#include "support/test_support.h"
#include "timetable_source/timetable_source.h"

namespace murlo {
namespace {

using test::utf16;

std::string twoDigits(int64_t minutes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2" PRId64 ":%.2" PRId64, minutes / 60, minutes % 60);
  return text;
}

std::string clock(int64_t minutes) { return twoDigits(((minutes % 1440) + 1440) % 1440); }

// A ride as the text operations write its line (mode 0).
std::string lineOf(const murlo_ride& r) {
  std::string line = std::string(1, r.marker) + "|" + std::to_string(r.train) + "|" + r.number +
                     "|" + r.from + "|" + clock(r.departure) + "|" + r.to + "|" + clock(r.arrival) +
                     "|" + r.first_station + "|" + r.last_station + "|" + r.class_name + "|-|" +
                     twoDigits(r.journey_minutes);
  for (const int64_t fare : r.fares) {
    char text[32];
    if (fare == MURLO_NO_FARE) {
      std::snprintf(text, sizeof text, "  - ");
    } else {
      std::snprintf(text, sizeof text, "%4" PRId64, fare);
    }
    line += std::string("|") + text;
  }
  return line;
}

std::string linesOf(const murlo_ride* rides, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += lineOf(rides[i]) + "*";
  return text;
}

// A text answer of the process's database in UTF-8, or its negative code.
template <typename Call>
std::string textAnswer(Call&& call) {
  std::vector<murlo_char16> buffer(1 << 22);
  std::size_t needed = 0;
  const int32_t code = call(buffer.data(), buffer.size(), &needed);
  if (code < 0) return "code " + std::to_string(code);
  return test::utf8Of(buffer.data());
}

// The status of a structured answer as the text operation's code reads.
std::string codeOf(murlo_status status, int32_t unknownStation, int32_t unknownOrigin = -1,
                   int32_t unknownDestination = -2) {
  switch (status) {
    case MURLO_STATUS_UNKNOWN_STATION: return "code " + std::to_string(unknownStation);
    case MURLO_STATUS_UNKNOWN_ORIGIN: return "code " + std::to_string(unknownOrigin);
    case MURLO_STATUS_UNKNOWN_DESTINATION: return "code " + std::to_string(unknownDestination);
    case MURLO_STATUS_SAME_STATION: return "code -3";
    case MURLO_STATUS_INVALID_ARGUMENT: return "code -6";
    default: return std::string("status ") + murlo_status_text(status);
  }
}

struct Handle {
  murlo_db* db = nullptr;
  ~Handle() { murlo_db_close(db); }
};

class StructuredExportTest : public ::testing::TestWithParam<uint64_t> {
 protected:
  void SetUp() override {
    std::string bytes;
    if (GetParam() == 0) {
      bytes = test::packOrFail(test::workedExampleSections());
    } else {
      // A small generated network, cut to a tenth so that every question runs.
      generate::NetworkShape shape = generate::shapeOf(generate::NetworkSize::kSmall);
      shape.stations /= 10;
      shape.trains /= 10;
      const auto error =
          source::compileTimetable(generate::generateNetwork(shape, GetParam(), "STRUCT"), bytes);
      ASSERT_FALSE(error.has_value()) << error->message();
    }
    file_ = std::make_unique<test::TempFile>(bytes);
    ASSERT_EQ(murlo_load_database(utf16(file_->path()).c_str()), 1);
    ASSERT_EQ(murlo_db_open(file_->path().c_str(), &handle_.db), MURLO_STATUS_OK);
    murlo_stations* all = nullptr;
    ASSERT_EQ(murlo_db_stations(handle_.db, "", &all), MURLO_STATUS_OK);
    for (std::size_t i = 0; i < all->count; ++i) stations_.emplace_back(all->stations[i].name);
    murlo_stations_free(all);
  }

  std::unique_ptr<test::TempFile> file_;
  Handle handle_;
  std::vector<std::string> stations_;
};

TEST_P(StructuredExportTest, RidesAreTheLinesOfTrainListsAndBoards) {
  murlo_db* db = handle_.db;
  std::vector<std::string> names = stations_;
  names.emplace_back("no such station");
  for (const std::string& name : names) {
    const auto station = utf16(name);
    murlo_rides* rides = nullptr;
    murlo_status status = murlo_db_trains_at_station(db, name.c_str(), &rides);
    EXPECT_EQ(status == MURLO_STATUS_OK ? linesOf(rides->rides, rides->count) : codeOf(status, -1),
              textAnswer([&](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
                return murlo_trains_at_station(station.c_str(), out, capacity, needed);
              }))
        << name;
    murlo_rides_free(rides);
    for (const int32_t after : {0, 479, 1439}) {
      for (const bool departures : {true, false}) {
        status = departures ? murlo_db_departures(db, name.c_str(), after, 0, &rides)
                            : murlo_db_arrivals(db, name.c_str(), after, 0, &rides);
        const std::string text =
            textAnswer([&](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
              return departures ? murlo_departures(station.c_str(), after, 0, out, capacity, needed)
                                : murlo_arrivals(station.c_str(), after, 0, out, capacity, needed);
            });
        if (status != MURLO_STATUS_OK) {
          EXPECT_EQ(codeOf(status, -1), text) << name;
          continue;
        }
        EXPECT_EQ(linesOf(rides->rides, rides->count), text) << name << " from " << after;
        // Counted from the day asked: the station's time within 24 hours
        // from `after` on.
        for (std::size_t i = 0; i < rides->count; ++i) {
          const int64_t there = departures ? rides->rides[i].departure : rides->rides[i].arrival;
          EXPECT_GE(there, after) << name;
          EXPECT_LT(there, after + 1440) << name;
        }
        murlo_rides_free(rides);
      }
    }
  }
}

TEST_P(StructuredExportTest, DirectTrainsAndJourneysAreTheirLines) {
  murlo_db* db = handle_.db;
  // Every pair of the first stations, the unknown and the same station.
  std::vector<std::string> names;
  for (std::size_t i = 0; i < stations_.size() && i < 8; ++i) names.push_back(stations_[i]);
  names.emplace_back("no such station");
  for (const std::string& from : names) {
    for (const std::string& to : names) {
      const auto origin = utf16(from);
      const auto destination = utf16(to);
      murlo_rides* rides = nullptr;
      murlo_status status = murlo_db_direct_trains(db, from.c_str(), to.c_str(), &rides);
      std::string structured = codeOf(status, -1);
      if (status == MURLO_STATUS_OK) {
        structured = linesOf(rides->rides, rides->count);
        for (std::size_t i = 0; i < rides->change_station_count; ++i) {
          structured += std::string(rides->change_stations[i]) + "|";
        }
      }
      murlo_rides_free(rides);
      EXPECT_EQ(structured,
                textAnswer([&](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
                  return murlo_direct_trains(origin.c_str(), destination.c_str(), 0, out, capacity,
                                             needed);
                }))
          << from << " to " << to;

      murlo_journeys* journeys = nullptr;
      status = murlo_db_plan_journeys(db, from.c_str(), to.c_str(), 420, 2, 10, 0, &journeys);
      structured = codeOf(status, -1);
      if (status == MURLO_STATUS_OK) {
        structured.clear();
        for (std::size_t j = 0; j < journeys->count; ++j) {
          const murlo_journey& journey = journeys->journeys[j];
          const int64_t day = journey.departure / 1440;
          structured += "J|" + clock(journey.departure) + "|" + clock(journey.arrival) + "|" +
                        std::to_string(day) + "|" + std::to_string(journey.arrival / 1440 - day) +
                        "|" + twoDigits(journey.arrival - journey.departure) + "|" +
                        std::to_string(journey.ride_count) + "*" +
                        linesOf(journey.rides, journey.ride_count);
          // Each ride boarded where and after the one before arrived.
          EXPECT_EQ(journey.rides[0].departure, journey.departure);
          EXPECT_EQ(journey.rides[journey.ride_count - 1].arrival, journey.arrival);
          for (std::size_t r = 1; r < journey.ride_count; ++r) {
            EXPECT_STREQ(journey.rides[r].from, journey.rides[r - 1].to);
            EXPECT_GE(journey.rides[r].departure, journey.rides[r - 1].arrival + 10);
          }
        }
      }
      murlo_journeys_free(journeys);
      EXPECT_EQ(structured,
                textAnswer([&](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
                  return murlo_plan_journeys(origin.c_str(), destination.c_str(), 420, 2, 10, 0,
                                             out, capacity, needed);
                }))
          << from << " to " << to;
    }
  }
}

TEST_P(StructuredExportTest, NumbersAndStopListsAreTheirLines) {
  murlo_db* db = handle_.db;
  const std::string alighting = stations_.empty() ? "" : stations_.back();
  for (uint32_t train = 0; train < 120; ++train) {
    murlo_stops* stops = nullptr;
    const murlo_status status = murlo_db_train_stops(
        db, train, stations_.empty() ? "" : stations_[0].c_str(), alighting.c_str(), &stops);
    std::vector<murlo_char16> list(1 << 16);
    std::vector<murlo_char16> runTime(64);
    const auto from = utf16(stations_.empty() ? "" : stations_[0]);
    const auto to = utf16(alighting);
    const int32_t count =
        murlo_train_stops(train, from.c_str(), to.c_str(), list.data(), list.size(), nullptr,
                          runTime.data(), runTime.size(), nullptr);
    if (status != MURLO_STATUS_OK) {
      EXPECT_EQ(status, MURLO_STATUS_UNKNOWN_TRAIN);
      EXPECT_EQ(count, 0) << train;
      continue;
    }
    std::string text;
    for (std::size_t i = 0; i < stops->count; ++i) {
      const murlo_stop& s = stops->stops[i];
      text += std::string(s.on_journey ? ">" : " ") + "|" + s.station + "|" +
              (s.arrival == MURLO_NO_TIME ? "-" : clock(s.arrival)) + "|" +
              (s.departure == MURLO_NO_TIME ? "-" : clock(s.departure)) + "|" +
              std::to_string(s.km) + "*";
      if (i > 0) {
        EXPECT_GE(s.arrival, stops->stops[i - 1].departure) << train;
      }
    }
    EXPECT_EQ(text, test::utf8Of(list.data())) << train;
    EXPECT_EQ(twoDigits(stops->run_minutes), test::utf8Of(runTime.data())) << train;
    EXPECT_EQ(static_cast<int32_t>(stops->count), count);

    // The train's number finds it among the others of that number.
    const std::string number = stops->number;
    murlo_stops_free(stops);
    murlo_rides* rides = nullptr;
    ASSERT_EQ(murlo_db_trains_by_number(db, number.c_str(), &rides), MURLO_STATUS_OK);
    const auto typed = utf16(number);
    EXPECT_EQ(linesOf(rides->rides, rides->count),
              textAnswer([&](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
                return murlo_trains_by_number(typed.c_str(), out, capacity, needed);
              }))
        << number;
    murlo_rides_free(rides);
  }
}

TEST_P(StructuredExportTest, AnswersOutliveTheirHandleAndBadArgumentsAreRefused) {
  murlo_db* other = nullptr;
  ASSERT_EQ(murlo_db_open(file_->path().c_str(), &other), MURLO_STATUS_OK);
  murlo_rides* rides = nullptr;
  ASSERT_EQ(murlo_db_trains_by_number(other, "", &rides), MURLO_STATUS_OK);
  EXPECT_EQ(rides->count, 0u);
  murlo_rides_free(rides);
  ASSERT_FALSE(stations_.empty());
  ASSERT_EQ(murlo_db_trains_at_station(other, stations_[0].c_str(), &rides), MURLO_STATUS_OK);
  const std::string before = linesOf(rides->rides, rides->count);
  murlo_db_close(other);
  EXPECT_EQ(linesOf(rides->rides, rides->count), before);
  murlo_rides_free(rides);

  rides = reinterpret_cast<murlo_rides*>(&rides);  // overwritten with NULL on failure
  EXPECT_EQ(murlo_db_departures(handle_.db, stations_[0].c_str(), 1440, 0, &rides),
            MURLO_STATUS_INVALID_ARGUMENT);
  EXPECT_EQ(rides, nullptr);
  EXPECT_EQ(murlo_db_trains_at_station(nullptr, "x", &rides), MURLO_STATUS_INVALID_ARGUMENT);
  EXPECT_EQ(murlo_db_trains_at_station(handle_.db, "\xFF", &rides), MURLO_STATUS_UNKNOWN_STATION);
  EXPECT_EQ(murlo_db_trains_at_station(handle_.db, "x", nullptr), MURLO_STATUS_INVALID_ARGUMENT);
  murlo_db* none = reinterpret_cast<murlo_db*>(&rides);
  EXPECT_EQ(murlo_db_open((file_->dir() + "/missing").c_str(), &none), MURLO_STATUS_CANNOT_OPEN);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(murlo_db_open(file_->dir().c_str(), &none), MURLO_STATUS_CANNOT_OPEN);
}

// Questions for a date against the same questions of a database holding
// only that day's trains. A generated network with a calendar of a few
// weeks: trains on weekdays, at weekends, on single days, at random, some
// past midnight (two stops or more on each side of it). For a date D, the
// day's database holds every train with its calls on D open: those before
// midnight where the train's run of D runs, those after it where the run of
// the day before runs, the rest closed (call rules), and no calendar. Within
// D (calls, rides and journeys from the minute asked to midnight) both
// answer alike; and every ride of an answer for a date, on any day, is on a
// run that runs.
struct DatedTrain {
  TrainSpec train;
  std::size_t midnight;  // the first stop after midnight; the stop count when none
};

struct DatedNetwork {
  std::vector<StationSpec> stations;
  std::vector<DatedTrain> trains;
  ServiceCalendar calendar;

  bool runs(std::size_t train, int32_t day) const {
    return calendar.runsOn(TrainIndex(static_cast<int32_t>(train)), day);
  }
};

DatedNetwork generateDated(std::mt19937& random) {
  const auto below = [&](int n) {
    return static_cast<int32_t>(random() % static_cast<unsigned>(n));
  };
  DatedNetwork net;
  const int stations = 4 + below(5);
  for (int s = 0; s < stations; ++s)
    net.stations.push_back({"D" + std::to_string(s), "D" + std::to_string(s)});
  ServiceCalendar& calendar = net.calendar;
  calendar.firstDay = 20600 + below(400);
  calendar.dayCount = 10 + below(20);
  calendar.timeZone = "Asia/Shanghai";
  const auto pattern = [&](auto runs) {
    DayPattern days = DayPattern::none(calendar.dayCount);
    for (int32_t d = 0; d < calendar.dayCount; ++d) days.set(d, runs(d));
    calendar.patterns.push_back(days);
  };
  const auto weekday = [&](int32_t d) { return weekdayOf(calendar.firstDay + d); };
  pattern([](int32_t) { return true; });
  pattern([&](int32_t d) { return weekday(d) < 5; });
  pattern([&](int32_t d) { return weekday(d) >= 5; });
  const int32_t single = below(calendar.dayCount);
  pattern([&](int32_t d) { return d == single; });
  pattern([&](int32_t) { return below(2) == 0; });
  // Train 0 calls everywhere every day (a station needs a call in the
  // sections of the day's database too).
  TrainSpec sweeper{"G0", '1', 'F', 'D', {}};
  for (int s = 0; s < stations; ++s) sweeper.stops.push_back({s, 5 * s, 5 * s, s});
  net.trains.push_back({sweeper, sweeper.stops.size()});
  calendar.trainPatterns.push_back(0);
  for (int t = 1, trains = 8 + below(14); t < trains; ++t) {
    TrainSpec train{"G" + std::to_string(t), '1', 'F', 'D', {}};
    std::size_t midnight = 0;
    do {
      train.stops.clear();
      const int stops = 3 + below(5);
      const int32_t start = below(1440);
      int32_t minute = start;
      int32_t station = below(stations);
      midnight = static_cast<std::size_t>(stops);
      for (int k = 0; k < stops; ++k) {
        const int32_t arrival = k == 0 ? start : minute + 10 + below(200);
        int32_t departure = arrival + below(4);
        if (arrival / 1440 != departure / 1440) departure = arrival;
        if (arrival >= 1440 && midnight == static_cast<std::size_t>(stops))
          midnight = static_cast<std::size_t>(k);
        train.stops.push_back({station, arrival % 1440, departure % 1440, 10 * k});
        station = (station + 1 + below(stations - 1)) % stations;
        minute = departure;
      }
      // At most one midnight, with two stops on each side of it.
      if (minute - start >= 1440) continue;
      if (midnight == train.stops.size() || (midnight >= 2 && train.stops.size() - midnight >= 2))
        break;
    } while (true);
    net.trains.push_back({train, midnight});
    calendar.trainPatterns.push_back(
        static_cast<uint32_t>(below(static_cast<int>(calendar.patterns.size()))));
  }
  return net;
}

// The file of `trains`; with `limits`, the sections hold only the leading
// trains of the calendar's sections day that fit them and block 9 the
// others, as beyond the sections' 10,000 trains.
std::string databaseBytes(const std::vector<StationSpec>& stations,
                          const std::vector<TrainSpec>& trains, NetworkSpec network,
                          SectionsLimits limits = {}) {
  const DatabaseParts parts = buildDatabase("DATED", stations, trains, std::move(network),
                                            SectionCalls::kAllowedRides, limits);
  std::string bytes;
  const auto error = writeDatabaseBytes(parts.lists, parts.extension, bytes);
  EXPECT_FALSE(error) << error->message();
  return bytes;
}

// A ride without its train index (the day's database numbers its trains
// apart).
std::string rideKey(const murlo_ride& r) {
  return std::string(r.number) + "|" + std::to_string(r.board_stop) + "|" +
         std::to_string(r.alight_stop) + "|" + std::to_string(r.departure) + "|" +
         std::to_string(r.arrival) + "|" + std::to_string(r.set_out) + "|" +
         std::to_string(r.call_stop) + "|" + std::to_string(r.call_arrival) + "|" +
         std::to_string(r.call_departure);
}

// The day (from the set-out day of `r`'s answer) a minute falls on.
int64_t dayOf(int64_t minute) { return minute >= 0 ? minute / 1440 : -((1439 - minute) / 1440); }

TEST(DatedAnswersTest, AreThoseOfADatabaseOfTheDaysTrains) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 12; ++round) {
    DatedNetwork net = generateDated(random);
    // One network in three runs every train every day of its period: well
    // inside it, a date then answers as no date, on every day.
    const bool everyDay = round % 3 == 2;
    if (everyDay) net.calendar.trainPatterns.assign(net.trains.size(), 0);
    std::vector<TrainSpec> trains;
    for (const DatedTrain& dated : net.trains) trains.push_back(dated.train);
    NetworkSpec withCalendar;
    withCalendar.calendar = net.calendar;
    // Every other round the sections hold a few trains of one day and
    // block 9 the rest.
    SectionsLimits limits;
    if (round % 2 == 1) {
      withCalendar.calendar.sectionsDay = 0;
      limits.trains = 1 + random() % 4;
    }
    const test::TempFile datedFile(databaseBytes(net.stations, trains, withCalendar, limits));
    Handle dated;
    ASSERT_EQ(murlo_db_open(datedFile.path().c_str(), &dated.db), MURLO_STATUS_OK);
    int32_t first = 0;
    int32_t last = 0;
    ASSERT_EQ(murlo_db_period(dated.db, &first, &last), MURLO_STATUS_OK);
    EXPECT_EQ(first, numberOfCivilDay(net.calendar.firstDay));
    EXPECT_EQ(last, numberOfCivilDay(net.calendar.firstDay + net.calendar.dayCount - 1));
    EXPECT_STREQ(murlo_db_time_zone(dated.db), "Asia/Shanghai");
    murlo_rides* refused = nullptr;
    const char* station0 = net.stations[0].name.c_str();
    EXPECT_EQ(murlo_db_departures_on(dated.db, station0,
                                     numberOfCivilDay(net.calendar.firstDay - 1), 0, 0, &refused),
              MURLO_STATUS_DATE_OUTSIDE_PERIOD);
    EXPECT_EQ(murlo_db_departures_on(dated.db, station0, 20260230, 0, 0, &refused),
              MURLO_STATUS_INVALID_ARGUMENT);

    for (int sample = 0; sample < 4; ++sample) {
      const bool whole = everyDay && sample == 1 && net.calendar.dayCount >= 14;
      const auto d = static_cast<int32_t>(
          whole         ? 1
          : sample == 0 ? 0
                        : random() % static_cast<unsigned>(net.calendar.dayCount));
      const int32_t date = numberOfCivilDay(net.calendar.firstDay + d);
      // The day's trains: calls before midnight by the run of d, after it
      // by the run of d - 1.
      std::vector<TrainSpec> dayTrains;
      for (std::size_t t = 0; t < net.trains.size(); ++t) {
        TrainSpec train = net.trains[t].train;
        const bool before = net.runs(t, d);
        const bool after = net.runs(t, d - 1);
        if (!before && !(after && net.trains[t].midnight < train.stops.size())) continue;
        for (std::size_t k = 0; k < train.stops.size(); ++k)
          train.stops[k].board = train.stops[k].alight =
              k < net.trains[t].midnight ? before : after;
        dayTrains.push_back(train);
      }
      const test::TempFile dayFile(databaseBytes(net.stations, dayTrains, {}));
      Handle day;
      ASSERT_EQ(murlo_db_open(dayFile.path().c_str(), &day.db), MURLO_STATUS_OK);
      const auto runs = [&](uint32_t train, int64_t runDay) {
        return net.runs(train, static_cast<int32_t>(d + runDay));
      };
      const std::string where = "round " + std::to_string(round) + " day " + std::to_string(d);

      for (const StationSpec& station : net.stations) {
        const int32_t after = sample % 2 == 0 ? 0 : static_cast<int32_t>(random() % 1440);
        for (const bool departures : {true, false}) {
          const auto ask = [&](murlo_db* db, int32_t on, bool withinDay = true) {
            murlo_rides* rides = nullptr;
            const murlo_status status =
                departures ? murlo_db_departures_on(db, station.name.c_str(), on, after, 0, &rides)
                           : murlo_db_arrivals_on(db, station.name.c_str(), on, after, 0, &rides);
            EXPECT_EQ(status, MURLO_STATUS_OK) << where;
            std::vector<std::string> keys;
            for (std::size_t i = 0; rides != nullptr && i < rides->count; ++i) {
              const murlo_ride& r = rides->rides[i];
              if (db == dated.db) {
                EXPECT_TRUE(runs(r.train, dayOf(r.set_out))) << where;
              }
              if (!withinDay || (departures ? r.call_departure : r.call_arrival) < 1440) {
                keys.push_back(rideKey(r));
              }
            }
            murlo_rides_free(rides);
            return keys;
          };
          EXPECT_EQ(ask(dated.db, date), ask(day.db, MURLO_NO_DATE))
              << where << " " << station.name << " after " << after;
          EXPECT_EQ(ask(day.db, date), ask(day.db, MURLO_NO_DATE)) << "no calendar: every day";
          if (whole) {
            EXPECT_EQ(ask(dated.db, date, false), ask(dated.db, MURLO_NO_DATE, false)) << where;
          }
        }
      }
      for (const StationSpec& from : net.stations) {
        for (const StationSpec& to : net.stations) {
          if (from.name == to.name) continue;
          const auto direct = [&](murlo_db* db, int32_t on, bool withinDay = true) {
            murlo_rides* rides = nullptr;
            EXPECT_EQ(murlo_db_direct_trains_on(db, from.name.c_str(), to.name.c_str(), on, &rides),
                      MURLO_STATUS_OK);
            std::vector<std::string> keys;
            for (std::size_t i = 0; rides != nullptr && i < rides->count; ++i) {
              const murlo_ride& r = rides->rides[i];
              // Counted from the set-out day: the run leaves `from` on the date.
              const int64_t setOut = dayOf(r.departure);
              if (db == dated.db) {
                EXPECT_TRUE(runs(r.train, -setOut)) << where;
              }
              if (!withinDay || r.arrival - 1440 * setOut < 1440) keys.push_back(rideKey(r));
            }
            murlo_rides_free(rides);
            return keys;
          };
          EXPECT_EQ(direct(dated.db, date), direct(day.db, MURLO_NO_DATE))
              << where << " " << from.name << " to " << to.name;
          if (whole) {
            EXPECT_EQ(direct(dated.db, date, false), direct(dated.db, MURLO_NO_DATE, false));
          }

          const int32_t after = static_cast<int32_t>(random() % 1200);
          // Leaving after a minute, or arriving by one (those of them that
          // leave on the day asked about).
          const auto plan = [&](murlo_db* db, int32_t on, bool withinDay = true,
                                int32_t kind = MURLO_PLAN_DEPART_AFTER) {
            const bool arriveBy = kind == MURLO_PLAN_ARRIVE_BY;
            const murlo_plan_options options{
                sizeof options, kind, arriveBy ? after + 239 : after, 2, 10, 0, 0};
            murlo_journeys* journeys = nullptr;
            EXPECT_EQ(
                murlo_db_plan_on(db, from.name.c_str(), to.name.c_str(), on, &options, &journeys),
                MURLO_STATUS_OK);
            std::vector<std::string> triples;
            for (std::size_t j = 0; journeys != nullptr && j < journeys->count; ++j) {
              const murlo_journey& journey = journeys->journeys[j];
              for (std::size_t r = 0; db == dated.db && r < journey.ride_count; ++r) {
                EXPECT_TRUE(runs(journey.rides[r].train, dayOf(journey.rides[r].set_out))) << where;
              }
              if (!withinDay || (arriveBy ? journey.departure >= 0 : journey.arrival < 1440)) {
                triples.push_back(std::to_string(journey.departure) + "|" +
                                  std::to_string(journey.arrival) + "|" +
                                  std::to_string(journey.ride_count));
              }
            }
            murlo_journeys_free(journeys);
            return triples;
          };
          EXPECT_EQ(plan(dated.db, date), plan(day.db, MURLO_NO_DATE))
              << where << " " << from.name << " to " << to.name << " after " << after;
          EXPECT_EQ(plan(dated.db, date, true, MURLO_PLAN_ARRIVE_BY),
                    plan(day.db, MURLO_NO_DATE, true, MURLO_PLAN_ARRIVE_BY))
              << where << " " << from.name << " to " << to.name << " by " << after + 239;
          if (whole) {
            EXPECT_EQ(plan(dated.db, date, false), plan(dated.db, MURLO_NO_DATE, false))
                << where << " " << from.name << " to " << to.name << " after " << after;
          }
        }
      }
    }
  }
}

// A file whose trains pass the sections' holds the sections day's trains
// first and block 9's after them; a board still lists the trains of one
// minute as a file of one day does, by when they leave their first stops
// (here B1, 07:00, before A1, 08:00), each day the two run.
TEST(DatedAnswersTest, BlockNineTrainsOfOneMinuteListedByTheirFirstDepartures) {
  const std::vector<StationSpec> stations = {{"D0", "D0"}, {"D1", "D1"}, {"D2", "D2"}};
  const std::vector<TrainSpec> trains = {
      {"A1", '1', 'F', 'D', {{0, 480, 480, 0}, {1, 540, 540, 60}, {2, 600, 600, 120}}},
      {"B1", '1', 'F', 'D', {{2, 420, 420, 0}, {1, 540, 540, 60}, {0, 600, 600, 120}}}};
  NetworkSpec network;
  ServiceCalendar& calendar = network.calendar;
  calendar.firstDay = 20600;
  calendar.dayCount = 2;
  calendar.timeZone = "Asia/Shanghai";
  calendar.patterns = {DayPattern::none(2), DayPattern::none(2)};
  calendar.patterns[0].set(0, true);  // A1 every day, B1 on the second
  calendar.patterns[0].set(1, true);
  calendar.patterns[1].set(1, true);
  calendar.trainPatterns = {0, 1};
  calendar.sectionsDay = 0;
  SectionsLimits limits;
  limits.trains = 1;  // as if beyond 10,000: A1 in the sections, B1 in block 9
  const test::TempFile file(databaseBytes(stations, trains, network, limits));
  Handle db;
  ASSERT_EQ(murlo_db_open(file.path().c_str(), &db.db), MURLO_STATUS_OK);
  for (const bool departures : {true, false}) {
    murlo_rides* rides = nullptr;
    const int32_t date = numberOfCivilDay(calendar.firstDay + 1);
    ASSERT_EQ(departures ? murlo_db_departures_on(db.db, "D1", date, 0, 0, &rides)
                         : murlo_db_arrivals_on(db.db, "D1", date, 0, 0, &rides),
              MURLO_STATUS_OK);
    std::string numbers;
    for (std::size_t i = 0; i < rides->count; ++i)
      numbers += std::string(rides->rides[i].number) + " ";
    murlo_rides_free(rides);
    EXPECT_EQ(numbers, "B1 A1 ") << (departures ? "departures" : "arrivals");
  }
}

INSTANTIATE_TEST_SUITE_P(Networks, StructuredExportTest, ::testing::Values(0, 1, 2, 3),
                         [](const auto& network) {
                           return network.param == 0 ? std::string("WorkedExample")
                                                     : "Generated" + std::to_string(network.param);
                         });

// The tariff a database uses, and a network's own fare of a ride: exact, in
// its currency; none for a database of the built-in tariff or of no fares,
// whose rides keep their class and fares as they were.
// A file with block 9 makes its network view's lookup indexes and call
// lists on the first question: threads that all ask a fresh handle at once
// get the answers of a handle asked by one thread.
TEST(DatedAnswersTest, ConcurrentFirstQuestionsAnswerAsOneThread) {
  std::mt19937 random(20261210);
  DatedNetwork net = generateDated(random);
  std::vector<TrainSpec> trains;
  for (const DatedTrain& dated : net.trains) trains.push_back(dated.train);
  NetworkSpec withCalendar;
  withCalendar.calendar = net.calendar;
  withCalendar.calendar.sectionsDay = 0;
  SectionsLimits limits;
  limits.trains = 2;
  const test::TempFile file(databaseBytes(net.stations, trains, withCalendar, limits));
  const int32_t date = numberOfCivilDay(net.calendar.firstDay);
  const auto answers = [&](const murlo_db* db, std::size_t from, std::size_t step) {
    std::vector<std::string> lines;
    for (std::size_t s = from; s < net.stations.size(); s += step) {
      for (const bool departures : {true, false}) {
        murlo_rides* rides = nullptr;
        const char* name = net.stations[s].name.c_str();
        const murlo_status status = departures
                                        ? murlo_db_departures_on(db, name, date, 0, 0, &rides)
                                        : murlo_db_arrivals_on(db, name, date, 0, 0, &rides);
        lines.push_back(status == MURLO_STATUS_OK ? linesOf(rides->rides, rides->count)
                                                  : codeOf(status, -1));
        murlo_rides_free(rides);
      }
    }
    return lines;
  };
  Handle alone;
  ASSERT_EQ(murlo_db_open(file.path().c_str(), &alone.db), MURLO_STATUS_OK);
  const std::vector<std::string> expected = answers(alone.db, 0, 1);
  Handle shared;
  ASSERT_EQ(murlo_db_open(file.path().c_str(), &shared.db), MURLO_STATUS_OK);
  constexpr std::size_t kThreads = 4;
  std::vector<std::vector<std::string>> got(kThreads);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { got[t] = answers(shared.db, t, kThreads); });
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < kThreads; ++t) {
    for (std::size_t i = 0; i < got[t].size(); ++i) {
      const std::size_t s = t + (i / 2) * kThreads;
      EXPECT_EQ(got[t][i], expected[2 * s + i % 2]) << "station " << s;
    }
  }
}

TEST(NetworkFaresTest, TheTariffAndARidesFareThroughTheCInterface) {
  const std::string stations = "station Aton AT\nstation Beeby BB\n";
  const std::string train =
      "train R10 class 1 columns F rate D\n  route R1\n  Aton - 08:00 0\n  Beeby 09:00 - "
      "100\nend\n";
  struct Case {
    const char* name;
    std::string source;
    int32_t tariff;
    const char* className;
    int64_t hardSeat;
    std::optional<int64_t> fare;  // USD cents
  } cases[] = {
      {"built-in",
       stations +
           "train R10 class 1 columns F rate D\n  Aton - 08:00 0\n  Beeby 09:00 - 100\nend\n",
       MURLO_TARIFF_BUILT_IN, "特快", 9, std::nullopt},
      {"none", "tariff none\nroute R1 type 2\n" + stations + train, MURLO_TARIFF_NONE, "Rail",
       MURLO_NO_FARE, std::nullopt},
      {"network",
       "tariff network\nroute R1 type 2\n" + stations +
           "zone 1 Aton\nzone 2 Beeby\nfare far 10.75 USD\nfare near 1.00 USD\n"
           "fare-rule far origin 1 destination 2\nfare-rule near origin 2 destination 2\n" +
           train,
       MURLO_TARIFF_NETWORK, "Rail", MURLO_NO_FARE, 1075},
      {"network, no rule for the ride",
       "tariff network\nroute R1 type 1\n" + stations +
           "zone 1 Aton\nfare near 1.00 USD\nfare-rule near route R1 origin 1 destination 1\n" +
           train,
       MURLO_TARIFF_NETWORK, "Subway", MURLO_NO_FARE, std::nullopt},
  };
  EXPECT_EQ(murlo_db_tariff(nullptr), MURLO_TARIFF_BUILT_IN);
  for (const Case& c : cases) {
    source::Timetable timetable;
    const auto errors = source::parseSource(c.source, timetable);
    ASSERT_TRUE(errors.empty()) << c.name << ": " << errors.front().message;
    std::string bytes;
    ASSERT_FALSE(source::compileTimetable(timetable, bytes).has_value()) << c.name;
    const test::TempFile file(bytes);
    Handle handle;
    ASSERT_EQ(murlo_db_open(file.path().c_str(), &handle.db), MURLO_STATUS_OK);
    EXPECT_EQ(murlo_db_tariff(handle.db), c.tariff) << c.name;
    murlo_rides* rides = nullptr;
    ASSERT_EQ(murlo_db_direct_trains(handle.db, "Aton", "Beeby", &rides), MURLO_STATUS_OK);
    ASSERT_EQ(rides->count, 1u) << c.name;
    const murlo_ride& ride = rides->rides[0];
    EXPECT_STREQ(ride.class_name, c.className) << c.name;
    EXPECT_EQ(ride.fares[0], c.hardSeat) << c.name;
    murlo_fare fare{-1, "untouched", -1, "untouched"};
    const int32_t found =
        murlo_db_ride_fare(handle.db, ride.train, ride.board_stop, ride.alight_stop, &fare);
    EXPECT_EQ(found, c.fare ? 1 : 0) << c.name;
    if (c.fare) {
      EXPECT_EQ(fare.amount, *c.fare) << c.name;
      EXPECT_STREQ(fare.currency, "USD");
      EXPECT_EQ(fare.digits, 2);
      EXPECT_STREQ(fare.fare_id, "far");
    } else {
      EXPECT_STREQ(fare.currency, "untouched") << c.name;
    }
    // Stops that are no ride of the train: no fare.
    EXPECT_EQ(murlo_db_ride_fare(handle.db, ride.train, 1, 0, &fare), 0);
    EXPECT_EQ(murlo_db_ride_fare(handle.db, ride.train + 1, 0, 1, &fare), 0);
    EXPECT_EQ(murlo_db_ride_fare(handle.db, ride.train, 0, 1, nullptr), 0);
    murlo_rides_free(rides);
  }
}

// A network in its own words: stations that share a name are told apart by
// their lines, else their complex, else the sections' name; trains give
// their line, colours, headsign and platforms; a station or train without
// words answers with empty texts.
TEST(NetworkWordsTest, StationsAndTrainsAnswerInTheirOwnWords) {
  const char* text = R"(names long
station 125_St A125
named 125_St "125 St" at 40.804138,-73.937594 wheelchair yes
station 125_St2 B125 as 125b
named 125b "125 St"
station 125_St3 C125 as 125c
named 125c "125 St"
station Mill M1
named Mill "Mill"
station Mill2 M2 as mill2
named mill2 "Mill"
station Mill3 M3 as mill3
named mill3 "Mill"
station Zurich Z
named Zurich "Zürich HB"
station Plain P
group complex North 5 Mill Plain
line 4 "4" "Lexington Avenue Express" type 1 colour 00933C text-colour FFFFFF
line A "A" "8 Avenue Express" type 1 colour 0039A6
train T1 class 9 columns 8 rate D
  words line 4 headsign "Crown Hts-Utica Av" direction 1 number "4" wheelchair yes
  125_St  -      08:00  0  platform "1"
  Zurich  08:10  08:11  5
  Plain   08:20  -      9  platform "Track 2"
end
train T2 class 9 columns 8 rate D
  words line A
  125b    -      09:00  0
  mill2   09:10  -      4
end
train T3 class 9 columns 8 rate D
  125c    -      10:00  0
  Mill    10:05  10:06  2
  mill3   10:10  -      3
end
)";
  source::Timetable timetable;
  const auto errors = source::parseSource(text, timetable);
  ASSERT_TRUE(errors.empty()) << errors.front().line << ": " << errors.front().message;
  std::string bytes;
  ASSERT_FALSE(source::compileTimetable(timetable, bytes).has_value());
  const test::TempFile file(bytes);
  Handle handle;
  ASSERT_EQ(murlo_db_open(file.path().c_str(), &handle.db), MURLO_STATUS_OK);
  const struct {
    uint32_t station;
    const char* written;
    const char* label;
    int wheelchair;
  } stations[] = {
      {0, "125 St", "125 St (4)", MURLO_WHEELCHAIR_YES},
      {1, "125 St", "125 St (A)", MURLO_WHEELCHAIR_UNKNOWN},
      {2, "125 St", "125 St (125_St3)", MURLO_WHEELCHAIR_UNKNOWN},  // no line of its own
      {3, "Mill", "Mill (North)", MURLO_WHEELCHAIR_UNKNOWN},        // by its complex
      {4, "Mill", "Mill (A)", MURLO_WHEELCHAIR_UNKNOWN},
      {5, "Mill", "Mill (Mill3)", MURLO_WHEELCHAIR_UNKNOWN},
      {6, "Zürich HB", "Zürich HB", MURLO_WHEELCHAIR_UNKNOWN},
      {7, "", "", MURLO_WHEELCHAIR_UNKNOWN},  // no words
  };
  for (const auto& c : stations) {
    murlo_station_info* info = nullptr;
    ASSERT_EQ(murlo_db_station_info(handle.db, c.station, &info), MURLO_STATUS_OK);
    EXPECT_STREQ(info->name_as_written, c.written) << c.station;
    EXPECT_STREQ(info->label, c.label) << c.station;
    EXPECT_EQ(info->wheelchair, c.wheelchair) << c.station;
    EXPECT_EQ(info->has_coordinates, c.station == 0 ? 1 : 0) << c.station;
    murlo_station_info_free(info);
  }
  murlo_station_info* info = nullptr;
  ASSERT_EQ(murlo_db_station_info(handle.db, 0, &info), MURLO_STATUS_OK);
  EXPECT_EQ(info->latitude, 40804138);
  EXPECT_EQ(info->longitude, -73937594);
  murlo_station_info_free(info);
  EXPECT_EQ(murlo_db_station_info(handle.db, 8, &info), MURLO_STATUS_UNKNOWN_STATION);

  murlo_train_info* train = nullptr;
  ASSERT_EQ(murlo_db_train_info(handle.db, 0, &train), MURLO_STATUS_OK);
  EXPECT_STREQ(train->line_short_name, "4");
  EXPECT_EQ(train->colour, 0x00933C);
  EXPECT_EQ(train->text_colour, 0xFFFFFF);
  EXPECT_STREQ(train->headsign, "Crown Hts-Utica Av");
  EXPECT_EQ(train->direction, 1);
  EXPECT_STREQ(train->number_as_written, "4");
  ASSERT_EQ(train->platform_count, 3u);
  EXPECT_STREQ(train->platforms[0], "1");
  EXPECT_STREQ(train->platforms[1], "");
  EXPECT_STREQ(train->platforms[2], "Track 2");
  ASSERT_EQ(train->stop_count, 3u);
  EXPECT_STREQ(train->stop_labels[1], "Zürich HB");
  murlo_train_info_free(train);
  ASSERT_EQ(murlo_db_train_info(handle.db, 2, &train), MURLO_STATUS_OK);
  EXPECT_EQ(train->has_line, 0);
  EXPECT_EQ(train->colour, MURLO_NO_COLOUR);
  EXPECT_EQ(train->platform_count, 0u);
  murlo_train_info_free(train);
  EXPECT_EQ(murlo_db_train_info(handle.db, 3, &train), MURLO_STATUS_UNKNOWN_TRAIN);
}

}  // namespace
}  // namespace murlo
