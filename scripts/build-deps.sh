#!/usr/bin/env bash
# Builds static libpng, libjpeg-turbo, giflib and expat for the 32-bit MinGW-w64 target
# (i686-w64-mingw32) from Debian's source packages, into a cached prefix:
#
#   ${TEV_DEPS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tevtranslator/mingw-i686}
#
# zlib comes from Debian's libz-mingw-w64-dev; its static libz.a and headers
# are copied into the prefix so that everything links statically and the
# prefix is self-contained. The prefix also gets tev-deps.cmake, a CMake
# initial-cache file (cmake -C <prefix>/tev-deps.cmake) that points
# find_package(PNG), find_package(JPEG), find_package(GIF), find_package(EXPAT) and
# find_package(ZLIB) at these static libraries, whatever the toolchain's CMAKE_FIND_ROOT_PATH says.
# expat is built with wchar_t characters (libexpatw.a): its users compile with XML_STATIC and
# XML_UNICODE_WCHAR_T.
#
# Nothing is rebuilt when the prefix's stamp matches this recipe and the
# installed zlib package. Progress goes to stderr; the last (only) line on
# stdout is the prefix, so `deps=$(scripts/build-deps.sh)` works.
#
# Needs (see scripts/setup.sh): the i686 MinGW-w64 gcc, cmake, make,
# dpkg-dev, libz-mingw-w64-dev. Run it as yourself: when apt knows no source
# packages yet, it adds a deb-src entry and refreshes apt's lists as root
# (directly when root, else through sudo); `build-deps.sh --sources` does only
# that and builds nothing.
set -euo pipefail

RECIPE=3 # bump when the build below changes, to force a rebuild
HOST=i686-w64-mingw32
SYSROOT=/usr/$HOST
JOBS=2
PREFIX="${TEV_DEPS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tevtranslator/mingw-i686}"
STAMP="$PREFIX/.tev-deps-stamp"
PNG_SRCPKG=libpng1.6
JPEG_SRCPKG=libjpeg-turbo
GIF_SRCPKG=giflib
EXPAT_SRCPKG=expat

log() { printf '[build-deps] %s\n' "$*" >&2; }
die() {
    printf '[build-deps] error: %s\n' "$*" >&2
    exit 1
}

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/as-root.sh"
source "$HERE/apt-locked.sh"

# --- apt's source indexes --------------------------------------------------
have_deb_src() {
    grep -qsE '^[[:space:]]*(Types:.*[[:space:]]deb-src([[:space:]]|$)|deb-src[[:space:]])' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}

# (Output captured first: with pipefail, `apt-cache ... | grep -q` can fail on SIGPIPE.)
has_versions() {
    local out
    out="$(apt-cache showsrc "$1" 2>/dev/null || true)"
    case "$out" in *"Version:"*) return 0 ;; *) return 1 ;; esac
}
have_src_index() {
    has_versions "$PNG_SRCPKG" && has_versions "$JPEG_SRCPKG" && has_versions "$GIF_SRCPKG" &&
        has_versions "$EXPAT_SRCPKG"
}

ensure_src_index() {
    have_src_index && return 0
    need_root
    if ! have_deb_src; then
        # Derive the deb-src entries from the configured binary ones, so that
        # no archive address is hard-coded here.
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            log "adding deb-src entries (/etc/apt/sources.list.d/debian-src.sources)"
            sed -E -e '/^[[:space:]]*#/d' -e 's/^Types:.*/Types: deb-src/' \
                /etc/apt/sources.list.d/debian.sources |
                as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
        elif grep -qsE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
            log "adding deb-src entries (/etc/apt/sources.list.d/debian-src.list)"
            sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' /etc/apt/sources.list |
                as_root tee /etc/apt/sources.list.d/debian-src.list >/dev/null
        else
            die "found no Debian apt source to derive a deb-src entry from"
        fi
    fi
    log "apt-get update (for the source indexes)"
    apt_locked as_root apt-get -q -o DPkg::Lock::Timeout=600 update
    have_src_index || die "apt-cache showsrc still finds no $PNG_SRCPKG / $JPEG_SRCPKG / $GIF_SRCPKG / $EXPAT_SRCPKG"
}

case "${1:-}" in
"") ;;
--sources)
    ensure_src_index
    log "source indexes: present"
    exit 0
    ;;
*) die "usage: build-deps.sh [--sources]" ;;
esac

zlib_pkg_version() { dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || true; }

# --- up-to-date check ------------------------------------------------------
zlib_ver="$(zlib_pkg_version)"
if [ -z "$zlib_ver" ] || [ ! -f "$SYSROOT/lib/libz.a" ] || [ ! -f "$SYSROOT/include/zlib.h" ]; then
    die "libz-mingw-w64-dev is missing (no $SYSROOT/lib/libz.a); run scripts/setup.sh"
fi

