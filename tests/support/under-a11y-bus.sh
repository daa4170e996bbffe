#!/usr/bin/env bash
# Runs a command on a private session bus that carries the accessibility bus screen readers read
# (at-spi2-core), switched on the way a screen reader switches it on. Qt's bridge then reports
# every accessibility event over it, and QAccessible::isActive() is true in the command.
set -euo pipefail
if [ -z "${UNDER_A11Y_BUS:-}" ]; then
    UNDER_A11Y_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "under-a11y-bus: $launcher not found (Debian package at-spi2-core)" >&2; exit 1; }
"$launcher" --launch-immediately >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT
bus() { dbus-send --session --print-reply "$@" 2>/dev/null; }
for _ in $(seq 100); do
    bus --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true && break
    sleep 0.1
done
bus --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null ||
    { echo "under-a11y-bus: the accessibility bus did not start" >&2; exit 1; }
"$@"
