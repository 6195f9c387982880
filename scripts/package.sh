#!/usr/bin/env bash
# Makes the release a Windows user installs, in dist/:
#   tevtranslator-VERSION-portable.zip  the program folder, to unpack anywhere and start;
#   tevtranslator-VERSION-setup.exe     a per-user installer (NSIS): no administrator rights, into
#                                       %LOCALAPPDATA%\Programs\tevtranslator.
# Both hold the program, the demo project, README.txt and the licences of the libraries linked in.
# Installs what is missing and builds first, like the other scripts; ends with the two files' names
# and sizes. VERSION is the one in CMakeLists.txt.
#
#   package.sh [--built] [--out DIR]
#     --built    the build folder is up to date: neither set-up nor build (the package test)
#     --out DIR  where the two files go instead of dist/
set -euo pipefail
source "$(dirname "$0")/common.sh"

die() {
    printf '[package] error: %s\n' "$*" >&2
    exit 1
}

out="$TEV_ROOT/dist"
built=0
while [ $# -gt 0 ]; do
    case "$1" in
    --built) built=1 ;;
    --out)
        [ $# -ge 2 ] || die "--out needs a folder"
        out="$2"
        shift
        ;;
    *) die "usage: package.sh [--built] [--out DIR]" ;;
    esac
    shift
done

if [ "$built" -eq 0 ]; then
    bash "$TEV_ROOT/scripts/setup.sh"
    tev_build tevtranslator
fi
[ -f "$TEV_BUILD/release.env" ] && [ -f "$TEV_BUILD/tevtranslator.exe" ] ||
    die "no build in $TEV_BUILD (run without --built)"
command -v makensis >/dev/null 2>&1 || die "makensis is missing (Debian's nsis: run scripts/setup.sh)"
command -v zip >/dev/null 2>&1 || die "zip is missing (run scripts/setup.sh)"
source "$TEV_BUILD/release.env" # TEV_VERSION, TEV_PUBLISHER

name="tevtranslator-$TEV_VERSION"
work="$TEV_BUILD/package"
stage="$work/$name"
rm -rf "$work"
mkdir -p "$stage/licenses" "$out"

# --- the program folder ----------------------------------------------------
# Without its debugging information, which is most of the built file.
i686-w64-mingw32-strip -o "$stage/tevtranslator.exe" "$TEV_BUILD/tevtranslator.exe"
# Linked statically: a DLL that is not the system's would have to ship beside it.
foreign_dlls="$(i686-w64-mingw32-objdump -p "$stage/tevtranslator.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|msimg32|uxtheme|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ws2_32|psapi|version|imm32)\.dll$' || true)"
[ -z "$foreign_dlls" ] || die "the program needs DLLs that are not the system's: $foreign_dlls"
cp -r "$TEV_ROOT/demo/." "$stage/"
sed -e "s/@VERSION@/$TEV_VERSION/" "$TEV_ROOT/installer/README.txt" | sed -e 's/$/\r/' >"$stage/README.txt"

# The licence of each library linked in, as Debian ships it with the package built from the same
# source (libpng, libjpeg-turbo, giflib and expat are built from those sources by build-deps.sh;
# zlib and the runtimes are the MinGW-w64 packages themselves).
licence() {
    local target="$1" package="$2"
    local file="/usr/share/doc/$package/copyright"
    [ -f "$file" ] || die "no licence text $file (package $package: run scripts/setup.sh)"
    sed -e 's/$/\r/' "$file" >"$stage/licenses/$target.txt"
}
licence libpng libpng16-16
licence libjpeg-turbo libjpeg62-turbo
licence giflib libgif7
licence expat libexpat1
licence zlib libz-mingw-w64-dev
licence mingw-w64-runtime mingw-w64-i686-dev
licence gcc-runtime gcc-mingw-w64-base
# libgcc and libstdc++ are under the GPL with the runtime library exception that the file above quotes.
sed -e 's/$/\r/' /usr/share/common-licenses/GPL-3 >"$stage/licenses/GPL-3.txt"

# --- the installer's file list ---------------------------------------------
# Translations (under a language number's folder) are installed without replacing the user's, and
# only the program's own files are removed again: whatever else is in the folder is the user's.
files_nsh="$work/files.nsh"
{
    program=() translations=()
    while IFS= read -r rel; do
        case "$rel" in *'"'* | *'$'*) die "a file name NSIS would misread: $rel" ;; esac
        if [[ "$rel" =~ ^[0-9]+/ ]]; then translations+=("$rel"); else program+=("$rel"); fi
    done < <(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)

    install_macro() {
        local macro="$1" dir="" rel
        shift
        printf '!macro %s\n' "$macro"
        for rel in "$@"; do
            if [ "$(dirname "$rel")" != "$dir" ]; then
                dir="$(dirname "$rel")"
                if [ "$dir" = . ]; then
                    printf '    SetOutPath "$INSTDIR"\n'
                else
                    printf '    SetOutPath "$INSTDIR\\%s"\n' "${dir//\//\\}"
                fi
            fi
            printf '    File "%s"\n' "$stage/$rel"
        done
        printf '!macroend\n'
    }
    install_macro InstallProgramFiles "${program[@]}"
    install_macro InstallTranslations "${translations[@]}"

    printf '!macro RemoveProgramFiles\n'
    printf '    SetOutPath "$TEMP"\n' # not inside a folder about to go
    for rel in "${program[@]}"; do
        printf '    Delete "$INSTDIR\\%s"\n' "${rel//\//\\}"
    done
    # Emptied folders, deepest first; one that still holds something of the user's stays.
    for rel in "${program[@]}"; do
        rel="$(dirname "$rel")"
        while [ "$rel" != . ]; do
            printf '%s\n' "$rel"
            rel="$(dirname "$rel")"
        done
    done | LC_ALL=C sort -u -r | while IFS= read -r dir; do
        printf '    RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
    done
    printf '!macroend\n'
} >"$files_nsh"

# --- the two files -----------------------------------------------------------
zip_file="$out/$name-portable.zip"
setup_file="$out/$name-setup.exe"
rm -f "$zip_file" "$setup_file"
(cd "$work" && zip -q -r -X "$zip_file" "$name")
makensis -V2 -WX \
    "-DVERSION=$TEV_VERSION" "-DPUBLISHER=$TEV_PUBLISHER" "-DFILES=$files_nsh" \
    "-DICON=$TEV_ROOT/resources/tevtranslator.ico" "-DOUTFILE=$setup_file" \
    "$TEV_ROOT/installer/tevtranslator.nsi" >"$work/makensis.log" 2>&1 || {
    tail -n 30 "$work/makensis.log" >&2
    die "makensis failed (log: $work/makensis.log)"
}

for file in "$zip_file" "$setup_file"; do
    printf '%s  %s\n' "$(du -h "$file" | cut -f1)" "$file"
done
