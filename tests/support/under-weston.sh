#!/usr/bin/env bash
# Runs a command (a test binary and its arguments) as a native Wayland client of a headless weston
# of its own, and exits with the command's status.
#
# The runtime folder is private (weston refuses one others can read), so the socket name cannot
# meet another run's; QT_QPA_PLATFORM names wayland alone, so a missing compositor fails the run
# instead of falling back to X11, and DISPLAY is dropped for the same reason. Headless weston has no
# seat: whatever runs here gets no activation, no keyboard focus and no placement of its choosing.
# Nor may Qt use the compositor's text input: Qt 6.4 reaches it through the default seat without
# checking there is one, and the first key a test sends to a line edit crashes; QT_IM_MODULE=none
# leaves key events to the widgets, as on X11 without an input method.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: $0 command [argument...]" >&2; exit 2; }
runtime=$(mktemp -d "${TMPDIR:-/tmp}/under-weston.XXXXXX") || exit 1
chmod 0700 "$runtime"
socket=thornvale-$$
weston_pid=
stop() {
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null
        wait "$weston_pid" 2>/dev/null
    fi
    rm -rf "$runtime"
}
trap stop EXIT
# --idle-time=0: desktop-shell would otherwise lock the screen after five idle minutes and take
# every surface off it.
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --idle-time=0 \
    --width=1280 --height=1024 --socket="$socket" >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$runtime/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
    echo "under-weston: weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    QT_IM_MODULE=none "$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "under-weston: the command exited with $status; weston's log ends:" >&2
    tail -n 15 "$runtime/weston.log" >&2
fi
exit "$status"
