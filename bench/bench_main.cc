// The benchmarks: loading each network size against the physical floor of
// reading its file, the resident size of a loaded database, the five queries
// on the library and on the SQLite baseline, and the UTF-16 boundary.
//
//   murlo_bench [--report=FILE] [--chart=FILE] [--dates-trains=N] [--dates-days=D]
//               [Google Benchmark flags]
//   murlo_bench --plans
//
// Besides the console output, --report writes the results as Markdown tables
// (medians when run with repetitions) and --chart the data of the
// query-time chart (bench/plot.gnuplot); --plans prints SQLite's plan for
// each statement of the baseline; --dates-trains and --dates-days size the
// larger network of the dates benchmarks (bench/dates_bench.h; 10,000 trains
// over 180 days unless told). Benchmark names read
// GROUP/.../SIZE[/ENGINE], so --benchmark_filter=small selects the small
// network alone.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "dates_bench.h"
#include "db/file_reader.h"
#include "db/loader.h"
#include "metro_bench.h"
#include "murloppc.h"
#include "networks.h"
#include "present/whole_run_lines.h"
#include "process_measures.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::bench {
namespace {

using generate::NetworkSize;

constexpr NetworkSize kSizes[] = {NetworkSize::kSmall, NetworkSize::kNational,
                                  NetworkSize::kMaximal};

std::string sizeName(NetworkSize size) { return std::string(generate::nameOf(size)); }

// ---- Loading -------------------------------------------------------------

// The physical floor: the file read into memory, then one pass over its bytes.
void floorPass(benchmark::State& state, const Network& n) {
  FileBytes bytes;
  if (readWholeFile(n.path, bytes) != ReadStatus::kOk) state.SkipWithError("read failed");
  uint64_t sum = 0;
  for (std::size_t i = 0; i < bytes.size; ++i) sum += static_cast<unsigned char>(bytes.data[i]);
  benchmark::DoNotOptimize(sum);
}

void loadOnce(benchmark::State& state, const Network& n) {
  std::shared_ptr<const LoadedDatabase> db;
  if (loadDatabase(n.path, db) != LoadResult::kLoaded) state.SkipWithError("load failed");
  benchmark::DoNotOptimize(db);
}

void floorBenchmark(benchmark::State& state, NetworkSize size, Memory memory) {
  useMemory(memory);
  const Network& n = network(size);
  for (auto _ : state) floorPass(state, n);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(n.fileBytes));
}

void loadBenchmark(benchmark::State& state, NetworkSize size, Memory memory) {
  useMemory(memory);
  const Network& n = network(size);
  for (auto _ : state) loadOnce(state, n);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(n.fileBytes));
}

// The ratio of loading to the floor, measured in pairs: each iteration
// reads-and-passes once and loads once, so that both see the same state of
// the machine (page faults, in particular, cost more or less as the host is
// busy).
void pairedBenchmark(benchmark::State& state, NetworkSize size, Memory memory) {
  useMemory(memory);
  const Network& n = network(size);
  double floorSeconds = 0;
  double loadSeconds = 0;
  for (auto _ : state) {
    const double start = cpuSeconds();
    floorPass(state, n);
    const double middle = cpuSeconds();
    loadOnce(state, n);
    floorSeconds += middle - start;
    loadSeconds += cpuSeconds() - middle;
  }
  state.counters["load_per_floor"] = floorSeconds > 0 ? loadSeconds / floorSeconds : 0;
}

// ---- Memory --------------------------------------------------------------

// What a loaded database keeps: the growth of the resident set (after the
// allocator returned its free pages) and of the heap in use, each divided by
// the file size; then the resident set once every train's whole-run line is
// kept, the most that queries add.
void memoryBenchmark(benchmark::State& state, NetworkSize size) {
  useMemory(Memory::kFresh);
  const Network& n = network(size);
  double resident = 0;
  double heap = 0;
  double residentWithLines = 0;
  for (auto _ : state) {
    ::malloc_trim(0);
    const std::size_t residentBefore = residentBytes();
    const std::size_t heapBefore = heapBytesInUse();
    std::shared_ptr<const LoadedDatabase> db;
    if (loadDatabase(n.path, db) != LoadResult::kLoaded) state.SkipWithError("load failed");
    ::malloc_trim(0);
    resident = static_cast<double>(residentBytes()) - static_cast<double>(residentBefore);
    heap = static_cast<double>(heapBytesInUse()) - static_cast<double>(heapBefore);
    for (TrainIndex t(0); t.value() < db->tables().trainCount(); ++t) {
      benchmark::DoNotOptimize(db->wholeRunLines().line(db->tables(), t));
    }
    ::malloc_trim(0);
    residentWithLines = static_cast<double>(residentBytes()) - static_cast<double>(residentBefore);
    benchmark::DoNotOptimize(db);
  }
  const auto file = static_cast<double>(n.fileBytes);
  state.counters["file_bytes"] = file;
  state.counters["resident_bytes"] = resident;
  state.counters["resident_per_file"] = resident / file;
  state.counters["heap_per_file"] = heap / file;
  state.counters["resident_with_lines_per_file"] = residentWithLines / file;
}

// What the journey planner adds to a loaded database when it is first asked:
// the departure boards and the trains' runs, as the growth of the resident
// set (free pages returned first) and as the bytes the structures hold, each
// divided by the file size.
void plannerMemoryBenchmark(benchmark::State& state, NetworkSize size) {
  useMemory(Memory::kFresh);
  const Network& n = network(size);
  double resident = 0;
  double held = 0;
  for (auto _ : state) {
    std::shared_ptr<const LoadedDatabase> db;
    if (loadDatabase(n.path, db) != LoadResult::kLoaded) state.SkipWithError("load failed");
    ::malloc_trim(0);
    const std::size_t before = residentBytes();
    held = static_cast<double>(db->departureBoard().bytes() + db->trainRuns().bytes());
    ::malloc_trim(0);
    resident = static_cast<double>(residentBytes()) - static_cast<double>(before);
    benchmark::DoNotOptimize(db);
  }
  const auto file = static_cast<double>(n.fileBytes);
  state.counters["planner_resident_per_file"] = resident / file;
  state.counters["planner_bytes_per_file"] = held / file;
}

