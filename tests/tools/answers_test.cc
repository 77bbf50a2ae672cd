// The library murlo's command line and server share (tools/murlo/answers/),
// unit by unit: times of day as people type them, station names as people
// type them, and a question put to a database handle.
#include "answers/answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "answers/station_match.h"
#include "answers/time_of_day.h"
#include "support/test_support.h"

namespace murlo::tool {
namespace {

TEST(TimeOfDay, TakesHoursAndMinutesWithOrWithoutTheColon) {
  const struct {
    const char* typed;
    std::optional<int> minute;
  } cases[] = {
      {"08:15", 495},
      {"8:15", 495},
      {"0815", 495},
      {"815", 495},
      {"23:59", 1439},
      {"0000", 0},
      {"1440", 880},
      {"24:00", std::nullopt},
      {"8:5", std::nullopt},
      {"15", std::nullopt},
      {"495", std::nullopt},
      {"", std::nullopt},
      {"12:60", std::nullopt},
      {"-1:00", std::nullopt},
      {"08:15 ", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parseMinuteOfDay(c.typed), c.minute) << c.typed;
}

TEST(StationMatch, NamesAbbreviationsAndSpacesAsPeopleTypeThem) {
  const auto entry = [](std::string name, std::string abbreviation) {
    return StationEntry{name, abbreviation, foldedName(name), {}};
  };
  const std::vector<StationEntry> stations = {entry("北京", "BJ"), entry("宝鸡", "BJ"),
                                              entry("天津", "TJ"), entry("Oak_Hill", "OH"),
                                              entry("Hillside", "HS")};
  const struct {
    const char* typed;
    StationMatch::Kind kind;
    const char* name;  // kExact, kTaken
    bool byAbbreviation;
  } cases[] = {
      {"天津", StationMatch::Kind::kExact, "天津", false},
      {"tj", StationMatch::Kind::kTaken, "天津", true},
      {"oak hill", StationMatch::Kind::kTaken, "Oak_Hill", false},
      {"hs", StationMatch::Kind::kTaken, "Hillside", true},
      {"hill", StationMatch::Kind::kSeveral, "", false},  // in two names
      {"bj", StationMatch::Kind::kSeveral, "", false},    // the abbreviation of two
      {"上海", StationMatch::Kind::kNone, "", false},
  };
  for (const auto& c : cases) {
    const StationMatch match = matchStation(c.typed, stations);
    EXPECT_EQ(match.kind, c.kind) << c.typed;
    EXPECT_EQ(match.name, c.name) << c.typed;
    EXPECT_EQ(match.byAbbreviation, c.byAbbreviation) << c.typed;
  }
}

TEST(Questions, AnswerFromTheirHandleAndTrimWhatIsTyped) {
  const test::TempFile file(test::packOrFail(test::workedExampleSections()));
  murlo_db* db = nullptr;
  ASSERT_EQ(murlo_db_open(file.path().c_str(), &db), MURLO_STATUS_OK);
  Questions questions(file.path(), DatabaseHandle(db, murlo_db_close));
  const auto answer = questions.at(" tj ", TrainOrder{}, Detail::kFields);
  ASSERT_TRUE(answer.ok()) << answer.status().message();
  EXPECT_EQ(answer->subject.front().second, "天津");
  EXPECT_EQ(answer->count, static_cast<int32_t>(answer->trains.size()));
  ASSERT_FALSE(questions.notes().empty());
  EXPECT_EQ(questions.notes().front(), "taking 天津 for \"tj\" (its abbreviation)");
  const auto unknown = questions.number("", TrainOrder{}, Detail::kFields);
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.status().kind(), Status::Kind::kInvalidArgument);
}

}  // namespace
}  // namespace murlo::tool
