#!/usr/bin/env bash
# The load test of murlo serve, the way docs/performance.md reports it:
# builds the `bench` preset (optimised), generates the national network
# (seed 1), starts `murlo serve` on a free loopback port and runs
# murlo_serve_load against it: one client alone, then CLIENTS clients (16)
# for SECONDS seconds (5), with one SIGHUP reload halfway. Prints the table
# of docs/performance.md; exits non-zero when any request failed or the
# reload was not logged. Loopback only, bounded in time and count.
#
#   bench/serve_load.sh [CLIENTS [SECONDS [THREADS]]]
set -euo pipefail
cd "$(dirname "$0")/.."

clients=${1:-16}
seconds=${2:-5}
threads=${3:-16}
out=build/bench/serve
cmake --preset bench >/dev/null
cmake --build --preset bench --target murlo murlo_serve_load >/dev/null
murlo=build/bench/tools/murlo/murlo
mkdir -p "$out"
[[ -f $out/national.db ]] || "$murlo" generate national "$out/national.db" --seed 1 >/dev/null

"$murlo" serve --db "$out/national.db" --port 0 --threads "$threads" >"$out/url" 2>"$out/log" &
server=$!
trap 'kill -TERM $server 2>/dev/null || true; wait $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -s $out/url ]] && break
  sleep 0.1
done
url=$(head -1 "$out/url")
port=${url##*:}
port=${port%/}
echo "murlo serve on the national network, $threads threads, $(nproc) cores"
status=0
build/bench/bench/murlo_serve_load --port "$port" --server-pid "$server" \
  --clients "$clients" --seconds "$seconds" || status=$?
if ! grep -q "murlo serve: loaded " "$out/log"; then
  echo "serve_load.sh: the reload was not logged" >&2
  status=1
fi
kill -TERM "$server"
wait "$server" || status=$?
trap - EXIT
grep "murlo serve: \(SIGHUP\|loaded\|cannot\)" "$out/log"
exit "$status"
