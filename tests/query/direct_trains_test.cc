// Direct trains between two stations, and the change stations proposed when
// there are none.
#include "query/direct_trains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "present/segment_line.h"
#include "support/reference_direct_trains.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;
using test::stopAt;

// The query on tables made into a loaded database.
QueryResult directTrains(const TimetableDb& db, std::string_view origin,
                         std::string_view destination, int32_t mode) {
  return murlo::directTrains(LoadedDatabase(db), origin, destination, mode);
}

std::string lineOf(const TimetableDb& db, int32_t train, int32_t from, int32_t to, int32_t mode) {
  return buildSegmentLine(db, TrainIndex(train), StopPosition(from), StopPosition(to), mode);
}

// The result text of the given (train, from stop, to stop) lines.
std::string linesOf(const TimetableDb& db, const std::vector<std::vector<int32_t>>& lines,
                    int32_t mode) {
  std::string text;
  for (const auto& line : lines) {
    text += lineOf(db, line[0], line[1], line[2], mode);
    text += '*';
  }
  return text;
}

// `db` with entry `at` of one of its lists replaced by `text`.
void setEntry(TimetableDb& db, TextList TableLists::*list, std::size_t at, std::string_view text) {
  TableLists lists = db.lists();
  std::vector<std::string> entries = test::entriesOf(lists.*list);
  entries[at] = text;
  lists.*list = test::listOf(entries);
  db = TimetableDb(std::move(lists));
}

TrainSpec train(std::string number, std::vector<StopSpec> stops) {
  return TrainSpec{std::move(number), '1', 'F', 'D', std::move(stops)};
}

std::vector<StationSpec> stations(const std::vector<std::string>& utf8Names) {
  std::vector<StationSpec> declared;
  for (const std::string& name : utf8Names) declared.push_back({gbk(name), "X"});
  return declared;
}

// ---------------------------------------------------------------------------
// Statuses

