// The timetable source format: what build refuses, and dump/build round trips.
#include "timetable_source/timetable_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>

#include "db/civil_day.h"
#include "db/loader.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using source::Diagnostic;
using source::Timetable;

constexpr const char* kValid = R"(# A small network.
header "CN-TEST"
station 北京 BJ
station 天津 TJ
station 天津 TJN as 天津#2

train T1/T2 class 1 columns F rate D
  北京      -     08:00     0
  天津#2  09:30     -     137
end
train K5 class 3 columns 8 rate E
  天津    -      23:30    0
  北京  01:05    -      137
end
)";

std::string compiled(const std::string& text) {
  Timetable timetable;
  const auto errors = source::parseSource(text, timetable);
  EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0].message);
  std::string file;
  EXPECT_FALSE(source::compileTimetable(timetable, file).has_value());
  return file;
}

std::string dumped(const std::string& file, std::vector<std::string>* warningsOut = nullptr) {
  std::vector<std::string> warnings;
  std::string bytes = file;
  const ParsedFile parsed = parseDatabaseFile(std::span<char>(bytes.data(), bytes.size()));
  EXPECT_NE(parsed.extension.state, ExtensionState::kDamaged) << parsed.extension.problem;
  const std::string text =
      source::dumpSource(parsed.tables.lists(), parsed.extension.extension, warnings);
  if (warningsOut != nullptr) *warningsOut = warnings;
  return text;
}

TEST(TimetableSourceTest, CompilesTheWorkedExampleByteForByte) {
  const std::string source = R"(header "EXAMPLE-01"
station 北京 BJ
station 天津 TJ
train T1/T2 class 1 columns F rate D
  北京 - 08:00 0
  天津 09:30 - 137
end
train K5 class 3 columns 8 rate D
  天津 - 23:30 0
  北京 01:05 - 137
end
)";
  EXPECT_EQ(compiled(source), test::packOrFail(test::workedExampleSections()));
}

