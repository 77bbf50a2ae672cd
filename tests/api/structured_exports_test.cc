// The structured answers of database handles against the text answers of the
// process's database: on generated networks and the worked example, every
// ride, stop and journey written as the text operations write their lines
// must be those lines, and every status the code of the text operation.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

INSTANTIATE_TEST_SUITE_P(Networks, StructuredExportTest, ::testing::Values(0, 1, 2, 3),
                         [](const auto& network) {
                           return network.param == 0 ? std::string("WorkedExample")
                                                     : "Generated" + std::to_string(network.param);
                         });

}  // namespace
}  // namespace murlo
