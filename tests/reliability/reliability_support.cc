#include "reliability_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "db/records.h"
#include "present/segment_line.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/profile_search.h"
#include "query/station_lookup.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "support/reference_journeys.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"

namespace murlo::reliability {

namespace {
const char* const kNames[] = {"北京", "天津", "济南", "南京", "上海"};
}  // namespace

std::string stationName(int station) { return test::gbk(kNames[station]); }

std::vector<StationSpec> baseStations() {
  const char* abbreviations[] = {"BJ", "TJ", "JN", "NJ", "SH"};
  std::vector<StationSpec> stations;
  for (int s = 0; s < 5; ++s) stations.push_back({stationName(s), abbreviations[s]});
  return stations;
}

std::vector<TrainSpec> baseTrains() {
  using test::stopAt;
  return {
      {"T1/T2",
       '1',
       'F',
       'D',
       {stopAt(0, "-", "08:00", 0), stopAt(1, "09:30", "09:32", 137),
        stopAt(2, "12:00", "-", 497)}},
      {"K5", '3', '8', 'D', {stopAt(1, "-", "23:30", 0), stopAt(0, "01:05", "-", 137)}},
      {"G7",
       'B',
       'F',
       'E',
       {stopAt(2, "-", "10:00", 0), stopAt(3, "13:00", "13:05", 617),
        stopAt(4, "15:00", "-", 918)}},
      {"D9/D10",
       '0',
       'C',
       'D',
       {stopAt(0, "-", "07:00", 0), stopAt(2, "09:00", "09:10", 406),
        stopAt(4, "13:00", "-", 1325)}},
  };
}

TimetableDb baseDb() { return buildTimetable("BASE", baseStations(), baseTrains()); }

PlainSections basePlain() {
  PlainSections plain;
  const auto error = plainSectionsOf(baseDb(), plain);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return plain;
}

HangGuard::HangGuard(std::string what, std::chrono::seconds limit)
    : watcher_([this, what = std::move(what), limit] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
          std::fprintf(stderr, "hang: %s did not finish within %lld s\n", what.c_str(),
                       static_cast<long long>(limit.count()));
          std::abort();
        }
      }) {}

HangGuard::~HangGuard() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_one();
  watcher_.join();
}

namespace {

std::string statusText(murlo_status status, const void* answer) {
  EXPECT_EQ(answer, nullptr) << "an answer stored with status " << status;
  return "status " + std::to_string(static_cast<int>(status));
}

void describeRide(const murlo_ride& r, std::string& text) {
  text += std::to_string(r.train) + "|" + r.number + "|" + r.marker + "|" +
          std::to_string(r.board_stop) + "|" + std::to_string(r.alight_stop) + "|" + r.from + "|" +
          r.to + "|" + r.first_station + "|" + r.last_station + "|" + std::to_string(r.departure) +
          "|" + std::to_string(r.arrival) + "|" + std::to_string(r.journey_minutes) + "|" +
          std::to_string(r.distance_km) + "|" + r.class_name;
  for (const int64_t fare : r.fares) text += "|" + std::to_string(fare);
  text += "*";
}

}  // namespace

std::string describeAndFree(murlo_status status, murlo_stations** taken) {
  murlo_stations* const answer = *taken;
  if (status != MURLO_STATUS_OK) return statusText(status, answer);
  std::string text;
  for (std::size_t i = 0; i < answer->count; ++i) {
    const murlo_station& s = answer->stations[i];
    text += std::to_string(s.index) + "|" + s.name + "|" + s.abbreviation + "*";
  }
  murlo_stations_free(answer);
  return text;
}

std::string describeAndFree(murlo_status status, murlo_rides** taken) {
  murlo_rides* const answer = *taken;
  if (status != MURLO_STATUS_OK) return statusText(status, answer);
  std::string text;
  for (std::size_t i = 0; i < answer->count; ++i) describeRide(answer->rides[i], text);
  for (std::size_t i = 0; i < answer->change_station_count; ++i) {
    text += std::string(answer->change_stations[i]) + "|";
  }
  murlo_rides_free(answer);
  return text;
}

std::string describeAndFree(murlo_status status, murlo_stops** taken) {
  murlo_stops* const answer = *taken;
  if (status != MURLO_STATUS_OK) return statusText(status, answer);
  std::string text = std::to_string(answer->train) + "|" + answer->number + "|" +
                     std::to_string(answer->run_minutes) + "*";
  for (std::size_t i = 0; i < answer->count; ++i) {
    const murlo_stop& s = answer->stops[i];
    text += std::to_string(s.position) + "|" + s.station + "|" + std::to_string(s.arrival) + "|" +
            std::to_string(s.departure) + "|" + std::to_string(s.km) + "|" +
            std::to_string(s.on_journey) + "*";
  }
  murlo_stops_free(answer);
  return text;
}