TEST(TimetableSourceTest, DumpThenBuildGivesTheSameFile) {
  const std::string file = compiled(kValid);
  std::vector<std::string> warnings;
  const std::string text = dumped(file, &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_NE(text.find("as 天津#2"), std::string::npos);
  EXPECT_EQ(compiled(text), file);
}

// Random consistent networks survive dump and build unchanged, duplicate
// names, long names, first arrivals kept as written and odd headers included,
// and so does the extension: restricted calls (the last station served by
// them alone in some rounds), groups, walks, transfers naming trains whose
// numbers others share, change times, and the period with the days each
// train runs (weekdays with exceptions, single days, none, every day).
TEST(TimetableSourceTest, RandomNetworksRoundTrip) {
  std::mt19937 random(7);
  const char* names[] = {"甲", "乙", "丙", "丁", "北京西", "A1", "€站", "North_Harbour_Road"};
  std::set<std::string> written;  // the kinds of extension line dumped
  for (int round = 0; round < 60; ++round) {
    const bool extended = round >= 20;
    std::vector<StationSpec> stations;
    const int stationCount = 2 + static_cast<int>(random() % 6);
    for (int s = 0; s < stationCount; ++s) {
      stations.push_back({test::gbk(names[random() % 8]), "S" + std::to_string(s)});
    }
    std::vector<TrainSpec> trains;
    for (int t = 0; t < 1 + static_cast<int>(random() % 5); ++t) {
      TrainSpec train{"K" + std::to_string(extended ? t % 2 : t) + "/Z9",
                      "1234678909AB"[random() % 12],
                      "123456789ABCDEF"[random() % 15],
                      static_cast<char>('D' + random() % 21),
                      {}};
      int km = 0;
      const int stops = 2 + static_cast<int>(random() % 5);
      for (int k = 0; k < stops; ++k) {
        km += static_cast<int>(random() % 300);
        train.stops.push_back({static_cast<int32_t>(random() % static_cast<unsigned>(stationCount)),
                               static_cast<int32_t>(random() % 1440),
                               static_cast<int32_t>(random() % 1440), km});
      }
      if (extended && random() % 2 == 0) {
        std::vector<CallRule> rules;
        for (StopSpec& stop : train.stops) {
          stop.board = random() % 3 != 0;
          stop.alight = random() % 3 != 0;
          rules.push_back({stop.board, stop.alight});
        }
        if (legacyCalls(rules).empty())
          train.stops.front().board = train.stops.back().alight = true;
      }
      trains.push_back(train);
    }
    // Every station called at, in the sections but perhaps the last.
    TrainSpec sweep{"G1", 'B', 'F', 'D', {}};
    for (int s = 0; s < stationCount; ++s) sweep.stops.push_back({s, 0, 0, s});
    if (extended && round % 3 == 0 && stationCount > 2)
      sweep.stops.back().alight = sweep.stops.back().board = false;
    // The last round holds more trains than the sections index: block 9
    // holds those after the sections' day's leading ones (the sweep first,
    // so that the sections call at every station).
    const bool many = round == 59;
    trains.insert(many ? trains.begin() : trains.end(), sweep);
    for (int t = 0; many && t < kMaxTrains; ++t) {
      trains.push_back({"L" + std::to_string(t), '1', 'F', 'D', {{0, t % 1440, t % 1440, 0}}});
      trains.back().stops.push_back({1, (t + 7) % 1440, (t + 7) % 1440, 9});
    }
    NetworkSpec network;
    if (extended) {
      const auto station = [&] {
        return StationIndex(static_cast<int32_t>(random() % static_cast<unsigned>(stationCount)));
      };
      const auto train = [&] {
        return random() % 2 == 0 ? kAnyTrain
                                 : TrainIndex(static_cast<int32_t>(random() % trains.size()));
      };
      for (int g = 0; g < static_cast<int>(random() % 3); ++g) {
        StationGroup group{g % 2 == 0 ? GroupKind::kCity : GroupKind::kComplex,
                           test::gbk(names[g]),
                           static_cast<int32_t>(random() % 1440),
                           {}};
        for (int32_t s = 0; s < stationCount; ++s) {
          if (group.members.size() < 2 || random() % 2 == 0) group.members.emplace_back(s);
        }
        network.groups.push_back(group);
      }
      for (int k = 0; k < static_cast<int>(random() % 6); ++k) {
        Transfer transfer{station(), station(), static_cast<TransferKind>(random() % 3),
                          0,         train(),   train()};
        if (transfer.kind == TransferKind::kMinimumTime) {
          transfer.minutes = static_cast<int32_t>(random() % 1440);
        }
        network.transfers.push_back(transfer);
        if (k % 2 == 0 && transfer.from != transfer.to) {  // a walk
          network.transfers.back().fromTrain = network.transfers.back().toTrain = kAnyTrain;
          network.transfers.back().kind = TransferKind::kMinimumTime;
          network.transfers.push_back(network.transfers.back());
          std::swap(network.transfers.back().from, network.transfers.back().to);
        }
      }
      for (int32_t s = 0; s < stationCount; ++s) {
        if (random() % 3 == 0) network.changeTimes.push_back({StationIndex(s), s * 7});
      }
    }
    if (extended && round % 2 == 1) {
      ServiceCalendar& calendar = network.calendar;
      calendar.firstDay = 20000 + static_cast<int32_t>(random() % 3000);
      calendar.dayCount = 1 + static_cast<int32_t>(random() % 120);
      calendar.timeZone = round % 4 == 1 ? "Asia/Shanghai" : "";
      calendar.sectionsDay = many ? 0 : static_cast<int32_t>(random() % 2) - 1;
      const unsigned weekdays = static_cast<unsigned>(random() % 128);
      for (std::size_t t = 0; t < trains.size(); ++t) {
        DayPattern days = DayPattern::none(calendar.dayCount);
        unsigned kind = static_cast<unsigned>(random() % 5);
        if (many && (kind == 1 || kind == 3)) kind = 0;  // a few patterns, as timetables have
        for (int32_t d = 0; d < calendar.dayCount; ++d) {
          const bool weekday = (weekdays >> weekdayOf(calendar.firstDay + d) & 1u) != 0;
          days.set(d, kind == 0   ? true
                      : kind == 1 ? weekday != (random() % 10 == 0)
                      : kind == 2 ? d == calendar.dayCount / 2
                      : kind == 3 ? random() % 2 == 0
                                  : false);
        }
        if (many && t == 0) days.set(0);
        // Each pattern once, in the order trains first run on it, as build
        // writes them.
        const auto found = std::find(calendar.patterns.begin(), calendar.patterns.end(), days);
        calendar.trainPatterns.push_back(static_cast<uint32_t>(found - calendar.patterns.begin()));
        if (found == calendar.patterns.end()) calendar.patterns.push_back(days);
      }
    }
    // A third of the extended networks say their tariff: their own fares
    // (exact prices of 0 to 3 digits, rules naming routes and zones) or none.
    if (extended && round % 3 == 1) {
      NetworkFares& fares = network.fares;
      const auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
      const auto any = [&](uint32_t n) { return pick(2) == 0 ? kNoFareRef : pick(n); };
      fares.tariff = round % 6 == 1 ? Tariff::kNone : Tariff::kNetwork;
      fares.routes = {{"R1", 2}, {"M-7", kNoRouteType}, {"B", 700}};
      fares.zones = {"1", "Zone_2"};
      for (int32_t s = 0; s < stationCount; ++s) fares.stationZones.push_back(any(2));
      for (std::size_t t = 0; t < trains.size(); ++t) fares.trainRoutes.push_back(any(3));
      if (fares.tariff == Tariff::kNetwork) {
        fares.products = {{"peak", 1075, "USD", 2}, {"off", 500, "JPY", 0}, {"x", 7, "BHD", 3}};
        for (uint32_t k = 0; k < 1 + pick(5); ++k)
          fares.rules.push_back({pick(3), any(3), any(2), any(2), any(2)});
      }
    }
    // Half the extended rounds speak their own words: names as written with
    // spaces, quotes and any script, lines, headsigns and platforms.
    if (extended && round % 4 < 2) {
      const char* asWritten[] = {"125 St", "Zürich \"HB\"", "北京 西", "Back\\slash", "São Paulo"};
      NetworkWords& words = network.words;
      for (int32_t s = 0; s < stationCount; ++s) {
        if (random() % 2 == 0) continue;
        std::optional<GeoPoint> where;
        if (random() % 2 == 0)
          where = GeoPoint{static_cast<int32_t>(random() % 180'000'001) - 90'000'000,
                           static_cast<int32_t>(random() % 360'000'001) - 180'000'000};
        words.stations.push_back({StationIndex(s), asWritten[random() % 5], where,
                                  static_cast<Wheelchair>(random() % 3)});
      }
      for (int l = 0; l < static_cast<int>(random() % 4); ++l) {
        words.lines.push_back({l == 2 ? "A" : "4", l == 1 ? "" : "Lexington Av Express",
                               static_cast<int32_t>(random() % 1800),
                               random() % 2 == 0 ? std::nullopt : std::optional<Rgb>(0x00933C),
                               random() % 2 == 0 ? std::nullopt : std::optional<Rgb>(0xFFFFFF)});
      }
      for (std::size_t t = 0; t < trains.size(); ++t) {
        if (random() % 3 == 0) continue;
        TrainWords train{TrainIndex(static_cast<int32_t>(t)),
                         words.lines.empty() || random() % 3 == 0
                             ? kNoLine
                             : static_cast<int32_t>(random() % words.lines.size()),
                         random() % 2 == 0 ? "" : "Crown Hts-Utica Av",
                         static_cast<int32_t>(random() % 3) - 1,
                         random() % 2 == 0 ? "" : "2057",
                         static_cast<Wheelchair>(random() % 3),
                         {}};
        if (random() % 2 == 0) {
          for (std::size_t k = 0; k < trains[t].stops.size(); ++k)
            train.platforms.push_back(k % 2 == 0 ? "Track 1A" : "");
        }
        words.trains.push_back(train);
      }
    }
    std::string header = round % 2 == 0 ? "H\xFF\x01" : test::gbk("时刻");
    std::string file;
    const DatabaseParts parts = buildDatabase(header, stations, trains, network);
    EXPECT_EQ(parts.extension.more.trains.empty(), !many);
    const auto error = writeDatabaseBytes(parts.lists, parts.extension, file);
    ASSERT_FALSE(error.has_value()) << error->message();
    std::vector<std::string> warnings;
    const std::string text = dumped(file, &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(compiled(text), file) << text;
    for (const char* line :
         {" as K", "-only", "\ngroup ", "\nwalk ", "\ntransfer ", "\nchange ", "\nperiod ", " not ",
          " also ", "days none", "\ntariff none", "\nfare-rule ", "  route ", "\nnamed ", "\nline ",
          "  words", " platform "}) {
      if (text.find(line) != std::string::npos) written.insert(line);
    }
  }
  EXPECT_EQ(written.size(), 17u);  // every kind of line went through
}

struct ErrorCase {
  const char* name;
  std::string source;
  int line;
  const char* message;  // part of the error
};

class SourceErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SourceErrorTest, NamesTheLine) {
  const ErrorCase& c = GetParam();
  Timetable timetable;
  const std::vector<Diagnostic> errors = source::parseSource(c.source, timetable);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0].line, c.line);
  EXPECT_NE(errors[0].message.find(c.message), std::string::npos) << errors[0].message;
}

