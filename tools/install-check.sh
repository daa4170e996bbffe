#!/usr/bin/env bash
# The installed program, proved from a built tree (make install-check runs it on the default
# build; CI after make test):
#   1. cmake --install into a temporary prefix: every file where a desktop looks for it, nothing
#      else (no site-sim), the desktop entry and metainfo through their validators;
#   2. the installed thornvale-cli: its version, a search and the status against site-sim;
#   3. the installed window under Xvfb: its WM_CLASS is the desktop entry's StartupWMClass, and the
#      first music choice maps the music module from the prefix's library folder, not the build's;
#   4. the installed window on a headless weston: its Wayland app_id is the desktop entry's name;
#   5. the Debian package CPack makes of the same tree: its file list.
# The tree's addresses are whatever it was built with; the window's status check and music page
# may fail against placeholders, which is fine: only the module's loading is checked.
set -euo pipefail
build=${1:-build/default}
# A display of its own, found from 150 up so a test suite's Xvfb (from 99 up) is not taken; see
# bench/ui-figures.sh for -noreset.
if [ -z "${INSTALL_CHECK_UNDER_XVFB:-}" ]; then
    INSTALL_CHECK_UNDER_XVFB=1 exec xvfb-run -a -n 150 -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

fail() { echo "install-check: $*" >&2; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
version=$(cache CMAKE_PROJECT_VERSION)
libdir=$(cache CMAKE_INSTALL_LIBDIR)
# The window's Wayland app id, the desktop entry's and the metainfo's name, the component id.
app_id=example.thornvale.Thornvale

tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
root=$tmp/root
prefix=$root/usr
say() { echo "install-check: $*"; }

# 1. The installed tree.
cmake --install "$build" --prefix "$prefix" >/dev/null
expected=(
    bin/thornvale
    bin/thornvale-cli
    "$libdir/thornvale/thornvale-music.so"
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    share/icons/hicolor/scalable/apps/thornvale.svg
    share/man/man1/thornvale.1.gz
    share/man/man1/thornvale-cli.1.gz
    share/doc/thornvale/copyright
    share/doc/thornvale/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/thornvale.png")
    file "$prefix/share/icons/hicolor/${size}x$size/apps/thornvale.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size} px icon is not a $size x $size PNG"
done
(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) >"$tmp/installed"
printf '%s\n' "${expected[@]}" | sort >"$tmp/expected"
diff -u "$tmp/expected" "$tmp/installed" >&2 || fail "the installed files differ from the list above"
# Categories=Game;Utility; is meant: the entry shows under both.
desktop-file-validate "$prefix/share/applications/$app_id.desktop" |
    { grep -v 'contains more than one main category' || true; } >&2
appstreamcli validate-tree --no-net "$root" >"$tmp/appstream" ||
    { cat "$tmp/appstream" >&2; fail "appstreamcli validate-tree failed"; }
for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# The exit statuses come from --help alone; an include section of its own would list them twice.
exits=$(zcat "$prefix/share/man/man1/thornvale-cli.1.gz" | grep -ci 'exit status')
[ "$exits" = 1 ] || fail "thornvale-cli.1 lists its exit statuses $exits times"
say "installed into a prefix: ${#expected[@]} files, validators pass"

# 2. The installed CLI against site-sim.
cli=$prefix/bin/thornvale-cli
[ "$("$cli" --version)" = "thornvale-cli $version" ] || fail "thornvale-cli --version: $("$cli" --version)"
"$build/tools/site-sim/site-sim" --port 0 >"$tmp/sim" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$tmp/sim" && break; sleep 0.1; done
base=$(sed -n 's/.*listening on \(http:[^ ]*\).*/\1/p' "$tmp/sim")
[ -n "$base" ] || { cat "$tmp/sim" >&2; fail "site-sim did not start"; }
sim=(--search-base "$base" --character-base "$base/characters/" --status-url "$base/status")
timeout 60 "$cli" "${sim[@]}" search 토른 --json >"$tmp/search"
grep -q '"pageCounter":10,"rows":\[\["0",' "$tmp/search" || fail "search: $(head -c 300 "$tmp/search")"
[ "$(timeout 30 "$cli" "${sim[@]}" status)" = open ] || fail "status is not open"
say "installed thornvale-cli $version: a search and the status against site-sim"

# 3. The installed window, the build tree's module out of its reach.
module=$(realpath "$prefix/$libdir/thornvale/thornvale-music.so")
env QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" \
    "$prefix/bin/thornvale" >"$tmp/window" 2>&1 &
app=$!
pids+=("$app")
# The status check against the compiled-in address takes at most 5 s before the window shows.
win=$(timeout 30 xdotool search --sync --all --onlyvisible --pid "$app" --name "^Thornvale" | head -n 1) ||
    { cat "$tmp/window" >&2; fail "the installed window did not show"; }
wm_class=$(xprop -id "$win" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"/\2/p')
startup_class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/$app_id.desktop")
[ "$wm_class" = "$startup_class" ] || fail "WM_CLASS $wm_class, desktop entry StartupWMClass=$startup_class"
! grep -q thornvale-music "/proc/$app/maps" || fail "the music module was mapped before any music choice"
# 메뉴 is the second entry of the menu bar; in it 노래 opens the list whose first entry is 가요.
xdotool mousemove --window "$win" 69 11 click 1
sleep 0.5
xdotool key Down Right Return
for _ in $(seq 100); do grep -q thornvale-music "/proc/$app/maps" && break; sleep 0.1; done
mapped=$(awk '/thornvale-music/ { print $6 }' "/proc/$app/maps" | sort -u)
[ -n "$mapped" ] ||
    { cat "$tmp/window" >&2; fail "no music module mapped after choosing 가요 (has 메뉴 moved from 69,11?)"; }
[ "$(realpath "$mapped")" = "$module" ] || fail "the window mapped $mapped, not $module"
kill "$app"
say "installed window: WM_CLASS $wm_class, music module from ${module#"$root"}"

# 4. The installed window as a native Wayland client of a headless weston with a runtime folder
# of its own (weston refuses one that others can read). The app id goes out with the window's
# toplevel, which shows once the status check is over.
runtime=$tmp/runtime
mkdir -m 0700 "$runtime"
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --idle-time=0 \
    --socket=install-check >"$tmp/weston" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$runtime/install-check" ] && break; sleep 0.1; done
[ -S "$runtime/install-check" ] || { cat "$tmp/weston" >&2; fail "weston did not start"; }
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=install-check \
    QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$prefix/bin/thornvale" >"$tmp/wayland" 2>&1 &
app=$!
pids+=("$app")
sent="set_app_id(\"$app_id\")"
for _ in $(seq 300); do
    grep -qF "$sent" "$tmp/wayland" && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
grep -qF "$sent" "$tmp/wayland" ||
    { grep -v '^\[' "$tmp/wayland" | tail -n 20 >&2; fail "the Wayland window sent no $sent"; }
kill "$app"
say "installed window on weston: app_id $app_id"

# 5. The Debian package of the same tree (make package makes the shipped one from the package
# preset); not installed, only listed.
cpack --config "$build/CPackConfig.cmake" -B "$tmp/deb" >"$tmp/cpack" 2>&1 || { cat "$tmp/cpack" >&2; fail "cpack"; }
deb=$tmp/deb/thornvale_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack wrote no $(basename "$deb")"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' | sort >"$tmp/packaged"
diff -u "$tmp/expected" "$tmp/packaged" >&2 || fail "the package's files differ from the list above"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6webenginewidgets6' ||
    fail "Depends misses the music module's libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Recommends | grep -qw 'qt6-wayland' ||
    fail "Recommends misses Qt's Wayland plugin: $(dpkg-deb -f "$deb" Recommends)"
say "package $(basename "$deb"): ${#expected[@]} files, no site-sim, Depends covers the music module,"\
" Recommends the Wayland plugin"