if [ -f "$STAMP" ] &&
    grep -qx "recipe=$RECIPE" "$STAMP" &&
    grep -qx "zlib=$zlib_ver" "$STAMP" &&
    [ -f "$PREFIX/lib/libpng16.a" ] && [ -f "$PREFIX/lib/libjpeg.a" ] && [ -f "$PREFIX/lib/libgif.a" ] &&
    [ -f "$PREFIX/lib/libexpatw.a" ] &&
    [ -f "$PREFIX/lib/libz.a" ] && [ -f "$PREFIX/tev-deps.cmake" ]; then
    log "up to date ($(grep -E '^(libpng|libjpeg-turbo|giflib|expat|zlib)=' "$STAMP" | tr '\n' ' '))"
    printf '%s\n' "$PREFIX"
    exit 0
fi

# --- tools -----------------------------------------------------------------
if command -v "$HOST-gcc-posix" >/dev/null 2>&1; then
    CC="$HOST-gcc-posix"
elif command -v "$HOST-gcc" >/dev/null 2>&1; then
    CC="$HOST-gcc"
else
    die "no $HOST-gcc; run scripts/setup.sh"
fi
for tool in cmake make dpkg-source apt-get apt-cache "$HOST-ar" "$HOST-ranlib" "$HOST-objdump"; do
    command -v "$tool" >/dev/null 2>&1 || die "missing tool '$tool'; run scripts/setup.sh"
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/tev-deps.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" # nothing below may write into the caller's directory

# Runs a command with its output in $WORK/<name>.log; shows the log's tail on failure.
run_logged() {
    local name="$1"
    shift
    if ! "$@" >"$WORK/$name.log" 2>&1; then
        tail -n 40 "$WORK/$name.log" >&2 || true
        die "step '$name' failed (command: $*)"
    fi
}

ensure_src_index

# --- fetch sources ---------------------------------------------------------
source "$HERE/fetch-source.sh"

fetch_source "$PNG_SRCPKG" PNG_SRC PNG_VER
fetch_source "$JPEG_SRCPKG" JPEG_SRC JPEG_VER
fetch_source "$GIF_SRCPKG" GIF_SRC GIF_VER
fetch_source "$EXPAT_SRCPKG" EXPAT_SRC EXPAT_VER

# --- build -----------------------------------------------------------------
rm -f "$STAMP"
mkdir -p "$PREFIX/include" "$PREFIX/lib"

log "copying static zlib ($zlib_ver) into the prefix"
cp -f "$SYSROOT/include/zlib.h" "$SYSROOT/include/zconf.h" "$PREFIX/include/"
cp -f "$SYSROOT/lib/libz.a" "$PREFIX/lib/"

log "building libpng $PNG_VER"
t0=$SECONDS
mkdir -p "$WORK/build-png"
(
    cd "$WORK/build-png"
    # -L"$PREFIX/lib" first: -lz then resolves to the static libz.a copied
    # above rather than the libz.dll.a import library in $SYSROOT/lib.
    run_logged png-configure "$PNG_SRC/configure" \
        --host="$HOST" --prefix="$PREFIX" \
        --disable-shared --enable-static --disable-maintainer-mode \
        CC="$CC" CFLAGS="-O2" \
        CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib"
    run_logged png-build make -j"$JOBS"
    run_logged png-install make install
)
[ -f "$PREFIX/lib/libpng16.a" ] || die "libpng did not install $PREFIX/lib/libpng16.a"
log "  libpng done in $((SECONDS - t0))s"

log "building libjpeg-turbo $JPEG_VER"
t0=$SECONDS
cat >"$WORK/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER $CC)
set(CMAKE_RC_COMPILER $HOST-windres)
set(CMAKE_FIND_ROOT_PATH $SYSROOT)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
run_logged jpeg-configure cmake -S "$JPEG_SRC" -B "$WORK/build-jpeg" \
    -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_SIMD=OFF
run_logged jpeg-build cmake --build "$WORK/build-jpeg" -j"$JOBS"
run_logged jpeg-install cmake --install "$WORK/build-jpeg"
[ -f "$PREFIX/lib/libjpeg.a" ] || die "libjpeg-turbo did not install $PREFIX/lib/libjpeg.a"
log "  libjpeg-turbo done in $((SECONDS - t0))s"

# giflib's Makefile builds Unix shared libraries and tools; only its library
# sources (the Makefile's SOURCES list) are compiled here and archived.
log "building giflib $GIF_VER"
t0=$SECONDS
GIF_SOURCES="$(cd "$GIF_SRC" && printf 'include Makefile\ntev-print-sources:\n\t@echo $(SOURCES)\n' |
    make -s --no-print-directory -f - tev-print-sources 2>/dev/null || true)"
[ -n "$GIF_SOURCES" ] || die "could not read the library sources from giflib's Makefile"
mkdir -p "$WORK/build-gif"
for src in $GIF_SOURCES; do
    run_logged "gif-${src%.c}" "$CC" -O2 -c "$GIF_SRC/$src" -o "$WORK/build-gif/${src%.c}.o"
