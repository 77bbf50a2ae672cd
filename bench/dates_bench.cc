// Dates: a generated network with a calendar of realistic service patterns
// (generate/service_patterns.h) written whole into one file, and for a
// sampled weekday, Saturday and holiday a file of that day's trains alone;
// the same questions asked of both through the C interface, side by side.
//
// The day's file mirrors the dated answers test: every train with a call on
// the day, each call open where the run it belongs to runs (a departure by
// the run whose day it falls on, an arrival likewise, so yesterday's runs
// past midnight board and alight after it), no calendar. Stations that no
// train calls at that day go last, as the sections require.
#include "dates_bench.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/civil_day.h"
#include "db/day_rollover.h"
#include "db/file_reader.h"
#include "db/loader.h"
#include "db/timetable_builder.h"
#include "db/writer.h"
#include "generate/network_generator.h"
#include "generate/service_patterns.h"
#include "murloppc.h"
#include "networks.h"
#include "process_measures.h"
#include "timetable_source/timetable_source.h"

namespace murlo::bench {
namespace {

constexpr uint64_t kSeed = 1;

// The days sampled, by the service they run.
constexpr const char* kDayKinds[] = {"weekday", "saturday", "holiday"};

struct DayFile {
  int32_t date = 0;  // YYYYMMDD
  std::string path;
  std::size_t bytes = 0;
  std::size_t trains = 0;  // the trains with a call open on the day
  murlo_db* db = nullptr;
};

struct DatedNetwork {
  std::string name;
  std::size_t trains = 0;
  std::size_t stations = 0;
  int32_t days = 0;
  std::size_t patterns = 0;
  std::string path;  // the whole period
  std::size_t bytes = 0;
  murlo_db* db = nullptr;
  std::map<std::string, DayFile> dayFiles;  // by kDayKinds
  // The questions' stations (UTF-8): the busiest and the busiest other it
  // reaches directly; the journeys' ends (see makeDatedNetwork).
  std::string hub;
  std::string hubDirect;
  std::string journeyFrom;
  std::string journeyTo;
};

std::string writeFile(const std::string& name, const std::string& bytes) {
  static const std::string dir = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "murlo-dates-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("murlo bench: mkdtemp");
      std::exit(EXIT_FAILURE);
    }
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return pattern;
  }();
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

murlo_db* openOrExit(const std::string& path) {
  murlo_db* db = nullptr;
  if (murlo_db_open(path.c_str(), &db) != MURLO_STATUS_OK) {
    std::cerr << "murlo bench: the library cannot open " << path << '\n';
    std::exit(EXIT_FAILURE);
  }
  return db;
}

// Each stop's departure and arrival as minutes of the run (db/day_rollover.h):
// the first departure at its time, the first arrival after it, each later
// arrival after the one before, each departure after its own arrival.
struct RunMinutes {
  std::vector<int64_t> arrival;
  std::vector<int64_t> departure;
};
RunMinutes runMinutes(const TrainSpec& train) {
  RunMinutes m;
  const std::size_t n = train.stops.size();
  m.arrival.resize(n);
  m.departure.resize(n);
  m.departure[0] = m.arrival[0] = train.stops[0].departure;
  for (std::size_t k = 1; k < n; ++k) {
    const int64_t from = k == 1 ? m.departure[0] : m.arrival[k - 1];
    const int32_t fromMinute = static_cast<int32_t>(from % kMinutesPerDay);
    m.arrival[k] = from + stepMinutes(fromMinute, train.stops[k].arrival);
    m.departure[k] = m.arrival[k] + stepMinutes(train.stops[k].arrival, train.stops[k].departure);
  }
  return m;
}

// The bytes of the file of day `day` of the period: see the file comment.
std::string dayFileBytes(const source::Timetable& t, const ServiceCalendar& calendar, int32_t day,
                         std::size_t& trains) {
  std::vector<TrainSpec> dayTrains;
  std::vector<bool> called(t.stations.size(), false);
  for (std::size_t i = 0; i < t.trains.size(); ++i) {
    TrainSpec train = t.trains[i];
    const RunMinutes m = runMinutes(train);
    const auto runs = [&](int64_t minute) {
      return calendar.runsOn(TrainIndex(static_cast<int32_t>(i)), day - runDayOf(minute));
    };
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      StopSpec& stop = train.stops[k];
      stop.board = k + 1 < train.stops.size() && runs(m.departure[k]);
      stop.alight = k > 0 && runs(m.arrival[k]);
      if (k == 0) stop.alight = stop.board;
      if (k + 1 == train.stops.size()) stop.board = stop.alight;
    }
    // A train needs a ride on the day: a boarding before an alighting.
    bool ride = false;
    bool boarded = false;
    for (const StopSpec& stop : train.stops) {
      if (boarded && stop.alight) ride = true;
      boarded = boarded || stop.board;
    }
    if (!ride) continue;
    for (const StopSpec& stop : train.stops) called[static_cast<std::size_t>(stop.station)] = true;
    dayTrains.push_back(std::move(train));
  }
  // Stations without a call last, the trains' stops renumbered to match;
  // beyond the sections' 10,000 trains, those the sections' trains call at
  // first (buildDatabase).
  std::vector<bool> sectionsCall(t.stations.size(), false);
  for (std::size_t i = 0; i < dayTrains.size() && i < static_cast<std::size_t>(kMaxTrains); ++i)
    for (const StopSpec& stop : dayTrains[i].stops)
      sectionsCall[static_cast<std::size_t>(stop.station)] = true;
  std::vector<int32_t> renumbered(t.stations.size());
  std::vector<StationSpec> stations;
  for (const int level : {2, 1, 0}) {
    for (std::size_t s = 0; s < t.stations.size(); ++s) {
      if ((sectionsCall[s] ? 2 : called[s] ? 1 : 0) != level) continue;
      renumbered[s] = static_cast<int32_t>(stations.size());
      stations.push_back(t.stations[s]);
    }
  }
  for (TrainSpec& train : dayTrains) {
    for (StopSpec& stop : train.stops)
      stop.station = renumbered[static_cast<std::size_t>(stop.station)];
  }
  trains = dayTrains.size();
  const DatabaseParts parts = buildDatabase(t.header, stations, dayTrains, {});
  std::string bytes;
  if (const auto error = writeDatabaseBytes(parts.lists, parts.extension, bytes)) {
    std::cerr << "murlo bench: the day's file does not write: " << error->message() << '\n';
    std::exit(EXIT_FAILURE);
  }
  return bytes;
}

