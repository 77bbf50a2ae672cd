// Databases that break the tables' invariants on purpose, each run through
// every query: no read outside a table, no hang, and results that follow the
// rules for bad data (a corrupt record is skipped and not counted, so every
// count equals the lines of its text).
//
// What a file can hold is built through the writer and loaded by the loader
// (and through the C exports, whose answers must equal the core's); what only
// memory can hold (empty entries, lists longer than a file would make them) is
// edited into the lists the tables are made from, through the same
// constructor a load uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "db/file_format.h"
#include "murloppc.h"
#include "present/whole_run_lines.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/station_list.h"
#include "query/station_lookup.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "reliability_support.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"

namespace murlo::reliability {
namespace {

using test::gbk;

// Indexes of the sections in PlainSections::sections.
constexpr std::size_t kClassCodes = 0;
constexpr std::size_t kFareColumnCodes = 1;
constexpr std::size_t kFareRateCodes = 2;
constexpr std::size_t kTrainNumbers = 3;
constexpr std::size_t kStations = 4;
constexpr std::size_t kCallLists = 5;
constexpr std::size_t kStopLists = 6;

enum Station { kBeijing, kTianjin, kJinan, kNanjing, kShanghai };

std::vector<std::string> splitO(const std::string& text) {
  std::vector<std::string> entries;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    const std::size_t end = std::min(text.find('O', begin), text.size());
    entries.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return entries;
}

std::string joinO(const std::vector<std::string>& entries) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) text += (i > 0 ? "O" : "") + entries[i];
  return text;
}

// The base file with one edit of its plain sections.
std::function<std::string()> fileWith(std::function<void(PlainSections&)> edit) {
  return [edit] {
    PlainSections plain = basePlain();
    edit(plain);
    return test::packOrFail(plain);
  };
}

// The base file with the entries of one list section edited.
std::function<std::string()> listWith(std::size_t section,
                                      std::function<void(std::vector<std::string>&)> edit) {
  return fileWith([section, edit](PlainSections& plain) {
    std::vector<std::string> entries = splitO(plain.sections[section]);
    edit(entries);
    plain.sections[section] = joinO(entries);
  });
}

// The base file cut after its `terminators`-th section terminator.
std::function<std::string()> cutAfterSection(int terminators) {
  return [terminators] {
    const std::string file = test::packOrFail(basePlain());
    std::size_t at = kHeaderSize;
    for (int t = 0; t < terminators; ++t) at = file.find('%', at) + 1;
    return file.substr(0, at);
  };
}

test::Outcome trainsAt(const LoadedDatabase& db, int station) {
  return test::outcomeOf(trainsAtStation(db, stationName(station)));
}
QueryResult direct(const LoadedDatabase& db, int from, int to) {
  return directTrains(db, stationName(from), stationName(to), 0);
}
StopListResult stopsOf(const LoadedDatabase& db, int32_t train) {
  return trainStopList(db, TrainIndex(train), stationName(kBeijing), stationName(kShanghai));
}
StopListResult unmarkedStopsOf(const LoadedDatabase& db, int32_t train) {
  return trainStopList(db, TrainIndex(train), "", "");
}
test::Outcome departures(const LoadedDatabase& db, int station) {
  return test::outcomeOf(departureBoard(db, stationName(station), 0, 0));
}
test::Outcome arrivals(const LoadedDatabase& db, int station) {
  return test::outcomeOf(arrivalBoard(db, stationName(station), 0, 0));
}
test::Outcome byNumber(const LoadedDatabase& db, const char* number) {
  return test::outcomeOf(trainsByNumber(db, number));
}
// The train index field of a result line.
std::string trainOfLine(const std::string& text, std::size_t line) {
  const std::vector<std::string> lines = test::splitTerminated(text, '*');
  if (line >= lines.size()) return "";
  const std::size_t bar = lines[line].find('|');
  return lines[line].substr(bar + 1, lines[line].find('|', bar + 1) - bar - 1);
}

struct Corruption {
  std::string name;
  std::function<std::string()> file;      // a file's bytes, or
  std::function<void(TableLists&)> edit;  // an edit of the base network's lists
  std::function<void(const LoadedDatabase&)> expect;
};

