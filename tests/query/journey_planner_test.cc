// Journeys with changes and the boards, held to an exhaustive search over
// many small generated networks (quirky and corrupt ones among them), and the
// result codes.
#include "query/journey_planner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "db/loader.h"
#include "present/segment_line.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/profile_search.h"
#include "query/station_board.h"
#include "support/departure_chunks.h"
#include "support/reference_journeys.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::gbk;

// ---------------------------------------------------------------------------
// Generated networks

// A few stations, some sharing a name; trains that may call twice at a
// station. Quirky networks have up to seven trains of two to six stops, their
// times on a coarse grid (so that many are equal) and steps of up to a day (so
// that runs pass midnight once or twice). Busy ones have up to nine trains of
// two to four stops within a morning, steps of a few minutes: journeys that
// beat one another by minutes, where every bound of the planner binds.
struct Network {
  std::vector<StationSpec> stations;
  std::vector<TrainSpec> trains;
  NetworkSpec rules;
  std::vector<std::string> groupNames;
};

Network randomNetwork(std::mt19937& random, bool busy) {
  const auto below = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  const char* names[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚"};
  Network network;
  const int stations = 3 + below(busy ? 3 : 5);
  for (int s = 0; s < stations; ++s) {
    const int name = s > 1 && below(6) == 0 ? below(s) : s;  // now and then an earlier name
    network.stations.push_back({gbk(names[name]), "X"});
  }
  const std::vector<int> steps = busy ? std::vector<int>{0, 5, 10, 15, 20, 30}
                                      : std::vector<int>{0, 15, 30, 60, 90, 300, 720, 1200, 1439};
  const std::vector<int> dwells =
      busy ? std::vector<int>{0, 5} : std::vector<int>{0, 0, 5, 15, 600};
  for (int t = 0, trains = busy ? 6 + below(4) : 2 + below(6); t < trains; ++t) {
    TrainSpec train{"G" + std::to_string(t), "12346789AB0"[below(11)], 'F', 'D', {}};
    int minute = busy ? 480 + 5 * below(36) : 15 * below(96);
    int km = 0;
    int previous = -1;
    for (int k = 0, stops = 2 + below(busy ? 3 : 5); k < stops; ++k) {
      int station = below(stations);
      if (station == previous) station = (station + 1) % stations;
      previous = station;
      const int arrival = minute;
      const int departure =
          k == 0 ? minute
                 : (minute +
                    dwells[static_cast<std::size_t>(below(static_cast<int>(dwells.size())))]) %
                       1440;
      train.stops.push_back({station, k == 0 ? 0 : arrival, departure, km});
      minute =
          (departure + steps[static_cast<std::size_t>(below(static_cast<int>(steps.size())))]) %
          1440;
      km += 10 + below(300);
    }
    network.trains.push_back(train);
  }
  return network;
}

// The network's rules: calls that may not be boarded or left, a group or
// two, transfers of every kind (for any train or named ones) and stations'
// own change times.
void addRules(Network& network, std::mt19937& random) {
  const auto below = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  for (TrainSpec& train : network.trains) {
    for (StopSpec& stop : train.stops) {
      stop.board = below(6) != 0;
      stop.alight = below(6) != 0;
    }
  }
  const int stations = static_cast<int>(network.stations.size());
  const int trains = static_cast<int>(network.trains.size());
  const int32_t minutes[] = {0, 5, 15, 60};
  const char* groupNames[] = {"北城", "南城"};
  for (int g = 0, groups = 1 + below(2); g < groups; ++g) {
    StationGroup group;
    group.kind = below(2) == 0 ? GroupKind::kComplex : GroupKind::kCity;
    group.name = gbk(groupNames[g]);
    group.minutes = minutes[below(4)];
    for (int s = 0; s < stations; ++s) {
      if (below(2) == 0) group.members.push_back(StationIndex(s));
    }
    if (group.members.size() < 2) continue;
    network.groupNames.push_back(group.name);
    network.rules.groups.push_back(group);
  }
  for (int t = 0, transfers = below(5); t < transfers; ++t) {
    Transfer transfer;
    transfer.from = StationIndex(below(stations));
    transfer.to = below(2) == 0 ? transfer.from : StationIndex(below(stations));
    transfer.kind = static_cast<TransferKind>(below(3));
    transfer.minutes = minutes[below(4)] + below(3);
    if (below(4) == 0) transfer.fromTrain = TrainIndex(below(trains));
    if (below(4) == 0) transfer.toTrain = TrainIndex(below(trains));
    network.rules.transfers.push_back(transfer);
  }
  for (int s = 0; s < stations; ++s) {
    if (below(3) == 0) network.rules.changeTimes.push_back({StationIndex(s), minutes[below(4)]});
  }
}

// One of the corruptions a file may hold, edited into the lists.
void corrupt(TableLists& lists, std::mt19937& random) {
  const auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  std::vector<std::string> stops = test::entriesOf(lists.trainStopLists);
  std::vector<std::string> calls = test::entriesOf(lists.stationCallLists);
  std::string& train = stops[below(stops.size())];
  const std::size_t stop = 16 * below(train.size() / 16);
  std::string& list = calls[below(calls.size())];
  const std::size_t call = list.empty() ? 0 : 6 * below(list.size() / 6);
  switch (below(8)) {
    case 0: train.replace(stop + 8, 2, "99"); break;    // departure hour 99
    case 1: train.replace(stop + 4, 4, "2400"); break;  // arrival 24:00
    case 2: train.replace(stop + 6, 2, "-1"); break;    // arrival minute -1
    case 3: train.replace(stop, 4, "9999"); break;      // a station beyond the table
    case 4:                                             // a stop of the train, elsewhere
      if (!list.empty()) list.replace(call + 4, 2, "0" + std::to_string(below(6)));
      break;
    case 5:  // a train beyond the table
      if (!list.empty()) list.replace(call, 4, "9999");
      break;
    case 6:  // the call listed twice
      if (!list.empty()) list += list.substr(call, 6);
      break;
    default:  // the call forgotten
      if (!list.empty()) list.erase(call, 6);
      break;
  }
  lists.trainStopLists = test::listOf(stops);
  lists.stationCallLists = test::listOf(calls);
}

// The stations a name stands for: the first station of that name, else a
// group's members.
std::vector<StationIndex> placesNamed(const Network& network, const LoadedDatabase& db,
                                      const std::string& name) {
  if (const std::optional<StationIndex> station = db.findStation(name)) return {*station};
  for (const StationGroup& group : network.rules.groups) {
    if (group.name == name) return group.members;
  }
  return {};
}

// Whether a transfer of the network names a train.
bool namesTrains(const Network& network) {
  return std::any_of(
      network.rules.transfers.begin(), network.rules.transfers.end(),
      [](const Transfer& t) { return t.fromTrain != kAnyTrain || t.toTrain != kAnyTrain; });
}

std::tuple<int64_t, int64_t, std::size_t> tripleOf(const Journey& journey) {
  return {journey.departure, journey.arrival, journey.rides.size()};
}

// The departure or arrival board by scan: every record of the station's call
// list that can be boarded (left), once, by (minute - after) mod 1440, train,
// stop, as its line.
std::string boardByScan(const TimetableDb& db, StationIndex station, int32_t after,
                        BoardKind kind) {
  std::vector<std::tuple<int32_t, int32_t, int32_t>> calls;
  const CallList list = db.callsAt(station);
  for (int32_t j = 0; j < list.size(); ++j) {
    const TrainIndex train = list[j].trainIndex();
    const StopPosition stop = list[j].stopPosition();
    const bool departs = kind == BoardKind::kDepartures;
    if (!(departs ? test::canBoardByScan(db, station, train, stop)
                  : test::canLeaveByScan(db, station, train, stop))) {
      continue;
    }
    const StopRecord record = db.train(train)->stops[stop];
    const int32_t minute = departs ? record.departureMinutes() : record.arrivalMinutes();
    calls.emplace_back((minute - after + 1440) % 1440, train.value(), stop.value());
  }
  std::sort(calls.begin(), calls.end());
  calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
  std::string text;
  for (const auto& [wait, train, stop] : calls) {
    const int32_t last = db.train(TrainIndex(train))->stops.size() - 1;
    text += kind == BoardKind::kDepartures
                ? buildSegmentLine(db, TrainIndex(train), StopPosition(stop), StopPosition(last), 0)
                : buildSegmentLine(db, TrainIndex(train), StopPosition(0), StopPosition(stop), 0);
    text += '*';
  }
  return text;
}

TEST(JourneyPlannerTest, EveryNonDominatedJourneyOfAnExhaustiveSearch) {
  std::mt19937 random(15);
  const auto below = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  int journeys = 0;
  int withChanges = 0;
  int walks = 0;
  int namedQueries = 0;
  for (int n = 0; n < 900; ++n) {
    const bool busy = n % 2 == 1;
    // A third corrupt, a third with the network's rules (as the network view
    // of a file with them reads them), a third plain.
    const bool ruled = n % 3 == 2;
    Network network = randomNetwork(random, busy);
    if (ruled) addRules(network, random);
    TableLists lists = buildTableLists("", network.stations, network.trains);
    if (n % 3 == 0) {
      for (int edits = 1 + below(2); edits-- > 0;) corrupt(lists, random);
    }
    const LoadedDatabase loaded(
        TimetableDb(lists),
        ruled ? buildExtension(network.trains, network.rules) : NetworkExtension{});
    const LoadedDatabase& db = loaded.network();
    for (int q = 0; q < 6; ++q) {
      // A station's name, or now and then a group's.
      const auto name = [&]() -> std::string {
        const int stations = static_cast<int>(network.stations.size());
        const int k = below(stations + 2 * static_cast<int>(network.groupNames.size()));
        return k < stations ? network.stations[static_cast<std::size_t>(k)].name
                            : network.groupNames[static_cast<std::size_t>(k - stations) / 2];
      };
      const std::string from = name();
      const std::string to = name();
      const int32_t changeTimes[] = {0, 5, 10, 45};
      JourneyRequest request{busy && q % 2 == 0 ? 400 + below(200) : below(1440),
                             below(busy ? 3 : 4), changeTimes[below(4)], 0};
      if (ruled && below(4) == 0) request.leastChangeMinutes = 7;
      // Now and then the latest journeys: arriving by the minute, or
      // departing before it.
      if (below(4) == 0)
        request.time = below(2) == 0 ? JourneyTime::kArriveBy : JourneyTime::kDepartBefore;
      const bool latest = request.time != JourneyTime::kDepartAfter;
      SCOPED_TRACE("network " + std::to_string(n) + ", query " + std::to_string(q) +
                   (namesTrains(network) ? ", trains named" : ""));

      const std::vector<StationIndex> origins = placesNamed(network, db, from);
      const std::vector<StationIndex> destinations = placesNamed(network, db, to);
      const StationIndex fromIndex = origins.front();
      if (origins.size() == 1) {
        for (const BoardKind kind : {BoardKind::kDepartures, BoardKind::kArrivals}) {
          const QueryResult board = test::gbkText(
              kind == BoardKind::kDepartures ? departureBoard(db, from, request.afterMinute, 0)
                                             : arrivalBoard(db, from, request.afterMinute, 0));
          EXPECT_EQ(board.text, boardByScan(db.tables(), fromIndex, request.afterMinute, kind));
          EXPECT_EQ(test::outcomeOf(board),
                    static_cast<int32_t>(std::count(board.text.begin(), board.text.end(), '*')));
        }
      }
      if (from == to || std::any_of(origins.begin(), origins.end(), [&](StationIndex s) {
            return std::find(destinations.begin(), destinations.end(), s) != destinations.end();
          })) {
        continue;
      }

      const StationIndex toIndex = destinations.front();
      const std::vector<Journey> expected =
          test::journeysBySearch(db.tables(), origins, destinations, request);
      const std::vector<Journey> found = paretoJourneys(db, origins, destinations, request);
      namedQueries += namesTrains(network) ? 1 : 0;
      ASSERT_EQ(found.size(), expected.size());
      std::string text;
      for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(tripleOf(found[i]), tripleOf(expected[i])) << "journey " << i;
        // Equal triples may be reached by other rides: ours must be travelled.
        const auto wrong =
            test::whyNotTravelled(db.tables(), origins, destinations, request, found[i]);
        EXPECT_FALSE(wrong.has_value()) << "journey " << i << ": " << *wrong;
        text += test::summaryBySprintf(expected[i].departure, expected[i].arrival,
                                       static_cast<int32_t>(expected[i].rides.size()));
        text += '*';
        for (std::size_t r = 0; r < found[i].rides.size(); ++r) {
          const Ride& ride = found[i].rides[r];
          const StationIndex boarded =
              db.tables().train(ride.train)->stops[ride.board].stationIndex();
          if (r > 0) {
            const Ride& before = found[i].rides[r - 1];
            const StationIndex left =
                db.tables().train(before.train)->stops[before.alight].stationIndex();
            if (left != boarded) {
              // A walk, written before the ride.
              ++walks;
              const int64_t minutes = *test::changeByScan(db.tables(), request, left, before.train,
                                                          boarded, ride.train);
              char walk[32];
              std::snprintf(walk, sizeof walk, "|%.2d:%.2d*", static_cast<int>(minutes / 60),
                            static_cast<int>(minutes % 60));
              text += "W|" + std::string(*db.tables().stationName(left)) + "|" +
                      std::string(*db.tables().stationName(boarded)) + walk;
            }
          }
          text += buildSegmentLine(db.tables(), ride.train, ride.board, ride.alight, 0) + "*";
        }
        withChanges += found[i].rides.size() > 1 ? 1 : 0;
      }
      journeys += static_cast<int>(found.size());
      if (!latest) {
        const QueryResult result = planJourneys(db, from, to, request);
        EXPECT_EQ(test::outcomeOf(result), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(result.text, text);
      }

      // A limit gives the first journeys of the whole day, searched in
      // chunks of time, or of departures (one, two, four ... minutes).
      request.limit = 1 + below(3);
      for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}}) {
        if (chunk == 1 && (latest || origins.size() > 1 || destinations.size() > 1)) continue;
        const std::vector<Journey> first =
            chunk == 0 ? paretoJourneys(db, origins, destinations, request)
                       : test::journeysInDepartureChunks(db, fromIndex, toIndex, request, chunk);
        ASSERT_EQ(first.size(),
                  std::min<std::size_t>(expected.size(), static_cast<std::size_t>(request.limit)));
        // The latest journeys are the last ones of the window.
        const std::size_t skipped = latest ? expected.size() - first.size() : 0;
        for (std::size_t i = 0; i < first.size(); ++i) {
          EXPECT_EQ(tripleOf(first[i]), tripleOf(expected[skipped + i]))
              << "limited, journey " << i;
        }
      }
    }
  }
  // The networks have answers, and answers with changes and walks.
  EXPECT_GT(journeys, 4000);
  EXPECT_GT(withChanges, 800);
  EXPECT_GT(walks, 10);
  EXPECT_GT(namedQueries, 400);
}