// ---- Queries -------------------------------------------------------------

void count(benchmark::State& state, const Outcome& outcome) {
  state.counters["lines"] = outcome.count;
  state.counters["bytes"] = static_cast<double>(outcome.text.size() + outcome.more.size());
}

void oursBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                   std::string variant) {
  useMemory(Memory::kReused);
  const Network& n = network(size);
  const QueryCase& c = n.queryCase(kind, variant);
  Outcome outcome;
  for (auto _ : state) {
    outcome = c.ours(*n.db);
    benchmark::DoNotOptimize(outcome);
  }
  count(state, outcome);
}

// The same query as the first after a load (the load itself not timed): no
// whole-run line is kept yet, and the tables are as a load leaves them.
void oursFirstBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                        std::string variant) {
  useMemory(Memory::kReused);
  const Network& n = network(size);
  const QueryCase& c = n.queryCase(kind, variant);
  std::shared_ptr<const LoadedDatabase> db;
  Outcome outcome;
  for (auto _ : state) {
    state.PauseTiming();
    db.reset();
    loadDatabase(n.path, db);
    state.ResumeTiming();
    outcome = c.ours(*db);
    benchmark::DoNotOptimize(outcome);
  }
  count(state, outcome);
}

void sqliteBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                     std::string variant, bool formatting) {
  useMemory(Memory::kReused);
  const Network& n = network(size);
  const QueryCase& c = n.queryCase(kind, variant);
  SqliteTimetable& sql = n.sqlite();  // imported and checked on first use
  sql.setFormatting(formatting);
  Outcome outcome;
  for (auto _ : state) {
    outcome = c.sqlite(sql);
    benchmark::DoNotOptimize(outcome);
  }
  benchmark::DoNotOptimize(sql.sink());
  sql.setFormatting(true);
  count(state, outcome);
}

// ---- The text boundary ---------------------------------------------------

// The result of the busiest station: the largest text a query writes.
const std::string& hubResultText(NetworkSize size) {
  static std::map<NetworkSize, std::string> texts;
  auto& text = texts[size];
  if (text.empty()) text = network(size).queryCase("at", "hub").ours(*network(size).db).text;
  return text;
}

void toUtf16Benchmark(benchmark::State& state, NetworkSize size) {
  useMemory(Memory::kReused);
  const std::string& gbk = hubResultText(size);
  std::u16string units;
  for (auto _ : state) {
    units.clear();
    gbkToUtf16(gbk, units);
    benchmark::DoNotOptimize(units);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(gbk.size()));
  state.counters["bytes"] = static_cast<double>(gbk.size());
}

void toGbkBenchmark(benchmark::State& state, NetworkSize size) {
  useMemory(Memory::kReused);
  std::u16string units;
  gbkToUtf16(hubResultText(size), units);
  std::string gbk;
  for (auto _ : state) {
    gbk.clear();
    if (!utf16ToGbk(units, gbk)) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(gbk);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(gbk.size()));
  state.counters["bytes"] = static_cast<double>(gbk.size());
}

// The library as a host calls it: through the C exports, UTF-16 in and out,
// into a caller's buffer.
void loadIntoLibrary(NetworkSize size, bool again = false) {
  static NetworkSize loaded = NetworkSize::kSmall;
  static bool any = false;
  if (any && loaded == size && !again) return;
  std::u16string path;
  utf8ToUtf16(network(size).path, path);
  if (murlo_load_database(path.c_str()) != 1) {
    std::cerr << "murlo bench: the library cannot load " << network(size).path << '\n';
    std::exit(EXIT_FAILURE);
  }
  loaded = size;
  any = true;
}

// The caller's buffer of the C interface benchmarks: large enough for every
// answer, so that each is written in one call.
std::vector<murlo_char16>& hostBuffer() {
  static std::vector<murlo_char16> buffer(std::size_t{1} << 22);
  return buffer;
}

// A question through the C interface, its lines kept from earlier calls.
void capiBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                   std::string variant) {
  useMemory(Memory::kReused);
  loadIntoLibrary(size);
  const QueryCase& c = network(size).queryCase(kind, variant);
  std::vector<murlo_char16>& out = hostBuffer();
  int32_t result = 0;
  std::size_t needed = 0;
  c.capi(out.data(), out.size(), &needed);  // what the database keeps is made before the clock
  for (auto _ : state) {
    result = c.capi(out.data(), out.size(), &needed);
    benchmark::DoNotOptimize(out.data());
  }
  if (result < 0) state.SkipWithError("the query failed");
  state.counters["lines"] = result;
  state.counters["units"] = static_cast<double>(needed);
}

// A handle on the network's file, opened when first asked for and kept for
// the process's life.
const murlo_db* handleOn(NetworkSize size) {
  static std::map<NetworkSize, murlo_db*> handles;
  murlo_db*& db = handles[size];
  if (db == nullptr && murlo_db_open(network(size).path.c_str(), &db) != MURLO_STATUS_OK) {
    std::cerr << "murlo bench: the library cannot open " << network(size).path << '\n';
    std::exit(EXIT_FAILURE);
  }
  return db;
}

