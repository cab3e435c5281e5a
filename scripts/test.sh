#!/usr/bin/env bash
# Runs the whole test suite on this machine, from nothing: installs the packages it needs, builds
# the native and the Windows presets, starts a virtual display and fresh Wine prefixes (64-bit and
# 32-bit) in the build tree, runs every test, and stops everything it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
trap kv_stop_all EXIT

wine_root="$root/build/windows/wine"
kv_start_display

# The prefixes are created while the programs build.
prefix_log=$(mktemp)
( kv_create_prefix "$wine_root/win64" win64 && kv_create_prefix "$wine_root/win32" win32 ) >"$prefix_log" 2>&1 &
prefix_job=$!
KV_STARTED_PREFIXES+=("$wine_root/win64" "$wine_root/win32")

cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows

if ! wait "$prefix_job"; then
    cat "$prefix_log" >&2
    exit 1
fi

# A small drive T: in each prefix lets the tests fill a disk.
if kv_add_small_drive "$wine_root/win64" && kv_add_small_drive "$wine_root/win32"; then
    export KV_FULL_DRIVE=T:
fi

status=0
ctest --preset native -j2 || status=1
ctest --preset windows -j2 "$@" || status=1
exit $status