// Journeys that pass or come back to a station near one they left, where
// the run caught first or the label reached first cannot be used: each
// network's one journey, as the exhaustive search finds it.
TEST(JourneyPlannerTest, JourneysPastStationsTheyLeft) {
  const auto trainOf = [](std::vector<StopSpec> stops) {
    static int number = 0;
    return TrainSpec{"G" + std::to_string(++number), '1', 'F', 'D', std::move(stops)};
  };
  const auto stop = [](int32_t station, int32_t arrival, int32_t departure, bool alight = true) {
    return StopSpec{station, arrival, departure, 0, true, alight};
  };
  // Walks of 5 minutes between `members`, and a forbidden change from
  // `from` to `to` to train `toTrain` (or none where from is -1).
  const auto rulesOf = [](std::vector<int32_t> members, int32_t from, int32_t to, int32_t toTrain) {
    NetworkSpec rules;
    StationGroup group{GroupKind::kComplex, gbk("北城"), 5, {}};
    for (const int32_t s : members) group.members.push_back(StationIndex(s));
    rules.groups.push_back(group);
    if (from >= 0) {
      Transfer transfer{StationIndex(from), StationIndex(to), TransferKind::kForbidden, 0};
      transfer.toTrain = TrainIndex(toTrain);
      rules.transfers.push_back(transfer);
    }
    return rules;
  };
  struct Case {
    const char* shape;
    int32_t stations;  // 0 the origin, the last the destination
    std::vector<TrainSpec> trains;
    NetworkSpec rules;
    std::tuple<int64_t, int64_t, std::size_t> journey;
    JourneyTime time = JourneyTime::kDepartAfter;
  } cases[] = {
      // Walked to 丙 and to 戊 (whence the last train may not be taken):
      // the train boarded at 丙 passes 戊, where it may be boarded, and
      // comes back to it; left there, not from the later boarding.
      {"boarded late",
       6,
       {trainOf({stop(0, 0, 480), stop(1, 540, 540)}),
        trainOf({stop(2, 0, 600), stop(4, 630, 631, false), stop(3, 660, 661), stop(4, 690, 691)}),
        trainOf({stop(4, 0, 720), stop(5, 780, 780)})},
       rulesOf({1, 2, 4}, 1, 4, 2),
       {480, 780, 3}},
      // Walked to the destination, the first train to 丁 leaves from it:
      // a journey from there never ends there; the later one to 丁 does.
      {"boarded at the destination",
       4,
       {trainOf({stop(0, 0, 480), stop(1, 540, 540)}),
        trainOf({stop(3, 0, 600), stop(2, 630, 630)}),
        trainOf({stop(1, 0, 560), stop(2, 650, 650)}),
        trainOf({stop(2, 0, 700), stop(3, 760, 760)})},
       rulesOf({1, 3}, -1, 0, 0),
       {480, 760, 3}},
      // Departing before 07:00: by 乙 to 丙 and on foot back to the origin
      // for the train to 丁 that left the day before: the journey would
      // depart from its origin again; that train the day before is the one.
      {"walked back to the origin",
       4,
       {trainOf({stop(0, 0, 360), stop(1, 380, 380)}),
        trainOf({stop(1, 0, 400), stop(2, 420, 420)}),
        trainOf({stop(0, 0, 430), stop(3, 460, 460)})},
       rulesOf({0, 2}, -1, 0, 0),
       {-1010, -980, 1},
       JourneyTime::kDepartBefore},
  };
  const char* names[] = {"甲", "乙", "丙", "丁", "戊", "己"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    std::vector<StationSpec> stations;
    for (int32_t s = 0; s < c.stations; ++s) stations.push_back({gbk(names[s]), "X"});
    const LoadedDatabase loaded(TimetableDb(buildTableLists("", stations, c.trains)),
                                buildExtension(c.trains, c.rules));
    const LoadedDatabase& db = loaded.network();
    const StationIndex from(0);
    const StationIndex to(c.stations - 1);
    JourneyRequest request{420, 3, 10, 0};
    request.time = c.time;
    const std::vector<Journey> expected = test::journeysBySearch(db.tables(), from, to, request);
    const std::vector<Journey> found = paretoJourneys(db, from, to, request);
    ASSERT_EQ(expected.size(), 1u);
    EXPECT_EQ(tripleOf(expected.front()), c.journey);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(tripleOf(found.front()), c.journey);
    const auto wrong = test::whyNotTravelled(db.tables(), from, to, request, found.front());
    EXPECT_FALSE(wrong.has_value()) << *wrong;
  }
}

