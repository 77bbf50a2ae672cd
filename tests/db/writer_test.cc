// The writer: what it refuses, and that every storable text loads back.
#include "db/writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "db/file_format.h"
#include "db/sections.h"
#include "support/test_support.h"

namespace murlo {
namespace {

struct RefusalCase {
  const char* name;
  int section;  // 0: the header
  std::string text;
  std::size_t offset;
};

class WriterRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WriterRefusalTest, NamesSectionAndOffset) {
  const RefusalCase& c = GetParam();
  PlainSections plain = test::workedExampleSections();
  if (c.section == 0) {
    plain.header = c.text;
  } else {
    plain.sections[static_cast<std::size_t>(c.section - 1)] = c.text;
  }
  std::string file = "untouched";
  const auto error = packDatabase(plain, file);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->section, c.section);
  EXPECT_EQ(error->offset, c.offset);
  EXPECT_EQ(file, "untouched");
  EXPECT_NE(error->message().find(c.section == 0 ? "header" : "section"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, WriterRefusalTest,
    ::testing::Values(RefusalCase{"HeaderTooLong", 0, "ELEVEN-BYTE", 10},
                      RefusalCase{"ZeroInHeader", 0, std::string("AB\0C", 4), 2},
                      RefusalCase{"PercentInCodes", 1, "12%", 2},
                      RefusalCase{"ZeroInCodes", 2, std::string("F\0", 2), 1},
                      RefusalCase{"XorKeyCollision", 3, "D\xEC", 1},
                      RefusalCase{"ScrambledByteInNumbers", 4, "K1O\xD3", 3},
                      RefusalCase{"AdditiveCollisionInStations", 5, "AB\x7F", 2},
                      RefusalCase{"ScrambledByteInCallLists", 6, "0000\xA1", 4},
                      RefusalCase{"PercentInStopLists", 7, "0%", 1}),
    test::CaseName());

// Every byte a section can store survives the trip: pack, then de-scramble.
TEST(WriterTest, EveryStorableByteLoadsBack) {
  for (int s = 1; s <= kSectionCount; ++s) {
    std::string storable;
    for (int b = 0; b < 256; ++b) {
      if (encodeByte(static_cast<Section>(s), static_cast<uint8_t>(b))) {
        storable += static_cast<char>(b);
      }
    }
    EXPECT_EQ(storable.size(), s == 4 ? 235u : s >= 6 ? 243u : 253u) << "section " << s;
    PlainSections plain;
    plain.sections[static_cast<std::size_t>(s - 1)] = storable;
    std::string file = test::packOrFail(plain);
    const SectionTexts texts = descrambleSections(file);
    ASSERT_EQ(texts.terminated, kSectionCount);
    EXPECT_EQ(texts.sections[static_cast<std::size_t>(s - 1)], storable) << "section " << s;
  }
}

TEST(WriterTest, RandomSectionsRoundTrip) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    PlainSections plain;
    plain.header = std::string(random() % 11, 'H');
    for (int s = 1; s <= kSectionCount; ++s) {
      std::string& text = plain.sections[static_cast<std::size_t>(s - 1)];
      const std::size_t length = random() % 64;
      while (text.size() < length) {
        const auto byte = static_cast<uint8_t>(random());
        if (encodeByte(static_cast<Section>(s), byte)) text += static_cast<char>(byte);
      }
    }
    std::string file = test::packOrFail(plain);
    const SectionTexts texts = descrambleSections(file);
    EXPECT_EQ(texts.header, plain.header);
    for (std::size_t i = 0; i < plain.sections.size(); ++i) {
      EXPECT_EQ(texts.sections[i], plain.sections[i]);
    }
  }
}

TEST(WriterTest, TablesRoundTripThroughPlainSections) {
  const TimetableDb db = test::workedExampleDb();
  PlainSections plain;
  ASSERT_FALSE(plainSectionsOf(db, plain).has_value());
  EXPECT_EQ(plain, test::workedExampleSections());
}

TEST(WriterTest, PlainSectionsRefuseEntriesThatWouldNotLoadBack) {
  TableLists lists = test::workedExampleDb().lists();
  lists.trainNumbers = test::appended(lists.trainNumbers, "KO1");  // holds the separator
  PlainSections plain;
  auto error = plainSectionsOf(lists, plain);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->section, 4);

  lists = test::workedExampleDb().lists();
  lists.trainStopLists = test::appended(lists.trainStopLists, "");  // an empty entry would vanish
  error = plainSectionsOf(lists, plain);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->section, 7);
  EXPECT_TRUE(plain.header.empty());  // untouched
}

}  // namespace
}  // namespace murlo
