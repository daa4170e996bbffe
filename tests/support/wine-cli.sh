#!/usr/bin/env bash
# The Windows CLI under Wine against the Linux one, one site-sim for both: each command's exit code
# and stdout (the Windows one with its CR LF line ends taken back to LF) must match. Run it after
# `make test` and `make windows` and `cmake --install build/windows --prefix DIST`:
#   tests/support/wine-cli.sh build/default DIST
set -u
linux=${1:?usage: $0 LINUX_BUILD WINDOWS_DIST}
dist=${2:?usage: $0 LINUX_BUILD WINDOWS_DIST}
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
# A prefix of its own, unless the caller (tests/windows/run.sh) has made one already.
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    wineboot -i >/dev/null 2>&1
fi
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$linux/tools/site-sim/site-sim" --port "$port" >"$work/sim.log" 2>&1 &
sim=$!
sleep 1
B=http://127.0.0.1:$port
base=(--search-base "$B" --character-base "$B/characters/" --status-url "$B/status")
failed=0
while IFS= read -r line; do
    read -r -a cmd <<<"${line//@/$B}"
    "$linux/src/cli/thornvale-cli" "${base[@]}" "${cmd[@]}" >"$work/linux.out" 2>/dev/null; lrc=$?
    wine "$dist/thornvale-cli.exe" "${base[@]}" "${cmd[@]}" >"$work/wine.out" 2>/dev/null; wrc=$?
    if [ "$lrc" = "$wrc" ] && cmp -s "$work/linux.out" <(sed 's/\r$//' "$work/wine.out"); then
        echo "same: ${cmd[*]} (exit $lrc)"
    else
        echo "DIFFERENT: ${cmd[*]} (exit $lrc on Linux, $wrc under Wine)"
        failed=1
    fi
done <<'COMMANDS'
search 토른
search 토른 --json
detail @/characters/c0001
rank x y 토른
status
encode 가
url 토른 2
detail @/hostile/character/error?status=404
frobnicate 토른
COMMANDS
# The console path: in a terminal Wine gives the program a console, which it writes through
# WriteConsoleW, progress line included. Without the terminal's escapes and carriage returns, every
# line of the Linux table is there.
"$linux/src/cli/thornvale-cli" "${base[@]}" search 토른 >"$work/linux.out" 2>/dev/null
script -qc "wine '$dist/thornvale-cli.exe' ${base[*]} search 토른" "$work/console.raw" >/dev/null 2>&1 </dev/null
sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/console.raw" | tr '\r' '\n' >"$work/console.out"
if grep -q '1/10' "$work/console.out" && ! grep -Fxvq -f "$work/console.out" "$work/linux.out"; then
    echo "same: search 토른 on a console (the table, and a progress line)"
else
    echo "DIFFERENT: search 토른 on a console"
    failed=1
fi
exit "$failed"
