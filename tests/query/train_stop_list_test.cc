// One train's stop list with the journey marked, and its running time.
#include "query/train_stop_list.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;

// The query on tables made into a loaded database; indexes beyond a record's
// digits name no train.
StopListResult trainStopList(const TimetableDb& db, int64_t train, std::string_view boarding,
                             std::string_view alighting) {
  if (train > INT32_MAX) return StopListResult{};
  return murlo::trainStopList(LoadedDatabase(db), TrainIndex(static_cast<int32_t>(train)), boarding,
                              alighting);
}

struct StopListCase {
  const char* name;
  int64_t train;
  const char* boarding;
  const char* alighting;
  const char* stopList;  // UTF-8
  const char* runTime;
};

void expectResult(const StopListResult& result, const char* stopList, const char* runTime) {
  EXPECT_EQ(result.stopList, gbk(stopList));
  EXPECT_EQ(result.runTime, runTime);
  // The count is the number of lines.
  EXPECT_EQ(static_cast<std::size_t>(result.stops),
            test::splitTerminated(result.stopList, '*').size());
}

void PrintTo(const StopListCase& c, std::ostream* os) { *os << c.name; }

class WorkedExampleStopListTest : public ::testing::TestWithParam<StopListCase> {};

TEST_P(WorkedExampleStopListTest, Lines) {
  const StopListCase& c = GetParam();
  const TimetableDb db = test::workedExampleDb();
  expectResult(trainStopList(db, c.train, gbk(c.boarding), gbk(c.alighting)), c.stopList,
               c.runTime);
}

INSTANTIATE_TEST_SUITE_P(
    Journeys, WorkedExampleStopListTest,
    ::testing::Values(
        StopListCase{"Train0", 0, "北京", "天津", ">|北京|-|08:00|0*>|天津|09:30|-|137*", "01:30"},
        // One midnight crossing.
        StopListCase{"Train1", 1, "天津", "北京", ">|天津|-|23:30|0*>|北京|01:05|-|137*", "01:35"},
        // Walking backward, 天津 ends marking before 北京 starts it.
        StopListCase{"SwappedStations", 0, "天津", "北京", ">|北京|-|08:00|0* |天津|09:30|-|137*",
                     "01:30"},
        StopListCase{"AlightingNotServed", 0, "北京", "上海",
                     " |北京|-|08:00|0* |天津|09:30|-|137*", "01:30"},
        StopListCase{"BoardingNotServed", 0, "上海", "天津", ">|北京|-|08:00|0*>|天津|09:30|-|137*",
                     "01:30"},
        StopListCase{"BoardingIsAlighting", 0, "北京", "北京",
                     ">|北京|-|08:00|0* |天津|09:30|-|137*", "01:30"},
        StopListCase{"EmptyNames", 0, "", "", " |北京|-|08:00|0* |天津|09:30|-|137*", "01:30"},
        StopListCase{"TrainBeyondTables", 2, "北京", "天津", "", ""},
        StopListCase{"NegativeTrain", -1, "北京", "天津", "", ""},
        StopListCase{"HugeTrain", int64_t{1} << 40, "北京", "天津", "", ""}),
    test::CaseName());

// A line train 甲 乙 丙 丁 戊 and a train that passes 甲 and 乙 twice.
TimetableDb markingNetwork() {
  return buildTimetable(
      "",
      {{gbk("甲"), "J"}, {gbk("乙"), "Y"}, {gbk("丙"), "B"}, {gbk("丁"), "D"}, {gbk("戊"), "W"}},
      {{"L0",
        '1',
        'F',
        'D',
        {stopAt(0, "-", "08:00", 0), stopAt(1, "08:30", "08:32", 40),
         stopAt(2, "09:00", "09:05", 75), stopAt(3, "09:40", "09:41", 120),
         stopAt(4, "10:10", "-", 160)}},
       {"R1",
        '1',
        'F',
        'D',
        {stopAt(0, "-", "08:00", 0), stopAt(1, "08:30", "08:31", 7),
         stopAt(2, "09:00", "09:01", 12), stopAt(0, "09:30", "09:31", 20),
         stopAt(1, "10:00", "10:01", 30), stopAt(3, "10:30", "-", 45)}}});
}

struct MarkingCase {
  const char* name;
  int64_t train;
  const char* boarding;
  const char* alighting;
  const char* marks;  // one character per stop: '>' marked, ' ' not
};

void PrintTo(const MarkingCase& c, std::ostream* os) { *os << c.name; }

class StopListMarkingTest : public ::testing::TestWithParam<MarkingCase> {};

TEST_P(StopListMarkingTest, Marks) {
  const MarkingCase& c = GetParam();
  const TimetableDb db = markingNetwork();
  const StopListResult result = trainStopList(db, c.train, gbk(c.boarding), gbk(c.alighting));
  std::string marks;
  for (const std::string& line : test::splitTerminated(result.stopList, '*')) {
    marks += line.substr(0, 1);
    EXPECT_EQ(line[1], '|');
  }
  EXPECT_EQ(marks, c.marks);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, StopListMarkingTest,
    ::testing::Values(MarkingCase{"Stretch", 0, "乙", "丁", " >>> "},
                      MarkingCase{"WholeRun", 0, "甲", "戊", ">>>>>"},
                      MarkingCase{"Swapped", 0, "丁", "乙", ">>   "},
                      MarkingCase{"BoardingMissing", 0, "上海", "丙", ">>>  "},
                      MarkingCase{"AlightingMissing", 0, "乙", "上海", "     "},
                      MarkingCase{"SameStation", 0, "丙", "丙", "  >  "},
                      // Each call at 乙 starts marking, the nearest earlier 甲 ends it.
                      MarkingCase{"CallingTwice", 1, "甲", "乙", ">> >> "},
                      MarkingCase{"CallingTwiceToLast", 1, "乙", "丁", "    >>"},
                      // Walking back from 丁, the later 甲 ends marking.
                      MarkingCase{"CallingTwiceFromRepeated", 1, "甲", "丁", "   >>>"},
                      MarkingCase{"CallingTwiceBoardingMissing", 1, "戊", "丙", ">>>   "}),
    test::CaseName());

