#!/usr/bin/env bash
# Installs what is missing, builds, and runs the translator on the bundled demo project: on
# the user's display when there is one, else on a virtual display where the open dialog is
# confirmed automatically. Either way a screenshot of the main window is saved.
# Run it as yourself: the program runs as you, on your display, in the project's own Wine prefix
# (see scripts/common.sh); only installing missing packages asks for root (sudo).
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$TEV_ROOT/scripts/setup.sh" >/dev/null
tev_build tevtranslator >/dev/null

SCREENSHOT="$TEV_BUILD/translator-main-window.png"
MAIN_TITLE=".:: tevlib translator ::."

trap 'stop_wineserver; stop_virtual_display' EXIT
virtual=0
managed=Y # the user's window manager frames the windows
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    virtual=1
    managed=N # no window manager on the virtual display
    start_virtual_display
fi
start_wineserver "$managed"

# The demo ships a partial German translation: run as a German user, so that German is the
# language the open dialog offers first.
LC_ALL=de_DE.UTF-8 wine "$TEV_BUILD/tevtranslator.exe" &
program=$!

# Waits up to a minute for a window with that title, and not at all once the program has ended
# (the user cancelled the open dialog).
wait_for_window() {
    for _ in $(seq 1 300); do
        xdotool search --name "$1" 2>/dev/null | head -n 1 && return 0
        kill -0 "$program" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

if [ "$virtual" -eq 1 ]; then
    echo "No display found: running on a virtual display and confirming the open dialog."
    open_dialog=$(wait_for_window "Open Project") || { echo "the open dialog did not appear" >&2; exit 1; }
    sleep 1
    xdotool windowfocus "$open_dialog" key Return
else
    echo "Choose the demo project and a language in the open dialog."
fi

main_window=$(wait_for_window "$MAIN_TITLE") || {
    echo "The main window did not appear (the open dialog was cancelled, or the program ended)." >&2
    exit 1
}
sleep 1
import -window root "$SCREENSHOT" 2>/dev/null || import -window "$main_window" "$SCREENSHOT"
echo "Screenshot of the main window: $SCREENSHOT"

if [ "$virtual" -eq 1 ]; then
    xdotool windowfocus "$main_window" key Escape
fi
wait "$program" || true
