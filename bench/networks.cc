#include "networks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <numeric>
#include <tuple>

#include "db/loader.h"
#include "generate/random_source.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/station_lookup.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::bench {
namespace {

constexpr uint64_t kSeed = 1;

// A scratch directory for the database files, removed at exit.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "murlo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("murlo bench: mkdtemp");
      std::exit(EXIT_FAILURE);
    }
    dir_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

const std::string& scratchDir() {
  static const Scratch scratch;
  return scratch.dir();
}

// UTF-16 of a GBK argument, zero-terminated, as a host passes it.
std::basic_string<murlo_char16> argumentOf(std::string_view gbk) {
  std::u16string units;
  gbkToUtf16(gbk, units);
  return std::basic_string<murlo_char16>(units.begin(), units.end());
}

// The finding of the C interface floors: the rows an answer is made of,
// located and read, and no text written (what SQLite's "rows only" does).
void readCalls(const LoadedDatabase& db, StationIndex station) {
  const CallList calls = db.tables().callsAt(station);
  for (int32_t j = 0; j < calls.size(); ++j) {
    const std::optional<TrainView> train = db.tables().trainCalled(calls[j]);
    if (train) benchmark::DoNotOptimize(train->stops[calls[j].stopPosition()].departureMinutes());
  }
}
void readStops(const TimetableDb& tables, const StopList& stops) {
  for (StopPosition k(0); stops.holds(k); ++k) {
    const StopRecord stop = stops[k];
    benchmark::DoNotOptimize(tables.stationName(stop.stationIndex()));
    benchmark::DoNotOptimize(stop.arrivalMinutes() + stop.departureMinutes() + stop.distanceKm());
  }
}

// A buffer for a second output (the stop list's running time).
murlo_char16* runTimeBuffer() {
  static thread_local murlo_char16 units[64];
  return units;
}

// The count of the structured answer in `*taken`, the answer freed; -1 for a
// failed question. (`*taken` is read after the question, whatever the order in
// which the arguments are evaluated.)
template <typename Answer>
int64_t countOf(murlo_status status, Answer** taken, void (*free)(Answer*)) {
  if (status != MURLO_STATUS_OK) return -1;
  Answer* const answer = *taken;
  const auto count = static_cast<int64_t>(answer->count);
  free(answer);
  return count;
}

Outcome outcomeOf(QueryResult result) {
  return Outcome{result.status, result.count, std::move(result.text), {}};
}
// Kept UTF-16 pieces as GBK text, to compare with SQLite's.
Outcome outcomeOf(const Utf16Answer& result) {
  Outcome outcome{result.status, result.count, {}, {}};
  for (const Utf16Piece& piece : result.pieces) {
    utf16ToGbk(piece.str(), outcome.text);
    if (result.terminator != 0) outcome.text += static_cast<char>(result.terminator);
  }
  return outcome;
}
Outcome outcomeOf(StopListResult result) {
  return Outcome{QueryStatus::kOk, result.stops, std::move(result.stopList),
                 std::move(result.runTime)};
}

QueryCase stationsCase(std::string variant, std::string prefix) {
  return {
      "stations",
      std::move(variant),
      "\"" + prefix + "\"",
      [prefix](const LoadedDatabase& db) { return outcomeOf(stationsByAbbreviation(db, prefix)); },
      [prefix](SqliteTimetable& sql) { return outcomeOf(sql.stationsByAbbreviation(prefix)); },
      [typed = argumentOf(prefix)](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
        return murlo_find_stations(typed.c_str(), out, capacity, needed);
      },
      [typed = utf8(prefix)](const murlo_db* db) {
        murlo_stations* answer = nullptr;
        return countOf(murlo_db_stations(db, typed.c_str(), &answer), &answer, murlo_stations_free);
      },
      [prefix](const LoadedDatabase& db) {
        for (const StationIndex s :
             db.indexes().stationsWithAbbreviationPrefix(db.tables(), prefix)) {
          benchmark::DoNotOptimize(db.tables().stationName(s));
        }
      },
      0,
      ""};
}

