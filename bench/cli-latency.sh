#!/usr/bin/env bash
# A 10-page `thornvale-cli search` against site-sim with LATENCY ms (default 200) added to every
# request: wall time, process start included, against the two round trips a run of ten pages
# fetched six at a time needs, and the TCP connections site-sim accepted.
set -euo pipefail
build=${1:-build/bench}
latency=${LATENCY:-200}
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
echo "cli search, 10 pages at ${latency} ms latency: $(( (end - start) / 1000000 )) ms wall time, process start included (two round trips: $(( 2 * latency )) ms; one page after the other: $(( 10 * latency )) ms)"
grep -o "[0-9]* connections, [0-9]* requests" "$log"
rm -f "$log"