std::string describeAndFree(murlo_status status, murlo_journeys** taken) {
  murlo_journeys* const answer = *taken;
  if (status != MURLO_STATUS_OK) return statusText(status, answer);
  std::string text;
  for (std::size_t j = 0; j < answer->count; ++j) {
    const murlo_journey& journey = answer->journeys[j];
    text += "J|" + std::to_string(journey.departure) + "|" + std::to_string(journey.arrival) + "*";
    for (std::size_t r = 0; r < journey.ride_count; ++r) describeRide(journey.rides[r], text);
  }
  murlo_journeys_free(answer);
  return text;
}

namespace {

template <typename Answer, typename Free>
int32_t textCode(murlo_status status, Answer** taken, Free free) {
  Answer* const answer = *taken;
  if (status == MURLO_STATUS_OK) {
    const auto count = static_cast<int32_t>(answer->count);
    free(answer);
    return count;
  }
  EXPECT_EQ(answer, nullptr) << "an answer stored with status " << status;
  switch (status) {
    case MURLO_STATUS_UNKNOWN_STATION:
    case MURLO_STATUS_UNKNOWN_ORIGIN: return -1;
    case MURLO_STATUS_UNKNOWN_DESTINATION: return -2;
    case MURLO_STATUS_SAME_STATION: return -3;
    case MURLO_STATUS_UNKNOWN_TRAIN: return 0;
    case MURLO_STATUS_INVALID_ARGUMENT: return MURLO_INVALID_ARGUMENT;
    case MURLO_STATUS_OUT_OF_MEMORY: return MURLO_OUT_OF_MEMORY;
    default: return -100 - static_cast<int32_t>(status);  // no question gives it
  }
}

}  // namespace

int32_t textCodeAndFree(murlo_status status, murlo_stations** answer) {
  return textCode(status, answer, murlo_stations_free);
}
int32_t textCodeAndFree(murlo_status status, murlo_rides** answer) {
  return textCode(status, answer, murlo_rides_free);
}
int32_t textCodeAndFree(murlo_status status, murlo_stops** answer) {
  return textCode(status, answer, murlo_stops_free);
}
int32_t textCodeAndFree(murlo_status status, murlo_journeys** answer) {
  return textCode(status, answer, murlo_journeys_free);
}

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = text.find(separator, begin);
    parts.emplace_back(text.substr(begin, end == std::string_view::npos ? end : end - begin));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

bool isStationName(const TimetableDb& db, std::string_view name) {
  for (std::size_t s = 0; s < db.lists().stationNames.size(); ++s) {
    if (db.lists().stationNames[s] == name) return true;
  }
  return false;
}

// "*"-terminated lines, `count` of them, each with `fields` "|"-separated
// fields. Returns the fields of every line.
std::vector<std::vector<std::string>> expectLines(std::string_view text, int32_t count,
                                                  std::size_t fields) {
  std::vector<std::vector<std::string>> lines;
  EXPECT_TRUE(text.empty() || text.back() == '*') << text;
  if (text.empty()) {
    EXPECT_EQ(count, 0);
    return lines;
  }
  const std::vector<std::string> parts = split(text.substr(0, text.size() - 1), '*');
  EXPECT_EQ(static_cast<int32_t>(parts.size()), count) << text;
  for (const std::string& part : parts) {
    lines.push_back(split(part, '|'));
    EXPECT_EQ(lines.back().size(), fields) << part;
  }
  return lines;
}

// SegmentLines of trains of the tables, with station names of the tables.
void expectSegmentLines(const TimetableDb& db, std::string_view text, int32_t count) {
  for (const auto& fields : expectLines(text, count, 16)) {
    if (fields.size() != 16) continue;
    EXPECT_TRUE(fields[0] == "S" || fields[0] == " " || fields[0] == "H") << fields[0];
    const int index = std::atoi(fields[1].c_str());
    EXPECT_TRUE(index >= 0 && index < db.trainCount()) << fields[1];
    for (const std::size_t name : {3u, 5u, 7u, 8u}) {
      EXPECT_TRUE(isStationName(db, fields[name])) << fields[name];
    }
  }
}

bool hasRunningTime(const TimetableDb& db, TrainIndex train) {
  return train.value() >= 0 && train.value() < db.trainCount() &&
         train.slot() < db.lists().trainStopLists.size() &&
         StopList(db.lists().trainStopLists[train.slot()]).size() >= 2;
}

}  // namespace

