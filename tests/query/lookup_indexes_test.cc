// The lookup indexes against the plain scans they replace, on many generated
// tables: names that repeat, abbreviations that share prefixes, numbers with
// and without their letters, and lists of different lengths.
#include "query/lookup_indexes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/reference_lookups.h"
#include "support/test_support.h"

namespace murlo {
namespace {

std::string pick(std::mt19937& rng, std::string_view letters, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += letters[rng() % letters.size()];
  return text;
}

TEST(LookupIndexesTest, AnswerAsThePlainScans) {
  std::mt19937 rng(20261209u);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> names;
    std::vector<std::string> abbreviations;
    const std::size_t stations = rng() % 40;
    for (std::size_t s = 0; s < stations; ++s) {
      names.push_back(pick(rng, "ABab", 1 + rng() % 3));  // names repeat
      abbreviations.push_back(pick(rng, "BJXH", 1 + rng() % 3));
    }
    if (round % 3 == 0 && !abbreviations.empty()) abbreviations.pop_back();
    std::vector<std::string> numbers;
    const std::size_t trains = rng() % 40;
    for (std::size_t t = 0; t < trains; ++t) {
      std::string entry;
      for (std::size_t n = 0, count = 1 + rng() % 3; n < count; ++n) {
        if (n > 0) entry += '/';
        // Letters that are prefixes, suffixes, both or neither, and digits.
        entry += pick(rng, "TKDGASB", rng() % 2) + pick(rng, "12", 1 + rng() % 2) +
                 pick(rng, "ABQ", rng() % 2);
      }
      numbers.push_back(entry);
    }
    TableLists lists;
    lists.stationNames = test::listOf(names);
    lists.stationAbbreviations = test::listOf(abbreviations);
    lists.trainNumbers = test::listOf(numbers);
    const TimetableDb db(std::move(lists));
    const LookupIndexes indexes(db);

    for (const std::string& name : names) {
      EXPECT_EQ(indexes.findStation(db, name), test::findStationByScan(db, name)) << name;
      EXPECT_EQ(indexes.firstWithSameName(*indexes.findStation(db, name)),
                *test::findStationByScan(db, name));
    }
    EXPECT_FALSE(indexes.findStation(db, "none").has_value());
    for (const std::string prefix : {"", "B", "BJ", "X", "HH", "BJXH", "Q"}) {
      EXPECT_EQ(indexes.stationsWithAbbreviationPrefix(db, prefix),
                test::stationsWithPrefixByScan(db, prefix))
          << prefix;
    }
    for (int q = 0; q < 30; ++q) {
      const std::string typed = pick(rng, "TKDGASB", rng() % 2) + pick(rng, "12", 1 + rng() % 2) +
                                pick(rng, "ABQ", rng() % 2);
      EXPECT_EQ(indexes.trainsWithNumberForms(db, typed), test::trainsWithNumberByScan(db, typed))
          << typed;
    }
  }
}

}  // namespace
}  // namespace murlo
