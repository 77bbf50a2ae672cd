#!/usr/bin/env bash
# A whole day's journeys beside one departure search of an independent
# RAPTOR implementation, on the same real feed and date, from the same
# station to the same destinations:
#
#   bench/raptor_peer/run.sh FEED_DIR YYYYMMDD ORIGIN_STOP=ORIGIN DEST_STOP=DEST...
#
# FEED_DIR is an unpacked GTFS feed; each station is given by the parent
# stop_id the peer asks by and the name murlo asks by (`murlo stations`).
# The peer (npm raptor-journey-planner 2.2.3, installed into
# build/raptor-peer, never part of the repository) changes trains at one
# stop only, so it reads the feed with every stop time at its parent
# station; it picks the date's trips before searching (its fastest way).
# murlo answers every journey departing in the day (at most three changes)
# on a one-day import of the date. Both are run twice, alternately; the
# last line is the ratio of the medians. Needs node, npm and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ $# -ge 4 ] || { echo "usage: $0 FEED_DIR YYYYMMDD ORIGIN_STOP=ORIGIN DEST_STOP=DEST..." >&2; exit 2; }
feed=$1 date=$2
shift 2
origin_stop=${1%%=*} origin=${1#*=}
shift
stops=() names=()
for pair in "$@"; do stops+=("${pair%%=*}"); names+=("${pair#*=}"); done

peer=build/raptor-peer
mkdir -p "$peer"
if [ ! -d "$peer/node_modules/raptor-journey-planner" ]; then
  npm install --prefix "$peer" --no-audit --no-fund raptor-journey-planner@2.2.3 >/dev/null
fi
python3 - "$feed" "$peer/feed.zip" <<'PY'
import csv, io, os, sys, zipfile
feed, out = sys.argv[1], sys.argv[2]
parent = {}
with open(os.path.join(feed, "stops.txt"), newline="", encoding="utf-8-sig") as f:
    for row in csv.DictReader(f):
        parent[row["stop_id"]] = row.get("parent_station") or row["stop_id"]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(feed)):
        if not name.endswith(".txt") or name == "shapes.txt":
            continue
        if name != "stop_times.txt":
            z.write(os.path.join(feed, name), name)
            continue
        text = io.StringIO()
        with open(os.path.join(feed, name), newline="", encoding="utf-8-sig") as f:
            rows = csv.DictReader(f)
            w = csv.DictWriter(text, rows.fieldnames, lineterminator="\n")
            w.writeheader()
            for row in rows:
                row["stop_id"] = parent.get(row["stop_id"], row["stop_id"])
                w.writerow(row)
        z.writestr(name, text.getvalue())
PY

cmake --preset bench >/dev/null
cmake --build --preset bench --target murlo murlo_day_journeys >/dev/null
build/bench/tools/murlo/murlo import-gtfs "$feed" "$peer/day.db" --date "$date" --quiet \
  >/dev/null

log=$peer/console.txt
: >"$log"
for pass in 1 2; do
  echo "== pass $pass: peer, one departure search at 08:00" | tee -a "$log"
  NODE_PATH="$peer/node_modules" node bench/raptor_peer/peer.js "$peer/feed.zip" "$date" 9 \
    "$origin_stop" "${stops[@]}" | tee -a "$log"
  echo "== pass $pass: murlo, the whole day's journeys" | tee -a "$log"
  build/bench/bench/raptor_peer/murlo_day_journeys "$peer/day.db" 0 9 "$origin" "${names[@]}" |
    tee -a "$log"
done
awk '/^== pass/ { side = ($4 == "peer,") ? "peer" : "murlo" }
     /^median/ { sum[side] += $2; n[side]++ }
     END { p = sum["peer"] / n["peer"]; m = sum["murlo"] / n["murlo"];
           printf "murlo whole day %.2f ms, peer one search %.2f ms: %.2f of the peer\n", m, p, m / p }' "$log"
