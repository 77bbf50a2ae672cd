// Journeys on a generated metro, beside the national networks' questions.
#ifndef MURLO_BENCH_METRO_BENCH_H_
#define MURLO_BENCH_METRO_BENCH_H_

namespace murlo::bench {

void registerMetroBenchmarks();

}  // namespace murlo::bench

#endif  // MURLO_BENCH_METRO_BENCH_H_
