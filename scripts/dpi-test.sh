#!/usr/bin/env bash
# The translator's windows and the demo's previews at 144 DPI measured against 96 DPI
# (WindowsAtDpi.*, built tests), and the text room held against the drawn pixels at 144 DPI
# (TextRoomPixels.*; the suite runs it at 96). The group runs once in the project's Wine prefix at
# its 96 DPI on a 1280x1024 screen, then in a second prefix beside it whose display is set to
# 144 DPI (made here on first use), under that prefix's own wineserver: on a screen of 1.5 times the pixels, where
# every window must be 1.5 times its size, and on a 1366x768 screen, where every window must still
# open inside the work area. Wine reads the DPI when a process starts, and one server holds one
# prefix's registry, so the prefixes cannot share a server. Screenshots of the runs stay in
# build/artifacts as dpi<DPI>-<screen width>-<window>.bmp.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ ! -f "$TEV_BUILD/tests/tev_tests.exe" ]; then
    echo "build the tests first (source scripts/common.sh && tev_build)" >&2
    exit 1
fi

sizes="$(mktemp "${TMPDIR:-/tmp}/tev-dpi-sizes.XXXXXX")"
high_prefix="$WINEPREFIX-144dpi"
cleanup() {
    if [ "$WINEPREFIX" = "$high_prefix" ]; then
        stop_wineserver
    fi
    stop_virtual_display
    rm -f "$sizes"
}
trap cleanup EXIT

cd "$TEV_BUILD"
mkdir -p artifacts
# On the suite's display when it has one (1280x1024): the prefix's server is bound to it.
if [ -z "${DISPLAY:-}" ]; then
    start_virtual_display
fi
status=0
TEV_DPI_SIZES_OUT="Z:$sizes" wine tests/tev_tests.exe --gtest_filter='WindowsAtDpi.*' || status=1
stop_virtual_display

export WINEPREFIX="$high_prefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the 144 DPI Wine prefix $WINEPREFIX"
    env -u DISPLAY WINEARCH=win32 wineboot -i >/dev/null 2>&1
    env -u DISPLAY wineserver -w
fi
env -u DISPLAY wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
env -u DISPLAY wineserver -w
start_virtual_display 1920x1536
start_wineserver N
TEV_DPI_BASE_SIZES="Z:$sizes" wine tests/tev_tests.exe --gtest_filter='WindowsAtDpi.*:TextRoomPixels.*' || status=1
stop_wineserver
stop_virtual_display
start_virtual_display 1366x768
start_wineserver N
wine tests/tev_tests.exe --gtest_filter='WindowsAtDpi.*' || status=1
exit "$status"
