#!/usr/bin/env bash
# Prints the benchmark figures of the cross-process item access: builds what is needed, starts a
# virtual display and fresh Wine prefixes (64-bit and 32-bit), runs the benchmark programs against
# the desktop host in each, and stops everything it started. Not part of the test suite.
#
#   ./scripts/bench.sh [win64|win32|both] [icon count ...]      (default: both 100 1000 5000)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

prefixes=(win64 win32)
case "${1:-}" in
win64 | win32) prefixes=("$1"); shift ;;
both) shift ;;
esac
counts=("$@")
user_counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(100 1000 5000)

"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
trap kv_stop_all EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows --target kv_item_access_bench kv_save_restore_bench kv_end_to_end_bench kv_tray_bench

kv_start_display
bench_root="$root/build/windows/wine-bench"
benchmarks=(kv_end_to_end_bench.exe kv_item_access_bench.exe kv_save_restore_bench.exe)
for prefix in "${prefixes[@]}"; do
    echo "Creating the $prefix prefix ..."
    kv_create_prefix "$bench_root/$prefix" "$prefix"
    for bench in "${benchmarks[@]}"; do
        echo
        WINEPREFIX="$bench_root/$prefix" KV_WINE_PREFIX="$prefix" \
            wine "$root/build/windows/tests/$bench" "${counts[@]}"
    done
    # The tray's automatic restores: 1000 icons unless counts are given.
    echo
    WINEPREFIX="$bench_root/$prefix" KV_WINE_PREFIX="$prefix" \
        wine "$root/build/windows/tests/kv_tray_bench.exe" "${user_counts[@]}"
    echo
done
