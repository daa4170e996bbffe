#!/usr/bin/env bash
# The Windows installer and portable zip under Wine, after `make windows-package`:
#   tests/windows/installer.sh build/windows
# In a private Wine prefix (and a private HOME), on its own Xvfb display: a silent install, the
# installed files against the staged ones, the Start-menu shortcut, the uninstall entry, the
# program's window started from that shortcut, a silent uninstall that leaves nothing behind; an
# install into a folder the user already keeps a file in, whose uninstall keeps that file; and the
# zip against the staged files. One line per check, and a non-zero exit if any failed.
set -u
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd) || exit 2

# A display and a session bus of its own: the program's window must not land on the user's screen.
if [ -z "${THORNVALE_INSTALLER_INNER:-}" ]; then
    THORNVALE_INSTALLER_INNER=1 exec xvfb-run -a dbus-run-session -- "$0" "$build"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage=$build/stage
setup=$build/thornvale-$version-setup.exe
zip=$build/thornvale-$version-windows-x86_64.zip
name="Thornvale 캐릭터 정보검색 프로그램"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Thornvale'

failed=0
ok() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failed=1; }
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}

for f in "$setup" "$zip" "$stage/thornvale.exe"; do
    [ -e "$f" ] || { echo "FAILED: $f is missing; run make windows-package first"; exit 1; }
done