QueryCase atCase(std::string variant, std::string argument, std::string name) {
  return {"at",
          std::move(variant),
          std::move(argument),
          [name](const LoadedDatabase& db) { return outcomeOf(trainsAtStation(db, name)); },
          [name](SqliteTimetable& sql) { return outcomeOf(sql.trainsAtStation(name)); },
          [typed = argumentOf(name)](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
            return murlo_trains_at_station(typed.c_str(), out, capacity, needed);
          },
          [typed = utf8(name)](const murlo_db* db) {
            murlo_rides* answer = nullptr;
            return countOf(murlo_db_trains_at_station(db, typed.c_str(), &answer), &answer,
                           murlo_rides_free);
          },
          [name](const LoadedDatabase& db) {
            if (const auto station = db.findStation(name)) readCalls(db, *station);
          },
          0,
          ""};
}

QueryCase directCase(std::string variant, std::string argument, std::string from, std::string to) {
  return {"direct",
          std::move(variant),
          std::move(argument),
          [from, to](const LoadedDatabase& db) { return outcomeOf(directTrains(db, from, to, 0)); },
          [from, to](SqliteTimetable& sql) { return outcomeOf(sql.directTrains(from, to, 0)); },
          [a = argumentOf(from), b = argumentOf(to)](murlo_char16* out, std::size_t capacity,
                                                     std::size_t* needed) {
            return murlo_direct_trains(a.c_str(), b.c_str(), 0, out, capacity, needed);
          },
          [a = utf8(from), b = utf8(to)](const murlo_db* db) {
            murlo_rides* answer = nullptr;
            return countOf(murlo_db_direct_trains(db, a.c_str(), b.c_str(), &answer), &answer,
                           murlo_rides_free);
          },
          [from, to](const LoadedDatabase& db) {
            const auto a = db.findStation(from);
            const auto b = db.findStation(to);
            if (a && b) {
              readCalls(db, *a);
              readCalls(db, *b);
            }
          },
          0,
          ""};
}

QueryCase stopsCase(std::string variant, std::string argument, int64_t train, std::string boarding,
                    std::string alighting) {
  return {"stops",
          std::move(variant),
          std::move(argument),
          [=](const LoadedDatabase& db) {
            return outcomeOf(
                trainStopList(db, TrainIndex(static_cast<int32_t>(train)), boarding, alighting));
          },
          [=](SqliteTimetable& sql) {
            return outcomeOf(sql.trainStopList(train, boarding, alighting));
          },
          [train, a = argumentOf(boarding), b = argumentOf(alighting)](
              murlo_char16* out, std::size_t capacity, std::size_t* needed) {
            std::size_t timeNeeded = 0;
            return murlo_train_stops(static_cast<uint32_t>(train), a.c_str(), b.c_str(), out,
                                     capacity, needed, runTimeBuffer(), 64, &timeNeeded);
          },
          [train, a = utf8(boarding), b = utf8(alighting)](const murlo_db* db) {
            murlo_stops* answer = nullptr;
            return countOf(murlo_db_train_stops(db, static_cast<uint32_t>(train), a.c_str(),
                                                b.c_str(), &answer),
                           &answer, murlo_stops_free);
          },
          [train](const LoadedDatabase& db) {
            const auto stops = db.tables().stopsOf(TrainIndex(static_cast<int32_t>(train)));
            if (stops) readStops(db.tables(), *stops);
          },
          0,
          ""};
}

QueryCase numberCase(std::string variant, std::string number) {
  return {
      "number",
      std::move(variant),
      "\"" + number + "\"",
      [number](const LoadedDatabase& db) { return outcomeOf(trainsByNumber(db, number)); },
      [number](SqliteTimetable& sql) { return outcomeOf(sql.trainsByNumber(number)); },
      [typed = argumentOf(number)](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
        return murlo_trains_by_number(typed.c_str(), out, capacity, needed);
      },
      [typed = utf8(number)](const murlo_db* db) {
        murlo_rides* answer = nullptr;
        return countOf(murlo_db_trains_by_number(db, typed.c_str(), &answer), &answer,
                       murlo_rides_free);
      },
      [number](const LoadedDatabase& db) {
        for (const TrainIndex t : db.indexes().trainsWithNumberForms(db.tables(), number)) {
          benchmark::DoNotOptimize(db.tables().train(t));
        }
      },
      0,
      ""};
}

