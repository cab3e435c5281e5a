#!/usr/bin/env bash
# Shows Kavrilon at work on this machine: installs what is missing, builds the programs, starts a
# virtual display and a fresh Wine prefix, and runs the command-line program in it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
trap kv_stop_all EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows --target Kavrilon KavrilonShellEx KVRegShellEx

kv_start_display
export WINEPREFIX="$root/build/demo/prefix"
echo "Creating a Wine prefix in $WINEPREFIX ..."
kv_create_prefix "$WINEPREFIX" win32

kavrilon="$root/build/windows/bin/Kavrilon.exe"
data=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')'\Quellwyn\Kavrilon\'
data_unix=$(winepath -u "$data")

run() {
    local status=0
    wine "$kavrilon" "$@" || status=$?
    printf '  Kavrilon.exe %-28s exit code %s\n' "$*" "$status"
}

echo
echo "Kavrilon.exe, run as a command-line tool:"
run /s
run /rb 2008
run --S
run /h 12345 /dlg /r
echo
echo "Data folder $data now holds:"
ls -1 "$data_unix" | sed 's/^/  /'
echo
echo "Options.ini:"
sed 's/\r$//; s/^/  /' "$data_unix/Options.ini"