// The structured twin of a question through the C interface: asked of a
// handle on the same file (what it keeps made by earlier calls), the answer
// as C structures, then freed. Its count must be the text answer's.
void capiStructuredBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                             std::string variant) {
  useMemory(Memory::kReused);
  loadIntoLibrary(size);
  const QueryCase& c = network(size).queryCase(kind, variant);
  const murlo_db* db = handleOn(size);
  int64_t count = c.structured(db);  // what the handle keeps is made before the clock
  for (auto _ : state) {
    count = c.structured(db);
    benchmark::DoNotOptimize(count);
  }
  std::vector<murlo_char16>& out = hostBuffer();
  std::size_t needed = 0;
  if (count < 0 || count != c.capi(out.data(), out.size(), &needed)) {
    state.SkipWithError("the structured answer is not the text answer's count");
  }
  state.counters["lines"] = static_cast<double>(count);
}

// The same question the first time after a load (the load itself not
// timed): no whole-run line kept yet.
void capiFirstBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                        std::string variant) {
  useMemory(Memory::kReused);
  const Network& n = network(size);
  const QueryCase& c = n.queryCase(kind, variant);
  std::u16string path;
  utf8ToUtf16(n.path, path);
  std::vector<murlo_char16>& out = hostBuffer();
  int32_t result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (murlo_load_database(path.c_str()) != 1) state.SkipWithError("load failed");
    state.ResumeTiming();
    std::size_t needed = 0;
    result = c.capi(out.data(), out.size(), &needed);
    benchmark::DoNotOptimize(out.data());
  }
  loadIntoLibrary(size, /*again=*/true);  // the database the other benchmarks expect
  state.counters["lines"] = result;
}