QueryCase departuresCase(std::string variant, std::string argument, std::string name, int32_t after,
                         int32_t limit) {
  return {
      "departures",
      std::move(variant),
      std::move(argument),
      [=](const LoadedDatabase& db) { return outcomeOf(departureBoard(db, name, after, limit)); },
      [=](SqliteTimetable& sql) { return outcomeOf(sql.departures(name, after, limit)); },
      [=, typed = argumentOf(name)](murlo_char16* out, std::size_t capacity, std::size_t* needed) {
        return murlo_departures(typed.c_str(), after, limit, out, capacity, needed);
      },
      [=, typed = utf8(name)](const murlo_db* db) {
        murlo_rides* answer = nullptr;
        return countOf(murlo_db_departures(db, typed.c_str(), after, limit, &answer), &answer,
                       murlo_rides_free);
      },
      [name](const LoadedDatabase& db) { benchmark::DoNotOptimize(db.findStation(name)); },
      0,
      ""};
}

// Journeys have no SQLite side: a recursive query over every departure would
// not be the baseline anyone writes.
QueryCase journeysCase(std::string variant, std::string argument, std::string from, std::string to,
                       JourneyRequest request) {
  return {"journeys",
          std::move(variant),
          std::move(argument),
          [=](const LoadedDatabase& db) { return outcomeOf(planJourneys(db, from, to, request)); },
          nullptr,
          [=, a = argumentOf(from), b = argumentOf(to)](murlo_char16* out, std::size_t capacity,
                                                        std::size_t* needed) {
            return murlo_plan_journeys(a.c_str(), b.c_str(), request.afterMinute,
                                       request.maxChanges, request.minChangeMinutes, request.limit,
                                       out, capacity, needed);
          },
          [=, a = utf8(from), b = utf8(to)](const murlo_db* db) {
            murlo_journeys* answer = nullptr;
            return countOf(murlo_db_plan_journeys(db, a.c_str(), b.c_str(), request.afterMinute,
                                                  request.maxChanges, request.minChangeMinutes,
                                                  request.limit, &answer),
                           &answer, murlo_journeys_free);
          },
          [from, to](const LoadedDatabase& db) {
            benchmark::DoNotOptimize(db.findStation(from));
            benchmark::DoNotOptimize(db.findStation(to));
          },
          0,
          ""};
}

std::vector<std::string> numbersOf(const std::string& entry) {
  std::vector<std::string> numbers;
  for (std::size_t begin = 0; begin <= entry.size();) {
    const std::size_t end = std::min(entry.find('/', begin), entry.size());
    numbers.push_back(entry.substr(begin, end - begin));
    begin = end + 1;
  }
  return numbers;
}

