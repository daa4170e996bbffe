#!/usr/bin/env bash
# Runs a test binary (and its arguments) with HOME and the XDG folders in an empty folder, the
# runtime folder outside it and TMPDIR in a private one, under a private session bus and Xvfb.
# Fails if anything but the GL driver's shader cache appears under HOME, folders included (a tree
# of empty folders is left behind all the same), or if anything at all is left in TMPDIR: the
# browser's private storage lies there while the program runs and must go when it ends.
set -euo pipefail
home=$(mktemp -d)
runtime=$(mktemp -d)
tmp=$(mktemp -d)
trap 'rm -rf "$home" "$runtime" "$tmp"' EXIT
chmod 700 "$runtime" "$tmp"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
    XDG_RUNTIME_DIR=$runtime TMPDIR=$tmp \
    dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
# The shader cache and the folders that lead to it: .cache and .cache/mesa_shader_cache.
left=$(cd "$home" && find . -mindepth 1 \
    ! -path './.cache' ! -path './.cache/mesa_shader_cache' ! -path './.cache/mesa_shader_cache/*' || true)
failed=0
if [ -n "$left" ]; then
    echo "written under HOME:" >&2
    printf '%s\n' "$left" >&2
    failed=1
fi
left=$(cd "$tmp" && find . -mindepth 1 || true)
if [ -n "$left" ]; then
    echo "left in TMPDIR:" >&2
    printf '%s\n' "$left" >&2
    failed=1
fi
[ "$failed" -eq 0 ] || exit 1
echo "nothing under HOME but the shader cache, nothing left in TMPDIR"