struct StatusCase {
  const char* name;
  bool emptyTables;
  const char* origin;
  const char* destination;
  QueryStatus status;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class DirectTrainsStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(DirectTrainsStatusTest, StatusAndEmptyText) {
  const StatusCase& c = GetParam();
  const TimetableDb db = c.emptyTables ? TimetableDb{} : test::workedExampleDb();
  const QueryResult result = directTrains(db, gbk(c.origin), gbk(c.destination), 0);
  EXPECT_EQ(test::outcomeOf(result), c.status);
  EXPECT_EQ(result.text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, DirectTrainsStatusTest,
    ::testing::Values(
        StatusCase{"SameNameInTable", false, "北京", "北京", QueryStatus::kSameStation},
        StatusCase{"SameNameInNoTable", false, "上海", "上海", QueryStatus::kSameStation},
        StatusCase{"SameNameEmptyTables", true, "北京", "北京", QueryStatus::kSameStation},
        StatusCase{"NeitherFound", false, "上海", "广州", QueryStatus::kUnknownOrigin},
        StatusCase{"OriginMissing", false, "上海", "天津", QueryStatus::kUnknownOrigin},
        StatusCase{"DestinationMissing", false, "北京", "广州", QueryStatus::kUnknownDestination},
        StatusCase{"NameWithTrailingBlank", false, "北京", "天津 ",
                   QueryStatus::kUnknownDestination},
        StatusCase{"EmptyTables", true, "北京", "天津", QueryStatus::kUnknownOrigin}),
    test::CaseName());

// ---------------------------------------------------------------------------
// Direct trains

TEST(DirectTrainsTest, WorkedExample) {
  const TimetableDb db = test::workedExampleDb();
  const QueryResult there = directTrains(db, gbk("北京"), gbk("天津"), 0);
  ASSERT_EQ(test::outcomeOf(there), 1);
  EXPECT_EQ(test::withoutFares(there.text),
            gbk("S|0|T1/T2|北京|08:00|天津|09:30|北京|天津|特快|-|01:30"));
  EXPECT_EQ(there.text, linesOf(db, {{0, 0, 1}}, 0));

  const QueryResult back = directTrains(db, gbk("天津"), gbk("北京"), 1);
  ASSERT_EQ(test::outcomeOf(back), 1);
  EXPECT_EQ(test::withoutFares(back.text),
            gbk("H|1|K5|天津|23:30|北京|01:05|天津|北京|普快|-|01:35"));
  EXPECT_EQ(back.text.back(), '*');
}

// 甲 0, 乙 1, 丙 2. Train 0 runs 乙 -> 甲 only; train 2 calls at 甲 and 乙 twice.
TimetableDb directNetwork() {
  return buildTimetable(
      "", stations({"甲", "乙", "丙"}),
      {train("R0", {stopAt(1, "-", "06:00", 0), stopAt(0, "07:00", "-", 80)}),
       train("V1", {stopAt(0, "-", "08:00", 0), stopAt(2, "08:40", "08:45", 30),
                    stopAt(1, "09:30", "-", 90)}),
       train("L2", {stopAt(0, "-", "10:00", 0), stopAt(1, "10:50", "11:00", 70),
                    stopAt(0, "12:00", "12:10", 140), stopAt(1, "13:00", "-", 210)}),
       train("N3", {stopAt(2, "-", "14:00", 0), stopAt(1, "14:30", "-", 40)}),
       train("D4", {stopAt(0, "-", "15:00", 0), stopAt(1, "16:00", "-", 80)})});
}

TEST(DirectTrainsTest, OneLinePerCallPairInOriginOrder) {
  const TimetableDb db = directNetwork();
  struct Case {
    const char* origin;
    const char* destination;
    int32_t mode;
    std::vector<std::vector<int32_t>> lines;  // train, boarding stop, alighting stop
  } cases[] = {
      // Train 0 has 乙 before 甲; train 2 pairs each call at 甲 with each later call at 乙.
      {"甲", "乙", 0, {{1, 0, 2}, {2, 0, 1}, {2, 0, 3}, {2, 2, 3}, {4, 0, 1}}},
      {"乙", "甲", 0, {{0, 0, 1}, {2, 1, 2}}},
      {"甲", "丙", 1, {{1, 0, 1}}},
      {"丙", "乙", 0, {{1, 1, 2}, {3, 0, 1}}},
  };
  for (const Case& c : cases) {
    const QueryResult result = directTrains(db, gbk(c.origin), gbk(c.destination), c.mode);
    EXPECT_EQ(test::outcomeOf(result), static_cast<int32_t>(c.lines.size()))
        << c.origin << c.destination;
    EXPECT_EQ(result.text, linesOf(db, c.lines, c.mode)) << c.origin << c.destination;
  }
}

TEST(DirectTrainsTest, FirstOfEqualNamesIsTheStation) {
  // Stations 0 and 2 are both 甲; only the first one's trains count.
  const TimetableDb db =
      buildTimetable("", stations({"甲", "乙", "甲"}),
                     {train("A0", {stopAt(2, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)}),
                      train("A1", {stopAt(0, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)}),
                      train("A2", {stopAt(1, "-", "08:00", 0), stopAt(2, "09:00", "-", 50)})});
  const QueryResult out = directTrains(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(test::outcomeOf(out), 1);
  EXPECT_EQ(out.text, linesOf(db, {{1, 0, 1}}, 0));
  // Toward 甲, train 2 reaches the second 甲 only: change stations instead.
  const QueryResult in = directTrains(db, gbk("乙"), gbk("甲"), 0);
  EXPECT_EQ(test::outcomeOf(in), 0);
  EXPECT_EQ(in.text, "");
}

// ---------------------------------------------------------------------------
// Change stations

// Stations by name (0 is the origin, 1 the destination); one train per onward
// leg from the origin to a station, then one per feeder leg from a station to
// the destination. No train runs from origin to destination.
struct ChangeCase {
  const char* name;
  std::vector<std::string> stations;
  std::vector<std::pair<int32_t, int32_t>> onward;  // station, km from the origin
  std::vector<std::pair<int32_t, int32_t>> feeder;  // station, km to the destination
  const char* expected;
};

TimetableDb changeNetwork(const ChangeCase& c) {
  std::vector<TrainSpec> trains;
  for (const auto& [station, km] : c.onward) {
    trains.push_back(train("U", {stopAt(0, "-", "08:00", 0), stopAt(station, "09:00", "-", km)}));
  }
  for (const auto& [station, km] : c.feeder) {
    trains.push_back(train("F", {stopAt(station, "-", "10:00", 0), stopAt(1, "11:00", "-", km)}));
  }
  return buildTimetable("", stations(c.stations), trains);
}

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class ChangeStationsTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeStationsTest, Text) {
  const ChangeCase& c = GetParam();
  const TimetableDb db = changeNetwork(c);
  const QueryResult result = directTrains(db, gbk(c.stations[0]), gbk(c.stations[1]), 0);
  EXPECT_EQ(test::outcomeOf(result), 0);
  EXPECT_EQ(result.text, gbk(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, ChangeStationsTest,
    ::testing::Values(
        // Shortest 100: threshold 136. Written in onward order, not by total.
        ChangeCase{"ThresholdOfShortest100",
                   {"甲", "乙", "丙", "丁", "戊", "己"},
                   {{2, 100}, {3, 50}, {4, 100}, {5, 150}},
                   {{2, 36}, {3, 50}, {4, 35}, {5, 50}},
                   "丁|戊|"},
        ChangeCase{"ShortestZeroKeepsNothing",
                   {"甲", "乙", "丙", "丁"},
                   {{2, 0}, {3, 5}},
                   {{2, 0}, {3, 0}},
                   ""},
        // 2 * 1.36 = 2.72 truncates to 2: a total of 2 is not below it.
        ChangeCase{"ThresholdTruncates", {"甲", "乙", "丙"}, {{2, 1}}, {{2, 1}}, ""},
        ChangeCase{"SmallShortestKept",
                   {"甲", "乙", "丙", "丁"},
                   {{2, 2}, {3, 3}},
                   {{2, 1}, {3, 1}},
                   "丙|"},
        // The largest totals the fields allow are still below the starting
        // shortest, so the real shortest sets the threshold.
        ChangeCase{"LargestTotalsKept",
                   {"甲", "乙", "丙", "丁"},
                   {{2, 9999}, {3, 9999}},
                   {{2, 9999}, {3, 9999}},
                   "丙|丁|"},
        ChangeCase{"NoBeijingNamesAsStored",
                   {"甲", "乙", "天津西", "南京"},
                   {{2, 10}, {3, 10}},
                   {{2, 10}, {3, 10}},
                   "天津西|南京|"},
        ChangeCase{"FirstBeijingNameShortened",
                   {"甲", "乙", "北京西", "丙", "北京南", "北京东"},
                   {{2, 10}, {3, 10}, {4, 10}, {5, 10}},
                   {{2, 10}, {3, 10}, {4, 10}, {5, 10}},
                   "北京|丙|北京南|北京东|"},
        ChangeCase{"ExactBeijingAfterAnother",
                   {"甲", "乙", "北京西", "北京"},
                   {{2, 10}, {3, 10}},
                   {{2, 10}, {3, 10}},
                   "北京|北京|"},
        ChangeCase{"ExactBeijingFirst",
                   {"甲", "乙", "北京", "北京西"},
                   {{2, 10}, {3, 10}},
                   {{2, 10}, {3, 10}},
                   "北京|北京西|"},
        // Only a written candidate uses up the short form.
        ChangeCase{"BeijingBeyondThresholdDoesNotCount",
                   {"甲", "乙", "北京西", "北京南"},
                   {{2, 500}, {3, 10}},
                   {{2, 10}, {3, 10}},
                   "北京|"},
        // The bytes of 北京 across three other characters still count.
        ChangeCase{
            "BeijingBytesAcrossCharacters", {"甲", "乙", "缺本〇"}, {{2, 10}}, {{2, 10}}, "北京|"},
        // The first train to reach a station fixes its distance: 丙 100 + 0,
        // not 10 + 0, so 丁 at 130 stays below 136.
        ChangeCase{"FirstOnwardTrainFixesDistance",
                   {"甲", "乙", "丙", "丁"},
                   {{2, 100}, {2, 10}, {3, 100}},
                   {{2, 0}, {3, 30}},
                   "丙|丁|"},
        ChangeCase{"FirstFeederTrainFixesDistance",
                   {"甲", "乙", "丙", "丁"},
                   {{2, 0}, {3, 100}},
                   {{2, 100}, {2, 10}, {3, 30}},
                   "丙|丁|"},
        // 丙 is listed at station 2 onward but at station 3 as a feeder:
        // candidates join by station, so there is none.
        ChangeCase{"EqualNamesJoinByStation",
                   {"甲", "乙", "丙", "丙"},
                   {{2, 10}, {3, 10}},
                   {{3, 10}, {2, 10}},
                   ""},
        ChangeCase{"EqualNamesListedOnce",
                   {"甲", "乙", "丙", "丙"},
                   {{2, 10}, {3, 10}},
                   {{2, 10}, {3, 10}},
                   "丙|"},
        ChangeCase{"OnwardOnly", {"甲", "乙", "丙"}, {{2, 10}}, {}, ""}),
    test::CaseName());

TEST(ChangeStationsTest, WholeRunsAfterOriginAndBeforeDestination) {
  // 甲 -> 丙 -> 丁 -> 戊 and 戊 -> 丁 -> 乙: 丁 (100 + 70) and 戊 (150 + 120)
  // join; 丙 lies after the origin only. Shortest 170: threshold 231.
  const TimetableDb db =
      buildTimetable("", stations({"甲", "乙", "丙", "丁", "戊"}),
                     {train("U", {stopAt(0, "-", "08:00", 0), stopAt(2, "08:30", "08:31", 40),
                                  stopAt(3, "09:00", "09:01", 100), stopAt(4, "09:30", "-", 150)}),
                      train("F", {stopAt(4, "-", "10:00", 0), stopAt(3, "10:30", "10:31", 50),
                                  stopAt(1, "11:00", "-", 120)})});
  const QueryResult result = directTrains(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(test::outcomeOf(result), 0);
  EXPECT_EQ(result.text, gbk("丁|"));
}

TEST(ChangeStationsTest, StationWithoutCalls) {
  const TimetableDb db =
      buildTimetable("", stations({"甲", "乙", "丙"}),
                     {train("A", {stopAt(1, "-", "08:00", 0), stopAt(2, "09:00", "-", 50)}),
                      train("B", {stopAt(2, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)})});
  for (const auto& [origin, destination] :
       std::vector<std::pair<const char*, const char*>>{{"甲", "乙"}, {"乙", "甲"}}) {
    const QueryResult result = directTrains(db, gbk(origin), gbk(destination), 0);
    EXPECT_EQ(test::outcomeOf(result), 0) << origin;
    EXPECT_EQ(result.text, "") << origin;
  }
}

// ---------------------------------------------------------------------------
// ---------------------------------------------------------------------------
// Corrupt records

// 甲 0, 乙 1, 丙 2; trains 0 甲 -> 乙, 1 甲 -> 丙 -> 乙, 2 甲 -> 乙.
TimetableDb corruptBase() {
  return buildTimetable("", stations({"甲", "乙", "丙"}),
                        {train("A0", {stopAt(0, "-", "08:00", 0), stopAt(1, "09:00", "-", 50)}),
                         train("A1", {stopAt(0, "-", "09:00", 0), stopAt(2, "09:30", "09:35", 20),
                                      stopAt(1, "10:00", "-", 50)}),
                         train("A2", {stopAt(0, "-", "11:00", 0), stopAt(1, "12:00", "-", 50)})});
}

struct CorruptCase {
  const char* name;
  std::function<void(TimetableDb&)> corrupt;
  std::vector<std::vector<int32_t>> lines;  // 甲 -> 乙
};

void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }

class DirectTrainsCorruptTest : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(DirectTrainsCorruptTest, SkipsTheRecord) {
  const CorruptCase& c = GetParam();
  TimetableDb db = corruptBase();
  c.corrupt(db);
  const QueryResult result = directTrains(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(test::outcomeOf(result), static_cast<int32_t>(c.lines.size()));
  EXPECT_EQ(result.text, linesOf(db, c.lines, 0));
  const QueryResult plain = test::directTrainsByScan(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(test::outcomeOf(result), test::outcomeOf(plain));
  EXPECT_EQ(result.text, plain.text);
}

void setCalls(TimetableDb& db, std::size_t station, std::string_view calls) {
  setEntry(db, &TableLists::stationCallLists, station, calls);
}

// Origin 甲's calls are 000000 000100 000200; destination 乙's 000001 000102 000201.
INSTANTIATE_TEST_SUITE_P(
    Records, DirectTrainsCorruptTest,
    ::testing::Values(
        CorruptCase{"PartialTrailingCall",
                    [](TimetableDb& db) { setCalls(db, 0, "0000000001000002000001"); },
                    {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}}},
        CorruptCase{"OriginTrainBeyondTables",
                    [](TimetableDb& db) { setCalls(db, 0, "000000000100000200000300"); },
                    {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}}},
        CorruptCase{"NegativeTrainIndex",
                    [](TimetableDb& db) { setCalls(db, 0, "-00100000000000100000200"); },
                    {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}}},
        // Left in place, train 3 would end the scan before train 2.
        CorruptCase{"DestinationTrainBeyondTablesAmidList",
                    [](TimetableDb& db) { setCalls(db, 1, "000001000102000301000201"); },
                    {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}}},
        CorruptCase{"OriginStopBeyondTrain",
                    [](TimetableDb& db) { setCalls(db, 0, "000007000100000200"); },
                    {{1, 0, 2}, {2, 0, 1}}},
        CorruptCase{"DestinationStopBeyondTrain",
                    [](TimetableDb& db) { setCalls(db, 1, "000001000103000201"); },
                    {{0, 0, 1}, {2, 0, 1}}},
        CorruptCase{"AlightingStationOutsideTable",
                    [](TimetableDb& db) {
                      setEntry(db, &TableLists::trainStopLists, 1,
                               std::string(db.lists().trainStopLists[1].substr(0, 32)) +
                                   "9999100000000050");
                    },
                    {{0, 0, 1}, {2, 0, 1}}},
        CorruptCase{"IntermediateStationOutsideTable",
                    [](TimetableDb& db) {
                      std::string stops(db.lists().trainStopLists[1]);
                      stops.replace(16, 4, "9999");
                      setEntry(db, &TableLists::trainStopLists, 1, stops);
                    },
                    {{0, 0, 1}, {1, 0, 2}, {2, 0, 1}}},
        // Unordered destination calls: for trains 0 and 1 the scan meets
        // train 2 first and ends there.
        CorruptCase{"UnorderedDestinationCalls",
                    [](TimetableDb& db) { setCalls(db, 1, "000201000001000102"); },
                    {{2, 0, 1}}},
        CorruptCase{"UnorderedOriginCalls",
                    [](TimetableDb& db) { setCalls(db, 0, "000200000000000100"); },
                    {{2, 0, 1}, {0, 0, 1}, {1, 0, 2}}},
        // Train 1 appears again after train 2: the scan for train 1 has ended.
        CorruptCase{"RepeatedTrainAfterGreater",
                    [](TimetableDb& db) { setCalls(db, 1, "000001000201000102"); },
                    {{0, 0, 1}, {2, 0, 1}}}),
    test::CaseName());

TEST(ChangeStationsTest, CorruptStopsListNothing) {
  // Onward trains: 0 甲 -> (station 9999) -> 丙; 1 甲 with a call at a stop
  // beyond its end. Feeder: 2 丙 -> 乙.
  TimetableDb db =
      buildTimetable("", stations({"甲", "乙", "丙", "丁"}),
                     {train("U0", {stopAt(0, "-", "08:00", 0), stopAt(3, "08:30", "08:31", 10),
                                   stopAt(2, "09:00", "-", 30)}),
                      train("U1", {stopAt(0, "-", "08:00", 0), stopAt(3, "09:00", "-", 5)}),
                      train("F2", {stopAt(2, "-", "10:00", 0), stopAt(1, "11:00", "-", 20)})});
  std::string stops(db.lists().trainStopLists[0]);
  stops.replace(16, 4, "9999");
  setEntry(db, &TableLists::trainStopLists, 0, stops);
  setCalls(db, 0, "000000000105");
  const QueryResult result = directTrains(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(test::outcomeOf(result), 0);
  EXPECT_EQ(result.text, gbk("丙|"));
  const QueryResult plain = test::directTrainsByScan(db, gbk("甲"), gbk("乙"), 0);
  EXPECT_EQ(result.text, plain.text);
}

// ---------------------------------------------------------------------------
// Random networks against the plain algorithm

const char* const kNamePool[] = {"甲",     "乙",     "丙",   "丁",   "戊",     "北京",
                                 "北京西", "北京南", "天津", "上海", "缺本〇", "南京"};

struct RandomNetwork {
  TimetableDb db;
  std::vector<std::string> names;  // GBK, the pool's
};

// `stationCount` stations named from the pool (names repeat), trains of two to
// eight stops that may call at a station twice. With `shuffle`, some call
// lists lose their order; with `corrupt`, some call records name no train or
// stop and some stops a station outside the table.
RandomNetwork randomNetwork(std::mt19937& rng, bool shuffle, bool corrupt) {
  const auto pick = [&rng](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(rng);
  };
  RandomNetwork net;
  for (const char* name : kNamePool) net.names.push_back(gbk(name));
  std::vector<StationSpec> declared;
  const int32_t stationCount = pick(3, 14);
  for (int32_t s = 0; s < stationCount; ++s) {
    declared.push_back(
        {net.names[static_cast<std::size_t>(pick(0, static_cast<int32_t>(net.names.size()) - 1))],
         "X"});
  }
  std::vector<TrainSpec> trains;
  const int32_t trainCount = pick(1, 24);
  for (int32_t t = 0; t < trainCount; ++t) {
    TrainSpec run = train("R" + std::to_string(t), {});
    run.classCode = "12346789AB0"[pick(0, 10)];
    const int32_t stops = pick(2, 8);
    int32_t km = 0;
    for (int32_t k = 0; k < stops; ++k) {
      run.stops.push_back({pick(0, stationCount - 1), pick(0, 1439), pick(0, 1439), km});
      km += pick(0, 120);
    }
    trains.push_back(std::move(run));
  }
  net.db = buildTimetable("", declared, trains);
  if (!shuffle && !corrupt) return net;

  TimetableDb& db = net.db;
  for (std::size_t s = 0; s < db.lists().stationCallLists.size(); ++s) {
    std::vector<std::string> records;
    const std::string_view calls = db.lists().stationCallLists[s];
    for (std::size_t j = 0; j + 6 <= calls.size(); j += 6) records.emplace_back(calls.substr(j, 6));
    if (shuffle && pick(0, 2) == 0) std::shuffle(records.begin(), records.end(), rng);
    if (corrupt && pick(0, 2) == 0) {
      const char* bad[] = {"999900", "000099", "-00101", "0000-1"};
      records.insert(records.begin() + pick(0, static_cast<int32_t>(records.size())),
                     bad[pick(0, 3)]);
    }
    std::string joined;
    for (const std::string& record : records) joined += record;
    if (corrupt && pick(0, 4) == 0) joined += "0001";
    setEntry(db, &TableLists::stationCallLists, s, joined);
  }
  if (corrupt) {
    for (std::size_t t = 0; t < db.lists().trainStopLists.size(); ++t) {
      if (pick(0, 3) != 0) continue;
      std::string stops(db.lists().trainStopLists[t]);
      stops.replace(
          16 * static_cast<std::size_t>(pick(0, static_cast<int32_t>(stops.size() / 16) - 1)), 4,
          "9999");
      setEntry(db, &TableLists::trainStopLists, t, stops);
    }
  }
  return net;
}

struct RandomCase {
  const char* name;
  bool shuffle;
  bool corrupt;
};

void PrintTo(const RandomCase& c, std::ostream* os) { *os << c.name; }

class DirectTrainsRandomTest : public ::testing::TestWithParam<RandomCase> {};

TEST_P(DirectTrainsRandomTest, EqualsPlainAlgorithm) {
  const RandomCase& c = GetParam();
  std::mt19937 rng(20240611u);
  int32_t directAnswers = 0;
  int32_t changeAnswers = 0;
  for (int network = 0; network < 300; ++network) {
    const RandomNetwork net = randomNetwork(rng, c.shuffle, c.corrupt);
    for (const std::string& origin : net.names) {
      for (const std::string& destination : net.names) {
        const int32_t mode = (network + static_cast<int32_t>(origin.size())) % 2;
        const QueryResult fast = directTrains(net.db, origin, destination, mode);
        const QueryResult plain = test::directTrainsByScan(net.db, origin, destination, mode);
        ASSERT_EQ(test::outcomeOf(fast), test::outcomeOf(plain)) << "network " << network;
        ASSERT_EQ(fast.text, plain.text) << "network " << network;
        if (fast.count > 0) ++directAnswers;
        if (fast.status == QueryStatus::kOk && fast.count == 0 && !fast.text.empty()) {
          ++changeAnswers;
        }
      }
    }
  }
  // The networks exercise both kinds of answer.
  EXPECT_GT(directAnswers, 1000);
  EXPECT_GT(changeAnswers, 1000);
}

INSTANTIATE_TEST_SUITE_P(Networks, DirectTrainsRandomTest,
                         ::testing::Values(RandomCase{"Consistent", false, false},
                                           RandomCase{"ShuffledCalls", true, false},
                                           RandomCase{"CorruptRecords", true, true}),
                         test::CaseName());

}  // namespace
}  // namespace murlo