// The floor of a question through the C interface: what it must find, and a
// copy of its UTF-16 answer into the caller's buffer.
void capiFloorBenchmark(benchmark::State& state, NetworkSize size, std::string kind,
                        std::string variant) {
  useMemory(Memory::kReused);
  loadIntoLibrary(size);
  const Network& n = network(size);
  const QueryCase& c = n.queryCase(kind, variant);
  std::vector<murlo_char16>& out = hostBuffer();
  std::size_t needed = 0;
  c.capi(out.data(), out.size(), &needed);
  const std::vector<murlo_char16> answer(out.begin(),
                                         out.begin() + static_cast<std::ptrdiff_t>(needed));
  for (auto _ : state) {
    c.find(*n.db);
    std::memcpy(out.data(), answer.data(), answer.size() * sizeof(murlo_char16));
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["units"] = static_cast<double>(needed);
}

// Trains at a station answer with many whole runs, whose lines are kept.
// (Numbers do too, but their one to three lines take too little time to be
// told apart from pausing the clock.) The first plan of a database also
// makes the boards and the trains' runs.
bool keepsLines(std::string_view kind) { return kind == "at"; }
// ---- Journeys with the network's rules ------------------------------------

// The network with rules in use, and the question asked of it: the busiest
// station in a city group with the next three busiest (30 minutes apart),
// every 40th station in a complex with the next (5 minutes), a walk from
// the busiest to the second (20 minutes), a timed transfer between the
// first two trains at the busiest, a forbidden change at the third, and the
// busiest's own change time (15 minutes); the journeys asked from the
// busiest station to the median one.
std::string gbkOf(const char* utf8) {
  std::u16string units;
  std::string gbk;
  if (!utf8ToUtf16(utf8, units) || !utf16ToGbk(units, gbk)) std::abort();
  return gbk;
}

struct RulesCase {
  std::string rulesPath;
  std::string from;  // UTF-8
  std::string to;
};

const RulesCase& rulesCase(NetworkSize size) {
  static std::map<NetworkSize, RulesCase> made;
  const auto found = made.find(size);
  if (found != made.end()) return found->second;
  const Network& n = network(size);
  source::Timetable t = n.timetable;
  std::vector<int32_t> calls(t.stations.size(), 0);
  std::vector<std::vector<int32_t>> trainsAt(t.stations.size());
  for (std::size_t train = 0; train < t.trains.size(); ++train) {
    for (const StopSpec& stop : t.trains[train].stops) {
      ++calls[static_cast<std::size_t>(stop.station)];
      trainsAt[static_cast<std::size_t>(stop.station)].push_back(static_cast<int32_t>(train));
    }
  }
  std::vector<int32_t> byCalls(t.stations.size());
  for (std::size_t s = 0; s < byCalls.size(); ++s) byCalls[s] = static_cast<int32_t>(s);
  std::stable_sort(byCalls.begin(), byCalls.end(), [&calls](int32_t a, int32_t b) {
    return calls[static_cast<std::size_t>(a)] > calls[static_cast<std::size_t>(b)];
  });
  const StationIndex hub(byCalls[0]);
  NetworkSpec& rules = t.network;
  StationGroup city{GroupKind::kCity, gbkOf("中心城"), 30, {}};
  for (std::size_t k = 0; k < 4; ++k) city.members.push_back(StationIndex(byCalls[k]));
  rules.groups.push_back(city);
  for (int32_t s = 0; s + 1 < static_cast<int32_t>(t.stations.size()); s += 40) {
    if (s == byCalls[0] || s + 1 == byCalls[0]) continue;
    rules.groups.push_back(StationGroup{GroupKind::kComplex,
                                        gbkOf("站群") + std::to_string(s),
                                        5,
                                        {StationIndex(s), StationIndex(s + 1)}});
  }
  rules.transfers.push_back(
      Transfer{hub, StationIndex(byCalls[1]), TransferKind::kMinimumTime, 20});
  const std::vector<int32_t>& atHub = trainsAt[hub.slot()];
  if (atHub.size() >= 2) {
    rules.transfers.push_back(
        Transfer{hub, hub, TransferKind::kTimed, 0, TrainIndex(atHub[0]), TrainIndex(atHub[1])});
  }
  rules.transfers.push_back(
      Transfer{StationIndex(byCalls[2]), StationIndex(byCalls[2]), TransferKind::kForbidden, 0});
  rules.changeTimes.push_back(ChangeTime{hub, 15});
  std::string file;
  if (const auto error = source::compileTimetable(t, file)) {
    std::cerr << "murlo bench: " << error->message() << '\n';
    std::exit(EXIT_FAILURE);
  }
  RulesCase c;
  c.rulesPath = n.path + ".rules.db";
  std::ofstream(c.rulesPath, std::ios::binary)
      .write(file.data(), static_cast<std::streamsize>(file.size()));
  std::string name;
  gbkToUtf8(t.stations[hub.slot()].name, name);
  c.from = name;
  name.clear();
  gbkToUtf8(t.stations[static_cast<std::size_t>(byCalls[byCalls.size() / 2])].name, name);
  c.to = name;
  return made.emplace(size, std::move(c)).first->second;
}

// The next 3 journeys at 08:00 with at most 3 changes, through the
// structured C interface, on the plain file or the one with the rules.
void rulesJourneysBenchmark(benchmark::State& state, NetworkSize size, bool withRules) {
  useMemory(Memory::kReused);
  const RulesCase& c = rulesCase(size);
  murlo_db* db = nullptr;
  if (murlo_db_open(withRules ? c.rulesPath.c_str() : network(size).path.c_str(), &db) !=
      MURLO_STATUS_OK) {
    state.SkipWithError("open failed");
    return;
  }
  const murlo_plan_options options{sizeof options, MURLO_PLAN_DEPART_AFTER, 480, 3, 10, 0, 3};
  const auto ask = [&] {
    murlo_journeys* journeys = nullptr;
    const murlo_status status =
        murlo_db_plan(db, c.from.c_str(), c.to.c_str(), &options, &journeys);
    const int64_t count = status == MURLO_STATUS_OK ? static_cast<int64_t>(journeys->count) : -1;
    murlo_journeys_free(journeys);
    return count;
  };
  int64_t count = ask();  // the runs and boards are made before the clock
  for (auto _ : state) {
    count = ask();
    benchmark::DoNotOptimize(count);
  }
  if (count < 0) state.SkipWithError("the question failed");
  state.counters["journeys"] = static_cast<double>(count);
  murlo_db_close(db);
}

bool firstPlan(std::string_view kind, std::string_view variant) {
  return kind == "journeys" && variant.ends_with("-3");
}
// Journeys have no SQLite baseline.
bool hasSqlite(std::string_view kind) { return kind != "journeys"; }

void registerAll(DatesSize dates) {
  registerMetroBenchmarks();
  registerDatesBenchmarks(dates);
  const auto unit = [](benchmark::internal::Benchmark* b, benchmark::TimeUnit u) { b->Unit(u); };
  for (const NetworkSize size : kSizes) {
    unit(benchmark::RegisterBenchmark(("memory/" + sizeName(size)).c_str(), memoryBenchmark, size)
             ->Iterations(1),
         benchmark::kMillisecond);
    unit(benchmark::RegisterBenchmark(("memory-planner/" + sizeName(size)).c_str(),
                                      plannerMemoryBenchmark, size)
             ->Iterations(1),
         benchmark::kMillisecond);
  }
  for (const Memory memory : {Memory::kFresh, Memory::kReused}) {
    for (const NetworkSize size : kSizes) {
      const std::string suffix = memoryName(memory) + "/" + sizeName(size);
      unit(benchmark::RegisterBenchmark(("floor/" + suffix).c_str(), floorBenchmark, size, memory),
           benchmark::kMillisecond);
      unit(benchmark::RegisterBenchmark(("load/" + suffix).c_str(), loadBenchmark, size, memory),
           benchmark::kMillisecond);
      unit(
          benchmark::RegisterBenchmark(("paired/" + suffix).c_str(), pairedBenchmark, size, memory),
          benchmark::kMillisecond);
    }
  }
  for (const bool withRules : {false, true}) {
    unit(benchmark::RegisterBenchmark(
             (std::string("journeys-rules/hub-3/national/") + (withRules ? "rules" : "plain"))
                 .c_str(),
             rulesJourneysBenchmark, NetworkSize::kNational, withRules),
         benchmark::kMicrosecond);
  }
  for (const VariantName& v : queryVariants()) {
    for (const NetworkSize size : kSizes) {
      const std::string base =
          std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size);
      unit(benchmark::RegisterBenchmark((base + "/ours").c_str(), oursBenchmark, size,
                                        std::string(v.kind), std::string(v.variant)),
           benchmark::kMicrosecond);
      if (hasSqlite(v.kind)) {
        unit(benchmark::RegisterBenchmark((base + "/sqlite").c_str(), sqliteBenchmark, size,
                                          std::string(v.kind), std::string(v.variant), true),
             benchmark::kMicrosecond);
      }
      if ((size == NetworkSize::kNational && keepsLines(v.kind)) || firstPlan(v.kind, v.variant)) {
        unit(benchmark::RegisterBenchmark((base + "/ours-first").c_str(), oursFirstBenchmark, size,
                                          std::string(v.kind), std::string(v.variant)),
             benchmark::kMicrosecond);
      }
      // Through the C interface, beside its floor.
      unit(benchmark::RegisterBenchmark((base + "/capi").c_str(), capiBenchmark, size,
                                        std::string(v.kind), std::string(v.variant)),
           benchmark::kMicrosecond);
      unit(
          benchmark::RegisterBenchmark((base + "/capi-structured").c_str(), capiStructuredBenchmark,
                                       size, std::string(v.kind), std::string(v.variant)),
          benchmark::kMicrosecond);
      unit(benchmark::RegisterBenchmark((base + "/capi-floor").c_str(), capiFloorBenchmark, size,
                                        std::string(v.kind), std::string(v.variant)),
           benchmark::kMicrosecond);
      if (size == NetworkSize::kNational && keepsLines(v.kind)) {
        unit(benchmark::RegisterBenchmark((base + "/capi-first").c_str(), capiFirstBenchmark, size,
                                          std::string(v.kind), std::string(v.variant)),
             benchmark::kMicrosecond);
      }
      if (size == NetworkSize::kNational && hasSqlite(v.kind)) {
        // SQL alone, for the report's analysis of the ratios.
        unit(benchmark::RegisterBenchmark((base + "/sqlite-rows").c_str(), sqliteBenchmark, size,
                                          std::string(v.kind), std::string(v.variant), false),
             benchmark::kMicrosecond);
      }
    }
  }
  for (const NetworkSize size : kSizes) {
    unit(benchmark::RegisterBenchmark(("boundary/to-utf16/" + sizeName(size)).c_str(),
                                      toUtf16Benchmark, size),
         benchmark::kMicrosecond);
    unit(benchmark::RegisterBenchmark(("boundary/to-gbk/" + sizeName(size)).c_str(), toGbkBenchmark,
                                      size),
         benchmark::kMicrosecond);
  }
}