DatedNetwork makeDatedNetwork(const std::string& name, generate::NetworkShape shape, int32_t days) {
  DatedNetwork n;
  n.name = name;
  source::Timetable t;
  try {
    t = generate::generateNetwork(shape, kSeed, "GEN-DATES");
  } catch (const std::invalid_argument& error) {
    std::cerr << "murlo bench: no network of " << shape.trains << " trains: " << error.what()
              << '\n';
    std::exit(EXIT_FAILURE);
  }
  generate::CalendarShape calendarShape;
  calendarShape.days = days;
  const generate::GeneratedCalendar generated = generate::generateCalendar(t, calendarShape, kSeed);
  t.network.calendar = generated.calendar;
  const ServiceCalendar& calendar = t.network.calendar;
  // The days sampled: a weekday and a Saturday in the period's second week
  // (a train that set out the day before may run on), and its first holiday.
  const auto dayOfWeek = [&](int32_t weekday) {
    for (int32_t d = 7; d < calendar.dayCount; ++d) {
      const bool holiday = std::find(generated.holidays.begin(), generated.holidays.end(), d) !=
                           generated.holidays.end();
      if (!holiday && weekdayOf(calendar.firstDay + d) == weekday) return d;
    }
    return 0;
  };
  const std::map<std::string, int32_t> sampled = {
      {"weekday", dayOfWeek(2)},
      {"saturday", dayOfWeek(5)},
      {"holiday", generated.holidays.empty() ? dayOfWeek(6) : generated.holidays.front()}};
  // More trains than the sections hold: they hold the sampled weekday's,
  // the extension the others (as an import of such a period writes them).
  if (t.trains.size() > static_cast<std::size_t>(kMaxTrains))
    generate::sectionsDayFirst(t, sampled.at("weekday"));
  std::string bytes;
  if (const auto error = source::compileTimetable(t, bytes)) {
    std::cerr << "murlo bench: the period's file does not compile: " << error->message() << '\n';
    std::exit(EXIT_FAILURE);
  }
  n.trains = t.trains.size();
  n.stations = t.stations.size();
  n.days = calendar.dayCount;
  n.patterns = calendar.patterns.size();
  n.path = writeFile(name + "-period.db", bytes);
  n.bytes = bytes.size();
  n.db = openOrExit(n.path);

  for (const auto& [kind, day] : sampled) {
    DayFile f;
    f.date = numberOfCivilDay(calendar.firstDay + day);
    const std::string dayBytes = dayFileBytes(t, calendar, day, f.trains);
    f.path = writeFile(name + "-" + kind + ".db", dayBytes);
    f.bytes = dayBytes.size();
    f.db = openOrExit(f.path);
    n.dayFiles[kind] = f;
  }

  // The stations of the questions, by calls over the whole network.
  std::vector<std::size_t> calls(t.stations.size(), 0);
  for (const TrainSpec& train : t.trains)
    for (const StopSpec& stop : train.stops) ++calls[static_cast<std::size_t>(stop.station)];
  std::vector<std::size_t> byCalls(t.stations.size());
  for (std::size_t s = 0; s < byCalls.size(); ++s) byCalls[s] = s;
  std::stable_sort(byCalls.begin(), byCalls.end(),
                   [&](std::size_t a, std::size_t b) { return calls[a] > calls[b]; });
  // The stations `from` reaches without a change.
  const auto reached = [&](std::size_t from) {
    std::vector<bool> direct(t.stations.size(), false);
    for (const TrainSpec& train : t.trains) {
      bool passed = false;
      for (const StopSpec& stop : train.stops) {
        if (passed) direct[static_cast<std::size_t>(stop.station)] = true;
        passed = passed || static_cast<std::size_t>(stop.station) == from;
      }
    }
    return direct;
  };
  const std::size_t hub = byCalls[0];
  n.hub = utf8(t.stations[hub].name);
  const std::vector<bool> fromHub = reached(hub);
  for (std::size_t rank = 1; rank < byCalls.size() && n.hubDirect.empty(); ++rank) {
    if (fromHub[byCalls[rank]]) n.hubDirect = utf8(t.stations[byCalls[rank]].name);
  }
  // Journeys: from the busiest station that some station cannot be reached
  // from directly (on a small network the very busiest reaches them all), to
  // the busiest of those.
  for (std::size_t rank = 0; rank < byCalls.size() && n.journeyTo.empty(); ++rank) {
    const std::vector<bool> direct = reached(byCalls[rank]);
    for (const std::size_t s : byCalls) {
      if (s == byCalls[rank] || direct[s]) continue;
      n.journeyFrom = utf8(t.stations[byCalls[rank]].name);
      n.journeyTo = utf8(t.stations[s].name);
      break;
    }
  }
  if (n.hubDirect.empty() || n.journeyTo.empty()) {
    std::cerr << "murlo bench: no direct train from the busiest station, or no change needed\n";
    std::exit(EXIT_FAILURE);
  }
  return n;
}

