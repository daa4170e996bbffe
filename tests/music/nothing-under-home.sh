#!/usr/bin/env bash
# Runs a test binary (and its arguments) with HOME and the XDG folders in an empty folder, the
# runtime folder outside it, under a private session bus and Xvfb; fails if anything but the GL
# driver's shader cache appears there.
set -euo pipefail
home=$(mktemp -d)
runtime=$(mktemp -d)
trap 'rm -rf "$home" "$runtime"' EXIT
chmod 700 "$runtime"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
    XDG_RUNTIME_DIR=$runtime \
    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
left=$(cd "$home" && find . -mindepth 1 \( -type f -o -type l \) | grep -v '/mesa_shader_cache/' || true)
if [ -n "$left" ]; then
    echo "written under HOME:" >&2
    printf '%s\n' "$left" >&2
    exit 1
fi
echo "nothing under HOME but the shader cache"
