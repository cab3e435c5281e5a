# Sourced by the scripts: a virtual X display and private Wine prefixes, and their clean shutdown.
#
#   kv_start_display            starts Xvfb on a free display and exports DISPLAY
#   kv_start_monitor_display    starts Xorg with the dummy driver (several monitors) on a free display
#                               and exports its name as KV_MONITOR_DISPLAY; DISPLAY stays Xvfb's
#   kv_monitor_attach OUTPUT MODE PLACE [OTHER]   switches a dummy output on, e.g. DUMMY1 1024x768
#                               right-of (or left-of, above, below; OTHER defaults to DUMMY0)
#   kv_monitor_move OUTPUT PLACE [OTHER]          moves an output that is on
#   kv_monitor_detach OUTPUT                      switches an output off
#   kv_create_prefix DIR ARCH [COPY...]
#                               creates a fresh prefix (ARCH win64 or win32), and copies of it, each with a
#                               persistent wineserver
#   kv_stop_all                 stops every wineserver started here and the X servers
#
# Everything started here is recorded so that kv_stop_all (installed as an EXIT trap by the
# callers) leaves nothing running.

KV_STARTED_PREFIXES=()
KV_MOUNTS=()
KV_XVFB_PID=""
KV_XORG_PID=""
export WINEDEBUG=-all
# Keep Wine from asking to install Mono or Gecko into fresh prefixes.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Waits until the X server PID has written its display number into FILE (-displayfd), polling every
# 50 ms up to STEPS times; false when the server ended or the time is up.
kv_await_display_number() {
    local pid="$1" file="$2" steps="$3" waited=0
    while [ ! -s "$file" ]; do
        if ! kill -0 "$pid" 2>/dev/null || [ $waited -ge "$steps" ]; then
            return 1
        fi
        sleep 0.05
        waited=$((waited + 1))
    done
}

kv_start_display() {
    local screen="${1:-1280x1024x24}" fd_file
    fd_file=$(mktemp)
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    if ! kv_await_display_number "$KV_XVFB_PID" "$fd_file" 200; then
        echo "Xvfb did not start" >&2
        rm -f "$fd_file"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$fd_file" | tr -d '[:space:]')"
    rm -f "$fd_file"
    echo "Virtual display $DISPLAY ($screen)"
}

# Wine sees several monitors only on an X server whose RandR reports several outputs: Xorg with the
# dummy driver does (Xvfb does not). Xorg needs root; without root it is started through sudo when
# sudo works without a password. A Wine prefix takes its monitors from the display its first
# program ran on, so the tests that need several monitors use a prefix of their own on this display.
kv_start_monitor_display() {
    local conf fd_file log sudo=()
    conf="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/win/xorg-dummy-monitors.conf"
    if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null; then
        echo "No monitor display: Xorg or xrandr is not installed (scripts/install-deps.sh)" >&2
        return 1
    fi
    if [ "$(id -u)" -ne 0 ]; then
        if ! sudo -n true 2>/dev/null; then
            echo "No monitor display: Xorg needs root, and sudo asks for a password" >&2
            return 1
        fi
        sudo=(sudo -n)
    fi
    fd_file=$(mktemp)
    log=$(mktemp --suffix=.xorg.log)
    # Like Xvfb, Xorg picks a free display itself and writes its number once it accepts connections.
    "${sudo[@]}" Xorg -displayfd 3 -config "$conf" -logfile "$log" -noreset -nolisten tcp -sharevts -novtswitch \
        3>"$fd_file" >/dev/null 2>&1 &
    KV_XORG_PID=$!
    if ! kv_await_display_number "$KV_XORG_PID" "$fd_file" 300; then
        echo "No monitor display: Xorg did not start (log: $log)" >&2
        kill "$KV_XORG_PID" 2>/dev/null || true
        KV_XORG_PID=""
        rm -f "$fd_file"
        return 1
    fi
    export KV_MONITOR_DISPLAY=":$(head -n1 "$fd_file" | tr -d '[:space:]')"
    rm -f "$fd_file" "$log"
    echo "Monitor display $KV_MONITOR_DISPLAY (Xorg dummy outputs DUMMY0 to DUMMY15, DUMMY0 on)"
}

# xrandr on the monitor display. The plain call at the end probes the outputs again: before it, Wine
# still takes a newly switched-on output for disconnected.
kv_monitor_xrandr() {
    [ -n "${KV_MONITOR_DISPLAY:-}" ] || { echo "No monitor display started" >&2; return 1; }
    DISPLAY="$KV_MONITOR_DISPLAY" xrandr "$@" && DISPLAY="$KV_MONITOR_DISPLAY" xrandr >/dev/null
}