struct Sizes {
  generate::NetworkShape national;
  int32_t nationalDays = 180;
};
Sizes& sizes() {
  static Sizes s;
  return s;
}

const DatedNetwork& datedNetwork(const std::string& name) {
  static std::map<std::string, std::unique_ptr<DatedNetwork>> made;
  std::unique_ptr<DatedNetwork>& slot = made[name];
  if (!slot) {
    slot = std::make_unique<DatedNetwork>(
        name == "small"
            ? makeDatedNetwork(name, generate::shapeOf(generate::NetworkSize::kSmall), 180)
            : makeDatedNetwork(name, sizes().national, sizes().nationalDays));
  }
  return *slot;
}

// ---- The questions --------------------------------------------------------

// A question of a handle for a date (MURLO_NO_DATE on a day's file): the
// count of its answer, -1 when it failed.
using Question = int64_t (*)(const DatedNetwork& n, const murlo_db* db, int32_t date);

// (`*taken` is read after the question, whatever the order in which the
// arguments are evaluated.)
int64_t ridesCount(murlo_status status, murlo_rides** taken) {
  murlo_rides* const rides = *taken;
  const int64_t count = status == MURLO_STATUS_OK ? static_cast<int64_t>(rides->count) : -1;
  murlo_rides_free(rides);
  return count;
}

