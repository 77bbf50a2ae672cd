// Station names by abbreviation prefix.
#include "query/station_lookup.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;

TimetableDb stations() {
  return buildTimetable("",
                        {{gbk("北京"), "BJ"},
                         {gbk("北京西"), "BJX"},
                         {gbk("天津"), "TJ"},
                         {gbk("保定"), "BD"},
                         {gbk("北戴河"), "BDH"},
                         {gbk("bj"), "bj"}},
                        {});
}

TEST(StationLookupTest, PrefixMatchesInTableOrder) {
  struct Case {
    const char* name;
    const char* prefix;
    int32_t count;
    const char* names;  // UTF-8
  } cases[] = {
      {"one letter", "B", 4, "北京|北京西|保定|北戴河|"},
      {"whole abbreviation", "BJ", 2, "北京|北京西|"},
      {"longer than any", "BJXX", 0, ""},
      {"exact longest", "BDH", 1, "北戴河|"},
      {"other case", "b", 1, "bj|"},
      {"no match", "Q", 0, ""},
      {"empty prefix matches all", "", 6, "北京|北京西|天津|保定|北戴河|bj|"},
  };
  const LoadedDatabase db(stations());
  for (const Case& c : cases) {
    const QueryResult result = test::gbkText(stationsByAbbreviation(db, c.prefix));
    EXPECT_EQ(test::outcomeOf(result), c.count) << c.name;
    EXPECT_EQ(result.text, gbk(c.names)) << c.name;
  }
}

TEST(StationLookupTest, EmptyDatabaseFindsNothing) {
  const QueryResult result = test::gbkText(stationsByAbbreviation(LoadedDatabase(), "B"));
  EXPECT_EQ(test::outcomeOf(result), 0);
  EXPECT_EQ(result.text, "");
}

}  // namespace
}  // namespace murlo
