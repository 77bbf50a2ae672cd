#!/usr/bin/env bash
# The browser test of murlo serve's page: Debian's chromium driven by
# playwright-core (npm; no browser is downloaded). Starts `murlo serve` on a
# free loopback port on the sample network, on a crafted network whose names
# are HTML, on a timetable with a calendar and on networks with fares of
# their own and without fares, runs page_test.mjs
# against them, saves its
# screenshots under build/browser/, stops the servers and exits non-zero on
# any failure.
#
#   tests/browser/run.sh            (murlo of build/dev; BUILD_DIR=build/release ...)
#
# Needs chromium (apt-get install -y chromium fonts-wqy-microhei) and node;
# installs the pinned npm package into tests/browser/node_modules when it is
# missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

build_dir=${BUILD_DIR:-build/dev}
murlo=$build_dir/tools/murlo/murlo
sample=$build_dir/data/sample.db
out=build/browser
for file in "$murlo" "$sample"; do
  [[ -e $file ]] || { echo "run.sh: $file is missing (build $build_dir first)" >&2; exit 1; }
done
[[ -x /usr/bin/chromium ]] || { echo "run.sh: /usr/bin/chromium is missing (apt-get install -y chromium)" >&2; exit 1; }
if [[ ! -d tests/browser/node_modules/playwright-core ]]; then
  (cd tests/browser && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
rm -rf "$out"
mkdir -p "$out"

# A network whose names would run as HTML if a page inserted them as such.
# Names hold no spaces (the source format splits at them), so the classic
# attack is written with "/" between its attributes, which HTML accepts.
cat >"$out/crafted.tt" <<'SOURCE'
header "<i>x</i>"
names long
station <img/src/onerror=alert(1)> XSS
station Plain&amp;"quoted" PQ
train K1 class 1 columns F rate D
  <img/src/onerror=alert(1)>  -      08:00  0
  Plain&amp;"quoted"          09:30  -      137
end
SOURCE
"$murlo" build "$out/crafted.tt" "$out/crafted.db" >/dev/null

# A timetable with a calendar: W1 on weekdays, E2 at weekends (the period
# wide enough to hold today).
cat >"$out/calendar.tt" <<'SOURCE'
period 2020-01-01 2029-12-31 zone Asia/Shanghai
station Aton AT
station Beeby BB
train W1 class 1 columns F rate D
  days mon-fri
  Aton   -      08:00  0
  Beeby  09:00  -      100
end
train E2 class 1 columns F rate D
  days sat,sun
  Aton   -      10:00  0
  Beeby  11:00  -      100
end
SOURCE
"$murlo" build "$out/calendar.tt" "$out/calendar.db" >/dev/null

# A network with fares of its own (R10 Aton-Beeby $10.75, B20 Beeby-Ceton
# $2.50), in its own words (names with spaces and accents, where they lie,
# a line in its colours, a headsign, a platform, stations' wheelchair
# access), and one without fares, whose class is its route type.
cat >"$out/fares.tt" <<'SOURCE'
station Aton AT
named Aton "Aton Süd" at 50.000000,8.000000 wheelchair yes
station Beeby BB
named Beeby "Beeby Market Hall" at 50.050000,8.100000 wheelchair no
station Ceton CT
named Ceton "Ceton Öst" at 50.020000,8.200000
line R "R1" "Riverside Line" type 2 colour 0039A6 text-colour FFFFFF
tariff network
route R1 type 2
route B1 type 3
zone 1 Aton
zone 2 Beeby Ceton
fare in 2.50 USD
fare out 10.75 USD
fare-rule in origin 2 destination 2
fare-rule out route R1 origin 1 destination 2
train R10 class 1 columns F rate D
  route R1
  words line R headsign "Beeby Market Hall"
  Aton   -      08:00  0    platform "3"
  Beeby  09:00  -      100
end
train B20 class 1 columns F rate D
  route B1
  Beeby  -      09:30  0
  Ceton  10:00  -      20
end
SOURCE
"$murlo" build "$out/fares.tt" "$out/fares.db" >/dev/null
cat >"$out/nofares.tt" <<'SOURCE'
tariff none
route M type 1
station Aton AT
station Beeby BB
train M1 class 1 columns F rate D
  route M
  Aton   -      08:00  0
  Beeby  08:20  -      10
end
SOURCE
"$murlo" build "$out/nofares.tt" "$out/nofares.db" >/dev/null

pids=()
stop_servers() {
  for pid in "${pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap stop_servers EXIT

# Starts murlo serve on DB, its output under NAME.
start_server() {
  "$murlo" serve --db "$1" --port 0 >"$out/$2.url" 2>"$out/$2.log" &
  pids+=($!)
}
# The URL murlo serve NAME prints once it listens.
url_of() {
  for _ in $(seq 100); do
    if [[ -s $out/$1.url ]]; then
      head -1 "$out/$1.url"
      return
    fi
    sleep 0.1
  done
  echo "run.sh: murlo serve ($1) did not start:" >&2
  cat "$out/$1.log" >&2
  return 1
}
start_server "$sample" sample
start_server "$out/crafted.db" crafted
start_server "$out/calendar.db" calendar
start_server "$out/fares.db" fares
start_server "$out/nofares.db" nofares
sample_url=$(url_of sample)
crafted_url=$(url_of crafted)
calendar_url=$(url_of calendar)
fares_url=$(url_of fares)
nofares_url=$(url_of nofares)

status=0
node tests/browser/page_test.mjs "$sample_url" "$crafted_url" "$calendar_url" "$out" \
  "$fares_url" "$nofares_url" || status=$?
stop_servers
trap - EXIT
if ((status != 0)); then
  echo "run.sh: the browser test failed; the servers' logs are in $out/" >&2
fi
exit "$status"
