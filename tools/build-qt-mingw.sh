#!/usr/bin/env bash
# Builds the Qt libraries the Windows build links (qtbase: Core, Gui, Widgets, Network, Test and
# the Windows plugins) with Debian's MinGW-w64, from Debian's own qt6-base source package of the
# same version as the host tools (moc, rcc and uic come from the host), and installs them once into
#   ${XDG_CACHE_HOME:-$HOME/.cache}/thornvale/qt-<version>-mingw-<hash of version and options>
# Prints that folder on its last line. A second run finds it and does nothing; an interrupted run
# leaves only a temporary folder behind, never a half-built Qt under the final name.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-$(nproc)}

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) ||
    { echo "build-qt-mingw: qt6-base-dev-tools is not installed (make deps installs it)" >&2; exit 1; }
case $version in
    6.4.2+dfsg-*) ;;
    *) echo "build-qt-mingw: the host's Qt tools are $version; this build is made for 6.4.2+dfsg" >&2; exit 1 ;;
esac

# The features the program needs, and none it does not: every option here is part of the hash.
options=(
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_WITH_PCH=OFF
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_openssl=OFF -DFEATURE_schannel=ON
    # The Debian source leaves out the tablet header the Windows plugin would include.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_testlib=ON -DFEATURE_xml=ON
)
hash=$(printf '%s\n' "$version" "${options[@]}" "$(cat "$toolchain")" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/thornvale
prefix=$cache/qt-${version%%+*}-mingw-$hash
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/.build-${prefix##*/}
mkdir -p "$work"
start=$(date +%s)

# The source through a private sources list that adds deb-src; the system's apt configuration
# stays as it is.
mkdir -p "$work/apt/lists/partial" "$work/apt/parts"
# Debian 12 keeps its sources in deb822 form; an older style sources.list gets a deb-src line for
# each deb line.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources >"$work/apt/parts/debian.sources"
elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)$/deb \1\ndeb-src \1/p' /etc/apt/sources.list >"$work/apt/parts/debian.list"
fi
apt_opts=(-o "Dir::Etc::sourcelist=/dev/null" -o "Dir::Etc::sourceparts=$work/apt/parts"
          -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache::archives=$work/apt")
# As root apt hands downloads to its _apt user, who cannot write into this private folder.
[ "$(id -u)" != 0 ] || apt_opts+=(-o "APT::Sandbox::User=root")
if [ ! -d "$work/src" ]; then
    apt-get "${apt_opts[@]}" update -qq
    (cd "$work" && rm -rf src.part && apt-get "${apt_opts[@]}" source -qq --download-only "qt6-base=$version" >/dev/null &&
        dpkg-source --no-check -x qt6-base_*.dsc src.part >/dev/null 2>&1 && mv src.part src)
fi

cmake -G Ninja -S "$work/src" -B "$work/build" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$work/install" "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --parallel "$jobs" >"$work/build.log" 2>&1 ||
    { grep -m5 -B2 -A10 'FAILED\|error:' "$work/build.log" >&2; exit 1; }
rm -rf "$work/install"
cmake --install "$work/build" >/dev/null
mv "$work/install" "$prefix"
rm -rf "$work"
echo "build-qt-mingw: built in $(( $(date +%s) - start )) s" >&2
echo "$prefix"
