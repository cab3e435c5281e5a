#!/usr/bin/env bash
# Prints the load figures of a tray instance that runs long: one instance of Kavrilon.exe goes
# through 200 automatic restores after display changes, 200 openings of its menu with the archive
# submenu, 50 about screens and 50 saves, in a fresh 64-bit and a fresh 32-bit prefix, and its
# handles, GDI and USER objects and private memory are printed before and after (the test suite runs
# a tenth of it). Stops everything it started.
#
#   ./scripts/soak.sh [win64|win32|both]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

prefixes=(win64 win32)
case "${1:-}" in
win64 | win32) prefixes=("$1") ;;
esac

"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
trap kv_stop_all EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows --target kv_soak_tests

kv_start_display
soak_root="$root/build/windows/wine-soak"
status=0
for prefix in "${prefixes[@]}"; do
    echo "Creating the $prefix prefix ..."
    kv_create_prefix "$soak_root/$prefix" "$prefix"
    echo "== $prefix"
    WINEPREFIX="$soak_root/$prefix" KV_WINE_PREFIX="$prefix" KV_SOAK_FULL=1 \
        wine "$root/build/windows/tests/kv_soak_tests.exe" >"$soak_root/$prefix.log" 2>&1 || status=1
    grep -E '^(tray soak|  )|FAILED|Failure' "$soak_root/$prefix.log" || true
done
exit $status
