#!/usr/bin/env bash
# Installs what is missing, builds the fuzz driver and runs every fuzz target with COUNT inputs
# each (default 3000) under Wine on a virtual display, as the tests run. Failing inputs are saved
# in build/fuzz-findings/; the last line is "fuzz: N inputs, C crashes, H hangs" (inputs that
# take more memory than the bound count as hangs). FUZZ_SEED picks another seed (default 1).
set -euo pipefail
source "$(dirname "$0")/common.sh"

count="${1:-3000}"
bash "$TEV_ROOT/scripts/setup.sh" >&2
tev_build tev_fuzz >&2

trap 'stop_wineserver; stop_virtual_display' EXIT
start_virtual_display
start_wineserver N # no window manager on the virtual display

cd "$TEV_BUILD"
status=0
wine fuzz/tev_fuzz.exe --count "$count" --seed "${FUZZ_SEED:-1}" --out fuzz-findings || status=$?
exit "$status"
