// Trains by a typed number and its 27 forms.
#include "query/trains_by_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;

TimetableDb numbered(const std::vector<std::string>& numbers) {
  std::vector<TrainSpec> trains;
  for (const std::string& number : numbers) {
    trains.push_back(
        {number, '3', 'F', 'D', {stopAt(0, "-", "08:00", 0), stopAt(1, "09:00", "-", 60)}});
  }
  return buildTimetable("", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}}, trains);
}

// The train indexes in the second field of each line.
std::vector<int> trainsOf(const QueryResult& result) {
  std::vector<int> trains;
  for (const std::string& line : test::splitTerminated(result.text, '*')) {
    EXPECT_EQ(line.rfind("S|", 0), 0u) << line;
    trains.push_back(std::stoi(line.substr(2)));
  }
  EXPECT_EQ(static_cast<int32_t>(trains.size()), test::outcomeOf(result));
  return trains;
}

TEST(TrainsByNumberTest, Forms) {
  const LoadedDatabase db(numbered({"K123", "1234", "T123A/T124A", "123/124", "123/K123", "D123A",
                                    "S123", "Z123B", "K1123", "G123", "C123A", "L123B"}));
  struct Case {
    const char* name;
    const char* typed;
    std::vector<int> trains;
  } cases[] = {
      {"bare number", "123", {0, 2, 3, 4, 7, 9, 11}},
      {"second of two numbers", "124", {2, 3}},
      {"typed with its prefix", "K123", {0, 4}},
      {"no suffix forms for D", "123A", {2, 5, 10}},
      {"lower case", "k123", {}},
      {"unlisted prefix needs typing", "S123", {6}},
      {"slash spans two numbers", "123/124", {3}},
      {"slash with a prefix form", "T123A/T124", {2}},
      {"empty input", "", {}},
      {"no such number", "999", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(trainsOf(test::gbkText(trainsByNumber(db, c.typed))), c.trains) << c.name;
  }
}

TEST(TrainsByNumberTest, DocumentedExample) {
  const LoadedDatabase db(numbered({"K123", "1234", "T123A/T124A"}));
  const QueryResult result = test::gbkText(trainsByNumber(db, "123"));
  EXPECT_EQ(test::outcomeOf(result), 2);
  EXPECT_EQ(trainsOf(result), (std::vector<int>{0, 2}));
}

TEST(TrainsByNumberTest, NothingLoaded) {
  const QueryResult result = test::gbkText(trainsByNumber(LoadedDatabase(), "K1"));
  EXPECT_EQ(test::outcomeOf(result), 0);
  EXPECT_EQ(result.text, "");
}

}  // namespace
}  // namespace murlo