// ---------------------------------------------------------------------------
// Boards

TEST(BoardsTest, InOrderOfTheWaitThenTrainThenStop) {
  // 甲 0, 乙 1. Train 4 calls at 甲 twice, both times departing at 12:00.
  const TimetableDb tables = buildTimetable(
      "", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}},
      {{"T0", '1', 'F', 'D', {test::stopAt(0, "-", "23:50", 0), test::stopAt(1, "00:30", "-", 40)}},
       {"T1",
        '1',
        'F',
        'D',
        {test::stopAt(1, "-", "07:00", 0), test::stopAt(0, "07:59", "08:00", 50),
         test::stopAt(1, "09:00", "-", 100)}},
       {"T2",
        '1',
        'F',
        'D',
        {test::stopAt(0, "-", "08:00", 0), test::stopAt(1, "08:30", "08:40", 30),
         test::stopAt(0, "09:10", "-", 60)}},
       {"T3", '1', 'F', 'D', {test::stopAt(0, "-", "06:00", 0), test::stopAt(1, "07:00", "-", 50)}},
       {"T4",
        '1',
        'F',
        'D',
        {test::stopAt(0, "-", "12:00", 0), test::stopAt(1, "18:00", "18:00", 300),
         test::stopAt(0, "11:50", "12:00", 600), test::stopAt(1, "13:00", "-", 650)}}});
  const LoadedDatabase db{TimetableDb(tables)};
  const auto lines = [&tables](std::vector<std::vector<int32_t>> wanted) {
    std::string text;
    for (const auto& w : wanted) {
      text += buildSegmentLine(tables, TrainIndex(w[0]), StopPosition(w[1]), StopPosition(w[2]), 0);
      text += '*';
    }
    return text;
  };
  struct Case {
    bool departures;
    int32_t after;
    int32_t limit;
    std::vector<std::vector<int32_t>> lines;  // train, from stop, to stop
  } cases[] = {
      // Equal minutes by train; the wait wraps past midnight.
      {true, 480, 0, {{1, 1, 2}, {2, 0, 2}, {4, 0, 3}, {4, 2, 3}, {0, 0, 1}, {3, 0, 1}}},
      {true, 479, 2, {{1, 1, 2}, {2, 0, 2}}},
      // Equal minutes of one train by stop.
      {true, 720, 3, {{4, 0, 3}, {4, 2, 3}, {0, 0, 1}}},
      {true, 1439, 1, {{3, 0, 1}}},
      // Arrivals: from the first stop; first stops are not listed.
      {false, 540, 0, {{2, 0, 2}, {4, 0, 2}, {1, 0, 1}}},
      {false, 0, 0, {{1, 0, 1}, {2, 0, 2}, {4, 0, 2}}},
  };
  for (const Case& c : cases) {
    const QueryResult result =
        test::gbkText(c.departures ? departureBoard(db, gbk("甲"), c.after, c.limit)
                                   : arrivalBoard(db, gbk("甲"), c.after, c.limit));
    EXPECT_EQ(test::outcomeOf(result), static_cast<int32_t>(c.lines.size())) << c.after;
    EXPECT_EQ(result.text, lines(c.lines)) << c.after;
  }
}

