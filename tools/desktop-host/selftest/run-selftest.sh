#!/usr/bin/env bash
# Builds the desktop host (32- and 64-bit), its test client and tests, and runs them: the native
# unit tests directly, the Windows tests under Wine in a 64-bit prefix (x64 host) and in a 32-bit
# prefix (x86 host), on a private virtual display.
#   tools/desktop-host/selftest/run-selftest.sh [build folder]   (default: build/desktop-host-selftest)
set -euo pipefail

repo="$(cd "$(dirname "$0")/../../.." && pwd)"
out="${1:-$repo/build/desktop-host-selftest}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

echo "== native unit tests"
mkdir -p "$out/native"
g++ -std=c++17 -Wall -Wextra -Werror -fsanitize=address,undefined -g -I"$repo/tools/desktop-host/src" \
    "$repo/tools/desktop-host/tests/FixtureTest.cpp" "$repo"/tools/desktop-host/src/{Fixture,HostArgs,Text}.cpp \
    -lgtest -lgtest_main -pthread -o "$out/native/fixture-test"
"$out/native/fixture-test"

echo "== Windows build"
cmake -S "$repo/tools/desktop-host/selftest" -B "$out/win" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$out/win" -j2

display=""
for n in $(seq 40 59); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display between :40 and :59" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    for prefix in "$out/prefix-win64" "$out/prefix-win32"; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    done
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

export DISPLAY="$display" WINEDEBUG=-all
status=0
for arch in win64 win32; do
    prefix="$out/prefix-$arch"
    if [ ! -f "$prefix/system.reg" ]; then
        echo "== creating $arch prefix"
        if [ "$arch" = win32 ]; then WINEARCH=win32 WINEPREFIX="$prefix" wine wineboot -i >/dev/null 2>&1
        else WINEPREFIX="$prefix" wine wineboot -i >/dev/null 2>&1; fi
    fi
    echo "== Windows tests in the $arch prefix"
    WINEPREFIX="$prefix" timeout 300 wine "$out/win/bin/desktop-host-test.exe" || status=1
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
done
exit $status
