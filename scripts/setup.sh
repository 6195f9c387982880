#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test the project:
#   - the i686 MinGW-w64 cross toolchain, CMake, make, MinGW zlib, GoogleTest's sources (the
#     tests build them from /usr/src/googletest), clang-format;
#   - Wine (32-bit), Xvfb, xauth and X tools, ImageMagick (`import -window root`
#     for screenshots), xdotool (to drive windows under Xvfb);
#   - NSIS, zip and unzip, for the release packages (scripts/package.sh);
#   - the de_DE.UTF-8 locale;
#   - static libpng, libjpeg-turbo, giflib and expat for the target, via scripts/build-deps.sh;
#   - the project's own Wine prefix ($WINEPREFIX from scripts/common.sh, under
#     ${XDG_CACHE_HOME:-$HOME/.cache}/tevtranslator/); ~/.wine is never used.
# Run it as yourself: only the installing steps run as root, directly when you are root, else
# through sudo. `setup.sh --system`, run as root, does only the installing steps.
# Idempotent: when everything is present it only checks, in a few seconds.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/common.sh"
START=$SECONDS

log() { printf '[setup] %s\n' "$*"; }
die() {
    printf '[setup] error: %s\n' "$*" >&2
    exit 1
}

source "$HERE/as-root.sh"
source "$HERE/apt-locked.sh"

system_only=0
case "${1:-}" in
"") ;;
--system) system_only=1 ;;
*) die "usage: setup.sh [--system]" ;;
esac
if [ "$system_only" -eq 1 ] && [ "$(id -u)" -ne 0 ]; then
    die "--system only installs, as root; as yourself run: bash $HERE/setup.sh"
fi

PACKAGES=(
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    libz-mingw-w64-dev cmake make
    googletest    # sources the tests build with the project's toolchain
    clang-format  # the repository's .clang-format
    dpkg-dev xz-utils # apt-get source / dpkg-source, for scripts/build-deps.sh
    wine wine32:i386
    xvfb xauth x11-utils xdotool imagemagick
    locales # the demo runs in German, the language of its bundled translation
    python3-pil # reference pixels of the picture suites (scripts/fetch-picture-suites.sh)
    nsis zip unzip # the release's installer and zip (scripts/package.sh) and their test
    # The licence texts the release ships (scripts/package.sh), from the packages Debian builds from
    # the sources of the libraries linked in.
    libpng16-16 libjpeg62-turbo libgif7 libexpat1
)

# --- packages --------------------------------------------------------------
need_i386=0
foreign="$(dpkg --print-foreign-architectures)"
grep -qx i386 <<<"$foreign" || need_i386=1

missing=()
for pkg in "${PACKAGES[@]}"; do
    status="$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)"
    [ "${status:0:2}" = "ii" ] || missing+=("$pkg")
done

if [ "$need_i386" -eq 1 ] || [ "${#missing[@]}" -gt 0 ]; then
    need_root
    if [ "$need_i386" -eq 1 ]; then
        log "adding the i386 architecture"
        as_root dpkg --add-architecture i386
    fi
    log "apt-get update"
    apt_locked as_root apt-get -q -o DPkg::Lock::Timeout=600 update
    log "installing: ${missing[*]}"
    apt_locked as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get -y -q -o DPkg::Lock::Timeout=600 install "${missing[@]}"
else
    log "packages: all present"
fi

for tool in i686-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix i686-w64-mingw32-windres \
    cmake make wine wineboot wineserver Xvfb xvfb-run import xdotool dpkg-source clang-format; do
    command -v "$tool" >/dev/null 2>&1 || die "'$tool' is still missing after installing packages"
done
[ -f /usr/src/googletest/CMakeLists.txt ] || die "/usr/src/googletest is still missing after installing googletest"

# --- a German locale for the demo ------------------------------------------
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    need_root
    log "generating the de_DE.UTF-8 locale"
    as_root sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen ||
        printf 'de_DE.UTF-8 UTF-8\n' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi

if [ "$system_only" -eq 1 ]; then
    # What building the target libraries needs from root: apt's source indexes.
    bash "$HERE/build-deps.sh" --sources
    log "installing steps done in $((SECONDS - START))s; now run your command as yourself"
    exit 0
fi

# --- target libraries ------------------------------------------------------
deps_prefix="$(bash "$HERE/build-deps.sh")"
log "target libraries: $deps_prefix"

# --- the project's Wine prefix ---------------------------------------------
# 32-bit (win32), which runs our 32-bit exes; WINEARCH says so even where wine64 is installed.
# Whether its windows get window-manager frames is set per run, by scripts/run.sh and
# scripts/test.sh.
if [ -f "$WINEPREFIX/system.reg" ]; then
    log "wine prefix: $WINEPREFIX (exists)"
else
    log "creating wine prefix $WINEPREFIX (32-bit, no Mono/Gecko)"
    t0=$SECONDS
    mkdir -p "$(dirname "$WINEPREFIX")"
    # No display needed (nor wanted: wineboot would show a progress window).
    env -u DISPLAY WINEARCH=win32 wineboot -i
    env -u DISPLAY wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || die "wineboot did not create $WINEPREFIX"
    log "  wine prefix created in $((SECONDS - t0))s"
fi

# --- picture suites with their reference pixels ------------------------------
suites="$(bash "$HERE/fetch-picture-suites.sh")"
log "picture suites: $suites"

log "done in $((SECONDS - START))s"
