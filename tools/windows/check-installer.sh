#!/bin/sh
# Installs the NSIS installer of a Windows build silently under Wine (/S, per user, into a
# fresh Wine prefix), checks the installed files and Start menu entries, runs the installed
# program's --version and --where (profiles beside the program) and uninstalls again, which
# leaves the profiles; then the portable zip's --where. Exits non-zero when anything is missing or wrong.
#
# Usage: tools/windows/check-installer.sh [build-folder]     (default build-windows/)
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build-windows}" && pwd)
fail() { echo "check-installer: $*" >&2; exit 1; }

set -- "$build"/package/velorax-manager-*-windows-x64.exe
installer=$1
[ -f "$installer" ] || fail "no installer in $build/package (run tools/build-windows.sh)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

export WINEPREFIX="$build/wineprefix-install" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
rm -rf "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
trap '"$wineserver" -k 2>/dev/null || true' EXIT INT TERM

# Nothing of the build on Wine's search path: the installed program must bring what it needs.
unset WINEPATH QT_PLUGIN_PATH
"$wine" "$installer" /S </dev/null >/dev/null 2>&1 || fail "the installer failed"
"$wineserver" -w

user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x Public | head -n 1)
home="$WINEPREFIX/drive_c/users/$user"
installed="$home/AppData/Local/Programs/Velorax Manager"
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velorax Manager"
for file in velorax-manager.exe velorax-manager-demo.exe uninstall.exe Qt5Core.dll \
    platforms/qwindows.dll platforms/qoffscreen.dll libstdc++-6.dll README.txt; do
    [ -f "$installed/$file" ] || fail "not installed: $file"
done
for entry in "Velorax Manager.lnk" "Velorax Manager Demo.lnk" "Uninstall Velorax Manager.lnk"; do
    [ -f "$menu/$entry" ] || fail "no Start menu entry $entry"
done
echo "check-installer: installed per user in $installed"

answer=$("$wine" "$installed/velorax-manager.exe" --version </dev/null 2>/dev/null | tr -d '\r')
printf 'check-installer: velorax-manager --version: %s\n' "$answer"
case "$answer" in
"velorax-manager $version"*) ;;
*) fail "--version did not print $version" ;;
esac

# The program's folder is the user's own: profiles live beside the program.
where=$("$wine" "$installed/velorax-manager.exe" --where </dev/null 2>/dev/null | tr -d '\r')
printf 'check-installer: velorax-manager --where: %s\n' "$where"
case "$where" in
*'\Programs\Velorax Manager\ini') ;;
*) fail "--where did not name the ini folder beside the program" ;;
esac
list=$("$wine" "$installed/velorax-manager.exe" --list </dev/null 2>/dev/null | tr -d '\r')
case "$list" in
*data*) ;;
*) fail "--list did not show the default profile: $list" ;;
esac

"$wine" "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the uninstaller failed"
"$wineserver" -w
[ ! -e "$installed/velorax-manager.exe" ] || fail "the uninstaller left the program"
[ ! -e "$menu/Velorax Manager.lnk" ] || fail "the uninstaller left the Start menu entry"
[ -f "$installed/ini/data.ini" ] || fail "the uninstaller removed the user's profiles"
echo "check-installer: uninstalled"

# The portable zip: unpacked anywhere, it keeps its profiles in its own ini folder.
set -- "$build"/package/velorax-manager-*-windows-x64.zip
portable="$WINEPREFIX/drive_c/portable"
mkdir -p "$portable"
(cd "$portable" && cmake -E tar xf "$1") || fail "cannot unpack $1"
program=$(ls -d "$portable"/velorax-manager-*/velorax-manager.exe)
where=$("$wine" "$program" --where </dev/null 2>/dev/null | tr -d '\r')
printf 'check-installer: portable --where: %s\n' "$where"
case "$where" in
'C:\portable\velorax-manager-'*'\ini') ;;
*) fail "the portable copy does not keep its profiles beside the program" ;;
esac