kv_monitor_attach() {
    local output="$1" mode="$2" place="$3" other="${4:-DUMMY0}"
    # Adding a mode the output has already fails harmlessly.
    DISPLAY="$KV_MONITOR_DISPLAY" xrandr --addmode "$output" "$mode" 2>/dev/null || true
    kv_monitor_xrandr --output "$output" --mode "$mode" "--$place" "$other"
}

kv_monitor_move() {
    kv_monitor_xrandr --output "$1" "--$2" "${3:-DUMMY0}"
}

kv_monitor_detach() {
    kv_monitor_xrandr --output "$1" --off
}

kv_create_prefix() {
    local dir="$1" arch="$2" copy
    shift 2
    rm -rf "$dir"
    mkdir -p "$dir"
    KV_STARTED_PREFIXES+=("$dir" "$@")
    local archvar=()
    [ "$arch" = win32 ] && archvar=(WINEARCH=win32)
    # The first boot runs to its end (every process of the prefix gone) before a persistent server is
    # kept: booting under a kept server leaves two service managers in the prefix, and then no other
    # process finds a COM class that a program registers (the desktop host's shell windows).
    env WINEPREFIX="$dir" "${archvar[@]}" wine wineboot -i >/dev/null 2>&1
    env WINEPREFIX="$dir" "${archvar[@]}" wineserver -w
    # The registry may be flushed late; wait until the prefix is complete.
    local waited=0
    while [ ! -s "$dir/system.reg" ] && [ $waited -lt 300 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    [ -s "$dir/system.reg" ] || { echo "Wine prefix $dir was not created" >&2; return 1; }
    kv_unlink_user_folders "$dir"
    # A copy of a finished prefix is a prefix of its own (it holds no absolute path of the first),
    # made in a second instead of a boot's half minute.
    for copy in "$@"; do
        rm -rf "$copy"
        cp -a "$dir" "$copy"
    done
    # A persistent server keeps every test's Wine start fast; it is stopped by kv_stop_all.
    for copy in "$dir" "$@"; do
        env WINEPREFIX="$copy" "${archvar[@]}" wineserver -p
    done
}

# Wine links the user's Desktop, Documents and other shell folders to the Unix home folder. The
# tests put files on the Desktop and must neither touch the home folder nor share it between
# prefixes, so every such link becomes a folder of the prefix's own.
kv_unlink_user_folders() {
    local dir="$1" link
    for link in "$dir"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}

# Mounts a tiny file system and makes it drive T: of a prefix, so that tests can fill a disk. Only
# where the machine allows mounting (root); otherwise the prefix has no such drive.
kv_add_small_drive() {
    local dir="$1" mountpoint="$1-small-drive"
    mkdir -p "$mountpoint"
    # A mount left behind by an interrupted run is replaced.
    umount "$mountpoint" 2>/dev/null || true
    if mount -t tmpfs -o size=32k,mode=0777 tmpfs "$mountpoint" 2>/dev/null; then
        KV_MOUNTS+=("$mountpoint")
        ln -sfn "$mountpoint" "$dir/dosdevices/t:"
        return 0
    fi
    rmdir "$mountpoint" 2>/dev/null || true
    return 1
}

kv_stop_all() {
    local dir
    for dir in "${KV_STARTED_PREFIXES[@]}"; do
        WINEPREFIX="$dir" wineserver -k >/dev/null 2>&1 || true
    done
    for dir in "${KV_STARTED_PREFIXES[@]}"; do
        WINEPREFIX="$dir" wineserver -w >/dev/null 2>&1 || true
    done
    KV_STARTED_PREFIXES=()
    for dir in "${KV_MOUNTS[@]}"; do
        umount "$dir" 2>/dev/null || true
        rmdir "$dir" 2>/dev/null || true
    done
    KV_MOUNTS=()
    if [ -n "$KV_XORG_PID" ]; then
        # Through sudo the signal is passed on to Xorg.
        kill "$KV_XORG_PID" 2>/dev/null || true
        wait "$KV_XORG_PID" 2>/dev/null || true
        KV_XORG_PID=""
    fi
    if [ -n "$KV_XVFB_PID" ]; then
        kill "$KV_XVFB_PID" 2>/dev/null || true
        wait "$KV_XVFB_PID" 2>/dev/null || true
        KV_XVFB_PID=""
    fi
}