// The questions a traveller would ask of this network, found in it.
std::vector<QueryCase> chooseCases(const Network& network) {
  const source::Timetable& t = network.timetable;
  const LoadedDatabase& db = *network.db;
  std::vector<int> calls(t.stations.size(), 0);
  for (const TrainSpec& train : t.trains) {
    for (const StopSpec& stop : train.stops) ++calls[static_cast<std::size_t>(stop.station)];
  }
  // Stations from the busiest down.
  std::vector<int32_t> byCalls(t.stations.size());
  std::iota(byCalls.begin(), byCalls.end(), 0);
  std::stable_sort(byCalls.begin(), byCalls.end(), [&](int32_t a, int32_t b) {
    return calls[static_cast<std::size_t>(a)] > calls[static_cast<std::size_t>(b)];
  });
  const auto name = [&](int32_t s) { return t.stations[static_cast<std::size_t>(s)].name; };
  const auto callCount = [&](int32_t s) { return calls[static_cast<std::size_t>(s)]; };
  const int32_t hub = byCalls.front();
  const std::size_t medianRank = byCalls.size() / 2;
  const int32_t minor = byCalls[medianRank];
  const auto direct = [&](int32_t a, int32_t b) { return directTrains(db, name(a), name(b), 0); };

  std::vector<QueryCase> cases;
  const std::string& abbreviation = t.stations[static_cast<std::size_t>(hub)].abbreviation;
  cases.push_back(stationsCase("one-letter", abbreviation.substr(0, 1)));
  cases.push_back(stationsCase("two-letters", abbreviation.substr(0, 2)));

  cases.push_back(
      atCase("hub", "busiest station, " + std::to_string(callCount(hub)) + " calls", name(hub)));
  cases.push_back(atCase("minor", "median station, " + std::to_string(callCount(minor)) + " calls",
                         name(minor)));

  // Direct: the two of the twelve busiest stations with the most trains
  // between them; a minor station and one two stops on along its first train.
  {
    int32_t bestA = byCalls[0];
    int32_t bestB = byCalls[1];
    int32_t most = -1;
    for (std::size_t i = 0; i < 12; ++i) {
      for (std::size_t j = 0; j < 12; ++j) {
        if (i == j) continue;
        const int32_t lines = direct(byCalls[i], byCalls[j]).count;
        if (lines > most) {
          most = lines;
          bestA = byCalls[i];
          bestB = byCalls[j];
        }
      }
    }
    cases.push_back(directCase("hub-hub", "two busy stations", name(bestA), name(bestB)));
  }
  {
    int32_t destination = -1;
    for (const TrainSpec& train : t.trains) {
      for (std::size_t k = 0; k + 2 < train.stops.size() && destination < 0; ++k) {
        if (train.stops[k].station == minor) destination = train.stops[k + 2].station;
      }
      if (destination >= 0) break;
    }
    cases.push_back(
        directCase("minor-minor", "median station, two stops on", name(minor), name(destination)));
  }
  // Changes: from the median station (and from the busiest) to the first
  // station near the median that no train links directly.
  const auto changeFrom = [&](int32_t origin) {
    for (std::size_t i = 1; i < byCalls.size(); ++i) {
      const std::size_t rank = i % 2 == 0 ? medianRank + i / 2 : medianRank - (i + 1) / 2;
      if (rank >= byCalls.size()) continue;
      const int32_t candidate = byCalls[rank];
      if (candidate == origin) continue;
      const QueryResult result = direct(origin, candidate);
      if (result.status == QueryStatus::kOk && result.count == 0 && !result.text.empty()) {
        return candidate;
      }
    }
    return -1;
  };
  const int32_t minorChange = changeFrom(minor);
  // The busiest station that some station cannot reach directly (on a small
  // network the very busiest reaches them all).
  int32_t busy = -1;
  int32_t busyChange = -1;
  for (std::size_t rank = 0; rank < byCalls.size() && busyChange < 0; ++rank) {
    busy = byCalls[rank];
    busyChange = changeFrom(busy);
  }
  if (minorChange < 0 || busyChange < 0) {
    std::cerr << "murlo bench: no station pair needs a change in " << network.name << '\n';
    std::exit(EXIT_FAILURE);
  }
  cases.push_back(directCase("change-minor", "median station to one with no direct train",
                             name(minor), name(minorChange)));
  cases.push_back(directCase(
      "change-hub",
      "station with " + std::to_string(callCount(busy)) + " calls to one with no direct train",
      name(busy), name(busyChange)));

  // Stop lists: a train of median length and the longest, boarding and
  // alighting inside them.
  std::vector<std::size_t> byLength(t.trains.size());
  std::iota(byLength.begin(), byLength.end(), 0);
  std::stable_sort(byLength.begin(), byLength.end(), [&](std::size_t a, std::size_t b) {
    return t.trains[a].stops.size() < t.trains[b].stops.size();
  });
  const auto stopAt = [&](std::size_t train, std::size_t k) {
    return name(t.trains[train].stops[k].station);
  };
  {
    const std::size_t train = byLength[byLength.size() / 2];
    const std::size_t n = t.trains[train].stops.size();
    cases.push_back(stopsCase("typical", std::to_string(n) + " stops", static_cast<int64_t>(train),
                              stopAt(train, 1), stopAt(train, n - 2)));
  }
  {
    const std::size_t train = byLength.back();
    const std::size_t n = t.trains[train].stops.size();
    cases.push_back(stopsCase("longest", std::to_string(n) + " stops", static_cast<int64_t>(train),
                              stopAt(train, n / 4), stopAt(train, 3 * n / 4)));
  }

  // Numbers: the first K number as typed in full; the digits of the first G
  // number that three or more trains share (G123, K123, T123 ...).
  std::string prefixed;
  std::string digits;
  for (int wanted = 3; wanted >= 1 && digits.empty(); --wanted) {
    for (const TrainSpec& train : t.trains) {
      for (const std::string& number : numbersOf(train.number)) {
        if (prefixed.empty() && number[0] == 'K') prefixed = number;
        if (digits.empty() && number[0] == 'G' &&
            trainsByNumber(db, number.substr(1)).count >= wanted) {
          digits = number.substr(1);
        }
      }
      if (!prefixed.empty() && !digits.empty()) break;
    }
  }
  cases.push_back(numberCase("prefixed", prefixed));
  cases.push_back(numberCase("digits", digits));

  // A departure board of 20 lines at the busiest station at 08:00.
  cases.push_back(departuresCase("hub-20", "busiest station, 08:00, 20 lines", name(hub), 480, 20));

  // Journeys at 08:00 with at most 3 changes of at least 10 minutes: the
  // next 3, and the whole day; between the pairs of the change questions.
  for (const auto& [from, to, who] : {std::tuple{minor, minorChange, std::string("minor")},
                                      std::tuple{busy, busyChange, std::string("hub")}}) {
    const std::string pair = who == "minor" ? "median station to one with no direct train"
                                            : "busy station to one with no direct train";
    cases.push_back(journeysCase(who + "-3", pair + ", next 3", name(from), name(to),
                                 JourneyRequest{480, 3, 10, 3}));
    cases.push_back(journeysCase(who + "-day", pair + ", whole day", name(from), name(to),
                                 JourneyRequest{480, 3, 10, 0}));
  }

  for (QueryCase& c : cases) {
    c.work = c.ours(db).count;
    c.workUnit = c.kind == "stations"   ? "name"
                 : c.kind == "stops"    ? "stop"
                 : c.kind == "journeys" ? "journey"
                                        : "line";
  }
  // The change questions scan stops instead.
  const auto scanned = [&](int32_t origin, int32_t destination) {
    double stops = 0;
    for (const TrainSpec& train : t.trains) {
      for (std::size_t k = 0; k < train.stops.size(); ++k) {
        if (train.stops[k].station == origin)
          stops += static_cast<double>(train.stops.size() - 1 - k);
        if (train.stops[k].station == destination) stops += static_cast<double>(k);
      }
    }
    return stops;
  };
  for (QueryCase& c : cases) {
    if (c.variant == "change-minor") c.work = scanned(minor, minorChange);
    if (c.variant == "change-hub") c.work = scanned(busy, busyChange);
    if (c.variant.rfind("change-", 0) == 0) c.workUnit = "stop scanned";
  }
  return cases;
}

