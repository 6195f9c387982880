#!/usr/bin/env bash
# The release as a Windows user gets it (ctest ReleaseInstallsAndUninstalls; argument: the version
# CMakeLists.txt gives). Packages the built program, then, in a fresh Wine prefix of its own under
# the build folder: installs the setup silently, starts the installed program, reads its uninstall
# entry, installs again over a changed translation and a settings.ini, uninstalls silently, and
# starts the program unpacked from the zip. Every failed expectation is listed; the exit code is 1
# if there was one.
set -euo pipefail
source "$(dirname "$0")/common.sh"

version="${1:?usage: package-test.sh VERSION}"
work="$TEV_BUILD/package-test"
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tevtranslator'

failures=0
expect() {
    local what="$1"
    shift
    if ! "$@"; then
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}
contains() { grep -q -F -- "$2" "$1" 2>/dev/null; }
has_text() { [[ "$1" == *"$2"* ]]; }
absent() { [ ! -e "$1" ]; }

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    stop_virtual_display
}
trap cleanup EXIT

rm -rf "$work"
mkdir -p "$work"
bash "$TEV_ROOT/scripts/package.sh" --built --out "$work/dist"
setup="$work/dist/tevtranslator-$version-setup.exe"
zip_file="$work/dist/tevtranslator-$version-portable.zip"
[ -f "$setup" ] && [ -f "$zip_file" ] || {
    echo "FAILED: package.sh made no $setup and $zip_file" >&2
    exit 1
}
expect "the setup runs without administrator rights" grep -a -q 'level="asInvoker"' "$setup"

# A user's machine without anything of ours: a new prefix, on the suite's display or one of its own.
export WINEPREFIX="$work/prefix"
env -u DISPLAY WINEARCH=win32 wineboot -i >/dev/null 2>&1
env -u DISPLAY wineserver -w
if [ -z "${DISPLAY:-}" ]; then
    start_virtual_display
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# start_program FOLDER: the program there opens its first window and ends with exit code 0.
start_program() {
    local status=0
    wine "$1/tevtranslator.exe" --exit-when-ready >/dev/null 2>&1 || status=$?
    [ "$status" -eq 0 ] || echo "tevtranslator.exe in $1 ended with $status" >&2
    [ "$status" -eq 0 ]
}
uninstall_value() {
    wine reg query "$UNINSTALL_KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
shortcut() { find "$WINEPREFIX/drive_c/users" -name 'tevlib translator.lnk' | head -n 1; }

# --- installing --------------------------------------------------------------
expect "the setup installs silently" wine "$setup" /S
location="$(uninstall_value InstallLocation)"
expect "the uninstall entry names the folder" test -n "$location"
case "$location" in
*'\AppData\Local\Programs\tevtranslator') ;;
*) expect "installed into %LOCALAPPDATA%\\Programs\\tevtranslator, not \"$location\"" false ;;
esac
installed="$(winepath -u "${location:-C:\\nowhere}" 2>/dev/null)"
expect "the uninstall entry gives the version" test "$(uninstall_value DisplayVersion)" = "$version"
expect "the uninstall entry gives the publisher" test -n "$(uninstall_value Publisher)"
expect "the uninstall entry names the uninstaller" has_text "$(uninstall_value UninstallString)" uninstall.exe
expect "a Start-menu shortcut is made" test -n "$(shortcut)"
expect "the installed program starts" start_program "$installed"
expect "the installed program tells its version" \
    test "$(wine "$installed/tevtranslator.exe" --version 2>/dev/null | tr -d '\r')" = "tevlib translator $version"

# --- the user's files across installing again --------------------------------
translation="$installed/1031/demo/strings.xml"
printf '[test]\r\nmarker=kept\r\n' >"$installed/settings.ini"
printf '<strings><string id="user" loc="kept"/></strings>' >"$translation"
expect "the setup installs again over the installed version" wine "$setup" /S
expect "installing again keeps settings.ini" contains "$installed/settings.ini" 'marker=kept'
expect "installing again keeps the user's translation" contains "$translation" 'loc="kept"'
expect "installing again leaves the program" test -f "$installed/tevtranslator.exe"

# --- uninstalling ------------------------------------------------------------
expect "the uninstaller runs silently" wine "$installed/uninstall.exe" /S
wineserver -w # the uninstaller runs on from a copy of itself
for file in tevtranslator.exe uninstall.exe README.txt licenses projects/demo/tevproject.xml; do
    expect "uninstalling removes $file" absent "$installed/$file"
done
expect "uninstalling removes the shortcut" test -z "$(shortcut)"
expect "uninstalling removes the uninstall entry" test -z "$(uninstall_value DisplayName)"
expect "uninstalling keeps settings.ini" contains "$installed/settings.ini" 'marker=kept'
expect "uninstalling keeps the user's translation" contains "$translation" 'loc="kept"'

# --- the portable zip --------------------------------------------------------
portable="$work/portable"
mkdir -p "$portable"
unzip -q "$zip_file" -d "$portable"
unpacked="$portable/tevtranslator-$version"
for file in README.txt licenses/libpng.txt licenses/libjpeg-turbo.txt licenses/giflib.txt licenses/zlib.txt \
    licenses/expat.txt licenses/mingw-w64-runtime.txt projects/demo/tevproject.xml 1031/demo/strings.xml; do
    expect "the zip holds $file" test -s "$unpacked/$file"
done
expect "the unpacked program starts" start_program "$unpacked"

if [ "$failures" -gt 0 ]; then
    echo "$failures expectation(s) failed; the prefix stays in $WINEPREFIX" >&2
    exit 1
fi
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
echo "release packages of $version: installed, started, installed again and uninstalled; zip started"