int64_t departures20(const DatedNetwork& n, const murlo_db* db, int32_t date) {
  murlo_rides* rides = nullptr;
  return ridesCount(murlo_db_departures_on(db, n.hub.c_str(), date, 480, 20, &rides), &rides);
}
int64_t departuresDay(const DatedNetwork& n, const murlo_db* db, int32_t date) {
  murlo_rides* rides = nullptr;
  return ridesCount(murlo_db_departures_on(db, n.hub.c_str(), date, 0, 0, &rides), &rides);
}
int64_t arrivals20(const DatedNetwork& n, const murlo_db* db, int32_t date) {
  murlo_rides* rides = nullptr;
  return ridesCount(murlo_db_arrivals_on(db, n.hub.c_str(), date, 480, 20, &rides), &rides);
}
int64_t direct(const DatedNetwork& n, const murlo_db* db, int32_t date) {
  murlo_rides* rides = nullptr;
  return ridesCount(murlo_db_direct_trains_on(db, n.hub.c_str(), n.hubDirect.c_str(), date, &rides),
                    &rides);
}
int64_t journeys3(const DatedNetwork& n, const murlo_db* db, int32_t date) {
  const murlo_plan_options options{sizeof options, MURLO_PLAN_DEPART_AFTER, 480, 3, 10, 0, 3};
  murlo_journeys* journeys = nullptr;
  const murlo_status status =
      murlo_db_plan_on(db, n.journeyFrom.c_str(), n.journeyTo.c_str(), date, &options, &journeys);
  const int64_t count = status == MURLO_STATUS_OK ? static_cast<int64_t>(journeys->count) : -1;
  murlo_journeys_free(journeys);
  return count;
}

struct NamedQuestion {
  const char* name;
  Question ask;
};
constexpr NamedQuestion kQuestions[] = {
    {"departures-hub-20", departures20}, {"departures-hub-day", departuresDay},
    {"arrivals-hub-20", arrivals20},     {"direct-hub-hub", direct},
    {"journeys-hub-3", journeys3},
};

// Which file a question is asked of, and for what date.
enum class Asked {
  kPeriod,         // the whole-period file, for the day's date
  kPeriodUndated,  // the whole-period file for no date: every train every day
  kOneDay,         // the day's file, for no date
};

void questionBenchmark(benchmark::State& state, std::string network, std::string dayKind,
                       Question ask, Asked asked) {
  useMemory(Memory::kReused);
  const DatedNetwork& n = datedNetwork(network);
  const DayFile& day = n.dayFiles.at(dayKind);
  const murlo_db* db = asked == Asked::kOneDay ? day.db : n.db;
  const int32_t date = asked == Asked::kPeriod ? day.date : MURLO_NO_DATE;
  int64_t count = ask(n, db, date);  // what the handle keeps is made before the clock
  for (auto _ : state) {
    count = ask(n, db, date);
    benchmark::DoNotOptimize(count);
  }
  if (count < 0) state.SkipWithError("the question failed");
  state.counters["answers"] = static_cast<double>(count);
  state.counters["trains"] = static_cast<double>(asked == Asked::kOneDay ? day.trains : n.trains);
}