TEST(StopListTest, LineForms) {
  const TimetableDb db = markingNetwork();
  const StopListResult result = trainStopList(db, 0, gbk("乙"), gbk("丁"));
  EXPECT_EQ(result.stops, 5);
  expectResult(result,
               " |甲|-|08:00|0*>|乙|08:30|08:32|40*>|丙|09:00|09:05|75*>|丁|09:40|09:41|120*"
               " |戊|10:10|-|160*",
               "02:10");
}

// A train given as raw stop records, over stations 甲 (0) and 乙 (1).
TimetableDb rawTrain(const std::string& stops) {
  TableLists lists;
  lists.stationNames = test::listOf({gbk("甲"), gbk("乙")});
  lists.trainNumbers = test::listOf({"T1"});
  lists.trainStopLists = test::listOf({stops});
  const TimetableDb db(std::move(lists));
  return db;
}

// Station, arrival, departure and distance as the record's four fields.
std::string record(const char* station, const char* arrival, const char* departure,
                   const char* km) {
  return std::string(station) + arrival + departure + km;
}

struct RawCase {
  const char* name;
  std::string stops;
  const char* stopList;  // boarding 甲, alighting 乙
  const char* runTime;
};

void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }

class RawStopListTest : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawStopListTest, Lines) {
  const RawCase& c = GetParam();
  expectResult(trainStopList(rawTrain(c.stops), 0, gbk("甲"), gbk("乙")), c.stopList, c.runTime);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RawStopListTest,
    ::testing::Values(
        RawCase{"LegAcrossMidnight",
                record("0000", "0000", "2350", "0000") + record("0001", "0020", "0000", "0012"),
                ">|甲|-|23:50|0*>|乙|00:20|-|12*", "00:30"},
        // 10:00 -> 22:00 -> 12:00 the next day.
        RawCase{"TwentySixHours",
                record("0000", "0000", "1000", "0000") + record("0001", "2200", "2210", "0500") +
                    record("0001", "1200", "0000", "0900"),
                ">|甲|-|10:00|0*>|乙|22:00|22:10|500*>|乙|12:00|-|900*", "26:00"},
        // Five legs of 23 hours, each arrival an hour earlier in the day.
        RawCase{"HundredsOfHours",
                record("0000", "0000", "1200", "0000") + record("0000", "1100", "1101", "0001") +
                    record("0000", "1000", "1001", "0002") +
                    record("0000", "0900", "0901", "0003") +
                    record("0000", "0800", "0801", "0004") + record("0001", "0700", "0000", "0005"),
                // The last call at 甲 ends marking.
                " |甲|-|12:00|0* |甲|11:00|11:01|1* |甲|10:00|10:01|2* |甲|09:00|09:01|3*"
                ">|甲|08:00|08:01|4*>|乙|07:00|-|5*",
                "115:00"},
        RawCase{"EqualTimesCountNothing",
                record("0000", "0000", "0800", "0000") + record("0001", "0800", "0000", "0000"),
                ">|甲|-|08:00|0*>|乙|08:00|-|0*", "00:00"},
        // Times are copied as stored; distances print with %d.
        RawCase{"FieldsAsStored",
                record("0000", "9999", "0 30", "-012") + record("0001", "1 05", "abcd", "0007"),
                ">|甲|-|0 :30|-12*>|乙|1 :05|-|7*", "00:35"},
        RawCase{"PartialTrailingRecord",
                record("0000", "0000", "0800", "0000") + record("0001", "0930", "0000", "0137") +
                    "000110000000",
                ">|甲|-|08:00|0*>|乙|09:30|-|137*", "01:30"},
        RawCase{"OneWholeRecord", record("0000", "0000", "0800", "0000") + "000109300000013", "",
                ""},
        RawCase{"NoRecord", "", "", ""},
        // The stop at station 9999 has no line and matches nothing, but its
        // legs count: 08:00 -> 09:00 -> 10:30.
        RawCase{"StationOutsideTable",
                record("0000", "0000", "0800", "0000") + record("9999", "0900", "0905", "0050") +
                    record("0001", "1030", "0000", "0100"),
                ">|甲|-|08:00|0*>|乙|10:30|-|100*", "02:30"},
        // Without the first stop's line, the second keeps its middle form.
        RawCase{"FirstStationOutsideTable",
                record("-001", "0000", "0800", "0000") + record("0000", "0900", "0905", "0050") +
                    record("0001", "1030", "0000", "0100"),
                ">|甲|09:00|09:05|50*>|乙|10:30|-|100*", "02:30"}),
    test::CaseName());

TEST(StopListTest, RunTimeCoversWholeTrainWhateverTheJourney) {
  const TimetableDb db = markingNetwork();
  for (const auto& [boarding, alighting] : std::vector<std::pair<const char*, const char*>>{
           {"乙", "丙"}, {"戊", "甲"}, {"上海", "北京"}}) {
    EXPECT_EQ(trainStopList(db, 1, gbk(boarding), gbk(alighting)).runTime, "02:30") << boarding;
  }
}

}  // namespace
}  // namespace murlo
