#!/bin/sh
# Cross-builds Velorax Manager for 64-bit Windows on Debian with mingw-w64 (posix threads)
# against the shared Qt 5.15 for mingw: velorax-manager.exe, velorax-manager-demo.exe and the
# tests, then the portable zip and the NSIS installer, and prints their paths.
# tools/test-windows.sh runs the tests under Wine afterwards.
#
# Usage: tools/build-windows.sh [build-folder]     (default build-windows/)
# Environment: VELORAX_WINDOWS_SHARED  the folder with qt5-mingw64.tar.xz and
#                                      mingw64-toolchain.cmake (default ../shared/windows
#                                      beside the repository)
#              QT5_MINGW_PREFIX        an unpacked Qt to use instead of unpacking the archive
#              VELORAX_JOBS            parallel compile jobs (default: the number of cores)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$top/build-windows}"
build=$(cd "${1:-$top/build-windows}" && pwd)
shared=${VELORAX_WINDOWS_SHARED:-$top/../shared/windows}

fail() { echo "build-windows: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || fail "$1 not found (package $2)"; }
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need cmake cmake
need ninja ninja-build
need makensis nsis
[ -f "$shared/mingw64-toolchain.cmake" ] || fail "no Windows Qt in $shared (set VELORAX_WINDOWS_SHARED)"

# The shared Qt, unpacked into the build folder the first time.
qt=${QT5_MINGW_PREFIX:-$build/qt5-mingw64}
if [ ! -f "$qt/lib/cmake/Qt5/Qt5Config.cmake" ]; then
    [ -z "${QT5_MINGW_PREFIX:-}" ] || fail "no Qt in $QT5_MINGW_PREFIX"
    echo "build-windows: unpacking $shared/qt5-mingw64.tar.xz"
    tar -C "$build" -xJf "$shared/qt5-mingw64.tar.xz"
fi

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(cd "$shared" && pwd)/mingw64-toolchain.cmake" \
    -DQT5_MINGW_PREFIX="$qt" -DVELORAX_BUILD_BENCH=OFF
cmake --build "$build" -j"${VELORAX_JOBS:-$(nproc)}"

rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log" >&2; fail "packaging failed"; }
zip=$build/package/velorax-manager-*-windows-x64.zip
installer=$build/package/velorax-manager-*-windows-x64.exe
set -- $zip $installer
[ -f "$1" ] && [ -f "$2" ] || fail "the zip or the installer is missing (see $build/cpack.log)"
echo "programs:  $build/src/velorax-manager.exe"
echo "           $build/src/velorax-manager-demo.exe"
echo "zip:       $1"
echo "installer: $2"
