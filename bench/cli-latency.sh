#!/usr/bin/env bash
# A 10-page `thornvale-cli search` against site-sim with LATENCY ms added to every request:
# wall time against the 10 x LATENCY ms the server sleeps, and the TCP connections it accepted.
set -euo pipefail
build=${1:-build/bench}
latency=${LATENCY:-50}
name=${NAME:-}
port=${PORT:-18181}
log=$(mktemp)
"$build/tools/site-sim/site-sim" --port "$port" --latency-ms "$latency" >"$log" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q listening "$log" && break; sleep 0.1; done
base="http://127.0.0.1:$port"
start=$(date +%s%N)
"$build/src/cli/thornvale-cli" search "$name" --json --search-base "$base" --character-base "$base/characters/" >/dev/null
end=$(date +%s%N)
kill -INT "$sim"; wait "$sim" || true
echo "wall time: $(( (end - start) / 1000000 )) ms for 10 pages; server latency alone: $(( 10 * latency )) ms"
grep -o "[0-9]* connections, [0-9]* requests" "$log"
rm -f "$log"
