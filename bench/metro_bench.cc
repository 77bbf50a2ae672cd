// Journeys on a generated metro (generate/metro_generator.h): frequent lines
// and interchanges that are station complexes, the shape where a journey
// planner does the most work per question. Asked through the C interface of
// a handle, as a host asks.
#include "metro_bench.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "generate/metro_generator.h"
#include "murloppc.h"
#include "networks.h"
#include "timetable_source/timetable_source.h"

namespace murlo::bench {
namespace {

struct Metro {
  std::string path;
  murlo_db* db = nullptr;
  std::string origin;  // UTF-8: the busiest station
  std::vector<std::string> destinations;
  std::size_t trains = 0;
  std::size_t stations = 0;
  std::size_t groups = 0;

  ~Metro() {
    murlo_db_close(db);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const Metro& metro() {
  static const Metro made = [] {
    Metro m;
    const source::Timetable timetable = generate::generateMetro({}, 1, "GEN-METRO1");
    std::string file;
    if (source::compileTimetable(timetable, file)) {
      std::cerr << "murlo bench: the metro does not compile\n";
      std::exit(EXIT_FAILURE);
    }
    m.path = (std::filesystem::temp_directory_path() /
              ("murlo-metro-" + std::to_string(::getpid()) + ".db"))
                 .string();
    std::FILE* out = std::fopen(m.path.c_str(), "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0 || murlo_db_open(m.path.c_str(), &m.db) != MURLO_STATUS_OK) {
      std::cerr << "murlo bench: cannot write or open " << m.path << '\n';
      std::exit(EXIT_FAILURE);
    }
    // The busiest station, and destinations spread over the list.
    std::vector<std::size_t> calls(timetable.stations.size(), 0);
    for (const TrainSpec& train : timetable.trains)
      for (const StopSpec& stop : train.stops) ++calls[static_cast<std::size_t>(stop.station)];
    const auto busiest =
        static_cast<std::size_t>(std::max_element(calls.begin(), calls.end()) - calls.begin());
    m.origin = utf8(timetable.stations[busiest].name);
    for (std::size_t s = 7; s < timetable.stations.size(); s += timetable.stations.size() / 8) {
      if (s != busiest) m.destinations.push_back(utf8(timetable.stations[s].name));
    }
    m.trains = timetable.trains.size();
    m.stations = timetable.stations.size();
    m.groups = timetable.network.groups.size();
    return m;
  }();
  return made;
}

// Journeys from the busiest station to each destination in turn: a whole
// day's (limit 0) or the next three, with at most three changes.
void metroJourneysBenchmark(benchmark::State& state, int32_t limit) {
  const Metro& m = metro();
  std::size_t next = 0;
  std::size_t journeys = 0;
  std::size_t asked = 0;
  for (auto _ : state) {
    murlo_journeys* answer = nullptr;
    const std::string& to = m.destinations[next++ % m.destinations.size()];
    if (murlo_db_plan_journeys(m.db, m.origin.c_str(), to.c_str(), 480, 3, 3, limit, &answer) !=
        MURLO_STATUS_OK) {
      state.SkipWithError("the journeys failed");
      break;
    }
    journeys += answer->count;
    ++asked;
    murlo_journeys_free(answer);
  }
  state.counters["journeys"] =
      asked == 0 ? 0.0 : static_cast<double>(journeys) / static_cast<double>(asked);
  state.counters["trains"] = static_cast<double>(m.trains);
  state.counters["stations"] = static_cast<double>(m.stations);
  state.counters["complexes"] = static_cast<double>(m.groups);
}

}  // namespace

void registerMetroBenchmarks() {
  benchmark::RegisterBenchmark("metro/journeys-day", metroJourneysBenchmark, 0)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("metro/journeys-next3", metroJourneysBenchmark, 3)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace murlo::bench
