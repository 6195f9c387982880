# shellcheck shell=bash
# Shared by the scripts: the Wine environment, the dependency prefix, a virtual display.
# Sourced, not run (also by hand: `source scripts/common.sh` before building or running tests).

TEV_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/tevtranslator"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export TEV_DEPS_PREFIX="${TEV_DEPS_PREFIX:-$TEV_CACHE/mingw-i686}"
# The project's own Wine prefix, made by scripts/setup.sh; TEV_WINEPREFIX picks another (one per
# checkout, say, for test runs side by side: each run ends the Wine processes of its prefix).
# The user's own (~/.wine, or a WINEPREFIX of theirs) is never used: its settings stay as they
# are, and `wineserver -k` below ends only this prefix's Wine processes, not the user's other
# Wine programs.
export WINEPREFIX="${TEV_WINEPREFIX:-$TEV_CACHE/wineprefix}"

TEV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TEV_BUILD="$TEV_ROOT/build"

# Configures (once) and builds the given targets, or everything.
tev_build() {
    if [ -e "$TEV_BUILD" ] && [ ! -w "$TEV_BUILD" ]; then
        echo "$TEV_BUILD is not yours to write (made by an earlier run with sudo?);" \
            "remove it (sudo rm -rf $TEV_BUILD) and run again as yourself" >&2
        return 1
    fi
    if [ ! -f "$TEV_BUILD/CMakeCache.txt" ]; then
        cmake --preset mingw -S "$TEV_ROOT" -C "$TEV_DEPS_PREFIX/tev-deps.cmake" >/dev/null
    fi
    local targets=()
    local target
    for target in "$@"; do
        targets+=(--target "$target")
    done
    cmake --build "$TEV_BUILD" -j"$(nproc)" "${targets[@]}"
}

# Starts Xvfb on a free display number and exports DISPLAY; the screen is 1280x1024 unless the
# argument gives another size (WIDTHxHEIGHT).
start_virtual_display() {
    local screen="${1:-1280x1024}"
    local n
    for n in $(seq 90 150); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
            TEV_XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 100); do
                [ -e "/tmp/.X11-unix/X$n" ] && return 0
                sleep 0.1
            done
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
    done
    echo "no free display number for Xvfb" >&2
    return 1
}

stop_virtual_display() {
    if [ -n "${TEV_XVFB_PID:-}" ]; then
        kill "$TEV_XVFB_PID" 2>/dev/null || true
        wait "$TEV_XVFB_PID" 2>/dev/null || true
        TEV_XVFB_PID=
    fi
}

# A persistent wineserver, and one idle Wine process that keeps Wine's own service processes
# running, make each further Wine process start in a fraction of a second. The first start
# also finishes any update of the Wine prefix before tests are timed.
#
# start_wineserver Y|N: whether Wine hands its windows to the X window manager (the registry's
# Managed value, read by each Wine process when it starts, so set here before any of ours).
# Y on the user's display, where windows get the window manager's frames; N on a virtual
# display, where there is no window manager and Wine would wait two seconds for one each time
# a dialog closes.
start_wineserver() {
    local managed="$1"
    # A server left from an earlier run may hold services bound to another display.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 || true
    TEV_KEEPALIVE_FIFO="$(mktemp -u)"
    mkfifo "$TEV_KEEPALIVE_FIFO"
    wine cmd /c "set /p x=" <"$TEV_KEEPALIVE_FIFO" >/dev/null 2>&1 &
    exec 9>"$TEV_KEEPALIVE_FIFO"
    wine cmd /c exit >/dev/null 2>&1 || true
    # Through the running server, which holds the prefix's registry.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1 || {
        echo "could not set Managed=$managed in the Wine prefix $WINEPREFIX" >&2
        return 1
    }
}

stop_wineserver() {
    if [ -n "${TEV_KEEPALIVE_FIFO:-}" ]; then
        exec 9>&-
        rm -f "$TEV_KEEPALIVE_FIFO"
        TEV_KEEPALIVE_FIFO=
    fi
    wineserver -k >/dev/null 2>&1 || true
}
