#!/usr/bin/env bash
# Portability CI: the suite built natively with clang, and cross-built for
# Windows x86-64 (mingw-w64, run under Wine), Linux aarch64 and Linux ARM
# hard-float (run under qemu-user). Installs what it needs, builds each target
# with its preset (Release, no sanitizers), runs its suite and prints one
# summary line per target with the time of each step. Exits non-zero when any
# target fails; the other targets still run.
#
# None of these builds has a murlo of its own (the command is built and
# tested by the dev preset): their test databases are written by the release
# build's murlo (MURLO_HOST_MURLO in the presets), built first when missing
# (CI's main job has built it by then).
set -uo pipefail
cd "$(dirname "$0")/.."

log_dir=build/portability-logs
mkdir -p "$log_dir"
failed=0

now() { date +%s; }

# ---- Packages ----------------------------------------------------------------
install_start=$(now)
packages=(cmake make pkg-config libgtest-dev googletest zlib1g-dev libcli11-dev libcpp-httplib-dev
  libmicrohttpd-dev
  clang
  g++-mingw-w64-x86-64-posix wine wine64
  g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || exit 1
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log_dir/apt.log" 2>&1 || {
    tail -20 "$log_dir/apt.log"
    exit 1
  }
fi
install_seconds=$(($(now) - install_start))

# ---- One target ----------------------------------------------------------------
# The builds run one after the other, each on every core; the suites run in
# a second lane, one at a time, each started as soon as its build is done, so
# that a suite under Wine or qemu (which keeps the cores only half busy)
# runs while the next target compiles. Each target's times and summary line
# are kept in $log_dir/NAME.*, written by whichever lane ran its step.

# build_target NAME: configure and build with the presets NAME; true when
# both succeed.
build_target() {
  local name=$1 step_start status=ok
  echo "==== $name: build"
  step_start=$(now)
  if ! cmake --preset "$name" >"$log_dir/$name-configure.log" 2>&1; then
    tail -30 "$log_dir/$name-configure.log"
    status="FAILED (configure)"
  fi
  echo "$(($(now) - step_start))" >"$log_dir/$name.configure-seconds"

  if [[ $status == ok ]]; then
    step_start=$(now)
    if ! cmake --build --preset "$name" >"$log_dir/$name-build.log" 2>&1; then
      grep -E -A5 "error|Error" "$log_dir/$name-build.log" | head -60
      status="FAILED (build)"
    fi
    echo "$(($(now) - step_start))" >"$log_dir/$name.build-seconds"
  fi
  echo "$status" >"$log_dir/$name.status"
  [[ $status == ok ]]
}

# failed_tests LOG: "failed: NAME (HOW), ..." for the tests that ctest lists
# as failed at the end of LOG (the first ten, and how many more), or nothing:
# the summary lines name them, as a truncated log may show nothing else.
failed_tests() {
  local names=() listed
  mapfile -t names < <(sed -n -E \
    '/^The following tests FAILED:/,/^[^[:space:]]/s/^[[:space:]]+[0-9]+ - (.+ \([^()]*\))$/\1/p' "$1")
  ((${#names[@]})) || return 0
  listed=$(printf ', %s' "${names[@]:0:10}")
  printf 'failed: %s' "${listed:2}"
  ((${#names[@]} <= 10)) || printf ' and %d more' $((${#names[@]} - 10))
}

# test_target NAME [TEST_WRAPPER...]: runs the suite of NAME (inside
# TEST_WRAPPER when one is given) once no other suite is running, and writes
# the target's summary line.
test_target() {
  local name=$1 step_start test=0 status tests="" failed_names
  shift
  status=$(cat "$log_dir/$name.status")
  exec 9>"$log_dir/tests.lock"
  flock 9
  if [[ $status == ok ]]; then
    echo "==== $name: tests"
    step_start=$(now)
    if ! "$@" ctest --preset "$name" >"$log_dir/$name-test.log" 2>&1; then
      sed -n '/tests passed/,$p' "$log_dir/$name-test.log"
      status="FAILED (tests)"
    fi
    test=$(($(now) - step_start))
    tests=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log_dir/$name-test.log" | tail -1)
    failed_names=$(failed_tests "$log_dir/$name-test.log")
    [[ -z $failed_names ]] || tests="${tests:+$tests; }$failed_names"
  fi
  flock -u 9
  local configure build=0
  configure=$(cat "$log_dir/$name.configure-seconds")
  [[ ! -e $log_dir/$name.build-seconds ]] || build=$(cat "$log_dir/$name.build-seconds")
  printf '%-8s %-18s configure %4ds  build %4ds  test %4ds  %s\n' \
    "$name" "$status" "$configure" "$build" "$test" "$tests" | tee "$log_dir/$name.summary"
  [[ $status == ok ]]
}

# Runs its arguments with a Wine server of the mingw build's own prefix,
# started first and stopped after: a server that Wine starts by itself keeps
# the output pipe of each test open for seconds after the test ends. The
# prefix is made beforehand (make_wine_prefix, while the builds run), and the
# server restarted after that: helpers left from the prefix's first boot slow
# many test programs by seconds (80 s against 28 s for the suite).
wine_prefix=$PWD/build/mingw/wineprefix
wine_loader=/usr/lib/wine/wine64
[[ -x $wine_loader ]] || wine_loader=wine
make_wine_prefix() (
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all
  mkdir -p "$wine_prefix"
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine_loader" wineboot --init </dev/null >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
)
with_wine() (
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  wait_for "$wine_prefix_pid"
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine_loader" wineboot --init </dev/null >/dev/null 2>&1
  "$@"
)
# wait_for PID: until PID (not necessarily a child) has ended.
wait_for() {
  while kill -0 "$1" 2>/dev/null; do sleep 1; done
}

if [[ ! -x build/release/tools/murlo/murlo ]]; then
  echo "==== the release build's murlo, for the test databases"
  cmake --preset release >"$log_dir/release-configure.log" 2>&1 &&
    cmake --build --preset release --target murlo >"$log_dir/release-build.log" 2>&1 || {
    tail -30 "$log_dir/release-build.log"
    exit 1
  }
fi

rm -f "$log_dir"/*.status "$log_dir"/*-seconds "$log_dir"/*.summary
make_wine_prefix &
wine_prefix_pid=$!
suites=()
build_target clang
test_target clang &
suites+=($!)
build_target mingw
test_target mingw with_wine &
suites+=($!)
build_target aarch64
test_target aarch64 &
suites+=($!)
build_target armhf
test_target armhf &
suites+=($!)
for pid in "${suites[@]}"; do
  wait "$pid" || failed=1
done
wait "$wine_prefix_pid" || true

echo
echo "==== portability summary (packages: ${install_seconds}s, all targets: $(($(now) - install_start - install_seconds))s)"
for name in clang mingw aarch64 armhf; do
  cat "$log_dir/$name.summary"
done
exit "$failed"