work=$(mktemp -d)
cleanup() {
    wineserver -k 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/xdg/config" "$work/xdg/data" "$work/xdg/cache" "$work/xdg/state"
export HOME=$work/home XDG_CONFIG_HOME=$work/xdg/config XDG_DATA_HOME=$work/xdg/data \
    XDG_CACHE_HOME=$work/xdg/cache XDG_STATE_HOME=$work/xdg/state
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
timeout 120 wineboot -i >/dev/null 2>&1 || { echo "FAILED: wineboot did not make a prefix"; exit 1; }

# A Windows folder as a Unix path, from the prefix's own environment.
unixdir() {
    local win
    win=$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')
    winepath -u "$win" 2>/dev/null | sed 's:/*$::'
}
localappdata=$(unixdir LOCALAPPDATA)
appdata=$(unixdir APPDATA)
inst=$localappdata/Programs/Thornvale
lnk="$appdata/Microsoft/Windows/Start Menu/Programs/$name.lnk"
if [ ! -d "$localappdata" ] || [ ! -d "$appdata" ]; then
    echo "FAILED: no AppData folders in the prefix"
    exit 1
fi

# The differences go to stderr, so stdout keeps one line per check.
same_tree() { diff -r -q "$@" >&2; }
relfiles() { (cd "$1" && find . -type f | sed 's:^\./::' | LC_ALL=C sort); }
staged=$(relfiles "$stage")

has_entry() { wine reg query "$key" >/dev/null 2>&1; }
no_entry() { ! has_entry; }
# The entry's values as `reg export` writes them, in UTF-16: `reg query` writes in the console's
# code page, which has no Hangul here.
export_entry() {
    rm -f "$work/entry.reg"
    wine reg export "$key" "$(winepath -w "$work/entry.reg")" /y >/dev/null 2>&1
}
regvalue() { # regvalue NAME: one value of the exported entry
    python3 - "$work/entry.reg" "$1" <<'EOF'
import re, sys
path, name = sys.argv[1:]
unescape = lambda s: re.sub(r"\\(.)", r"\1", s)
for line in open(path, encoding="utf-16").read().splitlines():
    m = re.fullmatch(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
    if m and unescape(m.group(1)) == name:
        value = m.group(2)
        print(unescape(value[1:-1]) if value.startswith('"') else value)
EOF
}

# The uninstaller returns at once: it runs from a copy of itself in the temporary folder, so that
# it can delete its own file. The wineserver ends a few seconds after the prefix's last program,
# that copy included, so waiting for it waits for the uninstall.
wait_uninstall() { timeout 60 wineserver -w; }

# --- A silent install where the installer puts it.
timeout 120 wine "$setup" /S >/dev/null 2>&1
rc=$?
check "setup.exe /S exits with 0 and asks nothing (exit $rc)" test "$rc" = 0
check "installed into %LOCALAPPDATA%\\Programs\\Thornvale" test -d "$inst"
check "the installed files are the staged ones, byte for byte" \
    same_tree -x uninst.exe "$stage" "$inst"
check "the installed file list is the staged list and the uninstaller" \
    test "$(relfiles "$inst")" = "$(printf '%s\nuninst.exe' "$staged" | LC_ALL=C sort)"
check "the Start-menu shortcut \"$name\" is in the user's Programs folder" test -f "$lnk"
# A shell link keeps its target's path in UTF-16 or in the ANSI code page; either names the program.
lnk_names_program() {
    python3 - "$1" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
target = "Programs\\Thornvale\\thornvale.exe"
sys.exit(0 if target.encode("utf-16-le") in data or target.encode() in data else 1)
EOF
}
check "the shortcut points at Programs\\Thornvale\\thornvale.exe" lnk_names_program "$lnk"

check "the uninstall entry $key is there" has_entry
export_entry
check "its DisplayName is \"$name\"" test "$(regvalue DisplayName)" = "$name"
check "its DisplayVersion is $version" test "$(regvalue DisplayVersion)" = "$version"
win_inst=$(winepath -w "$inst" 2>/dev/null | tr -d '\r')
check "its UninstallString is the installed uninst.exe" \
    test "$(regvalue UninstallString)" = "\"$win_inst\\uninst.exe\""
check "its DisplayIcon is the installed thornvale.exe" \
    test "$(regvalue DisplayIcon)" = "$win_inst\\thornvale.exe,0"

# --- The program, started the way a user does, from the shortcut.
wine start /unix "$lnk" >/dev/null 2>&1 &
window=
for ((i = 0; i < 300; i++)); do
    window=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
check "the shortcut starts thornvale.exe and its window \"$name\" shows" test -n "$window"
wineserver -k
timeout 20 wineserver -w

# --- A silent uninstall.
timeout 60 wine "$inst/uninst.exe" /S >/dev/null 2>&1
rc=$?
check "uninst.exe /S exits with 0 (exit $rc)" test "$rc" = 0
check "the uninstall finishes within a minute" wait_uninstall
check "the install folder is removed" test ! -e "$inst"
check "the shortcut is removed" test ! -e "$lnk"
check "the uninstall entry is removed" no_entry
check "the Programs folders themselves stay" \
    test -d "$localappdata/Programs" -a -d "$(dirname "$lnk")"

# --- A folder of the user's own: the uninstall removes what was installed and keeps the rest.
own=$HOME/own-folder
mkdir -p "$own"
echo "the user's own notes" >"$own/notes.txt"
timeout 120 wine "$setup" /S "/D=$(winepath -w "$own" | tr -d '\r')" >/dev/null 2>&1
rc=$?
check "setup.exe /S /D=<a folder of the user's> exits with 0 (exit $rc)" test "$rc" = 0
check "it installs there beside the user's file" \
    test "$(relfiles "$own")" = "$(printf '%s\nnotes.txt\nuninst.exe' "$staged" | LC_ALL=C sort)"
timeout 60 wine "$own/uninst.exe" /S >/dev/null 2>&1
wait_uninstall
check "its uninstall removes the installed files and folders and keeps the user's file" \
    test "$(cd "$own" && find . -mindepth 1)" = "./notes.txt"
check "that uninstall removes the entry too" no_entry

# --- The zip: the staged files, inside one thornvale-<version> folder.
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
check "the zip holds one folder, thornvale-$version" test "$(ls -A "$work/zip")" = "thornvale-$version"
check "the zip's files are the staged ones, byte for byte" \
    same_tree "$stage" "$work/zip/thornvale-$version"

exit "$failed"