void failOnDifference(const Network& network, const std::string& what, const Outcome& ours,
                      const Outcome& sqlite) {
  if (ours == sqlite) return;
  std::cerr << "murlo bench: SQLite and the library differ on " << network.name << ", " << what
            << "\n  library: " << static_cast<int>(ours.status) << " " << ours.count << " "
            << utf8(ours.text).substr(0, 600) << " " << ours.more
            << "\n  sqlite:  " << static_cast<int>(sqlite.status) << " " << sqlite.count << " "
            << utf8(sqlite.text).substr(0, 600) << " " << sqlite.more << '\n';
  std::exit(EXIT_FAILURE);
}

// Every case, and random questions of every kind, give the same outcome on
// both engines.
void checkSameAnswers(const Network& network, SqliteTimetable& sql) {
  for (const QueryCase& c : network.cases) {
    if (!c.sqlite) continue;
    failOnDifference(network, c.kind + "/" + c.variant, c.ours(*network.db), c.sqlite(sql));
  }
  const source::Timetable& t = network.timetable;
  const LoadedDatabase& db = *network.db;
  generate::RandomSource random(99);
  const auto station = [&]() -> const std::string& {
    return t.stations[random.below(static_cast<uint32_t>(t.stations.size()))].name;
  };
  const auto trainIndex = [&]() { return random.below(static_cast<uint32_t>(t.trains.size())); };
  for (int round = 0; round < 40; ++round) {
    const std::string& a = station();
    const std::string& b = station();
    const std::string abbreviation =
        t.stations[random.below(static_cast<uint32_t>(t.stations.size()))].abbreviation.substr(
            0, 1 + random.below(2));
    failOnDifference(network, "stations " + abbreviation,
                     outcomeOf(stationsByAbbreviation(db, abbreviation)),
                     outcomeOf(sql.stationsByAbbreviation(abbreviation)));
    failOnDifference(network, "at " + utf8(a), outcomeOf(trainsAtStation(db, a)),
                     outcomeOf(sql.trainsAtStation(a)));
    failOnDifference(network, "direct " + utf8(a) + " " + utf8(b),
                     outcomeOf(directTrains(db, a, b, round % 2)),
                     outcomeOf(sql.directTrains(a, b, round % 2)));
    const uint32_t train = trainIndex();
    const auto& stops = t.trains[train].stops;
    const std::string& boarding =
        t.stations[static_cast<std::size_t>(
                       stops[random.below(static_cast<uint32_t>(stops.size()))].station)]
            .name;
    failOnDifference(
        network, "stops " + std::to_string(train),
        outcomeOf(trainStopList(db, TrainIndex(static_cast<int32_t>(train)), boarding, b)),
        outcomeOf(sql.trainStopList(train, boarding, b)));
    std::string number = numbersOf(t.trains[trainIndex()].number).front();
    if (round % 2 == 1) number.erase(0, number.find_first_of("0123456789"));
    failOnDifference(network, "number " + number, outcomeOf(trainsByNumber(db, number)),
                     outcomeOf(sql.trainsByNumber(number)));
    const auto after = static_cast<int32_t>(random.below(1440));
    const auto limit = static_cast<int32_t>(random.below(3) == 0 ? 0 : random.below(30));
    failOnDifference(
        network,
        "departures " + utf8(a) + " " + std::to_string(after) + " " + std::to_string(limit),
        outcomeOf(departureBoard(db, a, after, limit)), outcomeOf(sql.departures(a, after, limit)));
  }
}

