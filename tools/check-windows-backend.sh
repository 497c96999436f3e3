#!/bin/sh
# Compiles and links the Windows HID back end with mingw-w64, together with the
# pure helpers it uses and a small console program (tools/wincheck) that lists
# the HID interfaces. Debian has no Qt for mingw, so the back end is kept free
# of Qt and checked on its own. Exits non-zero when anything fails.
#
# Usage: tools/check-windows-backend.sh [output-directory]
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
cxx="${MINGW_CXX:-x86_64-w64-mingw32-g++}"
out="${1:-${TMPDIR:-/tmp}/velorax-wincheck}"

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "check-windows-backend: $cxx not found (package g++-mingw-w64-x86-64)" >&2
    exit 1
fi
mkdir -p "$out"

dev="$top/src/device"
exe="$out/wincheck.exe"
rm -f "$exe"
# -static: the program runs without the mingw runtime DLLs beside it.
"$cxx" -std=c++17 -Wall -Wextra -Werror -O2 -D_WIN32_WINNT=0x0601 \
    -I"$dev" -I"$dev/internal" -I"$dev/windows" \
    "$dev/windows/win_hid_platform.cpp" \
    "$dev/device_path.cpp" \
    "$dev/device_change.cpp" \
    "$top/tools/wincheck/main.cpp" \
    -o "$exe" -static -lhid -lsetupapi

if [ ! -s "$exe" ]; then
    echo "check-windows-backend: no program was produced" >&2
    exit 1
fi
echo "check-windows-backend: built $exe"
