// The library murlo's command line and server share (tools/murlo/answers/),
// unit by unit: times of day as people type them, station names as people
// type them, and a question put to a database handle.
#include "answers/answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "answers/station_match.h"
#include "answers/station_pinyin.h"
#include "answers/time_of_day.h"
#include "gtfs/station_name.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"

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
  const auto entry = [](std::string name, std::string abbreviation,
                        std::vector<std::string> written = {}) {
    return stationEntry(std::move(name), std::move(abbreviation), written);
  };
  // The last three in the network's own words: names as written and the
  // labels that tell equal ones apart.
  const std::vector<StationEntry> stations = {
      entry("北京", "BJ"),
      entry("宝鸡", "BJ"),
      entry("天津", "TJ"),
      entry("Oak_Hill", "OH"),
      entry("Hillside", "HS"),
      entry("Zurich_HB", "ZH", {"Zürich HB", "Zürich HB"}),
      entry("125_St", "A125", {"125 St", "125 St (4 5 6)"}),
      entry("125_St2", "B125", {"125 St", "125 St (A B C D)"}),
      entry("Times_Sq-42_St", "TS", {"Times Sq-42 St", "Times Sq-42 St"})};
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
      {"ZÜRICH hb", StationMatch::Kind::kTaken, "Zurich_HB", false},  // case and accents
      {"zurich", StationMatch::Kind::kTaken, "Zurich_HB", false},
      {"125 St (4 5 6)", StationMatch::Kind::kTaken, "125_St", false},  // by its label
      {"125 st (a b c d)", StationMatch::Kind::kTaken, "125_St2", false},
      {"125 St", StationMatch::Kind::kSeveral, "", false},                   // two as written
      {"timessq42st", StationMatch::Kind::kTaken, "Times_Sq-42_St", false},  // no spaces
      {"Times Sq 42 St", StationMatch::Kind::kTaken, "Times_Sq-42_St", false},
  };
  for (const auto& c : cases) {
    const StationMatch match = matchStation(c.typed, stations);
    EXPECT_EQ(match.kind, c.kind) << c.typed;
    EXPECT_EQ(match.name, c.name) << c.typed;
    EXPECT_EQ(match.byAbbreviation, c.byAbbreviation) << c.typed;
  }
}

// A line's short or long name, typed as station names are (any case,
// spaces, punctuation, accents), lists the stations the line calls at
// after those whose own names match; it never names a station.
TEST(StationMatch, LineNamesListTheirStationsAfterNames) {
  const auto entry = [](std::string name, std::string written, std::vector<StationLine> lines) {
    StationEntry station = stationEntry(std::move(name), "", {written, written});
    station.lines = std::move(lines);
    return station;
  };
  const StationLine lex = stationLine("4", "Lexington Avenue Express");
  const StationLine sixth = stationLine("F", "6 Av Local");
  const StationLine cote = stationLine("", "Côte-Vertu");
  const std::vector<StationEntry> stations = {
      entry("125_St", "125 St", {lex}),
      entry("Lexington_Av", "Lexington Av/53 St", {sixth}),
      entry("Grand_Central", "Grand Central", {lex}),
      entry("Jay_St", "Jay St-MetroTech", {sixth}),
      entry("Snowdon", "Snowdon", {cote}),
  };
  const struct {
    const char* typed;
    std::vector<std::string> found;  // stationsForTyping, best first
    StationMatch::Kind kind;         // matchStation
  } cases[] = {
      {"Lexington", {"Lexington_Av", "125_St", "Grand_Central"}, StationMatch::Kind::kTaken},
      {"lexington avenue express", {"125_St", "Grand_Central"}, StationMatch::Kind::kNone},
      {"LEXINGTON AVENUE-EXPRESS", {"125_St", "Grand_Central"}, StationMatch::Kind::kNone},
      {"4", {"125_St", "Grand_Central"}, StationMatch::Kind::kNone},
      {"f", {"Lexington_Av", "Jay_St"}, StationMatch::Kind::kNone},
      {"6av", {"Lexington_Av", "Jay_St"}, StationMatch::Kind::kNone},
      {"cote vertu", {"Snowdon"}, StationMatch::Kind::kNone},
      {"xp", {}, StationMatch::Kind::kNone},  // too short to look inside a long name
  };
  for (const auto& c : cases) {
    std::vector<bool> byLine;
    std::vector<std::string> found;
    for (const StationEntry* s : stationsForTyping(c.typed, stations, &byLine))
      found.push_back(s->name);
    EXPECT_EQ(found, c.found) << c.typed;
    EXPECT_EQ(byLine.size(), found.size()) << c.typed;
    EXPECT_EQ(matchStation(c.typed, stations).kind, c.kind) << c.typed;
  }
}

TEST(StationPinyin, NamesAsTheirSignsWriteThem) {
  const struct {
    const char* name;
    const char* pinyin;
  } cases[] = {
      {"北京西", "Beijingxi"},
      {"上海虹桥", "Shanghaihongqiao"},
      {"长沙南", "Changshanan"},
      {"西安", "Xi'an"},  // an apostrophe where a syllable begins with a, e or o
      {"哈尔滨", "Ha'erbin"},
      {"吕梁", "Lüliang"},
      {"重庆北", "Chongqingbei"},  // read otherwise in place names than sorted
      {"蚌埠南", "Bengbunan"},
      {"亳州", ""},  // 亳: second level
      {"北京T3", ""},
      {"Oak_Hill", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(stationPinyin(c.name), c.pinyin) << c.name;

  // Every character of the first level has a syllable, whose initial is the
  // one the import's own table of initials gives (but for the place
  // readings); no other GBK character has one.
  for (unsigned code = 0x8140; code <= 0xFEFE; ++code) {
    std::u16string utf16;
    gbkToUtf16(std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}, utf16);
    if (utf16.size() != 1 || utf16[0] == u'\uFFFD') continue;
    const char32_t c = utf16[0];
    const std::string_view syllable = pinyinSyllable(c);
    const bool firstLevel = code >= 0xB0A1 && code <= 0xD7F9 && (code & 0xFF) >= 0xA1;
    ASSERT_EQ(!syllable.empty(), firstLevel) << std::hex << code;
    if (firstLevel && c != U'重' && c != U'蚌' && c != U'藏') {
      EXPECT_EQ(syllable[0] - 'a' + 'A', gtfs::pinyinInitial(c))
          << std::hex << code << " " << syllable;
    }
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
