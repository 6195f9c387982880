#!/usr/bin/env bash
# Installs what is missing, builds, and runs the project benchmark under Wine on a virtual display:
# scripts/bench.sh [STRINGS] (20,000 by default; 100000 for a product-suite-sized project). Each
# line is one measure with its ratio to the floor measured in the same run.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$TEV_ROOT/scripts/setup.sh"
tev_build project_bench tevtranslator

trap 'stop_wineserver; stop_virtual_display' EXIT
start_virtual_display
start_wineserver N # no window manager on the virtual display

cd "$TEV_BUILD"
wine bench/project_bench.exe "${1:-20000}"