std::unique_ptr<Network> makeNetwork(generate::NetworkSize size) {
  auto network = std::make_unique<Network>();
  network->size = size;
  network->name = std::string(generate::nameOf(size));
  network->timetable = generate::generateNetwork(size, kSeed);
  std::string file;
  if (const auto error = source::compileTimetable(network->timetable, file)) {
    std::cerr << "murlo bench: " << error->message() << '\n';
    std::exit(EXIT_FAILURE);
  }
  network->path = scratchDir() + "/" + network->name + ".db";
  std::ofstream(network->path, std::ios::binary)
      .write(file.data(), static_cast<std::streamsize>(file.size()));
  network->fileBytes = file.size();
  if (loadDatabase(network->path, network->db) != LoadResult::kLoaded) {
    std::cerr << "murlo bench: cannot load " << network->path << '\n';
    std::exit(EXIT_FAILURE);
  }
  network->cases = chooseCases(*network);
  return network;
}

}  // namespace

const std::vector<VariantName>& queryVariants() {
  static const std::vector<VariantName> variants = {
      {"stations", "one-letter"},
      {"stations", "two-letters"},
      {"at", "hub"},
      {"at", "minor"},
      {"direct", "hub-hub"},
      {"direct", "minor-minor"},
      {"direct", "change-minor"},
      {"direct", "change-hub"},
      {"stops", "typical"},
      {"stops", "longest"},
      {"number", "prefixed"},
      {"number", "digits"},
      {"departures", "hub-20"},
      {"journeys", "minor-3"},
      {"journeys", "minor-day"},
      {"journeys", "hub-3"},
      {"journeys", "hub-day"},
  };
  return variants;
}

SqliteTimetable& Network::sqlite() const {
  if (!sqlite_) {
    sqlite_ = std::make_unique<SqliteTimetable>(timetable);
    checkSameAnswers(*this, *sqlite_);
  }
  return *sqlite_;
}

const QueryCase& Network::queryCase(const std::string& kind, const std::string& variant) const {
  for (const QueryCase& c : cases) {
    if (c.kind == kind && c.variant == variant) return c;
  }
  std::cerr << "murlo bench: no case " << kind << "/" << variant << '\n';
  std::exit(EXIT_FAILURE);
}

const Network& network(generate::NetworkSize size) {
  static std::map<generate::NetworkSize, std::unique_ptr<Network>> networks;
  auto& slot = networks[size];
  if (!slot) slot = makeNetwork(size);
  return *slot;
}

std::string utf8(std::string_view gbk) {
  std::u16string units;
  gbkToUtf16(gbk, units);
  std::string text;
  utf16ToUtf8(units, text);
  return text;
}

}  // namespace murlo::bench
