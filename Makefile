# The entry points: `make demo`, `make test`, `make bench`, `make asan`, `make fuzz`,
# `make package`, `make install-check`, `make windows`, `make windows-package`,
# `make windows-test`. Each
# installs the Debian packages it needs first (`make deps`), so a fresh Debian 12 machine needs
# nothing else.

PACKAGES := cmake ninja-build g++ pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libqt6opengl6-dev \
	qt6-qpa-plugins libgl-dev libcpp-httplib-dev libgtest-dev libgmock-dev libbenchmark-dev \
	xvfb xauth x11-apps imagemagick xdotool trayer fonts-noto-cjk g++-mingw-w64-x86-64 \
	clang libclang-rt-14-dev libxcb1-dev qt6-translations-l10n \
	librsvg2-bin help2man desktop-file-utils appstream lintian dpkg-dev file x11-utils dbus-daemon at-spi2-core \
	weston qt6-wayland openbox nsis wine googletest clang-format
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Seconds each fuzz harness runs for.
FUZZ_SECONDS ?= 60

.PHONY: deps format-check format test headless demo bench asan fuzz package install-check windows windows-package windows-test clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing >/dev/null; \
	fi

test: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default

# Every tracked C++ file as .clang-format lays it out: format-check fails on the first that is not,
# format rewrites them.
FORMAT_FILES = git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' \
	'bench/*.cpp' 'bench/*.h'
format-check: deps
	$(FORMAT_FILES) | xargs -0 clang-format --dry-run -Werror

format: deps
	$(FORMAT_FILES) | xargs -0 clang-format -i

# The GUI-free core, proved by building without the window, the shell and the music module.
headless: deps
	cmake --preset headless >/dev/null
	cmake --build --preset headless
	ctest --preset headless

asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	tests/fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

demo: deps
	cmake --preset demo >/dev/null
	cmake --build --preset demo
	tools/demo.sh build/demo

bench: deps
	cmake --preset bench >/dev/null
	cmake --build --preset bench
	build/bench/bench/thornvale-bench
	bench/cli-latency.sh build/bench
	bench/ui-figures.sh

# The Debian package, build/package/thornvale_<version>_amd64.deb, checked by lintian.
VERSION := $(shell sed -n 's/^project.thornvale VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package: deps
	cmake --preset package >/dev/null
	cmake --build --preset package --target package
	lintian --fail-on error build/package/thornvale_$(VERSION)_amd64.deb

# cmake --install of the default build into a temporary prefix, the installed programs run from
# there, the package's file list (tools/install-check.sh).
install-check: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	tools/install-check.sh build/default

# thornvale.exe and thornvale-cli.exe, cross-built with MinGW-w64 against a Qt that
# tools/build-qt-mingw.sh builds once into the user's cache folder (about half an hour on 2 cores).
# Qt's own toolchain file adds that Qt to the cross build's search roots and loads ours after it.
windows: deps
	qt=$$(tools/build-qt-mingw.sh | tail -n 1) && \
	    cmake --preset windows -DCMAKE_TOOLCHAIN_FILE="$$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
	        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$(CURDIR)/cmake/mingw-w64-x86_64.cmake" >/dev/null && \
	    cmake --build --preset windows

# The Windows installer and portable zip, build/windows/thornvale-<version>-setup.exe and
# build/windows/thornvale-<version>-windows-x86_64.zip, of the files cmake --install puts in
# build/windows/stage (cmake/WindowsPackage.cmake). tests/windows/installer.sh build/windows tries
# them under Wine.
windows-package: windows
	cmake --build --preset windows --target windows-package

# The Windows build under Wine (tests/windows/run.sh): the core's tests and a driver of the window,
# cross-built; the CLI command by command against the Linux one, on one site-sim; the installer and
# the zip. Wine, its prefix and HOME are private to the run.
windows-test: windows-package
	cmake --preset default >/dev/null
	cmake --build --preset default --target site-sim thornvale-cli
	tests/windows/run.sh build/default build/windows

clean:
	rm -rf build
