#!/usr/bin/env bash
# CI smoke run of the benchmarks: builds them in the release build folder
# (benchmarks switched on there) and runs each on the small network once,
# briefly. This checks that they build, run and that the SQLite baseline
# writes the same text as the library; it does not judge any timing. The
# load test of murlo serve (bench/serve_load.sh) is only built.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release -DMURLO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release --target murlo_bench murlo_serve_load
build/release/bench/murlo_bench --benchmark_filter='/small' --benchmark_min_time=0.01 \
  --benchmark_color=false