done
rm -f "$PREFIX/lib/libgif.a"
run_logged gif-archive "$HOST-ar" rcs "$PREFIX/lib/libgif.a" "$WORK"/build-gif/*.o
cp -f "$GIF_SRC/gif_lib.h" "$PREFIX/include/"
log "  giflib done in $((SECONDS - t0))s"

log "building expat $EXPAT_VER"
t0=$SECONDS
run_logged expat-configure cmake -S "$EXPAT_SRC/expat" -B "$WORK/build-expat" \
    -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DEXPAT_SHARED_LIBS=OFF -DEXPAT_CHAR_TYPE=wchar_t \
    -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
    -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
# Debian's patches test `#if XML_DTD == 1`, as its autotools build defines them; expat's CMake
# build defines the switches empty.
sed -i -E 's/^#define (XML_DTD|XML_NS)$/#define \1 1/' "$WORK/build-expat/expat_config.h"
grep -qx '#define XML_DTD 1' "$WORK/build-expat/expat_config.h" || die "expat's configuration has no XML_DTD"
run_logged expat-build cmake --build "$WORK/build-expat" -j"$JOBS"
run_logged expat-install cmake --install "$WORK/build-expat"
[ -f "$PREFIX/lib/libexpatw.a" ] || die "expat did not install $PREFIX/lib/libexpatw.a"
log "  expat done in $((SECONDS - t0))s"

# --- CMake hints -----------------------------------------------------------
cat >"$PREFIX/tev-deps.cmake" <<EOF
# Generated by scripts/build-deps.sh. Use as: cmake -C "$PREFIX/tev-deps.cmake" ...
# Points FindPNG, FindJPEG, FindGIF, FindEXPAT and FindZLIB at the static libraries of this prefix.
set(TEV_DEPS_PREFIX "$PREFIX" CACHE PATH "MinGW i686 dependency prefix")
set(PNG_PNG_INCLUDE_DIR "$PREFIX/include" CACHE PATH "")
set(PNG_LIBRARY "$PREFIX/lib/libpng16.a" CACHE FILEPATH "")
set(JPEG_INCLUDE_DIR "$PREFIX/include" CACHE PATH "")
set(JPEG_LIBRARY "$PREFIX/lib/libjpeg.a" CACHE FILEPATH "")
set(GIF_INCLUDE_DIR "$PREFIX/include" CACHE PATH "")
set(GIF_LIBRARY "$PREFIX/lib/libgif.a" CACHE FILEPATH "")
set(EXPAT_INCLUDE_DIR "$PREFIX/include" CACHE PATH "")
set(EXPAT_LIBRARY "$PREFIX/lib/libexpatw.a" CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR "$PREFIX/include" CACHE PATH "")
set(ZLIB_LIBRARY "$PREFIX/lib/libz.a" CACHE FILEPATH "")
EOF

# --- check: a static test program links ------------------------------------
log "checking that a test program links libpng, libjpeg, giflib, expat and zlib statically"
cat >"$WORK/deps-test.c" <<'EOF'
#define XML_STATIC
#define XML_UNICODE_WCHAR_T
#include <stdio.h>
#include <wchar.h>
#include <expat.h>
#include <png.h>
#include <jpeglib.h>
#include <zlib.h>
#include <gif_lib.h>
int main(void)
{
    struct jpeg_compress_struct cinfo;
    struct jpeg_error_mgr jerr;
    png_structp png;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_destroy_write_struct(&png, NULL);
    GifFileType *(*openGif)(void *, InputFunc, int *) = DGifOpen;
    printf("libpng %s, zlib %s, libjpeg API %d, giflib %d.%d\n", png_get_libpng_ver(NULL), zlibVersion(),
           JPEG_LIB_VERSION, GIFLIB_MAJOR, GIFLIB_MINOR);
    printf("giflib: %s\n", openGif ? GifErrorString(D_GIF_ERR_OPEN_FAILED) : "");
    XML_Parser parser = XML_ParserCreate(NULL);
    const XML_Char *expatVersion = XML_ExpatVersion();
    printf("expat: %ls, wide characters %d\n", expatVersion, (int)sizeof(XML_Char));
    XML_ParserFree(parser);
    return 0;
}
EOF
run_logged deps-test-link "$CC" -O2 -static -I"$PREFIX/include" "$WORK/deps-test.c" \
    -L"$PREFIX/lib" -lpng16 -ljpeg -lgif -lexpatw -lz -o "$WORK/deps-test.exe"
if "$HOST-objdump" -p "$WORK/deps-test.exe" | grep -iE 'DLL Name: .*(png|jpeg|gif|expat|zlib|libz)' >&2; then
    die "test program imports a png/jpeg/gif/expat/zlib DLL; expected static linking"
fi

cat >"$STAMP" <<EOF
recipe=$RECIPE
libpng=$PNG_VER
libjpeg-turbo=$JPEG_VER
giflib=$GIF_VER
expat=$EXPAT_VER
zlib=$zlib_ver
cc=$CC
EOF
log "done: libpng $PNG_VER, libjpeg-turbo $JPEG_VER, giflib $GIF_VER, expat $EXPAT_VER, zlib $zlib_ver"
printf '%s\n' "$PREFIX"
