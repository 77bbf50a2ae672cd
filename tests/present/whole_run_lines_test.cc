// The whole-run lines written at load.
#include "present/whole_run_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "db/writer.h"
#include "present/segment_line.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;

// `db` written to a file and loaded again.
TimetableDb reloaded(const TimetableDb& db) {
  PlainSections plain;
  const auto error = plainSectionsOf(db, plain);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return test::loadBytes(test::packOrFail(plain));
}

TextList withEntry(const TextList& list, std::size_t at, std::string_view text) {
  TextList out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(i == at ? text : list[i]);
  return out;
}

// Three trains the tables give a line for and four they cannot: stops at a
// station beyond the table, a stop record cut short, a single stop, and no
// class code.
TimetableDb mixedTables() {
  TimetableDb db = buildTimetable(
      "MIX", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}, {gbk("丙"), "B"}},
      {{"T1", '1', 'F', 'D', {stopAt(0, "-", "08:00", 0), stopAt(1, "09:30", "-", 137)}},
       {"K5/K6",
        '3',
        '8',
        'E',
        {stopAt(1, "-", "23:30", 0), stopAt(2, "00:40", "00:45", 80),
         stopAt(0, "01:05", "-", 137)}},
       {"Z9", 'B', 'F', 'D', {stopAt(0, "-", "20:00", 0), stopAt(2, "10:40", "-", 900)}},
       {"L1", '4', 'F', 'D', {stopAt(2, "-", "06:00", 0), stopAt(0, "07:00", "-", 50)}},
       {"Y1", '9', 'F', 'D', {stopAt(2, "-", "06:00", 0)}},
       {"D1", '0', 'F', 'D', {stopAt(0, "-", "07:00", 0), stopAt(2, "08:00", "-", 120)}},
       {"G1", 'B', 'F', 'D', {stopAt(1, "-", "07:00", 0), stopAt(2, "08:00", "-", 120)}}});
  std::string beyond(db.trainStopLists[2]);
  beyond.replace(16, 4, "0007");  // Z9's last stop: station 7 of 3
  db.trainStopLists = withEntry(db.trainStopLists, 2, beyond);
  std::string cut(db.trainStopLists[3]);
  cut.pop_back();
  db.trainStopLists = withEntry(db.trainStopLists, 3, cut);
  db.trainClassCodes.pop_back();  // G1 has no class code
  return db;
}

TEST(WholeRunLinesTest, EqualTheLinesTheTablesGive) {
  struct Case {
    const char* name;
    TimetableDb db;
    int32_t lines;  // trains with a line
  } cases[] = {
      {"worked example", test::workedExampleDb(), 2},
      {"trains the tables cannot give", reloaded(mixedTables()), 3},
      {"no trains", reloaded(TimetableDb{}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(wholeRunLinesCurrent(c.db));
    TimetableDb bare = c.db;
    bare.wholeRunLines = nullptr;
    EXPECT_FALSE(wholeRunLine(bare, 0).has_value());
    const auto trains = static_cast<int64_t>(c.db.trainNumbers.size());
    // Written into a result and kept, then copied from the cache, then read.
    for (const char* round : {"written", "copied", "read"}) {
      int32_t lines = 0;
      for (int64_t t = -1; t <= trains + 1; ++t) {
        const std::string expected = buildSegmentLine(bare, t, 0, 0, 0);
        if (round == std::string_view("read")) {
          const auto line = wholeRunLine(c.db, t);
          ASSERT_TRUE(line.has_value());
          EXPECT_EQ(*line, expected) << round << " train " << t;
        } else {
          std::string out = "before|";
          EXPECT_EQ(appendWholeRunLine(out, c.db, t), !expected.empty()) << round << " train " << t;
          EXPECT_EQ(out, "before|" + expected) << round << " train " << t;
        }
        if (!expected.empty()) ++lines;
      }
      EXPECT_EQ(lines, c.lines) << round;
    }
    for (std::size_t t = 0; t < c.db.wholeRunLines->size(); ++t) {
      std::string_view kept;
      EXPECT_TRUE(c.db.wholeRunLines->find(t, kept)) << t;
    }
  }
}

// Tables changed in memory after loading, the cache kept: a change of size
// leaves the kept lines unused, and the queries answer from the tables.
TEST(WholeRunLinesTest, TablesChangedAfterLoadingAreReadInstead) {
  const TimetableDb loaded = test::workedExampleDb();
  struct Case {
    const char* name;
    void (*edit)(TimetableDb&);
  } cases[] = {
      {"fewer trains counted", [](TimetableDb& db) { db.trainCount = 1; }},
      {"a class code missing", [](TimetableDb& db) { db.trainClassCodes.pop_back(); }},
      {"a station name missing", [](TimetableDb& db) { db.stationCount = 1; }},
      {"a train appended",
       [](TimetableDb& db) {
         db.trainNumbers.push_back("X1");
         db.trainStopLists.push_back(db.trainStopLists[0]);
         db.trainClassCodes += '1';
         db.trainFareColumnCodes += 'F';
         db.trainFareRateCodes += 'D';
         ++db.trainCount;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TimetableDb edited = loaded;
    trainsAtStation(edited, gbk("北京"));  // keeps both trains' lines
    c.edit(edited);
    EXPECT_FALSE(wholeRunLinesCurrent(edited));
    TimetableDb bare = edited;
    bare.wholeRunLines = nullptr;
    for (const char* station : {"北京", "天津"}) {
      const QueryResult got = trainsAtStation(edited, gbk(station));
      const QueryResult expected = trainsAtStation(bare, gbk(station));
      EXPECT_EQ(got.code, expected.code) << station;
      EXPECT_EQ(got.text, expected.text) << station;
    }
    for (const char* number : {"T1", "K5", "X1"}) {
      EXPECT_EQ(trainsByNumber(edited, number).text, trainsByNumber(bare, number).text) << number;
    }
  }
}

// Tables changed without a change of size go unnoticed by the check; Debug
// builds compare each kept line used with one written afresh and stop there.
TEST(WholeRunLinesTest, StaleLinesStopDebugBuilds) {
  TimetableDb db = test::workedExampleDb();
  trainsAtStation(db, gbk("北京"));  // keeps T1's line
  std::string stops(db.trainStopLists[0]);
  stops[9] = '9';  // T1 leaves at 09:00, not 08:00
  db.trainStopLists = withEntry(db.trainStopLists, 0, stops);
  ASSERT_TRUE(wholeRunLinesCurrent(db));
  EXPECT_DEBUG_DEATH(trainsAtStation(db, gbk("北京")), "");
}

}  // namespace
}  // namespace murlo
