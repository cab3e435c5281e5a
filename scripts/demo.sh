#!/usr/bin/env bash
# The main job on a built-in desktop: installs what is missing, builds the programs, starts a
# virtual display, a fresh Wine prefix and a desktop (the desktop host in shell mode, showing a few
# sample files), saves the icon layout with "Kavrilon.exe /s", scrambles the icons, restores them
# with "Kavrilon.exe /r", prints the icon positions of each stage and writes a screenshot of each
# stage. Everything it started is stopped at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
output="$root/demo-output"

"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
trap kv_stop_all EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows --target Kavrilon desktop-host kv-demo-driver

kv_start_display
export WINEPREFIX="$root/build/demo/prefix"
echo "Creating a Wine prefix in $WINEPREFIX ..."
kv_create_prefix "$WINEPREFIX" win32

desktop=$(winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Desktop")
for name in "Budget 2026.xlsx" "Holiday photos.zip" "Notes.txt" "Project plan.docx" "Readme.txt"; do
    echo "sample" >"$desktop/$name"
done

rm -rf "$output"
mkdir -p "$output"
echo
status=0
wine "$root/build/windows/tests/kv-demo-driver.exe" "$(winepath -w "$root/build/windows/bin/Kavrilon.exe")" \
    "$(winepath -w "$output")" || status=$?

for shot in "$output"/*.bmp; do
    [ -e "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
echo
echo "Screenshots (before, scrambled, restored) are in $output:"
ls -1 "$output" | sed 's/^/  /'
echo "The layout file Kavrilon wrote:"
layout=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Quellwyn\\Kavrilon\\Layouts")
sed 's/\r$//; s/^/  /' "$layout"/*.kvl
exit $status
