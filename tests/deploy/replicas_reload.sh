#!/usr/bin/env bash
# Three murlo serve replicas on loopback behind HAProxy (deploy/haproxy.cfg,
# its ports changed to free ones): under a steady load of clients, each
# replica in turn is given a new database (SIGHUP), and one is stopped and
# started again. Counts every request that failed; any failure fails the
# test. Bounded: about 10 s, loopback only. Exits 77 (skipped) without
# haproxy or python3.
#
#   tests/deploy/replicas_reload.sh [MURLO [DATABASE]]
#     (default build/dev/tools/murlo/murlo and the sample network beside it)
set -euo pipefail
cd "$(dirname "$0")/../.."

murlo=$(realpath "${1:-build/dev/tools/murlo/murlo}")
old_db=$(realpath "${2:-build/dev/data/sample.db}")
command -v haproxy >/dev/null && command -v python3 >/dev/null || exit 77
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

cp "$old_db" "$dir/old.db"
"$murlo" generate small "$dir/new.db" --seed 2 >/dev/null
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# start_replica N PORT: murlo serve on PORT with its own copy of the database;
# started_replica N: waits until it prints its URL.
start_replica() {
  "$murlo" serve --db "$dir/replica$1.db" --port "$2" --threads 4 >"$dir/url$1" 2>>"$dir/log$1" &
  pids[$1]=$!
}
started_replica() {
  for _ in $(seq 200); do [[ -s $dir/url$1 ]] && return 0; sleep 0.05; done
  echo "replicas: replica $1 did not start" >&2
  cat "$dir/log$1" >&2
  exit 1
}
ports=()
for n in 1 2 3; do
  cp "$dir/old.db" "$dir/replica$n.db"
  ports[n]=$(free_port)
  start_replica "$n" "${ports[n]}"
done
for n in 1 2 3; do started_replica "$n"; done
front=$(free_port)
sed -e "s|^    bind :8080|    bind 127.0.0.1:$front|" \
  -e "s|127.0.0.1:8081|127.0.0.1:${ports[1]}|" -e "s|127.0.0.1:8082|127.0.0.1:${ports[2]}|" \
  -e "s|127.0.0.1:8083|127.0.0.1:${ports[3]}|" \
  deploy/haproxy.cfg >"$dir/haproxy.cfg"
haproxy -f "$dir/haproxy.cfg" -db >"$dir/haproxy.log" 2>&1 &
pids[0]=$!

python3 - "$front" "$dir" "${pids[1]}" "${pids[2]}" "${pids[3]}" "${ports[@]:1}" <<'PY' &
import http.client, json, os, signal, sys, threading, time
front, work = int(sys.argv[1]), sys.argv[2]
# Until HAProxy answers through a replica.
for _ in range(100):
    try:
        c = http.client.HTTPConnection("127.0.0.1", front, timeout=2)
        c.request("GET", "/readyz"); ok = c.getresponse().status == 200; c.close()
        if ok: break
    except OSError: pass
    time.sleep(0.05)
stop = time.time() + 5
counts = {"ok": 0, "failed": 0}; lock = threading.Lock(); failures = []
targets = ["/api/header", "/api/stations", "/api/stops?train=1", "/healthz"]
def client(k):
    conn = None; i = k
    while time.time() < stop:
        target = targets[i % len(targets)]; i += 1
        try:
            if conn is None: conn = http.client.HTTPConnection("127.0.0.1", front, timeout=10)
            conn.request("GET", target); r = conn.getresponse(); body = r.read()
            good = r.status == 200
            if r.getheader("Connection", "").lower() == "close": conn.close(); conn = None
        except (OSError, http.client.HTTPException) as e:
            good = False; body = repr(e).encode()
            if conn is not None: conn.close()
            conn = None
        with lock:
            counts["ok" if good else "failed"] += 1
            if not good: failures.append((target, body[:120]))
threads = [threading.Thread(target=client, args=(k,)) for k in range(8)]
for t in threads: t.start()
open(os.path.join(work, "load-started"), "w").close()
for t in threads: t.join()
print(json.dumps(counts)); [print("failed:", f) for f in failures[:10]]
sys.exit(1 if counts["failed"] or counts["ok"] < 100 else 0)
PY
load=$!
for _ in $(seq 200); do [[ -e $dir/load-started ]] && break; sleep 0.05; done
sleep 0.5
# A new database for each replica in turn; replica 2 is stopped and started
# again (HAProxy sends its requests elsewhere meanwhile).
for n in 1 2 3; do
  cp "$dir/new.db" "$dir/replica$n.db.new"
  mv "$dir/replica$n.db.new" "$dir/replica$n.db"
  if ((n == 2)); then
    kill -TERM "${pids[2]}"
    wait "${pids[2]}" || true
    : >"$dir/url2"
    start_replica 2 "${ports[2]}"
    started_replica 2
  else
    kill -HUP "${pids[n]}"
  fi
  sleep 1.2
done
status=0
wait "$load" || status=1
for n in 1 3; do
  grep -q "murlo serve: loaded " "$dir/log$n" || { echo "replicas: replica $n did not reload" >&2; status=1; }
done
new_header=$(python3 -c "import json,urllib.request; print(json.load(urllib.request.urlopen('http://127.0.0.1:$front/api/header'))['header'])")
for n in 1 2 3; do
  header=$(python3 -c "import json,urllib.request; print(json.load(urllib.request.urlopen('http://127.0.0.1:${ports[n]}/api/header'))['header'])")
  [[ $header == "$new_header" ]] || { echo "replicas: replica $n serves $header, not $new_header" >&2; status=1; }
done
((status == 0)) && echo "replicas: no request failed while each replica took a new database"
((status == 0)) || { cat "$dir/haproxy.log" >&2; exit 1; }