int expectEveryQueryKeepsTheRules(const LoadedDatabase& loaded) {
  HangGuard guard("a query on bad data", std::chrono::seconds(120));
  const TimetableDb& db = loaded.tables();
  int queries = 0;

  std::vector<std::string> names;
  for (std::size_t s = 0; s < std::min<std::size_t>(db.lists().stationNames.size(), 12); ++s) {
    names.emplace_back(db.lists().stationNames[s]);
  }
  names.emplace_back("");
  names.push_back(test::gbk("无此站"));

  std::set<std::string> prefixes = {"", "B", "ZZ"};
  for (std::size_t s = 0; s < db.lists().stationAbbreviations.size(); ++s) {
    const std::string_view abbreviation = db.lists().stationAbbreviations[s];
    prefixes.emplace(abbreviation);
    prefixes.emplace(abbreviation.substr(0, 1));
  }
  for (const std::string& prefix : prefixes) {
    SCOPED_TRACE("stations by abbreviation " + prefix);
    const QueryResult result = test::gbkText(stationsByAbbreviation(loaded, prefix));
    ++queries;
    EXPECT_EQ(result.status, QueryStatus::kOk);
    const std::vector<std::string> parts = split(result.text, '|');
    EXPECT_EQ(static_cast<int32_t>(parts.size()) - 1, result.count) << result.text;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) EXPECT_TRUE(isStationName(db, parts[i]));
  }

  for (const std::string& name : names) {
    SCOPED_TRACE("trains at station " + name);
    const QueryResult result = test::gbkText(trainsAtStation(loaded, name));
    ++queries;
    if (!loaded.findStation(name)) {
      EXPECT_EQ(test::outcomeOf(result), QueryStatus::kUnknownStation);
      EXPECT_EQ(result.text, "");
    } else {
      EXPECT_EQ(result.status, QueryStatus::kOk);
      expectSegmentLines(db, result.text, result.count);
    }
  }

  for (const std::string& origin : names) {
    for (const std::string& destination : names) {
      for (const int32_t mode : {0, 1}) {
        SCOPED_TRACE("direct trains " + origin + " - " + destination);
        const QueryResult result = directTrains(loaded, origin, destination, mode);
        ++queries;
        if (origin == destination) {
          EXPECT_EQ(test::outcomeOf(result), QueryStatus::kSameStation);
        } else if (!loaded.findStation(origin)) {
          EXPECT_EQ(test::outcomeOf(result), QueryStatus::kUnknownOrigin);
        } else if (!loaded.findStation(destination)) {
          EXPECT_EQ(test::outcomeOf(result), QueryStatus::kUnknownDestination);
        } else if (result.count > 0) {
          EXPECT_EQ(result.status, QueryStatus::kOk);
          expectSegmentLines(db, result.text, result.count);
        } else {
          // Change stations: names of the tables, each followed by "|".
          EXPECT_EQ(test::outcomeOf(result), 0);
          const std::vector<std::string> parts = split(result.text, '|');
          EXPECT_EQ(parts.back(), "");
          for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            EXPECT_TRUE(isStationName(db, parts[i]) || parts[i] == test::gbk("北京")) << parts[i];
          }
        }
      }
    }
  }

  for (const std::string& name : names) {
    for (const int32_t after : {0, 480, 1439}) {
      for (const int32_t limit : {0, 2}) {
        for (const bool departures : {true, false}) {
          SCOPED_TRACE((departures ? "departures from " : "arrivals at ") + name);
          const QueryResult result =
              test::gbkText(departures ? departureBoard(loaded, name, after, limit)
                                       : arrivalBoard(loaded, name, after, limit));
          ++queries;
          if (!loaded.findStation(name)) {
            EXPECT_EQ(test::outcomeOf(result), QueryStatus::kUnknownStation);
            EXPECT_EQ(result.text, "");
          } else {
            EXPECT_EQ(result.status, QueryStatus::kOk);
            if (limit > 0) {
              EXPECT_LE(result.count, limit);
            }
            expectSegmentLines(db, result.text, result.count);
          }
        }
      }
    }
  }

  // Journeys: the codes; each journey its summary and its rides, travelled
  // by the rules, one for each triple of the exhaustive search.
  for (const std::string& origin : names) {
    for (const std::string& destination : names) {
      for (const JourneyRequest& request :
           {JourneyRequest{480, 3, 10, 0}, JourneyRequest{0, 1, 0, 2}}) {
        SCOPED_TRACE("journeys " + origin + " - " + destination);
        const QueryResult result = planJourneys(loaded, origin, destination, request);
        ++queries;
        const std::optional<StationIndex> from = loaded.findStation(origin);
        const std::optional<StationIndex> to = loaded.findStation(destination);
        if (origin == destination) {
          EXPECT_EQ(test::outcomeOf(result), QueryStatus::kSameStation);
          continue;
        }
        if (!from || !to) {
          EXPECT_EQ(test::outcomeOf(result),
                    from ? QueryStatus::kUnknownDestination : QueryStatus::kUnknownOrigin);
          continue;
        }
        std::vector<Journey> expected = test::journeysBySearch(db, *from, *to, request);
        if (request.limit > 0 && expected.size() > static_cast<std::size_t>(request.limit)) {
          expected.resize(static_cast<std::size_t>(request.limit));
        }
        const std::vector<Journey> found = paretoJourneys(loaded, *from, *to, request);
        EXPECT_EQ(test::outcomeOf(result), static_cast<int32_t>(found.size()));
        if (found.size() != expected.size()) {
          ADD_FAILURE() << found.size() << " journeys, the search finds " << expected.size();
          continue;
        }
        std::size_t rides = 0;
        for (std::size_t i = 0; i < found.size(); ++i) {
          EXPECT_EQ(found[i].departure, expected[i].departure);
          EXPECT_EQ(found[i].arrival, expected[i].arrival);
          EXPECT_EQ(found[i].rides.size(), expected[i].rides.size());
          const auto wrong = test::whyNotTravelled(db, *from, *to, request, found[i]);
          EXPECT_FALSE(wrong.has_value()) << *wrong;
          rides += found[i].rides.size();
        }
        // The summaries (seven fields) and the ride lines.
        const std::vector<std::string> parts = split(result.text, '*');
        EXPECT_EQ(parts.size(), found.size() + rides + 1) << result.text;
        std::size_t summaries = 0;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
          if (parts[i].rfind("J|", 0) == 0) {
            EXPECT_EQ(split(parts[i], '|').size(), 7u) << parts[i];
            ++summaries;
          } else {
            expectSegmentLines(db, parts[i] + "*", 1);
          }
        }
        EXPECT_EQ(summaries, found.size());
      }
    }
  }

  std::vector<TrainIndex> trains = {TrainIndex(-1), TrainIndex(9999), TrainIndex(INT32_MAX)};
  for (int32_t t = 0; t <= std::min(db.trainCount(), 40) + 1; ++t) trains.push_back(TrainIndex(t));
  for (const TrainIndex train : trains) {
    for (std::size_t a = 0; a < names.size(); a += 2) {
      for (std::size_t b = 0; b < names.size(); b += 3) {
        SCOPED_TRACE("stop list of train " + std::to_string(train.value()));
        const StopListResult result = trainStopList(loaded, train, names[a], names[b]);
        ++queries;
        EXPECT_GE(result.stops, 0);
        for (const auto& fields : expectLines(result.stopList, result.stops, 5)) {
          if (fields.size() != 5) continue;
          EXPECT_TRUE(fields[0] == ">" || fields[0] == " ") << fields[0];
          EXPECT_TRUE(isStationName(db, fields[1])) << fields[1];
        }
        EXPECT_EQ(result.runTime.empty(), !hasRunningTime(db, train)) << result.runTime;
      }
    }
  }

  std::set<std::string> numbers = {"", "ZZZ", "1", "K"};
  for (std::size_t t = 0; t < std::min<std::size_t>(db.lists().trainNumbers.size(), 40); ++t) {
    const std::string entry(db.lists().trainNumbers[t]);
    numbers.insert(entry);
    for (const std::string& number : split(entry, '/')) {
      numbers.insert(number);
      if (!number.empty()) numbers.insert(number.substr(1));
    }
  }
  for (const std::string& number : numbers) {
    SCOPED_TRACE("trains by number " + number);
    const QueryResult result = test::gbkText(trainsByNumber(loaded, number));
    ++queries;
    EXPECT_EQ(result.status, QueryStatus::kOk);
    expectSegmentLines(db, result.text, result.count);
  }

  // The whole-run lines the queries kept are those the tables give.
  for (TrainIndex t(-1); t.value() <= db.trainCount() + 1; ++t) {
    std::u16string written;
    gbkToUtf16(buildSegmentLine(db, t, StopPosition(0), StopPosition(0), 0), written);
    EXPECT_TRUE(loaded.wholeRunLines().line(db, t).text.str() == written) << "train " << t.value();
  }
  return queries;
}

}  // namespace murlo::reliability
