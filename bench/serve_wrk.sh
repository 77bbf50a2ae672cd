#!/usr/bin/env bash
# murlo serve measured with wrk (Debian's package), as docs/performance.md
# reports it: the national network (seed 1), `murlo serve --threads 16` on
# a free loopback port, wrk with 2 threads and 16 connections for 8 s over
# 3,000 targets in the page's mix; then again while 64 idle connections and
# 16 that send a request head a byte a second are held open, with a normal
# request asked twice a second beside them (its slowest time printed).
# Judges nothing: it prints requests/s, p50 and p99. Options after MURLO
# go to murlo serve (--cache 0: every answer made afresh). Two builds are
# compared by running the script for each in turn, a few rounds each.
#
#   bench/serve_wrk.sh [MURLO [SERVE OPTIONS...]]   (default build/bench/tools/murlo/murlo)
set -euo pipefail
cd "$(dirname "$0")/.."

murlo=$(realpath "${1:-build/bench/tools/murlo/murlo}")
command -v wrk >/dev/null || { echo "serve_wrk: needs wrk (apt-get install -y wrk)" >&2; exit 1; }
out=build/serve_wrk
mkdir -p "$out"
[[ -f $out/national.db ]] || "$murlo" generate national "$out/national.db" --seed 1 >/dev/null
# Removed first: the server's shell truncates it only once it runs, and
# the last run's URL must not be read before then.
rm -f "$out/url"
"$murlo" serve --db "$out/national.db" --port 0 --threads 16 "${@:2}" >"$out/url" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -s $out/url ]] && break; sleep 0.05; done
url=$(head -n 1 "$out/url")
port=${url##*:}
port=${port%/}

python3 - "$port" "$out/targets.txt" <<'PY'
# 3,000 targets: 30 % stations as typed, 30 % direct trains from a random
# time, 10 % a station's trains, 10 % trains by number, 20 % stop lists.
import json, random, sys, urllib.parse, urllib.request
port, path = int(sys.argv[1]), sys.argv[2]
base = f"http://127.0.0.1:{port}"
ask = lambda target: json.load(urllib.request.urlopen(base + target))
quote = urllib.parse.quote
listed = ask("/api/stations")
stations, abbreviations = listed["stations"], listed["abbreviations"]
random.seed(1)
numbers = []
for station in random.sample(stations, 5):
    numbers += [t["number"] for t in ask("/api/at?station=" + quote(station)).get("trains", [])]
numbers = numbers or ["1"]
targets = []
for _ in range(3000):
    r = random.random()
    if r < 0.3:
        a = random.choice(abbreviations).lower()
        targets.append("/api/match?limit=8&text=" + quote(a[:random.randint(1, len(a))]))
    elif r < 0.6:
        a, b = random.sample(stations, 2)
        targets.append(f"/api/direct?from={quote(a)}&to={quote(b)}"
                       f"&at={random.randint(0, 23):02d}:{random.randint(0, 59):02d}")
    elif r < 0.7:
        targets.append("/api/at?station=" + quote(random.choice(stations)))
    elif r < 0.8:
        targets.append("/api/number?number=" + quote(random.choice(numbers)))
    else:
        targets.append("/api/stops?train=" + str(random.randrange(10000)))
open(path, "w").write("\n".join(targets) + "\n")
PY
export SERVE_WRK_TARGETS=$PWD/$out/targets.txt

echo "alone:"
wrk -t2 -c16 -d8s -s bench/serve_wrk.lua "http://127.0.0.1:$port/" | grep RESULT
echo "beside 64 idle and 16 slow connections:"
python3 - "$port" 9 <<'PY' &
import socket, sys, time
port, seconds = int(sys.argv[1]), float(sys.argv[2])
idle = [socket.create_connection(("127.0.0.1", port)) for _ in range(64)]
slow = [socket.create_connection(("127.0.0.1", port)) for _ in range(16)]
head = b"GET /api/header HTTP/1.1\r\nHost: x\r\nX-Slow: " + b"a" * 4000
end, byte, slowest, asked = time.time() + seconds, 0, 0.0, 0
while time.time() < end:
    for s in slow:
        try: s.send(head[byte:byte + 1])
        except OSError: pass
    byte += 1
    for _ in range(2):
        start = time.time()
        c = socket.create_connection(("127.0.0.1", port)); c.settimeout(30)
        c.sendall(b"GET /api/header HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
        try:
            while c.recv(65536): pass
        except OSError: pass
        c.close()
        slowest, asked = max(slowest, time.time() - start), asked + 1
        time.sleep(0.5)
print(f"HOLD normal requests={asked} slowest={slowest * 1000:.1f}ms")
PY
hold=$!
sleep 0.5
timeout 30 wrk -t2 -c16 -d8s -s bench/serve_wrk.lua "http://127.0.0.1:$port/" | grep RESULT || true
wait "$hold"