// A train that calls twice at the destination is there first at its first
// call: a change onto it is worth it even when a later direct train is known
// (the bound of one more ride must come from the first call).
TEST(JourneyPlannerTest, TrainCallingTwiceAtTheDestination) {
  using test::stopAt;
  // 甲 0 origin, 乙 1, 丙 2 destination, 丁 3.
  const TimetableDb tables = buildTimetable(
      "", {{gbk("甲"), "J"}, {gbk("乙"), "Y"}, {gbk("丙"), "B"}, {gbk("丁"), "D"}},
      {{"A0", '1', 'F', 'D', {stopAt(0, "-", "07:30", 0), stopAt(1, "08:00", "-", 40)}},
       {"B1",
        '1',
        'F',
        'D',
        {stopAt(1, "-", "08:30", 0), stopAt(2, "09:00", "09:10", 30),
         stopAt(3, "14:00", "15:00", 300), stopAt(2, "20:00", "-", 600)}},
       {"C2", '1', 'F', 'D', {stopAt(0, "-", "07:45", 0), stopAt(2, "12:00", "-", 200)}}});
  const LoadedDatabase db{TimetableDb(tables)};
  const QueryResult result = planJourneys(db, gbk("甲"), gbk("丙"), JourneyRequest{420, 1, 10, 0});
  EXPECT_EQ(test::outcomeOf(result), 2);
  const auto line = [&tables](int32_t train, int32_t from, int32_t to) {
    return buildSegmentLine(tables, TrainIndex(train), StopPosition(from), StopPosition(to), 0) +
           "*";
  };
  EXPECT_EQ(result.text, "J|07:30|09:00|0|0|01:30|2*" + line(0, 0, 1) + line(1, 0, 1) +
                             "J|07:45|12:00|0|0|04:15|1*" + line(2, 0, 1));
}

