#!/usr/bin/env bash
# Runs a Windows test program (the command after this script's name) on the X display with several
# monitors that kv_start_monitor_display (scripts/wine-env.sh) started, KV_MONITOR_DISPLAY, in the
# prefix made on that display (WINEPREFIX): a prefix takes its monitors from the display its first
# program ran on. Without that display or prefix the program runs on the ordinary display in the
# 32-bit prefix, where its monitor tests skip and say why.
if [ -n "${KV_MONITOR_DISPLAY:-}" ] && [ -d "$WINEPREFIX" ]; then
    export DISPLAY="$KV_MONITOR_DISPLAY"
else
    echo "No monitor display or prefix (KV_MONITOR_DISPLAY='${KV_MONITOR_DISPLAY:-}', $WINEPREFIX)" >&2
    WINEPREFIX="$(dirname "$WINEPREFIX")/win32-0"
    export WINEPREFIX
    unset KV_MONITOR_DISPLAY
fi
exec "$@"
