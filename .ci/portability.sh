#!/usr/bin/env bash
# Portability CI: the suite built natively with clang, and cross-built for
# Windows x86-64 (mingw-w64, run under Wine), Linux aarch64 and Linux ARM
# hard-float (run under qemu-user). Installs what it needs, builds each target
# with its preset (Release, no sanitizers), runs its suite and prints one
# summary line per target with the time of each step. Exits non-zero when any
# target fails; the other targets still run.
#
# The cross builds have no murlo of their own to run on this machine: their
# test databases are written by the clang build's murlo (MURLO_HOST_MURLO in
# the presets), so clang goes first.
set -uo pipefail
cd "$(dirname "$0")/.."

log_dir=build/portability-logs
mkdir -p "$log_dir"
declare -A summary=()
failed=0

now() { date +%s; }

# ---- Packages ----------------------------------------------------------------
install_start=$(now)
packages=(cmake make pkg-config libgtest-dev googletest zlib1g-dev libcli11-dev libcpp-httplib-dev
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
# run_target NAME [TEST_WRAPPER...]: configure, build and test with the presets
# NAME; the test step runs inside TEST_WRAPPER when one is given.
run_target() {
  local name=$1
  shift
  local start step_start configure=0 build=0 test=0 status=ok tests=""
  start=$(now)
  echo "==== $name"

  step_start=$(now)
  if ! cmake --preset "$name" >"$log_dir/$name-configure.log" 2>&1; then
    tail -30 "$log_dir/$name-configure.log"
    status="FAILED (configure)"
  fi
  configure=$(($(now) - step_start))

  if [[ $status == ok ]]; then
    step_start=$(now)
    if ! cmake --build --preset "$name" >"$log_dir/$name-build.log" 2>&1; then
      grep -E -A5 "error|Error" "$log_dir/$name-build.log" | head -60
      status="FAILED (build)"
    fi
    build=$(($(now) - step_start))
  fi

  if [[ $status == ok ]]; then
    step_start=$(now)
    if ! "$@" ctest --preset "$name" >"$log_dir/$name-test.log" 2>&1; then
      sed -n '/tests passed/,$p' "$log_dir/$name-test.log"
      status="FAILED (tests)"
    fi
    test=$(($(now) - step_start))
    tests=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log_dir/$name-test.log" | tail -1)
  fi

  [[ $status == ok ]] || failed=1
  summary[$name]=$(printf '%-8s %-18s configure %4ds  build %4ds  test %4ds  total %4ds  %s' \
    "$name" "$status" "$configure" "$build" "$test" "$(($(now) - start))" "$tests")
  echo "${summary[$name]}"
}

# Runs its arguments with a Wine server of the mingw build's own prefix,
# started first and stopped after: a server that Wine starts by itself keeps
# the output pipe of each test open for seconds after the test ends. The
# server is restarted once the new prefix is made: helpers left from the
# prefix's first boot slow many test programs by seconds (80 s against 28 s
# for the suite).
with_wine() (
  export WINEPREFIX=$PWD/build/mingw/wineprefix WINEDEBUG=-all
  local loader=/usr/lib/wine/wine64
  [[ -x $loader ]] || loader=wine
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  for boot in first again; do
    [[ $boot == first ]] || wineserver -k >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1
    "$loader" wineboot --init </dev/null >/dev/null 2>&1
  done
  "$@"
)

run_target clang
run_target mingw with_wine
run_target aarch64
run_target armhf

echo
echo "==== portability summary (packages: ${install_seconds}s)"
for name in clang mingw aarch64 armhf; do
  echo "${summary[$name]}"
done
exit "$failed"