#ifdef MURLO_SAMPLE_DB
// The sample network: a journey never comes back to a station it has left.
// After 08:00, 北京 to 上海 once took D5 to 沈阳 and D6 back to 北京 for the
// next D321.
TEST(JourneyPlannerTest, NoJourneyOfTheSampleLoops) {
  std::string bytes = test::readFile(MURLO_SAMPLE_DB);
  ParsedFile parsed = parseDatabaseFile(std::span<char>(bytes.data(), bytes.size()));
  const LoadedDatabase loaded(std::move(parsed.tables), parsed.extension.extension);
  const LoadedDatabase& db = loaded.network();
  struct Case {
    const char* from;
    const char* to;
    int32_t after;
    int32_t journeys;
  } cases[] = {
      {"北京", "上海", 480, 1},   // D321: not D5 and two changes to the next D321
      {"北京", "沈阳", 1200, 3},  // with changes between the city's stations
      {"沈阳", "上海", 480, 2},
      // The direct train, and overnight by 南京, 天津 and 秦皇岛 with three
      // changes, earlier.
      {"上海", "北京", 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " " + c.to);
    const StationIndex from = *db.findStation(gbk(c.from));
    const StationIndex to = *db.findStation(gbk(c.to));
    const JourneyRequest request{c.after, 3, 10, 0};
    const std::vector<Journey> found = paretoJourneys(db, from, to, request);
    EXPECT_EQ(static_cast<int32_t>(found.size()), c.journeys);
    for (const Journey& journey : found) {
      const auto wrong = test::whyNotTravelled(db.tables(), from, to, request, journey);
      EXPECT_FALSE(wrong.has_value()) << *wrong;
    }
  }
}
#endif