const std::string kTwo = "station 甲 J\nstation 乙 Y\n";

INSTANTIATE_TEST_SUITE_P(
    Source, SourceErrorTest,
    ::testing::Values(
        ErrorCase{"UnknownKeyword", kTwo + "stasion 丙 B\n", 3, "unknown keyword"},
        ErrorCase{"DaysWithoutPeriod",
                  kTwo + "train K1 class 1 columns F rate D\n days mon-fri\n 甲 - 08:00 0\n"
                         " 乙 09:00 - 10\nend\n",
                  4, "needs a period"},
        ErrorCase{"DateOutsideThePeriod",
                  "period 2026-09-01 2026-09-30\n" + kTwo +
                      "train K1 class 1 columns F rate D\n days daily not 2026-10-01\n"
                      " 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
                  5, "outside the period"},
        ErrorCase{"UndeclaredStation",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 丙 09:00 - 10\nend\n",
                  5, "not declared"},
        ErrorCase{"RepeatedName", kTwo + "station 甲 J2\n", 3, "already declared on line 1"},
        ErrorCase{"LabelTaken", kTwo + "station 甲 J2 as 乙\n", 3, "already a station name"},
        ErrorCase{"KeywordAsName", "station end E\n", 1, "cannot be a keyword"},
        ErrorCase{"CommentAsLabel", kTwo + "station 甲 J2 as #2\n", 3, "cannot be a keyword"},
        ErrorCase{"NameTooLong", "station 乌鲁木齐南东站 W\n", 1, "at most 11"},
        ErrorCase{"LongNamesAfterStations", kTwo + "names long\n", 3, "before stations"},
        ErrorCase{"NameOverTheLongLimit", "names long\nstation " + std::string(101, 'x') + " X\n",
                  2, "at most 100"},
        ErrorCase{"NameNotInCodePage", "station ก J\n", 1, "code page 936"},
        ErrorCase{"BadAbbreviation", "station 甲 J-1\n", 1, "abbreviation"},
        ErrorCase{"NumberWithO",
                  kTwo + "train KO1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
                  3, "without O"},
        ErrorCase{"LowerCaseNumber",
                  kTwo + "train k1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
                  3, "capital letters"},
        ErrorCase{"UnknownClass",
                  kTwo + "train K1 class 5 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
                  3, "class code 5"},
        ErrorCase{"MissingKey",
                  kTwo + "train K1 class 1 rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
                  "expected: train"},
        ErrorCase{"MissingKeyNamed",
                  kTwo + "train K1 class 1 rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
                  "lacks the key 'columns'"},
        ErrorCase{"KeyWithoutValue",
                  kTwo + "train K1 class 1 columns F rate\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
                  "the key 'rate' has no value"},
        ErrorCase{
            "UnknownClassName",
            kTwo + "train K1 class 快车 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
            "class code 快车 is not"},
        ErrorCase{
            "RateOffTheSteps",
            kTwo + "train K1 class 1 columns F rate 1.07\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
            "rate code 1.07 is not"},
        ErrorCase{"BinaryTokenIsCut", kTwo + std::string(200, '\x01') + " x\n", 3,
                  "unknown keyword '\\x01\\x01"},
        ErrorCase{"RepeatedKey",
                  kTwo + "train K1 class 1 class 2 rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
                  "given twice"},
        ErrorCase{"BadTime",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 24:00 0\n 乙 09:00 - 10\nend\n",
                  4, "not a time"},
        ErrorCase{"DashInTheMiddle",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - - 0\n 乙 09:00 - 10\nend\n", 4,
                  "only the last stop"},
        ErrorCase{"DecreasingDistance",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 50\n 乙 09:00 - 10\nend\n",
                  5, "less than the stop before"},
        ErrorCase{
            "DistanceTooLarge",
            kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10000\nend\n", 5,
            "0 to 9999"},
        ErrorCase{"OneStop", kTwo + "train K1 class 1 columns F rate D\n 甲 - - 0\nend\n", 3,
                  "has 1 stop; a train has 2 to 100"},
        ErrorCase{"MissingEnd",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\n", 3,
                  "no 'end'"},
        // Messages that name the fix.
        ErrorCase{"NameWithSpaces", "station Oak Hill OH\n", 1,
                  "station name cannot hold spaces: write Oak_Hill"},
        ErrorCase{"StopNameWithSpaces",
                  "station Oak_Hill OH\nstation 乙 Y\ntrain K1 class 1 columns F rate D\n"
                  " Oak Hill - 08:00 0\n 乙 09:00 - 10\nend\n",
                  4, "cannot hold spaces: write Oak_Hill"},
        ErrorCase{
            "NumbersWithSpaces",
            kTwo + "train K1 K2 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", 3,
            "write K1/K2 for 2 numbers or K1K2 for one"},
        ErrorCase{"CharacterNotInCodePageNamed", "station São_Paulo SP\n", 1,
                  "São_Paulo holds ã, a character that code page 936 cannot represent"},
        ErrorCase{"CharacterNotStorableNamed", "station 5%_Halt H\n", 1,
                  "holds %, a character a database file cannot store"},
        ErrorCase{"HeaderTooLong", "header \"ELEVEN BYTES\"\n" + kTwo, 1, "at most 10"},
        ErrorCase{"HeaderAfterStations", kTwo + "header \"X\"\n", 3, "before stations"},
        ErrorCase{"UnclosedQuote", "header \"X\n", 1, "closing quote"},
        // The network lines and restricted calls.
        ErrorCase{"GroupOfOne", kTwo + "group city 甲城 60 甲\n", 3, "has 1 member"},
        ErrorCase{"GroupMinutes", kTwo + "group city 甲城 1440 甲 乙\n", 3,
                  "minutes 1440 are not 0 to 1439"},
        ErrorCase{"GroupKind", kTwo + "group town 甲城 60 甲 乙\n", 3, "not complex or city"},
        ErrorCase{"GroupUnknownStation", kTwo + "group city 甲城 60 甲 丙\n", 3,
                  "station 丙 is not declared"},
        ErrorCase{"WalkToItself", kTwo + "walk 甲 甲 5\n", 3, "a walk joins two stations"},
        ErrorCase{"SecondChangeTime", kTwo + "change 甲 5\nchange 甲 6\n", 4,
                  "a second change time for 甲 (the first is on line 3)"},
        ErrorCase{"TransferUnknownTrain",
                  kTwo + "transfer 甲 乙 timed to-train K9\n"
                         "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
                  3, "train K9 is not declared"},
        ErrorCase{"TransferAmbiguousTrain",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n"
                         "train K1 class 1 columns F rate D\n 甲 - 10:00 0\n 乙 11:00 - 10\nend\n"
                         "transfer 乙 乙 forbidden from-train K1\n",
                  11, "name 2 trains (lines 3, 7); name the one meant by a label"},
        ErrorCase{"NoRide",
                  kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0 alight-only\n"
                         " 乙 09:00 - 10\nend\n",
                  3, "offers no ride"},
        ErrorCase{"RestrictedStationFirst",
                  "station 丙 B\n" + kTwo +
                      "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 丙 08:30 08:31 5 "
                      "no-service\n 乙 09:00 - 10\nend\n",
                  1, "declare it after every station they serve (after 乙 on line 3)"},
        ErrorCase{
            "TooManyTokensInStop",
            kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0 9\n 乙 09:00 - 10\nend\n", 4,
            "expected a stop"}),
    test::CaseName());

