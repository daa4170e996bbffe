#!/usr/bin/env bash
# Usage: dbus-run-session -- under-sni-watcher.sh WATCHER TEST [ARGS...]
# Starts the fake StatusNotifierWatcher on this private session bus, runs the test binary (and its
# arguments) under Xvfb once the watcher owns its name, then fails unless every item that
# registered was unregistered by the time the binary had ended. Prints what the watcher received.
set -uo pipefail
watcher=$1
shift
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    echo "under-sni-watcher.sh: no session bus of its own; run it under dbus-run-session" >&2
    exit 2
fi

log=$(mktemp)
"$watcher" >"$log" &
watcher_pid=$!
trap 'kill "$watcher_pid" 2>/dev/null; wait "$watcher_pid" 2>/dev/null; rm -f "$log"' EXIT

# Qt asks for the watcher once, at the first tray question, so it must be on the bus before.
for ((tries = 0; ; tries++)); do
    grep -qx ready "$log" && break
    if ! kill -0 "$watcher_pid" 2>/dev/null || ((tries == 200)); then
        echo "under-sni-watcher.sh: the watcher did not come up" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done

THORNVALE_TEST_SNI_WATCHER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
status=$?

# The watcher hears of a bus name leaving a moment after it left.
items_gone() {
    local registered unregistered
    registered=$(sed -n 's/^registered //p' "$log" | sort)
    unregistered=$(sed -n 's/^unregistered //p' "$log" | sort)
    [ -n "$registered" ] && [ "$registered" = "$unregistered" ]
}
gone=0
for ((tries = 0; tries < 100; tries++)); do
    items_gone && { gone=1; break; }
    sleep 0.1
done

sed 's/^/fakesniwatcher: /' "$log"
if ((gone == 0)); then
    echo "under-sni-watcher.sh: no item registered, or one still registered after the test ended" >&2
    status=1
fi
exit "$status"
