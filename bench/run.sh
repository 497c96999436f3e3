#!/bin/sh
# Builds the benchmarks and runs them, printing "name value unit" lines.
#   bench/run.sh [build-dir]     (default: build; an optimised build is used)
# The machine should be otherwise idle: the figures are CPU shares and times.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$top/build}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target velorax_bench velorax-manager-demo
commit=$(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$top" diff --quiet HEAD 2>/dev/null || commit="$commit with local changes"
echo "# $(date -u +%Y-%m-%dT%H:%MZ) $(uname -srm), $(nproc) cores, commit $commit"
echo "# load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/bench_live" "${VELORAX_BENCH_SECONDS:-10}"
"$build/bench/bench_startup" "${VELORAX_BENCH_STARTUPS:-9}"
"$build/bench/bench_watch" 300
"$top/bench/demo_xvfb.sh" "$build" "${VELORAX_BENCH_SECONDS:-10}"
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
