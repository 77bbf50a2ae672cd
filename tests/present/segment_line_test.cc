// The train result line.
#include "present/segment_line.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;
using test::withoutFares;

std::string lineOf(const TimetableDb& db, int32_t train, int32_t from, int32_t to, int32_t mode) {
  return buildSegmentLine(db, TrainIndex(train), StopPosition(from), StopPosition(to), mode);
}

TEST(SegmentLineTest, WorkedExample) {
  const TimetableDb db = test::workedExampleDb();
  EXPECT_EQ(lineOf(db, 0, 0, 0, 0),
            gbk("S|0|T1/T2|北京|08:00|天津|09:30|北京|天津|特快|-|01:30|  13|  21|  50|  74"));
  // Across midnight once; column code 8 offers the hard seat only.
  EXPECT_EQ(lineOf(db, 1, 0, 0, 0),
            gbk("S|1|K5|天津|23:30|北京|01:05|天津|北京|普快|-|01:35|  11|  - |  - |  - "));
  EXPECT_EQ(lineOf(db, 0, 0, 0, 1).substr(0, 4), "H|0|");
  EXPECT_EQ(lineOf(db, 0, 0, 1, 0), lineOf(db, 0, 0, 0, 0));
}

// 甲 -> 乙 -> 丙 -> 甲(2) -> 丁 over two nights; station 4 shares 甲's name.
TimetableDb twoNights(char classCode) {
  return buildTimetable(
      "",
      {{gbk("甲"), "J"}, {gbk("乙"), "Y"}, {gbk("丙"), "B"}, {gbk("丁"), "D"}, {gbk("甲"), "J"}},
      {{"Z9",
        classCode,
        'F',
        'D',
        {stopAt(0, "-", "20:00", 0), stopAt(1, "23:58", "00:10", 300),
         stopAt(2, "18:00", "18:20", 900), stopAt(4, "22:00", "22:05", 1100),
         stopAt(3, "10:40", "-", 1500)}}});
}

TEST(SegmentLineTest, StretchesAndMarkers) {
  const TimetableDb db = twoNights('B');
  struct Case {
    const char* name;
    int32_t from;
    int32_t to;
    int32_t mode;
    const char* line;  // without fares
  } cases[] = {
      {"whole run over two nights", 0, 0, 0, "S|0|Z9|甲|20:00|丁|10:40|甲|丁|高速动车|-|38:40"},
      {"standing past midnight counts", 0, 2, 0, "S|0|Z9|甲|20:00|丙|18:00|甲|丁|高速动车|-|22:00"},
      {"adjacent stops after midnight", 1, 2, 0, " |0|Z9|乙|00:10|丙|18:00|甲|丁|高速动车|-|17:50"},
      {"same name as the first station", 3, 4, 0,
       "S|0|Z9|甲|22:05|丁|10:40|甲|丁|高速动车|-|12:35"},
      {"mode 1 marks H", 1, 3, 1, "H|0|Z9|乙|00:10|甲|22:00|甲|丁|高速动车|-|21:50"},
      {"mode 2 lets stations decide", 1, 3, 2, " |0|Z9|乙|00:10|甲|22:00|甲|丁|高速动车|-|21:50"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(withoutFares(lineOf(db, 0, c.from, c.to, c.mode)), gbk(c.line)) << c.name;
  }
}

TEST(SegmentLineTest, ClassNames) {
  struct Case {
    char code;
    const char* name;
  } cases[] = {{'1', "特快"},     {'2', "快速"},     {'3', "普快"},     {'4', "普慢"},
               {'6', "空调特快"}, {'7', "空调快速"}, {'8', "空调普快"}, {'9', "空调普慢"},
               {'0', "动车组"},   {'A', "城际高速"}, {'B', "高速动车"}, {'5', ""},
               {'C', ""}};
  for (const Case& c : cases) {
    const std::string line = withoutFares(lineOf(twoNights(c.code), 0, 0, 1, 0));
    EXPECT_EQ(line, gbk("S|0|Z9|甲|20:00|乙|23:58|甲|丁|") + gbk(c.name) + "|-|03:58") << c.code;
  }
}

TEST(SegmentLineTest, LongTextsAreCarriedWhole) {
  const TimetableDb db =
      buildTimetable("", {{gbk("乌鲁木齐南站东"), "W"}, {gbk("喀什"), "K"}},
                     {{"K1234567/K7654321/Z999",
                       '3',
                       'F',
                       'D',
                       {stopAt(0, "-", "08:00", 0), stopAt(1, "09:00", "-", 1600)}}});
  EXPECT_EQ(withoutFares(lineOf(db, 0, 0, 0, 0)),
            gbk("S|0|K1234567/K7654321/"
                "Z999|乌鲁木齐南站东|08:00|喀什|09:00|乌鲁木齐南站东|喀什|普快|-|01:00"));
}

TEST(SegmentLineTest, OutsideThePreconditionTheLineIsEmpty) {
  const TimetableDb good = test::workedExampleDb();
  struct Case {
    const char* name;
    int32_t train;
    int32_t from;
    int32_t to;
  } arguments[] = {
      {"negative train", -1, 0, 0},    {"train beyond the tables", 2, 0, 0},
      {"huge train", INT32_MAX, 0, 0}, {"boarding after alighting", 0, 1, 1},
      {"negative boarding", 0, -1, 1}, {"alighting beyond the train", 0, 0, 2},
  };
  for (const Case& c : arguments) {
    EXPECT_EQ(lineOf(good, c.train, c.from, c.to, 0), "") << c.name;
  }

  TableLists lists = good.lists();
  lists.trainStopLists = test::listOf({
      "0000000008000000000109300000013",   // second stop cut short
      "00010000233000000009010500000137",  // station 9 does not exist
  });
  EXPECT_EQ(lineOf(TimetableDb(lists), 0, 0, 0, 0), "");
  EXPECT_EQ(lineOf(TimetableDb(lists), 1, 0, 0, 0), "");

  lists = good.lists();
  lists.trainClassCodes = "1";  // train 1 has no class code
  EXPECT_NE(lineOf(TimetableDb(lists), 0, 0, 0, 0), "");
  EXPECT_EQ(lineOf(TimetableDb(lists), 1, 0, 0, 0), "");
}

}  // namespace
}  // namespace murlo