// Both in each iteration, so that they see the same state of the machine:
// the ratio of the period's CPU time to the day's, and whether both answer
// with as many lines.
void pairedQuestionBenchmark(benchmark::State& state, std::string network, std::string dayKind,
                             Question ask) {
  useMemory(Memory::kReused);
  const DatedNetwork& n = datedNetwork(network);
  const DayFile& day = n.dayFiles.at(dayKind);
  int64_t periodCount = ask(n, n.db, day.date);
  int64_t dayCount = ask(n, day.db, MURLO_NO_DATE);
  double periodSeconds = 0;
  double daySeconds = 0;
  for (auto _ : state) {
    const double start = cpuSeconds();
    periodCount = ask(n, n.db, day.date);
    const double middle = cpuSeconds();
    dayCount = ask(n, day.db, MURLO_NO_DATE);
    periodSeconds += middle - start;
    daySeconds += cpuSeconds() - middle;
    benchmark::DoNotOptimize(periodCount + dayCount);
  }
  state.SetLabel(std::to_string(day.date));
  state.counters["period_per_one_day"] = daySeconds > 0 ? periodSeconds / daySeconds : 0;
  state.counters["period_answers"] = static_cast<double>(periodCount);
  state.counters["one_day_answers"] = static_cast<double>(dayCount);
}

// ---- Loading and memory ---------------------------------------------------

void floorPass(benchmark::State& state, const std::string& path) {
  FileBytes bytes;
  if (readWholeFile(path, bytes) != ReadStatus::kOk) state.SkipWithError("read failed");
  uint64_t sum = 0;
  for (std::size_t i = 0; i < bytes.size; ++i) sum += static_cast<unsigned char>(bytes.data[i]);
  benchmark::DoNotOptimize(sum);
}

void loadOnce(benchmark::State& state, const std::string& path) {
  std::shared_ptr<const LoadedDatabase> db;
  if (loadDatabase(path, db) != LoadResult::kLoaded) state.SkipWithError("load failed");
  benchmark::DoNotOptimize(db);
}

// The file read into its tables and extension (db/loader.h), its stop
// records left in the file as a load leaves them, without the indexes and
// the network view a loaded database makes of them: where a load's time
// goes.
void readTablesOnce(benchmark::State& state, const std::string& path) {
  TimetableDb tables;
  NetworkExtension extension;
  RecordsInFile inFile;
  if (loadDatabaseFile(path, tables, extension, &inFile) != LoadResult::kLoaded) {
    state.SkipWithError("load failed");
  }
  benchmark::DoNotOptimize(tables);
  benchmark::DoNotOptimize(extension);
}

// The path of the whole-period file, or of the weekday's file.
const std::string& pathOf(const DatedNetwork& n, bool period) {
  return period ? n.path : n.dayFiles.at("weekday").path;
}

void floorBenchmark(benchmark::State& state, std::string network, bool period) {
  useMemory(Memory::kFresh);
  const DatedNetwork& n = datedNetwork(network);
  for (auto _ : state) floorPass(state, pathOf(n, period));
}

void loadBenchmark(benchmark::State& state, std::string network, bool period) {
  useMemory(Memory::kFresh);
  const DatedNetwork& n = datedNetwork(network);
  for (auto _ : state) loadOnce(state, pathOf(n, period));
}

void readTablesBenchmark(benchmark::State& state, std::string network, bool period) {
  useMemory(Memory::kFresh);
  const DatedNetwork& n = datedNetwork(network);
  for (auto _ : state) readTablesOnce(state, pathOf(n, period));
}

// The floor and a load in each iteration (as paired/ does).
void pairedLoadBenchmark(benchmark::State& state, std::string network, bool period) {
  useMemory(Memory::kFresh);
  const DatedNetwork& n = datedNetwork(network);
  double floorSeconds = 0;
  double loadSeconds = 0;
  for (auto _ : state) {
    const double start = cpuSeconds();
    floorPass(state, pathOf(n, period));
    const double middle = cpuSeconds();
    loadOnce(state, pathOf(n, period));
    floorSeconds += middle - start;
    loadSeconds += cpuSeconds() - middle;
  }
  state.counters["load_per_floor"] = floorSeconds > 0 ? loadSeconds / floorSeconds : 0;
}