// ---- The report ----------------------------------------------------------

struct Result {
  double ns = 0;  // CPU time per iteration
  std::map<std::string, double> counters;
  int64_t repetitions = 1;
};

class ReportingConsole : public benchmark::ConsoleReporter {
 public:
  ReportingConsole(std::string reportPath, std::string chartPath)
      : reportPath_(std::move(reportPath)), chartPath_(std::move(chartPath)) {}

  bool ReportContext(const Context& context) override {
    std::ostringstream machine;
    std::string model;
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; model.empty() && std::getline(cpuinfo, line);) {
      if (line.rfind("model name", 0) == 0) model = line.substr(line.find(':') + 2);
    }
    machine << context.cpu_info.num_cpus << " × " << (model.empty() ? "CPU" : model) << " at "
            << fixed(context.cpu_info.cycles_per_second / 1e6, 0) << " MHz";
    for (const auto& cache : context.cpu_info.caches) {
      if (cache.level == 3) machine << ", L3 " << cache.size / (1024 * 1024) << " MiB";
    }
    struct utsname system {};
    if (::uname(&system) == 0) machine << "; " << system.sysname << " " << system.release;
    machine << "; compiler " << __VERSION__ << "; SQLite " << sqlite3_libversion();
    machine_ = machine.str();
    return ConsoleReporter::ReportContext(context);
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (aggregate ? run.aggregate_name != "median" : run.repetitions > 1) continue;
      Result& result = results_[run.run_name.function_name];
      result.ns = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      result.repetitions = run.repetitions;
      for (const auto& [name, counter] : run.counters) result.counters[name] = counter.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    if (!reportPath_.empty()) {
      std::ofstream out(reportPath_);
      writeReport(out);
    }
    if (!chartPath_.empty()) {
      std::ofstream out(chartPath_);
      writeChart(out);
    }
  }

 private:
  const Result* find(const std::string& name) const {
    const auto it = results_.find(name);
    return it == results_.end() ? nullptr : &it->second;
  }

  static std::string fixed(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
  }
  // A time in a readable unit with three significant digits or so.
  static std::string time(double ns) {
    if (ns >= 1e6) return fixed(ns / 1e6, ns >= 1e7 ? 1 : 2) + " ms";
    if (ns >= 1e3) return fixed(ns / 1e3, ns >= 1e5 ? 0 : ns >= 1e4 ? 1 : 2) + " µs";
    return fixed(ns, 0) + " ns";
  }
  static std::string ratio(double value) {
    return value >= 100  ? fixed(value, 0) + "×"
           : value >= 10 ? fixed(value, 1) + "×"
                         : fixed(value, 2) + "×";
  }

  std::vector<NetworkSize> sizesRun() const {
    std::vector<NetworkSize> sizes;
    for (const NetworkSize size : kSizes) {
      for (const auto& [name, result] : results_) {
        const std::string suffix = "/" + sizeName(size);
        if (name.find(suffix + "/") != std::string::npos ||
            (name.size() >= suffix.size() &&
             name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)) {
          sizes.push_back(size);
          break;
        }
      }
    }
    return sizes;
  }

  // The queries that keep whole-run lines, the first time and once kept.
  void writeFirstTimes(std::ostream& out, const Network& n) const {
    out << "\nFirst time: on a database that has kept no whole-run line yet (the library "
           "column: once the lines are kept).\n\n"
        << "| Query | Library, first time | Library, lines kept | SQLite | SQLite / first time "
           "|\n|---|---:|---:|---:|---:|\n";
    for (const VariantName& v : queryVariants()) {
      const std::string base =
          std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(n.size);
      const Result* first = find(base + "/ours-first");
      const Result* ours = find(base + "/ours");
      const Result* sql = find(base + "/sqlite");
      if (!first || !hasSqlite(v.kind)) continue;
      out << "| " << v.kind << " " << v.variant << " | " << time(first->ns) << " | "
          << (ours ? time(ours->ns) : "") << " | " << (sql ? time(sql->ns) : "") << " | "
          << (sql ? ratio(sql->ns / first->ns) : "") << " |\n";
    }
  }

  // Every question as a host asks it, through the C interface into its own
  // buffer, beside the floor (finding its rows and copying its UTF-16
  // answer), the library's core and SQLite.
  void writeCInterface(std::ostream& out, const Network& n) const {
    out << "\nThrough the C interface: UTF-16 in, the answer into the caller's buffer (lines "
           "kept). Floor: finding the rows the answer is made of, and a copy of the UTF-16 "
           "answer.\n\n| Query | C interface | Floor | C / floor | Core (GBK) | SQLite | "
           "SQLite / C |\n|---|---:|---:|---:|---:|---:|---:|\n";
    for (const VariantName& v : queryVariants()) {
      const std::string base =
          std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(n.size);
      const Result* capi = find(base + "/capi");
      const Result* floor = find(base + "/capi-floor");
      const Result* ours = find(base + "/ours");
      const Result* sql = find(base + "/sqlite");
      if (!capi) continue;
      out << "| " << v.kind << " " << v.variant << " | " << time(capi->ns) << " | "
          << (floor ? time(floor->ns) : "") << " | " << (floor ? ratio(capi->ns / floor->ns) : "")
          << " | " << (ours ? time(ours->ns) : "") << " | " << (sql ? time(sql->ns) : "") << " | "
          << (sql ? ratio(sql->ns / capi->ns) : "") << " |\n";
    }
    for (const VariantName& v : queryVariants()) {
      const std::string base =
          std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(n.size);
      const Result* first = find(base + "/capi-first");
      const Result* sql = find(base + "/sqlite");
      if (!first) continue;
      out << "| " << v.kind << " " << v.variant << ", the first time after a load | "
          << time(first->ns) << " | | | | " << (sql ? time(sql->ns) : "") << " | "
          << (sql ? ratio(sql->ns / first->ns) : "") << " |\n";
    }
  }

  // Each question through the C interface as text and as structures, side by
  // side on every network.
  void writeStructured(std::ostream& out, const std::vector<NetworkSize>& sizes) const {
    out << "\n### Text and structured answers (C interface)\n\n"
        << "Each question as text into the caller's buffer (UTF-16) and as a structured question "
           "of a handle on the same file (UTF-8, the answer made and freed); lines kept in both. "
           "Structured / text below 1 is faster.\n\n| Query |";
    for (const NetworkSize size : sizes)
      out << " " << sizeName(size) << ": text | structured | ratio |";
    out << "\n|---|";
    for (std::size_t i = 0; i < 3 * sizes.size(); ++i) out << "---:|";
    out << "\n";
    for (const VariantName& v : queryVariants()) {
      out << "| " << v.kind << " " << v.variant << " |";
      for (const NetworkSize size : sizes) {
        const std::string base =
            std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size);
        const Result* text = find(base + "/capi");
        const Result* structured = find(base + "/capi-structured");
        out << " " << (text ? time(text->ns) : "") << " | "
            << (structured ? time(structured->ns) : "") << " | "
            << (text && structured ? fixed(structured->ns / text->ns, 2) : "") << " |";
      }
      out << "\n";
    }
  }

  // The journey planner's first plan (boards and runs made) and what its
  // structures hold.
  void writePlanner(std::ostream& out, const Network& n) const {
    out << "\nJourney planner: the first plan of a database makes the departure boards and the "
           "trains' runs.\n\n| Question | First plan | Structures made | First / made |\n"
           "|---|---:|---:|---:|\n";
    for (const VariantName& v : queryVariants()) {
      const std::string base =
          std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(n.size);
      const Result* first = find(base + "/ours-first");
      const Result* ours = find(base + "/ours");
      if (!first || hasSqlite(v.kind) || !ours) continue;
      out << "| " << v.kind << " " << v.variant << " | " << time(first->ns) << " | "
          << time(ours->ns) << " | " << ratio(first->ns / ours->ns) << " |\n";
    }
    const Result* memory = find("memory-planner/" + sizeName(n.size));
    if (memory) {
      out << "\n| Network | Planner: resident / file | Planner: bytes held / file |\n"
             "|---|---:|---:|\n| "
          << n.name << " | " << fixed(memory->counters.at("planner_resident_per_file"), 2) << " | "
          << fixed(memory->counters.at("planner_bytes_per_file"), 2) << " |\n";
    }
  }

  // The dates benchmarks (bench/dates_bench.cc): each question on the
  // whole-period file beside the one-day file, then loading and memory.
  void writeDates(std::ostream& out) const {
    std::vector<std::string> questions;
    for (const auto& [name, result] : results_) {
      if (name.starts_with("dates/") && name.ends_with("/paired")) {
        questions.push_back(name.substr(0, name.size() - 7));
      }
    }
    const bool any = std::any_of(results_.begin(), results_.end(),
                                 [](const auto& r) { return r.first.starts_with("dates/"); });
    if (!any) return;
    out << "\n### Dates: a whole-period file beside a one-day file\n";
    if (!questions.empty()) {
      out << "\n| Question / network / day | Period | One day | Period / one day, paired | Lines "
             "(period / one day) |\n|---|---:|---:|---:|---:|\n";
      for (const std::string& base : questions) {
        const Result* period = find(base + "/period");
        const Result* day = find(base + "/one-day");
        const Result* paired = find(base + "/paired");
        out << "| " << base.substr(6) << " | " << (period ? time(period->ns) : "") << " | "
            << (day ? time(day->ns) : "") << " | "
            << ratio(paired->counters.at("period_per_one_day")) << " | "
            << fixed(paired->counters.at("period_answers"), 0) << " / "
            << fixed(paired->counters.at("one_day_answers"), 0) << " |\n";
      }
    }
    std::ostringstream rows;
    for (const char* network : {"small", "national"}) {
      for (const char* file : {"period", "one-day"}) {
        const std::string suffix = std::string(network) + "/" + file;
        const Result* memory = find("dates/memory/" + suffix);
        const Result* floor = find("dates/floor/" + suffix);
        const Result* read = find("dates/read-tables/" + suffix);
        const Result* load = find("dates/load/" + suffix);
        const Result* paired = find("dates/paired-load/" + suffix);
        if (!memory && !floor && !load && !paired) continue;
        const auto counter = [&](const char* name, int decimals) {
          return memory ? fixed(memory->counters.at(name), decimals) : "";
        };
        rows << "| " << suffix << " | "
             << (memory ? fixed(memory->counters.at("file_bytes") / 1e6, 2) + " MB" : "") << " | "
             << (floor ? time(floor->ns) : "") << " | " << (read ? time(read->ns) : "") << " | "
             << (load ? time(load->ns) : "") << " | "
             << (paired ? ratio(paired->counters.at("load_per_floor")) : "") << " | "
             << counter("resident_per_file", 2) << " | " << counter("heap_per_file", 2) << " | "
             << counter("resident_with_planner_per_file", 2) << " |\n";
      }
    }
    if (rows.str().empty()) return;
    out << "\n| Network / file | Size | Floor | Read into tables | Load | Load / floor, paired | "
           "Resident / file | Heap / file | Resident / file, planner made |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|\n"
        << rows.str();
  }

  void writeReport(std::ostream& out) const {
    const std::vector<NetworkSize> sizes = sizesRun();
    int64_t repetitions = 1;
    for (const auto& [name, result] : results_)
      repetitions = std::max(repetitions, result.repetitions);
    out << "Machine: " << machine_ << ".\n\nMedians of " << repetitions
        << (repetitions == 1 ? " run" : " runs") << ", CPU time per operation.\n\n";

    out << "### Networks\n\n"
        << "| Network | Stations | Trains | Stops per train (median / max) | Busiest station "
           "(calls) "
           "| File |\n|---|---:|---:|---:|---:|---:|\n";
    for (const NetworkSize size : sizes) {
      const Network& n = network(size);
      std::vector<std::size_t> stops;
      std::vector<int> calls(n.timetable.stations.size(), 0);
      for (const TrainSpec& train : n.timetable.trains) {
        stops.push_back(train.stops.size());
        for (const StopSpec& stop : train.stops) ++calls[static_cast<std::size_t>(stop.station)];
      }
      std::sort(stops.begin(), stops.end());
      out << "| " << n.name << " | " << n.timetable.stations.size() << " | "
          << n.timetable.trains.size() << " | " << stops[stops.size() / 2] << " / " << stops.back()
          << " | " << *std::max_element(calls.begin(), calls.end()) << " | "
          << fixed(static_cast<double>(n.fileBytes) / 1e6, 2) << " MB |\n";
    }

    out << "\n### Loading and memory\n\n"
        << "Fresh memory: each load maps new pages, as a process loading its database once "
           "does. Reused memory: the allocator hands the same pages out again.\n\n"
        << "Load / floor is measured in pairs, a floor pass and a load in each iteration.\n\n"
        << "| Network | Memory | Floor: read + one pass | Load | Load / floor |\n"
           "|---|---|---:|---:|---:|\n";
    for (const NetworkSize size : sizes) {
      for (const Memory memory : {Memory::kFresh, Memory::kReused}) {
        const std::string suffix = memoryName(memory) + "/" + sizeName(size);
        const Result* floor = find("floor/" + suffix);
        const Result* load = find("load/" + suffix);
        const Result* paired = find("paired/" + suffix);
        if (!floor && !load && !paired) continue;
        out << "| " << sizeName(size) << " | " << memoryName(memory) << " | "
            << (floor ? time(floor->ns) : "") << " | " << (load ? time(load->ns) : "") << " | "
            << (paired ? ratio(paired->counters.at("load_per_floor")) : "") << " |\n";
      }
    }
    out << "\n| Network | File | Resident after loading | Resident / file | Heap in use / file "
           "| Resident / file, every whole-run line kept |\n|---|---:|---:|---:|---:|---:|\n";
    for (const NetworkSize size : sizes) {
      const Result* memory = find("memory/" + sizeName(size));
      if (!memory) continue;
      out << "| " << sizeName(size) << " | " << fixed(memory->counters.at("file_bytes") / 1e6, 2)
          << " MB | " << fixed(memory->counters.at("resident_bytes") / 1e6, 2) << " MB | "
          << fixed(memory->counters.at("resident_per_file"), 2) << " | "
          << fixed(memory->counters.at("heap_per_file"), 2) << " | "
          << fixed(memory->counters.at("resident_with_lines_per_file"), 2) << " |\n";
    }

    for (const NetworkSize size : sizes) {
      const Network& n = network(size);
      const bool rowsOnly = size == NetworkSize::kNational;
      out << "\n### Queries, " << n.name << " network\n\n"
          << "| Query | Argument | Lines | Library | SQLite | SQLite / library |"
          << (rowsOnly ? " SQLite, rows only | Rows only / library |" : "")
          << "\n|---|---|---:|---:|---:|---:|" << (rowsOnly ? "---:|---:|" : "") << "\n";
      for (const VariantName& v : queryVariants()) {
        const std::string base =
            std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size);
        const Result* ours = find(base + "/ours");
        const Result* sql = find(base + "/sqlite");
        const Result* rows = find(base + "/sqlite-rows");
        if (!ours && !sql) continue;
        const Result* any = ours ? ours : sql;
        out << "| " << v.kind << " " << v.variant << " | "
            << n.queryCase(v.kind, v.variant).argument << " | "
            << fixed(any->counters.at("lines"), 0) << " | " << (ours ? time(ours->ns) : "") << " | "
            << (sql ? time(sql->ns) : "") << " | " << (ours && sql ? ratio(sql->ns / ours->ns) : "")
            << " |";
        if (rowsOnly) {
          out << " " << (rows ? time(rows->ns) : "") << " | "
              << (ours && rows ? ratio(rows->ns / ours->ns) : "") << " |";
        }
        out << "\n";
      }
      if (rowsOnly) {
        writeFirstTimes(out, n);
        writeCInterface(out, n);
        writePlanner(out, n);
      }
    }

    out << "\n### Growth with the network (library)\n\n"
        << "Time per query, and per unit of work: per line, name or stop written, or for "
           "change stations per stop scanned.\n\n| Query | Unit |";
    for (const NetworkSize size : sizes) out << " " << sizeName(size) << " |";
    for (const NetworkSize size : sizes) out << " " << sizeName(size) << " per unit |";
    out << "\n|---|---|";
    for (std::size_t i = 0; i < 2 * sizes.size(); ++i) out << "---:|";
    out << "\n";
    for (const VariantName& v : queryVariants()) {
      out << "| " << v.kind << " " << v.variant << " | "
          << (sizes.empty() ? "" : network(sizes.front()).queryCase(v.kind, v.variant).workUnit)
          << " |";
      for (const NetworkSize size : sizes) {
        const Result* ours =
            find(std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size) + "/ours");
        out << " " << (ours ? time(ours->ns) : "") << " |";
      }
      for (const NetworkSize size : sizes) {
        const Result* ours =
            find(std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size) + "/ours");
        const double work = network(size).queryCase(v.kind, v.variant).work;
        out << " " << (ours && work > 0 ? time(ours->ns / work) : "") << " |";
      }
      out << "\n";
    }

    out << "\n### Growth with the network (C interface)\n\n| Query |";
    for (const NetworkSize size : sizes) out << " " << sizeName(size) << " | floor |";
    out << "\n|---|";
    for (std::size_t i = 0; i < 2 * sizes.size(); ++i) out << "---:|";
    out << "\n";
    for (const VariantName& v : queryVariants()) {
      out << "| " << v.kind << " " << v.variant << " |";
      for (const NetworkSize size : sizes) {
        const std::string base =
            std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size);
        const Result* capi = find(base + "/capi");
        const Result* floor = find(base + "/capi-floor");
        out << " " << (capi ? time(capi->ns) : "") << " | " << (floor ? time(floor->ns) : "")
            << " |";
      }
      out << "\n";
    }

    writeStructured(out, sizes);
    writeDates(out);

    out << "\n### The text boundary (busiest station's result)\n\n"
        << "| Network | Result | GBK to UTF-16 | UTF-16 to GBK | Query, library | Query through "
           "the C interface |\n|---|---:|---:|---:|---:|---:|\n";
    for (const NetworkSize size : sizes) {
      const Result* toUtf16 = find("boundary/to-utf16/" + sizeName(size));
      const Result* toGbk = find("boundary/to-gbk/" + sizeName(size));
      const Result* query = find("query/at/hub/" + sizeName(size) + "/ours");
      const Result* capi = find("capi/at/hub/" + sizeName(size));
      if (!toUtf16 && !toGbk && !capi) continue;
      const double bytes = toUtf16 ? toUtf16->counters.at("bytes") : 0;
      const auto rate = [&](const Result* r) {
        return r ? time(r->ns) + " (" + fixed(bytes / r->ns * 1e3, 0) + " MB/s)" : "";
      };
      out << "| " << sizeName(size) << " | " << fixed(bytes / 1e3, 1) << " KB | " << rate(toUtf16)
          << " | " << rate(toGbk) << " | " << (query ? time(query->ns) : "") << " | "
          << (capi ? time(capi->ns) : "") << " |\n";
    }
  }

  // A block per query variant, headed by its name, then one line per network:
  // its stations, library and SQLite times in microseconds.
  void writeChart(std::ostream& out) const {
    bool first = true;
    for (const VariantName& v : queryVariants()) {
      std::ostringstream rows;
      for (const NetworkSize size : sizesRun()) {
        const std::string base =
            std::string("query/") + v.kind + "/" + v.variant + "/" + sizeName(size);
        const Result* ours = find(base + "/ours");
        const Result* sql = find(base + "/sqlite");
        if (!ours || !sql) continue;
        rows << network(size).timetable.stations.size() << " " << ours->ns / 1e3 << " "
             << sql->ns / 1e3 << "\n";
      }
      if (rows.str().empty()) continue;
      if (!first) out << "\n\n";  // blocks apart, as gnuplot's index counts them
      first = false;
      out << "\"" << v.kind << " " << v.variant << "\" library sqlite\n" << rows.str();
    }
  }

  std::string reportPath_;
  std::string chartPath_;
  std::string machine_;
  std::map<std::string, Result> results_;
};

}  // namespace
}  // namespace murlo::bench

int main(int argc, char** argv) {
  std::string report;
  std::string chart;
  murlo::bench::DatesSize dates;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--dates-trains=", 0) == 0) {
      dates.trains = std::atoi(arg.c_str() + 15);
    } else if (arg.rfind("--dates-days=", 0) == 0) {
      dates.days = std::atoi(arg.c_str() + 13);
    } else if (arg.rfind("--report=", 0) == 0) {
      report = arg.substr(9);
    } else if (arg.rfind("--chart=", 0) == 0) {
      chart = arg.substr(8);
    } else if (arg == "--plans") {
      // SQLite's plan for each statement on the national network.
      std::cout
          << murlo::bench::network(murlo::generate::NetworkSize::kNational).sqlite().queryPlans();
      return 0;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  murlo::bench::registerAll(dates);
  murlo::bench::ReportingConsole console(report, chart);
  benchmark::RunSpecifiedBenchmarks(&console);
  benchmark::Shutdown();
  return 0;
}
