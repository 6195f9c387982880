#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on a virtual
# display; the last lines are the ctest summary. Run it as yourself: only installing missing
# packages asks for root (sudo). Tests use the project's own Wine prefix (see scripts/common.sh).
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$TEV_ROOT/scripts/setup.sh"
tev_build
# Set-up fetched the picture suites: their test fails, rather than skips, when they are missing.
TEV_PICTURE_SUITES="$(bash "$TEV_ROOT/scripts/fetch-picture-suites.sh")"
export TEV_PICTURE_SUITES

trap 'stop_wineserver; stop_virtual_display' EXIT
start_virtual_display
start_wineserver N # no window manager on the virtual display

mkdir -p "$TEV_BUILD/artifacts"
cd "$TEV_BUILD"
ctest --output-on-failure --timeout 300