std::vector<Corruption> corruptions() {
  std::vector<Corruption> cases;
  const auto file = [&cases](std::string name, std::function<std::string()> bytes,
                             std::function<void(const LoadedDatabase&)> expect) {
    cases.push_back({std::move(name), std::move(bytes), nullptr, std::move(expect)});
  };
  const auto memory = [&cases](std::string name, std::function<void(TableLists&)> edit,
                               std::function<void(const LoadedDatabase&)> expect) {
    cases.push_back({std::move(name), nullptr, std::move(edit), std::move(expect)});
  };

  // The unbroken network, as the baseline of every expectation below.
  file("Intact", fileWith([](PlainSections&) {}), [](const LoadedDatabase& db) {
    EXPECT_EQ(trainsAt(db, kBeijing), 3);
    EXPECT_EQ(trainsAt(db, kJinan), 3);
    EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 1);
    EXPECT_EQ(test::outcomeOf(direct(db, kTianjin, kShanghai)), 0);
    EXPECT_EQ(direct(db, kTianjin, kShanghai).text,
              stationName(kJinan) + "|" + stationName(kBeijing) + "|");
    EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kJinan)), 2);
    EXPECT_EQ(stopsOf(db, 0).stops, 3);
    EXPECT_EQ(stopsOf(db, 0).runTime, "04:00");
    EXPECT_EQ(byNumber(db, "K5"), 1);
    EXPECT_EQ(departures(db, kBeijing), 2);
    EXPECT_EQ(arrivals(db, kShanghai), 2);
    // Back to 北京 at night, then train 3: departs later than by 济南.
    const QueryResult journeys = planJourneys(db, stationName(kTianjin), stationName(kShanghai),
                                              JourneyRequest{480, 3, 10, 0});
    EXPECT_EQ(test::outcomeOf(journeys), 1);
    EXPECT_EQ(journeys.text.substr(0, journeys.text.find('*')), "J|23:30|13:00|0|1|13:30|2");
  });

  // Invariant 1: per-train tables that disagree with the train count.
  file("ClassCodesForOneTrainOnly",
       fileWith([](PlainSections& p) { p.sections[kClassCodes] = "1"; }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 1);  // trains without their codes are skipped
         EXPECT_EQ(byNumber(db, "K5"), 0);
         EXPECT_EQ(stopsOf(db, 1).stops, 2);  // the stop list needs no codes
       });
  file("NoFareColumnCodes", fileWith([](PlainSections& p) { p.sections[kFareColumnCodes] = ""; }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 0);
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 0);
         EXPECT_EQ(direct(db, kBeijing, kShanghai).text, "");
       });
  file("FareRateCodesForTwoTrains",
       fileWith([](PlainSections& p) { p.sections[kFareRateCodes] = "DD"; }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kShanghai), 0);
         EXPECT_EQ(trainsAt(db, kTianjin), 2);
       });
  file("MoreCodesThanTrains", fileWith([](PlainSections& p) {
         for (const std::size_t s : {kClassCodes, kFareColumnCodes, kFareRateCodes})
           p.sections[s] += "1FDX";
       }),
       [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });
  file("FewerStopListsThanTrains", listWith(kStopLists, [](auto& e) { e.pop_back(); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 2);
         EXPECT_EQ(stopsOf(db, 3).stops, 0);
         EXPECT_EQ(stopsOf(db, 3).runTime, "");
       });
  file("MoreStopListsThanTrains", listWith(kStopLists, [](auto& e) { e.push_back(e[0]); }),
       [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });
  file("FewerTrainNumbersThanTrains", listWith(kTrainNumbers, [](auto& e) { e.pop_back(); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(db.tables().trainCount(), 3);
         EXPECT_EQ(trainsAt(db, kBeijing), 2);  // the call of train 3 names no train
         EXPECT_EQ(byNumber(db, "9"), 0);
         EXPECT_EQ(stopsOf(db, 3).stops, 0);
       });

  // Invariant 2: station tables that disagree.
  file("StationNameWithoutAbbreviation",
       fileWith([](PlainSections& p) { p.sections[kStations] += " " + gbk("苏州"); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(db.tables().stationCount(), 6);
         EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 5);
         EXPECT_EQ(test::outcomeOf(trainsAtStation(db, gbk("苏州"))), 0);  // no call list
       });
  file("FewerCallListsThanStations", listWith(kCallLists, [](auto& e) { e.pop_back(); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kShanghai), 0);
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 0);
         EXPECT_EQ(direct(db, kBeijing, kShanghai).text, "");
       });
  file("MoreCallListsThanStations", listWith(kCallLists, [](auto& e) { e.push_back("000000"); }),
       [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });

  // Invariant 3: short trains and records cut short.
  file("TrainOfOneStop", listWith(kStopLists, [](auto& e) { e[1].resize(16); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(stopsOf(db, 1).stops, 0);
         EXPECT_EQ(stopsOf(db, 1).stopList, "");
         EXPECT_EQ(stopsOf(db, 1).runTime, "");
         EXPECT_EQ(trainsAt(db, kBeijing), 2);
         EXPECT_EQ(byNumber(db, "K5"), 0);
       });
  file("TrainOfOneStopAndAHalf", listWith(kStopLists, [](auto& e) { e[1].resize(24); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(stopsOf(db, 1).stops, 0);
         EXPECT_EQ(stopsOf(db, 1).runTime, "");
       });
  file("StopListCutShort", listWith(kStopLists, [](auto& e) { e[0].resize(40); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(stopsOf(db, 0).stops, 2);
         EXPECT_EQ(stopsOf(db, 0).runTime, "01:30");
         // 济南's call of train 0 now names a stop beyond the train.
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kJinan)), 1);
         EXPECT_EQ(trainsAt(db, kJinan), 2);
       });
  file("CallListCutShort", listWith(kCallLists, [](auto& e) { e[kBeijing] += "0003"; }),
       [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });

  // Invariant 4: indexes beyond the tables.
  file("StationIndexBeyondTable",
       listWith(kStopLists, [](auto& e) { e[2].replace(32, 4, "9999"); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kJinan), 2);  // train 2 has no last station
         EXPECT_EQ(unmarkedStopsOf(db, 2).stops, 2);
         EXPECT_EQ(unmarkedStopsOf(db, 2).runTime, "05:00");  // still every stop
       });
  file("NegativeStationIndex", listWith(kStopLists, [](auto& e) { e[2].replace(16, 4, "-001"); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(unmarkedStopsOf(db, 2).stops, 2);
         EXPECT_EQ(trainsAt(db, kJinan), 3);  // the whole run's ends are intact
         EXPECT_EQ(test::outcomeOf(direct(db, kJinan, kShanghai)), 2);
         // 南京's call is stop 1 of train 2, whose station is outside the table.
         EXPECT_EQ(test::outcomeOf(direct(db, kNanjing, kShanghai)), 0);
       });
  file("TrainIndexBeyondTable", listWith(kCallLists, [](auto& e) { e[kBeijing] += "999900"; }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 3);
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 1);
       });
  file("NegativeTrainIndex",
       listWith(kCallLists, [](auto& e) { e[kBeijing] = "-00100" + e[kBeijing]; }),
       [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });
  file("StopPositionBeyondTrain",
       listWith(kCallLists, [](auto& e) { e[kBeijing].insert(6, "000099"); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 3);
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kJinan)), 2);
       });
  file("NegativeStopPosition",
       listWith(kCallLists, [](auto& e) { e[kShanghai].replace(10, 2, "-1"); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kShanghai), 1);
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 0);
       });

  // Invariants 5 and 6: call lists out of order, or disagreeing with stops.
  file("CallListOutOfOrder",
       listWith(kCallLists,
                [](auto& e) {
                  e[kBeijing] = e[kBeijing].substr(12, 6) + e[kBeijing].substr(6, 6) +
                                e[kBeijing].substr(0, 6);
                }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kBeijing), 3);
         EXPECT_EQ(trainOfLine(test::gbkText(trainsAtStation(db, stationName(kBeijing))).text, 0),
                   "3");
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 1);
         const QueryResult jinan = direct(db, kBeijing, kJinan);
         EXPECT_EQ(test::outcomeOf(jinan), 2);  // in the origin's call order
         EXPECT_EQ(trainOfLine(jinan.text, 0), "3");
         EXPECT_EQ(trainOfLine(jinan.text, 1), "0");
       });
  file("DestinationCallListOutOfOrder",
       listWith(
           kCallLists,
           [](auto& e) { e[kShanghai] = e[kShanghai].substr(6, 6) + e[kShanghai].substr(0, 6); }),
       [](const LoadedDatabase& db) {
         // The search for train 3 ends at the first call of a later train.
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 1);
       });
  file("CallListDisagreesWithStopList",
       listWith(kCallLists, [](auto& e) { e[kShanghai] = "000001" + e[kShanghai]; }),
       [](const LoadedDatabase& db) {
         // Positions are taken from the call list: train 0's stop 1 is 天津.
         const QueryResult result = direct(db, kBeijing, kShanghai);
         EXPECT_EQ(test::outcomeOf(result), 2);
         EXPECT_EQ(trainOfLine(result.text, 0), "0");
         // A call whose stop is at another station is no call for boards.
         EXPECT_EQ(arrivals(db, kShanghai), 2);
       });
  file("StationMissingFromCallLists",
       listWith(kCallLists, [](auto& e) { e[kTianjin] = e[kTianjin].substr(0, 6); }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kTianjin), 1);
         EXPECT_EQ(test::outcomeOf(direct(db, kTianjin, kBeijing)), 0);
       });

  // Fields that are not what they should hold.
  file("NonDigitFields",
       listWith(kStopLists,
                [](auto& e) {
                  e[2] = "00A2ab:c10:00x000" + e[2].substr(17);
                  e[3].replace(4, 12, "--++  \t\n9.9Z");
                }),
       [](const LoadedDatabase& db) { EXPECT_EQ(unmarkedStopsOf(db, 2).stops, 3); });
  file("NonDigitCallFields",
       listWith(kCallLists, [](auto& e) { e[kJinan] = "00x1zz" + e[kJinan]; }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(trainsAt(db, kJinan), 4);
       });  // reads as train 0, stop 0
  file("DistancesThatDecrease", listWith(kStopLists, [](auto& e) { e[2].replace(44, 4, "0300"); }),
       [](const LoadedDatabase& db) {
         const QueryResult result = direct(db, kNanjing, kShanghai);
         EXPECT_EQ(test::outcomeOf(result), 1);  // a negative distance is still priced
         EXPECT_EQ(test::splitTerminated(result.text, '*').size(), 1u);
       });
  file("TimesLike9999",
       listWith(kStopLists,
                [](auto& e) {
                  for (std::size_t at = 4; at < e[0].size(); at += 16)
                    e[0].replace(at, 8, "99999999");
                }),
       [](const LoadedDatabase& db) {
         const StopListResult result = stopsOf(db, 0);
         EXPECT_EQ(result.stops, 3);
         EXPECT_NE(result.stopList.find("99:99"), std::string::npos);
         EXPECT_FALSE(result.runTime.empty());
         // No time of day: train 0 can be neither boarded nor left.
         EXPECT_EQ(departures(db, kBeijing), 1);
         EXPECT_EQ(arrivals(db, kTianjin), 0);
       });
  file("LargestDistances",
       listWith(kStopLists,
                [](auto& e) {
                  for (auto& stops : e) {
                    for (std::size_t at = 12; at < stops.size(); at += 16)
                      stops.replace(at, 4, at < 16 ? "0000" : "9999");
                  }
                }),
       [](const LoadedDatabase& db) {
         EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 1);
       });

  // Sections missing, empty or followed by more.
  file("OnlyThreeSections", cutAfterSection(3), [](const LoadedDatabase& db) {
    EXPECT_EQ(db.tables().stationCount(), 0);
    EXPECT_EQ(trainsAt(db, kBeijing), QueryStatus::kUnknownStation);
    EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 0);
    EXPECT_EQ(byNumber(db, "K5"), 0);
  });
  file("NoStopListSection", cutAfterSection(6), [](const LoadedDatabase& db) {
    EXPECT_EQ(trainsAt(db, kBeijing), 0);
    EXPECT_EQ(stopsOf(db, 0).stops, 0);
    EXPECT_EQ(test::outcomeOf(direct(db, kBeijing, kShanghai)), 0);
  });
  file(
      "HeaderOnly", [] { return std::string("BAS"); },
      [](const LoadedDatabase& db) {
        EXPECT_EQ(trainsAt(db, kBeijing), QueryStatus::kUnknownStation);
      });
  file("EverySectionEmpty", fileWith([](PlainSections& p) {
         for (auto& section : p.sections) section.clear();
       }),
       [](const LoadedDatabase& db) { EXPECT_EQ(db.tables().trainCount(), 0); });
  file(
      "BytesAfterTheLastSection", [] { return test::packOrFail(basePlain()) + "%%\x01garbage%"; },
      [](const LoadedDatabase& db) { EXPECT_EQ(trainsAt(db, kBeijing), 3); });

  // What only memory can hold: lists longer or shorter than a file would
  // make them beside the others.
  const auto resized = [](TextList TableLists::*list, std::size_t size) {
    return [list, size](TableLists& lists) {
      auto entries = entriesOf(lists.*list);
      entries.resize(size, "X1");
      lists.*list = listOf(entries);
    };
  };
  memory("MoreTrainNumbersThanTheOtherTables", resized(&TableLists::trainNumbers, 100),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kBeijing), 3);
           EXPECT_EQ(stopsOf(db, 50).stops, 0);
         });
  memory("NoTrainNumbers", resized(&TableLists::trainNumbers, 0), [](const LoadedDatabase& db) {
    EXPECT_EQ(trainsAt(db, kBeijing), 0);
    EXPECT_EQ(byNumber(db, "5"), 0);
    EXPECT_EQ(stopsOf(db, 0).stops, 0);
  });
  memory("TwoTrainNumbersOfFour", resized(&TableLists::trainNumbers, 2),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kBeijing), 2);
           EXPECT_EQ(stopsOf(db, 3).stops, 0);
           EXPECT_EQ(byNumber(db, "9"), 0);
         });
  memory("MoreStationNamesThanTheOtherTables", resized(&TableLists::stationNames, 100),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kBeijing), 3);
           EXPECT_EQ(test::outcomeOf(direct(db, kTianjin, kShanghai)), 0);
         });
  memory("NoStationNames", resized(&TableLists::stationNames, 0), [](const LoadedDatabase& db) {
    EXPECT_EQ(trainsAt(db, kBeijing), QueryStatus::kUnknownStation);
    EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 0);
    EXPECT_EQ(stopsOf(db, 0).stops, 0);
  });
  memory("ThreeStationNamesOfFive", resized(&TableLists::stationNames, 3),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kShanghai), QueryStatus::kUnknownStation);
           EXPECT_EQ(trainsAt(db, kBeijing), 2);  // train 3 ends at 上海, outside the table
           EXPECT_EQ(unmarkedStopsOf(db, 3).stops, 2);
           EXPECT_EQ(unmarkedStopsOf(db, 3).runTime, "06:00");
           EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 3);
         });
  memory(
      "MoreAbbreviationsThanNames",
      [](TableLists& lists) {
        lists.stationAbbreviations = test::appended(lists.stationAbbreviations, "XX");
      },
      [](const LoadedDatabase& db) {
        EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "X")), 0);
        EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 5);
      });
  memory("FewerAbbreviationsThanNames", resized(&TableLists::stationAbbreviations, 2),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 2);
           EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "S")), 0);
           EXPECT_EQ(trainsAt(db, kShanghai), 2);
         });
  memory("FewerStationNamesThanCount", resized(&TableLists::stationNames, 4),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kShanghai), QueryStatus::kUnknownStation);
           EXPECT_EQ(test::outcomeOf(direct(db, kTianjin, kJinan)), 1);
         });

  // Empty entries: impossible in a file, possible in memory.
  const auto emptyEntry = [](TextList TableLists::*list, std::size_t at) {
    return [list, at](TableLists& lists) {
      auto entries = entriesOf(lists.*list);
      entries[at].clear();
      lists.*list = listOf(entries);
    };
  };
  memory("EmptyStationName", emptyEntry(&TableLists::stationNames, kTianjin),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kTianjin), QueryStatus::kUnknownStation);
           EXPECT_EQ(test::outcomeOf(trainsAtStation(db, "")), 2);  // the station named ""
           // An empty name never matches a stop.
           EXPECT_EQ(unmarkedStopsOf(db, 1).stopList.find(">|"), std::string::npos);
         });
  memory("EmptyAbbreviation", emptyEntry(&TableLists::stationAbbreviations, kJinan),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "")), 5);
           EXPECT_EQ(test::outcomeOf(stationsByAbbreviation(db, "J")), 0);
         });
  memory("EmptyTrainNumber", emptyEntry(&TableLists::trainNumbers, 1),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kBeijing), 3);
           EXPECT_EQ(byNumber(db, ""), 0);
           EXPECT_EQ(byNumber(db, "K5"), 0);
         });
  memory("EmptyCallList", emptyEntry(&TableLists::stationCallLists, kNanjing),
         [](const LoadedDatabase& db) {
           EXPECT_EQ(trainsAt(db, kNanjing), 0);
           EXPECT_EQ(test::outcomeOf(direct(db, kNanjing, kShanghai)), 0);
           EXPECT_EQ(direct(db, kNanjing, kShanghai).text, "");
         });
  memory("EmptyStopList", emptyEntry(&TableLists::trainStopLists, 1), [](const LoadedDatabase& db) {
    EXPECT_EQ(trainsAt(db, kBeijing), 2);
    EXPECT_EQ(stopsOf(db, 1).stops, 0);
    EXPECT_EQ(stopsOf(db, 1).runTime, "");
  });
  memory(
      "ZeroStopsAndOneStop",
      [](TableLists& lists) {
        auto entries = entriesOf(lists.trainStopLists);
        entries[0].clear();
        entries[2].resize(16);
        lists.trainStopLists = listOf(entries);
      },
      [](const LoadedDatabase& db) {
        EXPECT_EQ(trainsAt(db, kJinan), 1);
        EXPECT_EQ(unmarkedStopsOf(db, 2).stops, 0);
      });
  memory(
      "EveryTableEmpty", [](TableLists& lists) { lists = TableLists{}; },
      [](const LoadedDatabase& db) {
        EXPECT_EQ(trainsAt(db, kBeijing), QueryStatus::kUnknownStation);
        EXPECT_EQ(stopsOf(db, 0).stops, 0);
        EXPECT_EQ(byNumber(db, "K5"), 0);
      });
  return cases;
}

