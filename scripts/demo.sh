#!/usr/bin/env bash
# The main job on a built-in desktop: installs what is missing, builds the programs, starts a
# virtual display, a fresh Wine prefix with a Wine virtual desktop (so that the screen resolution
# can really change) and a desktop (the desktop host in shell mode, showing a few sample files).
# Act 1 saves the icon layout with "Kavrilon.exe /s", scrambles the icons and restores them with
# "Kavrilon.exe /r". Act 2 starts Kavrilon.exe as a tray application, saves the primary layout from
# its menu, changes the resolution, pushes the icons together, changes it back, and the tray puts
# every icon back by itself. Act 3 (when Xorg with dummy outputs can start) runs in a second prefix
# on that display: icons on two monitors, the second unplugged and plugged back in, and the tray
# puts every icon back on its monitor. Prints the icon positions of each stage and writes a
# screenshot of each stage. Everything it started is stopped at the end.
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
# A Wine virtual desktop of the display's size: ChangeDisplaySettingsA works on it, and every window
# receives WM_DISPLAYCHANGE. It takes effect with a fresh wineserver.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null
wineserver -k
wineserver -w
wineserver -p

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

echo
# Act 3 needs a display with several monitors and a prefix that first ran on it.
if kv_start_monitor_display; then
    monitors_prefix="$root/build/demo/prefix-monitors"
    echo "Creating a Wine prefix on the monitor display in $monitors_prefix ..."
    DISPLAY="$KV_MONITOR_DISPLAY" WINEPREFIX="$monitors_prefix" kv_create_prefix "$monitors_prefix" win32
    monitors_desktop=$(DISPLAY="$KV_MONITOR_DISPLAY" WINEPREFIX="$monitors_prefix" \
        winepath -u "$(DISPLAY="$KV_MONITOR_DISPLAY" WINEPREFIX="$monitors_prefix" wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Desktop")
    for name in "Budget 2026.xlsx" "Holiday photos.zip" "Notes.txt" "Project plan.docx" "Readme.txt"; do
        echo "sample" >"$monitors_desktop/$name"
    done
    DISPLAY="$KV_MONITOR_DISPLAY" WINEPREFIX="$monitors_prefix" wine "$root/build/windows/tests/kv-demo-driver.exe" \
        "$(winepath -w "$root/build/windows/bin/Kavrilon.exe")" "$(winepath -w "$output")" monitors || status=$?
else
    echo "Act 3 (several monitors) is skipped: Xorg with dummy outputs could not start here."
fi

for shot in "$output"/*.bmp; do
    [ -e "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
echo
echo "Screenshots of every stage of the acts are in $output:"
ls -1 "$output" | sed 's/^/  /'
echo "The layout file Kavrilon wrote:"
layout=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Quellwyn\\Kavrilon\\Layouts")
sed 's/\r$//; s/^/  /' "$layout"/*.kvl
exit $status
