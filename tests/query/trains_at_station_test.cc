// Every train calling at a station.
#include "query/trains_at_station.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;
using test::withoutFares;

TEST(TrainsAtStationTest, WorkedExample) {
  const LoadedDatabase db(test::workedExampleDb());
  for (const char* station : {"北京", "天津"}) {
    const QueryResult result = test::gbkText(trainsAtStation(db, gbk(station)));
    ASSERT_EQ(test::outcomeOf(result), 2) << station;
    const auto lines = test::splitTerminated(result.text, '*');
    ASSERT_EQ(lines.size(), 2u);
    // Whole runs, whatever the station's place in them.
    EXPECT_EQ(withoutFares(lines[0]),
              gbk("S|0|T1/T2|北京|08:00|天津|09:30|北京|天津|特快|-|01:30"));
    EXPECT_EQ(withoutFares(lines[1]), gbk("S|1|K5|天津|23:30|北京|01:05|天津|北京|普快|-|01:35"));
    EXPECT_EQ(result.text.back(), '*');
  }
}

TEST(TrainsAtStationTest, NotFoundAndEmpty) {
  const LoadedDatabase db(test::workedExampleDb());
  EXPECT_EQ(test::outcomeOf(trainsAtStation(db, gbk("北京 "))), QueryStatus::kUnknownStation);
  EXPECT_EQ(test::outcomeOf(trainsAtStation(db, gbk("上海"))), QueryStatus::kUnknownStation);
  EXPECT_EQ(test::outcomeOf(trainsAtStation(LoadedDatabase(), gbk("北京"))),
            QueryStatus::kUnknownStation);

  const LoadedDatabase lonely(buildTimetable("", {{gbk("甲"), "J"}}, {}));
  const QueryResult none = test::gbkText(trainsAtStation(lonely, gbk("甲")));
  EXPECT_EQ(test::outcomeOf(none), 0);
  EXPECT_EQ(none.text, "");
}

TEST(TrainsAtStationTest, TrainCallingTwiceGivesTwoLines) {
  // A loop: 甲 -> 乙 -> 甲.
  const LoadedDatabase db(
      buildTimetable("", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}},
                     {{"L1",
                       '4',
                       'F',
                       'D',
                       {stopAt(0, "-", "10:00", 0), stopAt(1, "10:30", "10:35", 20),
                        stopAt(0, "11:00", "-", 40)}}}));
  const QueryResult result = test::gbkText(trainsAtStation(db, gbk("甲")));
  EXPECT_EQ(test::outcomeOf(result), 2);
  const auto lines = test::splitTerminated(result.text, '*');
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], lines[1]);
}

TEST(TrainsAtStationTest, FirstOfEqualNamesWins) {
  const LoadedDatabase db(buildTimetable(
      "", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}, {gbk("甲"), "J"}},
      {{"A1", '1', 'F', 'D', {stopAt(0, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)}},
       {"A2", '1', 'F', 'D', {stopAt(2, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)}}}));
  const QueryResult result = test::gbkText(trainsAtStation(db, gbk("甲")));
  EXPECT_EQ(test::outcomeOf(result), 1);
  EXPECT_NE(result.text.find("|A1|"), std::string::npos);
}

TEST(TrainsAtStationTest, CorruptCallsAreSkippedAndNotCounted) {
  TableLists lists = test::workedExampleDb().lists();
  // Train 7 does not exist; a cut-short record is not a record at all.
  lists.stationCallLists =
      test::listOf({"000700000000"
                    "0001",
                    "000001"});
  const LoadedDatabase db{TimetableDb(lists)};
  const QueryResult result = test::gbkText(trainsAtStation(db, gbk("北京")));
  EXPECT_EQ(test::outcomeOf(result), 1);
  EXPECT_EQ(test::splitTerminated(result.text, '*').size(), 1u);
}

}  // namespace
}  // namespace murlo