class CorruptDatabaseTest : public ::testing::TestWithParam<Corruption> {};

// Every export on the loaded file answers as the core does on its tables, and
// every structured question of `handle` (the same file) counts what the text
// export counts, or gives the status of its code.
void expectExportsAgreeWithCore(const LoadedDatabase& db, const murlo_db* handle) {
  const auto utf16Of = [](const std::string& gbkText) {
    std::u16string units;
    gbkToUtf16(gbkText, units);
    return std::basic_string<murlo_char16>(units.begin(), units.end());
  };
  const auto utf8Of = [](const std::string& gbkText) {
    std::string text;
    gbkToUtf8(gbkText, text);
    return text;
  };
  murlo_rides* rides = nullptr;
  // Calls a sized export twice: for the size, then into an exact buffer.
  const auto call = [](auto&& sized) {
    std::size_t needed = 0;
    const int32_t probe = sized(nullptr, 0, &needed);
    if (probe != MURLO_BUFFER_TOO_SMALL)
      return std::make_pair(probe, std::basic_string<murlo_char16>());
    std::vector<murlo_char16> buffer(needed);
    const int32_t result = sized(buffer.data(), needed, nullptr);
    return std::make_pair(result, std::basic_string<murlo_char16>(buffer.data()));
  };
  std::vector<std::string> names = entriesOf(db.tables().lists().stationNames);
  names.push_back(gbk("无此站"));
  for (const std::string& name : names) {
    const auto station = utf16Of(name);
    const QueryResult expected = test::gbkText(trainsAtStation(db, name));
    const auto got = call([&](murlo_char16* o, std::size_t c, std::size_t* n) {
      return murlo_trains_at_station(station.c_str(), o, c, n);
    });
    EXPECT_EQ(got.first, test::exportCode(expected)) << name;
    if (expected.status == QueryStatus::kOk) {
      EXPECT_TRUE(got.second == utf16Of(expected.text)) << name;
    }
    EXPECT_EQ(
        textCodeAndFree(murlo_db_trains_at_station(handle, utf8Of(name).c_str(), &rides), &rides),
        test::exportCode(expected))
        << name;
    for (const std::string& other : names) {
      const auto destination = utf16Of(other);
      const QueryResult expectedDirect = directTrains(db, name, other, 1);
      const auto gotDirect = call([&](murlo_char16* o, std::size_t c, std::size_t* n) {
        return murlo_direct_trains(station.c_str(), destination.c_str(), 1, o, c, n);
      });
      EXPECT_EQ(gotDirect.first, test::exportCode(expectedDirect)) << name << " - " << other;
      if (expectedDirect.status == QueryStatus::kOk) {
        EXPECT_TRUE(gotDirect.second == utf16Of(expectedDirect.text));
      }
      const murlo_status status =
          murlo_db_direct_trains(handle, utf8Of(name).c_str(), utf8Of(other).c_str(), &rides);
      if (status == MURLO_STATUS_OK && expectedDirect.status == QueryStatus::kOk &&
          expectedDirect.count == 0) {
        EXPECT_EQ(rides->change_station_count,
                  static_cast<std::size_t>(
                      std::count(expectedDirect.text.begin(), expectedDirect.text.end(), '|')))
            << name << " - " << other;
      }
      EXPECT_EQ(textCodeAndFree(status, &rides), test::exportCode(expectedDirect))
          << name << " - " << other;
    }
  }
  for (int32_t train = 0; train <= db.tables().trainCount() + 1; ++train) {
    const StopListResult expected = trainStopList(db, TrainIndex(train), names[0], names.back());
    const auto boarding = utf16Of(names[0]);
    const auto alighting = utf16Of(names.back());
    murlo_char16 stops[2048];
    murlo_char16 runTime[64];
    EXPECT_EQ(murlo_train_stops(static_cast<uint32_t>(train), boarding.c_str(), alighting.c_str(),
                                stops, 2048, nullptr, runTime, 64, nullptr),
              expected.stops);
    EXPECT_TRUE(std::basic_string<murlo_char16>(stops) == utf16Of(expected.stopList));
    EXPECT_TRUE(std::basic_string<murlo_char16>(runTime) == utf16Of(expected.runTime));
    murlo_stops* stopList = nullptr;
    const murlo_status status =
        murlo_db_train_stops(handle, static_cast<uint32_t>(train), utf8Of(names[0]).c_str(),
                             utf8Of(names.back()).c_str(), &stopList);
    // A running time exactly where the train is known.
    EXPECT_EQ(status == MURLO_STATUS_OK, !expected.runTime.empty()) << "train " << train;
    EXPECT_EQ(textCodeAndFree(status, &stopList), expected.stops) << "train " << train;
  }
  for (const std::string& number : entriesOf(db.tables().lists().trainNumbers)) {
    const auto typed = utf16Of(number.substr(0, number.find('/')));
    const QueryResult expected =
        test::gbkText(trainsByNumber(db, number.substr(0, number.find('/'))));
    const auto got = call([&](murlo_char16* o, std::size_t c, std::size_t* n) {
      return murlo_trains_by_number(typed.c_str(), o, c, n);
    });
    EXPECT_EQ(got.first, test::exportCode(expected));
    EXPECT_TRUE(got.second == utf16Of(expected.text));
    EXPECT_EQ(
        textCodeAndFree(murlo_db_trains_by_number(
                            handle, utf8Of(number.substr(0, number.find('/'))).c_str(), &rides),
                        &rides),
        test::exportCode(expected))
        << number;
  }
  for (const std::string& name : names) {
    const auto station = utf16Of(name);
    for (const bool departures : {true, false}) {
      const QueryResult expected = test::gbkText(departures ? departureBoard(db, name, 600, 0)
                                                            : arrivalBoard(db, name, 600, 0));
      const auto got = call([&](murlo_char16* o, std::size_t c, std::size_t* n) {
        return departures ? murlo_departures(station.c_str(), 600, 0, o, c, n)
                          : murlo_arrivals(station.c_str(), 600, 0, o, c, n);
      });
      EXPECT_EQ(got.first, test::exportCode(expected)) << name;
      if (expected.status == QueryStatus::kOk) {
        EXPECT_TRUE(got.second == utf16Of(expected.text)) << name;
      }
      const murlo_status status =
          departures ? murlo_db_departures(handle, utf8Of(name).c_str(), 600, 0, &rides)
                     : murlo_db_arrivals(handle, utf8Of(name).c_str(), 600, 0, &rides);
      EXPECT_EQ(textCodeAndFree(status, &rides), test::exportCode(expected)) << name;
    }
    for (const std::string& other : names) {
      const auto destination = utf16Of(other);
      const QueryResult expected = planJourneys(db, name, other, JourneyRequest{600, 2, 5, 0});
      const auto got = call([&](murlo_char16* o, std::size_t c, std::size_t* n) {
        return murlo_plan_journeys(station.c_str(), destination.c_str(), 600, 2, 5, 0, o, c, n);
      });
      EXPECT_EQ(got.first, test::exportCode(expected)) << name << " - " << other;
      if (expected.status == QueryStatus::kOk) {
        EXPECT_TRUE(got.second == utf16Of(expected.text));
      }
      murlo_journeys* journeys = nullptr;
      EXPECT_EQ(
          textCodeAndFree(murlo_db_plan_journeys(handle, utf8Of(name).c_str(),
                                                 utf8Of(other).c_str(), 600, 2, 5, 0, &journeys),
                          &journeys),
          test::exportCode(expected))
          << name << " - " << other;
      // The same question a day later through the options.
      const murlo_plan_options later{sizeof later, MURLO_PLAN_DEPART_AFTER, 600 + 1440, 2, 5, 0, 0};
      EXPECT_EQ(textCodeAndFree(murlo_db_plan(handle, utf8Of(name).c_str(), utf8Of(other).c_str(),
                                              &later, &journeys),
                                &journeys),
                test::exportCode(expected))
          << name << " - " << other;
    }
  }
  const QueryResult expectedStations = test::gbkText(stationsByAbbreviation(db, ""));
  const auto gotStations = call([](murlo_char16* o, std::size_t c, std::size_t* n) {
    return murlo_find_stations(test::utf16("").c_str(), o, c, n);
  });
  EXPECT_EQ(gotStations.first, test::exportCode(expectedStations));
  EXPECT_TRUE(gotStations.second == utf16Of(expectedStations.text));
  const QueryResult expectedList = stationList(db);
  const auto gotList = call(
      [](murlo_char16* o, std::size_t c, std::size_t* n) { return murlo_station_list(o, c, n); });
  EXPECT_EQ(gotList.first, test::exportCode(expectedList));
  EXPECT_TRUE(gotList.second == utf16Of(expectedList.text));
  // Every station, abbreviated or not, as the station list has them.
  murlo_stations* stations = nullptr;
  EXPECT_EQ(textCodeAndFree(murlo_db_stations(handle, "", &stations), &stations),
            test::exportCode(expectedList));
}

