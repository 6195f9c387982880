#!/usr/bin/env bash
# Saves onto a real file system that runs out of space: mounts a tmpfs of a few hundred KB, reached
# from Wine as a Z: path, and runs the tests that save there (SavingOnASmallDisk.*) against the
# built tests. Mounting needs root, or sudo without a password; without either, or where mounting
# is refused (in a container, say), it says so and exits with 77, which ctest counts as skipped.
set -euo pipefail
source "$(dirname "$0")/common.sh"

skip() {
    echo "small-disk save: skipped: $*"
    exit 77
}

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
else
    skip "mounting a tmpfs needs root or sudo without a password"
fi

if [ ! -f "$TEV_BUILD/tests/tev_tests.exe" ]; then
    echo "build the tests first (source scripts/common.sh && tev_build)" >&2
    exit 1
fi

disk="$(mktemp -d "${TMPDIR:-/tmp}/tev-small-disk.XXXXXX")"
mounted=false
cleanup() {
    if $mounted; then
        "${as_root[@]}" umount "$disk" || true
    fi
    rmdir "$disk"
}
trap cleanup EXIT
"${as_root[@]}" mount -t tmpfs -o "size=384k,uid=$(id -u),gid=$(id -g),mode=0700" tmpfs "$disk" 2>/dev/null ||
    skip "could not mount a tmpfs on $disk"
mounted=true

# Wine's drive Z: is the Linux root.
export TEV_SMALL_DISK="Z:${disk//\//\\}"
cd "$TEV_BUILD"
wine tests/tev_tests.exe --gtest_filter='SavingOnASmallDisk.*'
