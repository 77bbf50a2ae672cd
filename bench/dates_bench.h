// Questions for a date on a whole-period file beside the same questions on a
// file of that day's trains alone; loading and memory of the whole-period
// file beside the floor of reading it and its size.
#ifndef MURLO_BENCH_DATES_BENCH_H_
#define MURLO_BENCH_DATES_BENCH_H_

#include <cstdint>

namespace murlo::bench {

// The larger network of the dates benchmarks: its trains (stations and hubs
// in the national network's proportions) and the days of its period. The
// network view holds at most 10,000 trains today; more is refused when the
// network is generated.
struct DatesSize {
  int32_t trains = 10000;
  int32_t days = 180;
};

// Registers dates/.../small/... (cheap, for the smoke run) and
// dates/.../national/... of `national`.
void registerDatesBenchmarks(DatesSize national);

}  // namespace murlo::bench

#endif  // MURLO_BENCH_DATES_BENCH_H_
