#!/usr/bin/env bash
# Fuzzing: builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own, runs each target
# over its regression corpus (fuzz/corpus/TARGET: the seeds and every input
# that once failed), then fuzzes each for a bounded time. Exits non-zero when
# any input crashes, leaks, hangs or breaks a check.
#
#   fuzz/ci.sh                      # 30 seconds per target (CI: fuzz/ci.sh 20)
#   fuzz/ci.sh 3600                 # a longer campaign: an hour per target
#   fuzz/ci.sh 1200 loader queries  # chosen targets only
#
# Targets: loader, queries, source, codec. MURLO_FUZZ_JOBS targets run at the
# same time (default: the number of cores). New inputs are kept in
# BUILD/corpus/TARGET between runs, never written to fuzz/corpus; a failing
# input is saved in BUILD/artifacts/ and its path printed. BUILD is
# build/fuzz-ci unless MURLO_FUZZ_BUILD_DIR says otherwise. With
# MURLO_FUZZ_BUILD_ONLY=1 it builds the targets and stops (CI builds them
# while other work runs, and fuzzes later).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(loader queries source codec)
build=${MURLO_FUZZ_BUILD_DIR:-build/fuzz-ci}
jobs=${MURLO_FUZZ_JOBS:-$(nproc)}

command -v clang++ >/dev/null || { echo "fuzz/ci.sh: clang++ is needed (libFuzzer)" >&2; exit 1; }

dictionary() {
  case $1 in
    source) echo fuzz/source.dict ;;
    codec) echo "" ;;
    *) echo fuzz/database.dict ;;
  esac
}

# -O1 with line tables only: a fuzzer's usual build, as quick to compile as
# an unoptimised one, with file and line in every stack trace.
CC=clang CXX=clang++ cmake -S . -B "$build" \
  -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -gline-tables-only -DNDEBUG" \
  "-DCMAKE_C_FLAGS_RELEASE=-O1 -gline-tables-only -DNDEBUG" \
  -DMURLO_SANITIZE=address,undefined \
  -DMURLO_BUILD_TESTS=OFF \
  -DMURLO_BUILD_FUZZERS=ON -DMURLO_WERROR=ON -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"
[[ ${MURLO_FUZZ_BUILD_ONLY:-0} != 1 ]] || exit 0

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
mkdir -p "$build/corpus" "$build/artifacts" "$build/logs"

# One target: the regression corpus once, then fuzzing for `seconds`.
run_target() {
  local target=$1 bin=$build/fuzz/fuzz_$1 dict
  dict=$(dictionary "$target")
  local options=(-timeout=30 -rss_limit_mb=2560 -print_final_stats=1
    "-artifact_prefix=$build/artifacts/$target-")
  [[ -n $dict ]] && options+=("-dict=$dict")
  mkdir -p "$build/corpus/$target"
  echo "== $target: regression corpus"
  "$bin" "${options[@]}" -runs=0 "fuzz/corpus/$target" || return 1
  echo "== $target: fuzzing for $seconds s"
  "$bin" "${options[@]}" -max_total_time="$seconds" "$build/corpus/$target" "fuzz/corpus/$target"
}

failed=()
pids=()
names=()
finish_one() {
  local status=0
  wait "${pids[0]}" || status=$?
  local target=${names[0]} log=$build/logs/${names[0]}.log
  if ((status)); then
    failed+=("$target")
    echo "FAILED: $target (log $log)"
    grep -E "check failed|ERROR|SUMMARY|Test unit written" "$log" || tail -n 40 "$log"
  else
    echo "passed: $target ($(grep -E '^stat::number_of_executed_units' "$log" | tail -n 1 | awk '{print $2}') inputs)"
  fi
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for target in "${targets[@]}"; do
  ((${#pids[@]} < jobs)) || finish_one
  run_target "$target" >"$build/logs/$target.log" 2>&1 &
  pids+=($!)
  names+=("$target")
done
while ((${#pids[@]})); do finish_one; done

if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing passed: ${targets[*]} ($seconds s each)"
