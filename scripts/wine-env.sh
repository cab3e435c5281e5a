# Sourced by the scripts: a virtual X display and private Wine prefixes, and their clean shutdown.
#
#   kv_start_display            starts Xvfb on a free display and exports DISPLAY
#   kv_create_prefix DIR ARCH [COPY...]
#                               creates a fresh prefix (ARCH win64 or win32), and copies of it, each with a
#                               persistent wineserver
#   kv_stop_all                 stops every wineserver started here and the X server
#
# Everything started here is recorded so that kv_stop_all (installed as an EXIT trap by the
# callers) leaves nothing running.

KV_STARTED_PREFIXES=()
KV_MOUNTS=()
KV_XVFB_PID=""
export WINEDEBUG=-all
# Keep Wine from asking to install Mono or Gecko into fresh prefixes.
export WINEDLLOVERRIDES="mscoree,mshtml="

kv_start_display() {
    local screen="${1:-1280x1024x24}" fd_file
    fd_file=$(mktemp)
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    local waited=0
    while [ ! -s "$fd_file" ]; do
        if ! kill -0 "$KV_XVFB_PID" 2>/dev/null || [ $waited -ge 200 ]; then
            echo "Xvfb did not start" >&2
            rm -f "$fd_file"
            return 1
        fi
        sleep 0.05
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n1 "$fd_file" | tr -d '[:space:]')"
    rm -f "$fd_file"
    echo "Virtual display $DISPLAY ($screen)"
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
    if [ -n "$KV_XVFB_PID" ]; then
        kill "$KV_XVFB_PID" 2>/dev/null || true
        wait "$KV_XVFB_PID" 2>/dev/null || true
        KV_XVFB_PID=""
    fi
}