TEST(TimetableSourceTest, CodesByNameAreTheCodes) {
  struct Case {
    const char* named;
    const char* coded;
  } cases[] = {
      {"class 空调特快 columns hard-seat,soft-seat rate 1.25", "class 6 columns C rate I"},
      {"class 高速动车 columns soft-sleeper,hard-seat rate 2", "class B columns 9 rate X"},
      {"rate 1.05 class 普慢 columns hard-seat,soft-seat,hard-sleeper,soft-sleeper",
       "class 4 columns F rate E"},
      {"class 城际高速 columns hard-sleeper rate 1.5", "class A columns 2 rate N"},
  };
  const auto parsed = [](const char* keys) {
    Timetable timetable;
    const auto errors = source::parseSource(
        kTwo + "train K1 " + keys + "\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n", timetable);
    EXPECT_TRUE(errors.empty()) << keys << ": " << errors.front().message;
    return errors.empty() ? timetable.trains.at(0) : TrainSpec{};
  };
  for (const Case& c : cases) {
    const TrainSpec named = parsed(c.named);
    const TrainSpec coded = parsed(c.coded);
    EXPECT_EQ(named.classCode, coded.classCode) << c.named;
    EXPECT_EQ(named.fareColumnCode, coded.fareColumnCode) << c.named;
    EXPECT_EQ(named.fareRateCode, coded.fareRateCode) << c.named;
  }
}

