#!/usr/bin/env bash
# Runs a command with openbox managing the current X display. Bare Xvfb activates no window, so
# what a window manager does when a window maps (hand it the keyboard, or not) is tested here.
set -euo pipefail
openbox >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "under-openbox: openbox did not start" >&2; exit 1; }
THORNVALE_TEST_WM=openbox "$@"
