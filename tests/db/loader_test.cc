// Loading: de-scrambling, sections, tokens and the tables they fill.
#include "db/loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::loadBytes;
using test::packOrFail;

std::vector<std::string> entries(const TextList& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
  return out;
}

TEST(LoaderTest, WorkedExampleFillsEveryTable) {
  const TimetableDb db = test::workedExampleDb();
  EXPECT_EQ(db.lists().headerText, "EXAMPLE-01");
  EXPECT_EQ(db.lists().trainClassCodes, "13");
  EXPECT_EQ(db.lists().trainFareColumnCodes, "F8");
  EXPECT_EQ(db.lists().trainFareRateCodes, "DD");
  EXPECT_EQ(db.trainCount(), 2);
  EXPECT_EQ(db.stationCount(), 2);
  EXPECT_EQ(entries(db.lists().trainNumbers), (std::vector<std::string>{"T1/T2", "K5"}));
  EXPECT_EQ(entries(db.lists().stationNames), (std::vector<std::string>{gbk("北京"), gbk("天津")}));
  EXPECT_EQ(entries(db.lists().stationAbbreviations), (std::vector<std::string>{"BJ", "TJ"}));
  EXPECT_EQ(entries(db.lists().stationCallLists),
            (std::vector<std::string>{"000000000101", "000001000100"}));
  EXPECT_EQ(entries(db.lists().trainStopLists),
            (std::vector<std::string>{"00000000080000000001093000000137",
                                      "00010000233000000000010500000137"}));
}

// Sections 1..7 of a file whose other sections are empty.
PlainSections withSection(int section, std::string text) {
  PlainSections plain;
  plain.header = "HEADER0001";
  plain.sections[static_cast<std::size_t>(section - 1)] = std::move(text);
  return plain;
}

struct TokenCase {
  const char* name;
  int section;
  std::string text;
  std::vector<std::string> trainNumbers;
  std::vector<std::string> stationNames;
  std::vector<std::string> abbreviations;
};

class TokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenTest, SplitsAsTheFileMeans) {
  const TokenCase& c = GetParam();
  const TimetableDb db = loadBytes(packOrFail(withSection(c.section, c.text)));
  EXPECT_EQ(entries(db.lists().trainNumbers), c.trainNumbers);
  EXPECT_EQ(entries(db.lists().stationNames), c.stationNames);
  EXPECT_EQ(entries(db.lists().stationAbbreviations), c.abbreviations);
  EXPECT_EQ(db.trainCount(), static_cast<int32_t>(c.trainNumbers.size()));
  EXPECT_EQ(db.stationCount(), static_cast<int32_t>(c.stationNames.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Loader, TokenTest,
    ::testing::Values(TokenCase{"RunsOfSeparatorsCountOnce", 4, "OK1OOT2O", {"K1", "T2"}, {}, {}},
                      TokenCase{"OnlySeparatorsGiveNothing", 4, "OOO", {}, {}, {}},
                      TokenCase{"FourStationTokens", 5, "AA A BB B", {}, {"AA", "BB"}, {"A", "B"}},
                      TokenCase{
                          "OddTokenCountLeavesAnExtraName", 5, "AA A BB", {}, {"AA", "BB"}, {"A"}},
                      TokenCase{"LeadingAndDoubleSpaces", 5, "  AA  A ", {}, {"AA"}, {"A"}}),
    test::CaseName());

TEST(LoaderTest, ListSectionsSplitAtO) {
  PlainSections plain = withSection(6, "000000OO000101O");
  plain.sections[6] = "O0000000000000000000000000000000O";
  const TimetableDb db = loadBytes(packOrFail(plain));
  EXPECT_EQ(entries(db.lists().stationCallLists), (std::vector<std::string>{"000000", "000101"}));
  EXPECT_EQ(entries(db.lists().trainStopLists),
            (std::vector<std::string>{"0000000000000000000000000000000"}));
}

struct RawCase {
  const char* name;
  std::string file;  // exact bytes
  std::string header;
  std::string classCodes;
  std::vector<std::string> trainNumbers;
};

// Files built byte by byte: only header bytes and '%' terminators, which no
// transform changes, plus sections left empty.
class RawFileTest : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawFileTest, Loads) {
  const RawCase& c = GetParam();
  const TimetableDb db = loadBytes(c.file);
  EXPECT_EQ(db.lists().headerText, c.header);
  EXPECT_EQ(db.lists().trainClassCodes, c.classCodes);
  EXPECT_EQ(entries(db.lists().trainNumbers), c.trainNumbers);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, RawFileTest,
    ::testing::Values(
        RawCase{"ExactlyTenBytes", "0123456789", "0123456789", "", {}},
        RawCase{"ShorterThanTenBytes", "ABC", "ABC", "", {}}, RawCase{"EmptyFile", "", "", "", {}},
        RawCase{"ZeroByteInHeaderEndsIt", std::string("ABCD\0FGHIJ", 10), "ABCD", "", {}},
        RawCase{"PercentInHeaderIsHeaderText", "AB%DEFGHIJ%%%%%%%", "AB%DEFGHIJ", "", {}},
        RawCase{"TwoPercentInARowGiveEmptySections", "0123456789%%%%%%%", "0123456789", "", {}},
        RawCase{"FewerThanSevenTerminators", "0123456789%%%", "0123456789", "", {}}),
    test::CaseName());

TEST(LoaderTest, BytesAfterTheSeventhTerminatorChangeNothing) {
  const std::string file = packOrFail(test::workedExampleSections());
  const TimetableDb plain = loadBytes(file);
  EXPECT_EQ(loadBytes(file + "%%garbage\x01%"), plain);
  EXPECT_EQ(loadBytes(file + std::string(1000, '\0')), plain);
}

TEST(LoaderTest, UnterminatedSectionsAreNotProcessed) {
  std::string file = packOrFail(test::workedExampleSections());
  // Cut the file inside section 6: sections 1 to 5 load, 6 and 7 do not.
  std::size_t sixthStart = 10;
  for (int s = 0; s < 5; ++s) sixthStart = file.find('%', sixthStart) + 1;
  file.resize(sixthStart + 3);
  const TimetableDb db = loadBytes(file);
  EXPECT_EQ(db.lists().trainClassCodes, "13");
  EXPECT_EQ(db.trainCount(), 2);
  EXPECT_EQ(db.stationCount(), 2);
  EXPECT_TRUE(db.lists().stationCallLists.empty());
  EXPECT_TRUE(db.lists().trainStopLists.empty());
}

TEST(LoaderTest, ZeroByteEndsASectionsText) {
  // The writer refuses zero bytes, so put one in by hand: in section 1 the
  // stored byte for plain 0 is the section's key, found by packing "\x01"
  // and flipping the low bit of the stored byte.
  PlainSections plain = withSection(1,
                                    "1\x01"
                                    "3");
  std::string file = packOrFail(plain);
  file[11] = static_cast<char>(file[11] ^ 0x01);
  EXPECT_EQ(loadBytes(file).lists().trainClassCodes, "1");
}

}  // namespace
}  // namespace murlo