TEST(TimetableSourceTest, LikelySlipsWarnWithTheirLine) {
  struct Case {
    const char* name;
    std::string source;
    std::vector<int> lines;  // of the warnings
    const char* message;     // part of the first
  } cases[] = {
      {"times swapped",
       kTwo + "station 丙 C\ntrain K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 08:50 08:35 5\n"
              " 丙 09:00 - 9\nend\n",
       {6},
       "stops 23:45 hours here"},
      {"over midnight, a short stop",
       kTwo + "station 丙 C\ntrain K1 class 1 columns F rate D\n 甲 - 22:00 0\n 乙 23:50 00:10 5\n"
              " 丙 01:00 - 9\nend\n",
       {},
       ""},
      {"twelve hours exactly",
       kTwo + "station 丙 C\ntrain K1 class 1 columns F rate D\n 甲 - 07:00 0\n 乙 08:00 20:00 5\n"
              " 丙 21:00 - 9\nend\n",
       {},
       ""},
      {"a train given twice, the hidden times aside",
       kTwo + "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n"
              "train K2 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n"
              "train K1 class 3 columns 8 rate E\n 甲 07:00 08:00 0\n 乙 09:00 09:10 11\nend\n"
              "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:01 - 10\nend\n",
       {11},
       "the train K1 repeats the one on line 3 (the same number, stops and times)"},
      {"a station no train calls at is left out",
       "station 甲 J\nstation 丙 B\nstation 乙 Y\ntrain K1 class 1 columns F rate D\n"
       " 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
       {2},
       "no train calls at 丙, so the database leaves it out"},
      {"lower-case abbreviation",
       "station 甲 Jx\nstation 乙 Y\ntrain K1 class 1 columns F rate D\n 甲 - 08:00 0\n"
       " 乙 09:00 - 10\nend\n",
       {1},
       "has lower-case letters"},
  };
  for (const Case& c : cases) {
    Timetable timetable;
    std::vector<Diagnostic> warnings;
    EXPECT_TRUE(source::parseSource(c.source, timetable, &warnings).empty()) << c.name;
    std::vector<int> lines;
    for (const Diagnostic& warning : warnings) lines.push_back(warning.line);
    EXPECT_EQ(lines, c.lines) << c.name;
    if (!warnings.empty()) {
      EXPECT_NE(warnings[0].message.find(c.message), std::string::npos) << warnings[0].message;
    }
    // and it builds all the same, into a file whose tables agree
    std::string file;
    ASSERT_FALSE(source::compileTimetable(timetable, file).has_value()) << c.name;
    std::vector<std::string> dumpWarnings;
    dumped(file, &dumpWarnings);
    EXPECT_TRUE(dumpWarnings.empty()) << c.name << ": " << dumpWarnings.front();
  }
}

