// A whole day's journeys through the C interface, timed per question: every
// journey no other dominates that departs in the day asked (at most three
// changes), from one station to each destination in turn. The other side of
// bench/raptor_peer/run.sh.
//
//   murlo_day_journeys DB DATE ROUNDS ORIGIN DESTINATION...
//
// DATE is YYYYMMDD, or 0 for a file without dates. Prints each
// destination's CPU median over ROUNDS and the median of those.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "murloppc.h"

namespace {

double cpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fputs("usage: murlo_day_journeys DB DATE ROUNDS ORIGIN DESTINATION...\n", stderr);
    return 2;
  }
  murlo_db* db = nullptr;
  if (murlo_db_open(argv[1], &db) != MURLO_STATUS_OK) {
    std::fprintf(stderr, "murlo_day_journeys: cannot open %s\n", argv[1]);
    return 1;
  }
  const auto date = static_cast<int32_t>(std::atol(argv[2]));
  const int rounds = std::max(1, std::atoi(argv[3]));
  std::vector<double> medians;
  for (int d = 5; d < argc; ++d) {
    std::vector<double> times;
    std::size_t journeys = 0;
    for (int r = 0; r < rounds; ++r) {
      murlo_plan_options options{};
      options.size = sizeof options;
      options.time_kind = MURLO_PLAN_DEPART_AFTER;
      options.minute = 0;
      options.max_changes = 3;
      options.change_minutes = 3;
      options.limit = 0;
      murlo_journeys* out = nullptr;
      const double start = cpuMilliseconds();
      const murlo_status status = murlo_db_plan_on(db, argv[4], argv[d], date, &options, &out);
      times.push_back(cpuMilliseconds() - start);
      if (status != MURLO_STATUS_OK) {
        std::fprintf(stderr, "murlo_day_journeys: %s to %s: status %d\n", argv[4], argv[d],
                     static_cast<int>(status));
        murlo_db_close(db);
        return 1;
      }
      journeys = out->count;
      murlo_journeys_free(out);
    }
    medians.push_back(median(times));
    std::printf("%-36s %8.2f ms  %zu journeys\n", argv[d], medians.back(), journeys);
  }
  std::printf("median %.2f ms\n", median(medians));
  murlo_db_close(db);
  return 0;
}