TEST_P(CorruptDatabaseTest, EveryQueryKeepsTheRules) {
  const Corruption& corruption = GetParam();
  if (corruption.file) {
    std::string bytes = corruption.file();
    const LoadedDatabase db(test::loadBytes(bytes));
    EXPECT_GT(expectEveryQueryKeepsTheRules(db), 0);
    corruption.expect(db);

    test::TempFile file(bytes);
    ASSERT_EQ(murlo_load_database(test::utf16(file.path()).c_str()), 1);
    murlo_db* handle = nullptr;
    ASSERT_EQ(murlo_db_open(file.path().c_str(), &handle), MURLO_STATUS_OK);
    expectExportsAgreeWithCore(db, handle);
    murlo_db_close(handle);
    return;
  }
  TableLists lists = baseDb().lists();
  corruption.edit(lists);
  const LoadedDatabase db{TimetableDb(std::move(lists))};
  EXPECT_GT(expectEveryQueryKeepsTheRules(db), 0);
  corruption.expect(db);
}

// Regression: trains at a station listed a train for a call record whose stop
// position lies outside the train's stop list (the whole-run line does not
// read the position), so a corrupt record was counted.
TEST(CorruptDatabaseRegression, TrainsAtStationSkipsCallsWhoseStopIsNotInTheTrain) {
  struct Case {
    const char* name;
    const char* beijingCalls;  // 北京's call list; its true calls are (0,0) (1,1) (3,0)
    int32_t lines;
  } cases[] = {
      {"stop beyond the train",
       "000000"
       "000099"
       "000101"
       "000300",
       3},
      {"stop just past the last",
       "000000"
       "000003"
       "000101"
       "000300",
       3},
      {"negative stop",
       "0000-1"
       "000000"
       "000101"
       "000300",
       3},
      {"every record corrupt",
       "000005"
       "000102"
       "0003-2",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableLists lists = baseDb().lists();
    auto calls = entriesOf(lists.stationCallLists);
    calls[kBeijing] = c.beijingCalls;
    lists.stationCallLists = listOf(calls);
    const LoadedDatabase db{TimetableDb(std::move(lists))};
    const QueryResult result = test::gbkText(trainsAtStation(db, stationName(kBeijing)));
    EXPECT_EQ(test::outcomeOf(result), c.lines);
    EXPECT_EQ(test::splitTerminated(result.text, '*').size(), static_cast<std::size_t>(c.lines));
  }
}

INSTANTIATE_TEST_SUITE_P(Invariants, CorruptDatabaseTest, ::testing::ValuesIn(corruptions()),
                         test::CaseName());

}  // namespace
}  // namespace murlo::reliability