// One pass reports every error that stands on its own, and none that only
// follows from another: per case, the lines of all the errors.
TEST(TimetableSourceTest, EveryIndependentErrorInOnePass) {
  const std::string train = "train K1 class 1 columns F rate D\n";
  struct Case {
    const char* name;
    std::string source;
    std::vector<int> lines;
  } cases[] = {
      {"three faults of one stop line",
       kTwo + train + " 甲 - 08:00 0\n 丙 25:00 - 1O\nend\n",
       {5, 5, 5}},
      {"a station line's name and abbreviation", "station São_Paulo S-P\n", {1, 1}},
      {"stops at a station whose line was refused are not undeclared",
       "station 甲 J\nstation 乙\n" + train + " 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
       {2}},
      {"stops at a station whose name was wrong are not undeclared",
       "station 甲 J\nstation São S\n" + train + " 甲 - 08:00 0\n São 09:00 - 10\nend\n",
       {2}},
      {"a name with spaces, on its line and where a stop names it",
       "station 甲 J\nstation Oak Hill OH\n" + train + " 甲 - 08:00 0\n Oak Hill 09:00 - 1x\nend\n",
       {2, 5, 5}},
      {"a misspelt key is not missing too",
       kTwo + "train K1 klass 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n",
       {3}},
      {"the stops of a train whose line is wrong are still checked",
       kTwo + "train k1 class 1 columns F rate D\n 甲 - - 0\n 乙 09:00 - 10\nend\n",
       {3, 4}},
      {"a misspelt end is one error", kTwo + train + " 甲 - 08:00 0\n 乙 09:00 - 10\nedn\n", {6}},
      {"a broken stop line leaves the stop count unjudged",
       kTwo + train + " 甲 - 08:00 0\n 乙 09:00 - 10 x\nend\n",
       {5}},
      {"the distances around an unknown one are not compared",
       kTwo + "station 丙 B\n" + train +
           " 甲 - 08:00 50\n 乙 09:00 09:05 5O\n 丙 10:00 - 60\nend\n",
       {6}},
      {"independent lines",
       kTwo + "header \"X\"\nstasion 丙 B\n" + train + " 甲 - 08:00 0\n 乙 09:00 - 10\nend\nend\n",
       {3, 4, 9}},
  };
  for (const Case& c : cases) {
    Timetable timetable;
    std::vector<int> lines;
    std::string all;
    for (const Diagnostic& error : source::parseSource(c.source, timetable)) {
      lines.push_back(error.line);
      all += std::to_string(error.line) + ": " + error.message + "\n";
    }
    EXPECT_EQ(lines, c.lines) << c.name << "\n" << all;
  }
}

TEST(TimetableSourceTest, DumpOfABrokenFileShowsWhatItHoldsAndWarns) {
  TableLists lists = test::workedExampleDb().lists();
  lists.trainStopLists = test::listOf({
      "000000000800000000090930000001370000",  // station 9, partial
      "000199990000000000000105000001xx",      // bad time, distance
  });
  lists.trainClassCodes = "1";
  PlainSections plain;
  ASSERT_FALSE(plainSectionsOf(lists, plain).has_value());
  std::vector<std::string> warnings;
  const std::string text = dumped(test::packOrFail(plain), &warnings);
  const std::string all = [&] {
    std::string joined;
    for (const std::string& w : warnings) joined += w + "\n";
    return joined;
  }();
  for (const char* expected : {"outside the station table", "partial record", "not a time",
                               "not a number", "class codes", "1 call list differs"}) {
    EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
  }
  EXPECT_NE(text.find("# warning: "), std::string::npos);
  Timetable timetable;
  EXPECT_FALSE(source::parseSource(text, timetable).empty());  // and build refuses it
}

}  // namespace
}  // namespace murlo
