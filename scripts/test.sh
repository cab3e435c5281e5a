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
# Several monitors need an Xorg display of their own and a prefix on it; without them the tests
# that need several monitors skip and say so.
kv_start_monitor_display || echo "Tests with several monitors will be skipped" >&2

# The Windows tests run in two copies of each prefix side by side (see cmake/WineTests.cmake).
lanes=2
lane_dirs() { local lane; for ((lane = 0; lane < lanes; lane++)); do echo "$wine_root/$1-$lane"; done; }
mapfile -t win64_dirs < <(lane_dirs win64)
mapfile -t win32_dirs < <(lane_dirs win32)

# The prefixes are created while the programs build.
prefix_log=$(mktemp)
(
    kv_create_prefix "${win64_dirs[0]}" win64 "${win64_dirs[@]:1}" &&
        kv_create_prefix "${win32_dirs[0]}" win32 "${win32_dirs[@]:1}" &&
        if [ -n "${KV_MONITOR_DISPLAY:-}" ]; then
            export DISPLAY="$KV_MONITOR_DISPLAY"
            kv_create_prefix "$wine_root/monitors-0" win32
        else
            rm -rf "$wine_root/monitors-0"
        fi
) >"$prefix_log" 2>&1 &
prefix_job=$!
KV_STARTED_PREFIXES+=("${win64_dirs[@]}" "${win32_dirs[@]}")
if [ -n "${KV_MONITOR_DISPLAY:-}" ]; then KV_STARTED_PREFIXES+=("$wine_root/monitors-0"); fi

# The time of each part, printed at the end.
part_times=()
part_started=$SECONDS
end_part() {
    part_times+=("$(printf '%-28s %4d s' "$1" $((SECONDS - part_started)))")
    part_started=$SECONDS
}
print_part_times() {
    echo "Time of each part:"
    printf '  %s\n' "${part_times[@]}"
}

cmake --preset native
cmake --build --preset native
cmake --preset windows -DKV_WINE_LANES=$lanes
cmake --build --preset windows
end_part "build"

if ! wait "$prefix_job"; then
    cat "$prefix_log" >&2
    exit 1
fi
end_part "prefixes (after the build)"

# A small drive T: in each prefix lets the tests fill a disk.
small_drives=1
for dir in "${win64_dirs[@]}" "${win32_dirs[@]}"; do
    kv_add_small_drive "$dir" || small_drives=0
done
[ $small_drives = 1 ] && export KV_FULL_DRIVE=T:

# Fuzzes the layout reader for about a minute (after the seeds, which the native tests replay too).
# Its working corpus and any finding stay under build/; a finding fails the run.
fuzz_layout_reader() {
    local fuzzer="$root/build/native/tests/fuzz/kv_layout_reader_fuzz" work="$root/build/native/fuzz"
    mkdir -p "$work/corpus" "$work/findings"
    echo "Fuzzing the layout reader for 60 s (log: $work/fuzz.log)"
    if "$fuzzer" -dict="$root/tests/fuzz/layout.dict" -max_total_time=60 -max_len=4096 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" "$root/tests/fuzz/corpus" \
        >"$work/fuzz.log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec)' "$work/fuzz.log"
    else
        tail -n 40 "$work/fuzz.log" >&2
        echo "The layout reader fuzzer found a fault; see $work/findings/" >&2
        return 1
    fi
}

status=0
fuzz_job=""
# KV_WINDOWS_ONLY=1 runs only the Windows tests (for quick runs of a few of them while developing).
if [ -z "${KV_WINDOWS_ONLY:-}" ]; then
    ctest --preset native -j2 || status=1
    end_part "native tests"
    # The fuzzer computes while the Windows tests mostly wait for windows and other processes; it
    # runs beside them at a lower priority.
    nice -n 10 bash -c "$(declare -f fuzz_layout_reader); root='$root'; fuzz_layout_reader;
        status=\$?; echo \"fuzzing took \$SECONDS s\"; exit \$status" >"$root/build/native/fuzz-summary.log" 2>&1 &
    fuzz_job=$!
fi
ctest --preset windows -j$((2 * lanes)) "$@" || status=1
end_part "Windows tests"
if [ -n "$fuzz_job" ]; then
    wait "$fuzz_job" || status=1
    cat "$root/build/native/fuzz-summary.log"
    end_part "fuzzing (after the tests)"
    fuzz_seconds=$(sed -n 's/^fuzzing took \([0-9]*\) s$/\1/p' "$root/build/native/fuzz-summary.log")
    part_times+=("$(printf '%-28s %4d s' "(fuzzing, beside the tests)" "${fuzz_seconds:-0}")")
fi
print_part_times
exit $status