// ---------------------------------------------------------------------------
// Statuses

TEST(JourneyPlannerTest, StatusesInTheirOrder) {
  const LoadedDatabase db(test::workedExampleDb());
  const auto plan = [&db](const char* from, const char* to, JourneyRequest request) {
    return test::outcomeOf(planJourneys(db, gbk(from), gbk(to), request));
  };
  const JourneyRequest fine{480, 3, 10, 0};
  struct Case {
    const char* from;
    const char* to;
    JourneyRequest request;
    test::Outcome outcome;
  } cases[] = {
      {"北京", "天津", fine, 1},
      {"北京", "北京", fine, QueryStatus::kSameStation},
      {"上海", "上海", fine, QueryStatus::kSameStation},
      {"上海", "广州", fine, QueryStatus::kUnknownOrigin},
      {"北京", "广州", fine, QueryStatus::kUnknownDestination},
      // Numbers out of range are reported before any name.
      {"上海", "上海", {-1, 3, 10, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "天津", {1440, 3, 10, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "天津", {0, -1, 10, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "天津", {0, 8, 10, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "天津", {0, 7, -1, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "天津", {0, 7, 1440, 0}, QueryStatus::kArgumentOutOfRange},
      {"北京", "广州", {0, 0, 1439, -1}, QueryStatus::kArgumentOutOfRange},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plan(c.from, c.to, c.request), c.outcome) << c.from << " " << c.to;
  }
  EXPECT_EQ(planJourneys(db, gbk("北京"), gbk("天津"), {0, 0, 0, -1}).text, "");

  for (const auto board : {departureBoard, arrivalBoard}) {
    EXPECT_EQ(test::outcomeOf(board(db, gbk("北京"), 0, 0)), 1);
    EXPECT_EQ(test::outcomeOf(board(db, gbk("上海"), 0, 0)), QueryStatus::kUnknownStation);
    EXPECT_EQ(test::outcomeOf(board(db, gbk("上海"), -1, 0)), QueryStatus::kArgumentOutOfRange);
    EXPECT_EQ(test::outcomeOf(board(db, gbk("北京"), 1440, 0)), QueryStatus::kArgumentOutOfRange);
    EXPECT_EQ(test::outcomeOf(board(db, gbk("北京"), 0, -1)), QueryStatus::kArgumentOutOfRange);
    EXPECT_EQ(test::outcomeOf(board(LoadedDatabase(), gbk("北京"), 0, 0)),
              QueryStatus::kUnknownStation);
  }
}

}  // namespace
}  // namespace murlo
