#!/bin/sh
# Builds Velorax Manager and starts it against the simulated wheel base.
# Installs what it needs first. Every feature report the simulated base
# receives is printed to standard error as "sim: feature ...".
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"
build="${VELORAX_BUILD_DIR:-$top/build}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target velorax-manager-demo
exec "$build/src/velorax-manager-demo" "$@"
