// Station names kept in UTF-16 with their "|": side by side, exactly what the
// whole answer gives converted at once, whatever bytes the names end in.
#include "present/utf16_station_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

TEST(Utf16StationNamesTest, PiecesAreTheWholeAnswerConverted) {
  // A lone lead byte at the end takes the "|" as its trail (0x7C is a trail
  // byte), a lead byte before an ASCII byte does not; 0x80 is the euro sign.
  const std::vector<std::string> names = {
      test::gbk("北京"), "\xB1", "A\xB1", "\xB1\xB1\xB1", "\x80", "\xFF", "\x81\x7F", "X"};
  TableLists lists;
  lists.stationNames = test::listOf(names);
  const TimetableDb db(std::move(lists));
  const Utf16StationNames kept(db);
  std::string whole;
  std::u16string pieces;
  for (StationIndex s(0); s.value() < db.stationCount(); ++s) {
    whole.append(*db.stationName(s)).append("|");
    pieces += kept.nameAndBar(s);
  }
  std::u16string converted;
  gbkToUtf16(whole, converted);
  EXPECT_TRUE(pieces == converted);
  EXPECT_EQ(kept.nameAndBar(StationIndex(1)).size(), 1u);  // "\xB1|" is one code
}

}  // namespace
}  // namespace murlo
