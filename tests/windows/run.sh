#!/usr/bin/env bash
# The Windows build under Wine, as make windows-test runs it:
#   tests/windows/run.sh LINUX_BUILD WINDOWS_BUILD
# LINUX_BUILD gives site-sim and the Linux CLI; WINDOWS_BUILD is the cross build with its tests.
# Everything runs in a private Wine prefix, HOME and XDG folders, under its own X server and
# session bus, with a logging xdg-open first on PATH; nothing is left behind.
#  1. the core's tests and the window driver (ctest in WINDOWS_BUILD), against one site-sim;
#     while the driver waits in tray mode, this script finds the icon, keeps a picture of the
#     screen with the balloon, and clicks the icon;
#  2. the CLI, command by command against the Linux one (tests/support/wine-cli.sh);
#  3. the installer and the zip (tests/windows/installer.sh), when they have been built.
# Pictures land in WINDOWS_BUILD/wine-shots for a person to look at.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "${1:?usage: $0 LINUX_BUILD WINDOWS_BUILD}" && pwd)
windows=$(cd "${2:?usage: $0 LINUX_BUILD WINDOWS_BUILD}" && pwd)

if [ -z "${THORNVALE_IN_SESSION:-}" ]; then
    export THORNVALE_IN_SESSION=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
sim=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
# Without mscoree and mshtml Wine asks for add-ons it cannot download; without winemenubuilder it
# writes no desktop entries.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export QT_FORCE_STDERR_LOGGING=1

# What the desktop is asked to open, one address a line.
mkdir -p "$work/bin"
export THORNVALE_TEST_OPENED=$work/opened.txt
cat >"$work/bin/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$1" >>"$THORNVALE_TEST_OPENED"
EOF
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

wineboot -i >/dev/null 2>&1
# Wine's own windows (the tray balloon among them) draw in Tahoma and MS Shell Dlg, which have no
# Hangul; linking the CJK font Wine finds through fontconfig gives them the glyphs.
for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK KR' /f >/dev/null 2>&1
done
wineserver -w

"$linux/tools/site-sim/site-sim" --port 0 >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q 'listening on' "$work/sim.log" && break; sleep 0.1; done
site=$(sed -n 's/^site-sim listening on //p' "$work/sim.log")
[ -n "$site" ] || { echo "run.sh: site-sim did not start" >&2; exit 1; }
export THORNVALE_TEST_SITE=$site THORNVALE_TEST_WORK=$work/driver
mkdir -p "$THORNVALE_TEST_WORK"
shots=$windows/wine-shots
rm -rf "$shots" && mkdir -p "$shots"

# With no XEmbed tray host, Wine's explorer shows tray icons in a window of its own, "Wine System
# Tray", the first icon at its left end, and the balloon in a small window beside it. The balloon
# is kept as a picture; a click on the icon must bring the window back.
click_tray() {
    for _ in $(seq 600); do [ -e "$THORNVALE_TEST_WORK/click-tray" ] && break; sleep 0.1; done
    [ -e "$THORNVALE_TEST_WORK/click-tray" ] || return 0
    local tray=
    for _ in $(seq 50); do
        tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n 1) || true
        [ -n "$tray" ] && break
        sleep 0.2
    done
    if [ -z "$tray" ]; then
        echo "run.sh: Wine shows no tray window" >&2
        return 0
    fi
    sleep 2
    import -window root -crop 400x200+0+0 "$shots/tray-balloon.png" 2>/dev/null || true
    xdotool mousemove --window "$tray" 10 10 click 1
}
click_tray &
clicker=$!

status=0
rm -f "$windows/tests/windows/tst_winewindow.txt"
ctest --test-dir "$windows" --output-on-failure --timeout 300 || status=1
cat "$windows/tests/windows/tst_winewindow.txt" 2>/dev/null || true
kill "$clicker" 2>/dev/null || true
cp "$THORNVALE_TEST_WORK"/*.png "$shots/" 2>/dev/null || true
[ ! -s "$THORNVALE_TEST_OPENED" ] || cp "$THORNVALE_TEST_OPENED" "$shots/opened.txt"

dist=$work/dist
cmake --install "$windows" --prefix "$dist" >/dev/null
"$here/tests/support/wine-cli.sh" "$linux" "$dist" || status=1

if compgen -G "$windows/thornvale-*-setup.exe" >/dev/null; then
    "$here/tests/windows/installer.sh" "$windows" || status=1
fi
wineserver -k 2>/dev/null || true
# Wine writes nothing outside its prefix and this HOME.
exit "$status"