// What a loaded file keeps (as memory/ measures it), and what the journey
// planner adds when first asked (its boards and the trains' runs), each
// divided by the file's size.
void memoryBenchmark(benchmark::State& state, std::string network, bool period) {
  useMemory(Memory::kFresh);
  const DatedNetwork& n = datedNetwork(network);
  const std::string& path = pathOf(n, period);
  double resident = 0;
  double heap = 0;
  double withPlanner = 0;
  double plannerHeld = 0;
  for (auto _ : state) {
    ::malloc_trim(0);
    const std::size_t residentBefore = residentBytes();
    const std::size_t heapBefore = heapBytesInUse();
    std::shared_ptr<const LoadedDatabase> db;
    if (loadDatabase(path, db) != LoadResult::kLoaded) state.SkipWithError("load failed");
    ::malloc_trim(0);
    resident = static_cast<double>(residentBytes()) - static_cast<double>(residentBefore);
    heap = static_cast<double>(heapBytesInUse()) - static_cast<double>(heapBefore);
    plannerHeld = static_cast<double>(db->departureBoard().bytes() + db->trainRuns().bytes());
    ::malloc_trim(0);
    withPlanner = static_cast<double>(residentBytes()) - static_cast<double>(residentBefore);
    benchmark::DoNotOptimize(db);
  }
  const auto file = static_cast<double>(period ? n.bytes : n.dayFiles.at("weekday").bytes);
  state.counters["file_bytes"] = file;
  state.counters["resident_per_file"] = resident / file;
  state.counters["heap_per_file"] = heap / file;
  state.counters["resident_with_planner_per_file"] = withPlanner / file;
  state.counters["planner_bytes_per_file"] = plannerHeld / file;
  state.counters["trains"] =
      static_cast<double>(period ? n.trains : n.dayFiles.at("weekday").trains);
  state.counters["days"] = period ? n.days : 1;
  state.counters["patterns"] = static_cast<double>(period ? n.patterns : 0);
}

}  // namespace

void registerDatesBenchmarks(DatesSize national) {
  generate::NetworkShape shape = generate::shapeOf(generate::NetworkSize::kNational);
  // Stations and hubs in the national network's proportions.
  shape.stations =
      static_cast<int32_t>(static_cast<int64_t>(shape.stations) * national.trains / shape.trains);
  shape.hubs = std::max(
      2, static_cast<int32_t>(static_cast<int64_t>(shape.hubs) * national.trains / shape.trains));
  shape.trains = national.trains;
  sizes().national = shape;
  sizes().nationalDays = national.days;

  const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
  const auto us = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMicrosecond); };
  for (const std::string network : {"small", "national"}) {
    for (const bool period : {true, false}) {
      const std::string file = period ? "period" : "one-day";
      ms(benchmark::RegisterBenchmark(("dates/memory/" + network + "/" + file).c_str(),
                                      memoryBenchmark, network, period)
             ->Iterations(1));
      ms(benchmark::RegisterBenchmark(("dates/floor/" + network + "/" + file).c_str(),
                                      floorBenchmark, network, period));
      ms(benchmark::RegisterBenchmark(("dates/load/" + network + "/" + file).c_str(), loadBenchmark,
                                      network, period));
      ms(benchmark::RegisterBenchmark(("dates/read-tables/" + network + "/" + file).c_str(),
                                      readTablesBenchmark, network, period));
      ms(benchmark::RegisterBenchmark(("dates/paired-load/" + network + "/" + file).c_str(),
                                      pairedLoadBenchmark, network, period));
    }
    for (const NamedQuestion& q : kQuestions) {
      for (const char* day : kDayKinds) {
        const std::string base = std::string("dates/") + q.name + "/" + network + "/" + day;
        us(benchmark::RegisterBenchmark((base + "/period").c_str(), questionBenchmark, network,
                                        std::string(day), q.ask, Asked::kPeriod));
        us(benchmark::RegisterBenchmark((base + "/one-day").c_str(), questionBenchmark, network,
                                        std::string(day), q.ask, Asked::kOneDay));
        us(benchmark::RegisterBenchmark((base + "/paired").c_str(), pairedQuestionBenchmark,
                                        network, std::string(day), q.ask));
        // The period's file without a date, once: what the calendar costs
        // beside what the period's trains do.
        if (std::string(day) == "weekday") {
          us(benchmark::RegisterBenchmark((base + "/period-undated").c_str(), questionBenchmark,
                                          network, std::string(day), q.ask, Asked::kPeriodUndated));
        }
      }
    }
  }
}

}  // namespace murlo::bench
