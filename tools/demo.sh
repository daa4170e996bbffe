#!/usr/bin/env bash
# make demo: the tool against the bundled site-sim on 127.0.0.1:18080.
# With a display, the window opens and site-sim stops when it closes. Without one, the window runs
# under Xvfb, one search is typed into it, a screenshot is saved, and the CLI prints the same search.
set -euo pipefail
build=${1:-build/demo}
name=${DEMO_NAME:-토른}
port=18080
sim="$build/tools/site-sim/site-sim"
app="$build/src/app/thornvale"
cli="$build/src/cli/thornvale-cli"
export QTWEBENGINE_DISABLE_SANDBOX=1

log=$(mktemp)
"$sim" --port "$port" >"$log" 2>&1 &
sim_pid=$!
cleanup() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -f "$log"; }
trap cleanup EXIT
for _ in $(seq 50); do grep -q "listening" "$log" && break; sleep 0.1; done
if ! grep -q "listening" "$log"; then
    echo "site-sim did not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "site-sim: http://127.0.0.1:$port"

if [ -n "${DISPLAY:-}" ] && [ -z "${DEMO_HEADLESS:-}" ]; then
    "$app"
    exit 0
fi

shot="$PWD/$build/demo-screenshot.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -e
    "$1" &
    app_pid=$!
    win=$(xdotool search --sync --onlyvisible --name "Thornvale" | head -n 1)
    xdotool windowactivate --sync "$win" || true
    sleep 1.5   # the focus tick puts the cursor into the name box after 1024 ms
    xdotool type --delay 40 "$2"
    xdotool key Return
    sleep 3
    # Double-click the first row, then "바로검색" (the second item of the popup menu).
    xdotool mousemove --window "$win" 60 116 click --repeat 2 --delay 80 1
    sleep 0.5
    xdotool key Down Down Return
    sleep 2
    import -window "$win" "$3"
    kill "$app_pid"
' _ "$app" "$name" "$shot"
echo "screenshot: $shot"
"$cli" search "$name"
