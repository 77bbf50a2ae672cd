// The whole-run lines, written once and then kept.
#include "present/whole_run_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "db/writer.h"
#include "present/segment_line.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;

// `lists` written to a file and loaded again.
TimetableDb reloaded(const TableLists& lists) {
  PlainSections plain;
  const auto error = plainSectionsOf(lists, plain);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return test::loadBytes(test::packOrFail(plain));
}

TextList withEntry(const TextList& list, std::size_t at, std::string_view text) {
  std::vector<std::string> entries = test::entriesOf(list);
  entries[at] = text;
  return test::listOf(entries);
}

// Three trains the tables give a line for and four they cannot: stops at a
// station beyond the table, a stop record cut short, a single stop, and no
// class code.
TableLists mixedTables() {
  TableLists lists = buildTableLists(
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
  std::string beyond(lists.trainStopLists[2]);
  beyond.replace(16, 4, "0007");  // Z9's last stop: station 7 of 3
  lists.trainStopLists = withEntry(lists.trainStopLists, 2, beyond);
  std::string cut(lists.trainStopLists[3]);
  cut.pop_back();
  lists.trainStopLists = withEntry(lists.trainStopLists, 3, cut);
  lists.trainClassCodes.pop_back();  // G1 has no class code
  return lists;
}

// Names that end in a lone GBK lead byte, of a class with no name: the last
// station's "\xB1" takes the "|" after it as its trail, right where the
// line's ASCII end begins.
TimetableDb leadByteNames() {
  return TimetableDb(buildTableLists(
      "LEAD", {{"\xB1", "A"}, {"A\xB1", "B"}, {gbk("北京"), "C"}},
      {{"T\xB1", '5', 'F', 'D', {stopAt(2, "-", "08:00", 0), stopAt(0, "09:30", "-", 137)}},
       {"K1", '5', 'F', 'D', {stopAt(0, "-", "08:00", 0), stopAt(1, "09:30", "-", 137)}}}));
}

TEST(WholeRunLinesTest, EqualTheLinesTheTablesGive) {
  struct Case {
    const char* name;
    TimetableDb db;
    int32_t lines;  // trains with a line
  } cases[] = {
      {"worked example", test::workedExampleDb(), 2},
      {"trains the tables cannot give", reloaded(mixedTables()), 3},
      {"no trains", reloaded(TableLists{}), 0},
      {"names ending in a lone lead byte", leadByteNames(), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WholeRunLines cache(c.db);
    const int32_t trains = c.db.trainCount();
    // Written and kept, then read from the cache.
    for (const char* round : {"written", "read"}) {
      int32_t lines = 0;
      std::string scratch = "left over";
      for (TrainIndex t(-1); t.value() <= trains + 1; ++t) {
        const std::string expected = buildSegmentLine(c.db, t, StopPosition(0), StopPosition(0), 0);
        std::u16string units;
        gbkToUtf16(expected, units);
        EXPECT_TRUE(cache.line(c.db, t, scratch).text.str() == units)
            << round << " train " << t.value();
        if (!expected.empty()) ++lines;
      }
      EXPECT_EQ(lines, c.lines) << round;
    }
    for (TrainIndex t(0); t.value() < trains; ++t) {
      KeptLine kept;
      EXPECT_TRUE(cache.find(t, kept)) << t.value();
    }
  }
}

}  // namespace
}  // namespace murlo
