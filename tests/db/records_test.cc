// Record fields, digit reading and the day-rollover arithmetic.
#include "db/records.h"

#include <gtest/gtest.h>

#include <string>

#include "db/day_rollover.h"
#include "db/digits.h"

namespace murlo {
namespace {

TEST(DigitsTest, ReadsLikeAtoi) {
  struct Case {
    const char* field;
    int32_t value;
  } cases[] = {
      {"0012", 12}, {"0000", 0},  {"9999", 9999}, {"  12", 12}, {"\t7", 7}, {"-012", -12},
      {"+3", 3},    {"12ab", 12}, {"ab12", 0},    {"", 0},      {"--1", 0}, {" - 1", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(readAtoi(c.field), c.value) << '"' << c.field << '"';
}

TEST(RecordsTest, StopRecordFieldsByPosition) {
  const StopRecord stop("0001093008150137");
  EXPECT_EQ(stop.stationIndex().value(), 1);
  EXPECT_EQ(stop.arrivalMinutes(), 9 * 60 + 30);
  EXPECT_EQ(stop.departureMinutes(), 8 * 60 + 15);
  EXPECT_EQ(stop.distanceKm(), 137);
  EXPECT_EQ(std::string(stop.arrivalHour()) + std::string(stop.arrivalMinute()), "0930");
  EXPECT_EQ(std::string(stop.departureHour()) + std::string(stop.departureMinute()), "0815");
}

TEST(RecordsTest, TimesOfDayAreHoursTo23AndMinutesTo59) {
  struct Case {
    const char* times;  // arrival and departure, HHMM each
    bool arrival;
    bool departure;
  } cases[] = {
      {"00002359", true, true},  {"24000000", false, true}, {"00600000", false, true},
      {"0000-100", true, false}, {"0000 9 5", true, true},  {"99999999", false, false},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("0000") + c.times + "0000";
    const StopRecord stop(text);
    EXPECT_EQ(stop.arrivalIsTimeOfDay(), c.arrival) << c.times;
    EXPECT_EQ(stop.departureIsTimeOfDay(), c.departure) << c.times;
  }
}

TEST(RecordsTest, OnlyWholeRecordsCount) {
  EXPECT_EQ(StopList(std::string(40, '0')).size(), 2);  // trailing 8 characters ignored
  EXPECT_EQ(StopList(std::string(15, '0')).size(), 0);
  EXPECT_EQ(CallList("000101000").size(), 1);
  EXPECT_EQ(CallList("").size(), 0);
  const CallList calls("001203004001");
  EXPECT_EQ(calls[0].trainIndex().value(), 12);
  EXPECT_EQ(calls[0].stopPosition().value(), 3);
  EXPECT_EQ(calls[1].trainIndex().value(), 40);
  EXPECT_EQ(calls[1].stopPosition().value(), 1);
}

TEST(DayRolloverTest, Steps) {
  EXPECT_EQ(stepMinutes(8 * 60, 9 * 60 + 30), 90);
  EXPECT_EQ(stepMinutes(23 * 60 + 50, 20), 30);  // across midnight
  EXPECT_EQ(stepMinutes(600, 600), 0);           // equal times: no full day
}

// A stop record with the given arrival and departure "HHMM" texts.
std::string stop(const char* arrival, const char* departure) {
  return std::string("0000") + arrival + departure + "0000";
}

TEST(DayRolloverTest, JourneyRunsArrivalToArrival) {
  // Departs 22:00, arrives 23:58 and stands past midnight, arrives 00:40,
  // then 23:00 (a second night), then 02:10.
  const std::string run = stop("0000", "2200") + stop("2358", "0005") + stop("0040", "0041") +
                          stop("2300", "2305") + stop("0210", "0000");
  const StopList stops(run);
  EXPECT_EQ(journeyMinutes(stops, StopPosition(0), StopPosition(1)), 118);
  EXPECT_EQ(journeyMinutes(stops, StopPosition(1), StopPosition(2)),
            35);  // from the 00:05 departure
  EXPECT_EQ(journeyMinutes(stops, StopPosition(0), StopPosition(2)), 118 + 42);
  EXPECT_EQ(journeyMinutes(stops, StopPosition(0), StopPosition(4)), 118 + 42 + 1340 + 190);
}

TEST(DayRolloverTest, FormatsHoursWithoutReducingThem) {
  struct Case {
    int64_t minutes;
    const char* text;
  } cases[] = {{0, "00:00"},     {90, "01:30"},    {26 * 60 + 5, "26:05"}, {38 * 60 + 40, "38:40"},
               {6000, "100:00"}, {-65, "-01:-05"}, {-5, "00:-05"}};
  for (const Case& c : cases) EXPECT_EQ(formatHoursMinutes(c.minutes), c.text) << c.minutes;
}

}  // namespace
}  // namespace murlo
