#!/usr/bin/env bash
# The window's figures under Xvfb against site-sim with LATENCY ms per request (default 300):
# process start to window shown (the real program, from outside), then bench/uiprobe.cpp's
# in-process figures. Needs the bench preset built (make bench builds it).
set -euo pipefail
latency=${LATENCY:-300}
port=18080
sim=build/bench/tools/site-sim/site-sim
log=$(mktemp)
"$sim" --port "$port" --latency-ms "$latency" >"$log" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 50); do grep -q listening "$log" && break; sleep 0.1; done
export QTWEBENGINE_DISABLE_SANDBOX=1

if [ -x build/bench/src/app/thornvale ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        for i in 1 2 3 4 5; do
            t0=$(date +%s%N)
            build/bench/src/app/thornvale & pid=$!
            # xdotool --sync polls only every half second; ask every 10 ms instead.
            until xdotool search --onlyvisible --name "Thornvale" >/dev/null 2>&1; do sleep 0.01; done
            t1=$(date +%s%N)
            sleep 2
            rss=$(awk "/VmRSS/ {print \$2}" /proc/$pid/status)
            kill $pid; wait $pid 2>/dev/null || true
            echo "process start to window shown: $(( (t1 - t0) / 1000000 )) ms, idle RSS $(( rss / 1024 )) MiB"
        done'
fi
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/thornvale-uiprobe --base "http://127.0.0.1:$port"
