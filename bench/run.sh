#!/usr/bin/env bash
# The benchmarks, the way docs/performance.md reports them: builds the `bench`
# preset (optimised, benchmarks on), runs every benchmark five times and keeps
# the medians. Writes to build/bench/results/:
#   results.md   the tables of docs/performance.md, with the machine
#   chart.dat    the data of the chart
#   console.txt  Google Benchmark's own output
# and draws docs/performance.png when gnuplot is installed
# (apt-get install -y gnuplot-nox). Extra arguments go to murlo_bench, e.g.
# --benchmark_filter=national. Takes about ten minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench --target murlo_bench

out=build/bench/results
mkdir -p "$out"
build/bench/bench/murlo_bench \
  --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.5 \
  --report="$out/results.md" \
  --chart="$out/chart.dat" \
  "$@" | tee "$out/console.txt"

if command -v gnuplot >/dev/null; then
  gnuplot -e "datafile='$out/chart.dat'; outfile='docs/performance.png'" bench/plot.gnuplot
  echo "chart: docs/performance.png"
else
  echo "gnuplot not found: chart not drawn (apt-get install -y gnuplot-nox)" >&2
fi
echo
cat "$out/results.md"
