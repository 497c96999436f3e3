#!/bin/sh
# CPU share of the whole demo process (tool, Qt's own threads and the
# simulated base streaming 1000 live reports a second) on a real X server.
#   bench/demo_xvfb.sh <build-dir> [seconds]
# Prints "demo_xvfb_1khz_process <value> %core". Needs Xvfb.
set -eu
build="$1"
seconds="${2:-10}"
command -v Xvfb >/dev/null || { echo "# Xvfb not found: demo phase skipped" >&2; exit 0; }
work=$(mktemp -d /tmp/velorax-xvfb-XXXXXX)
chmod 700 "$work"
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
demo=
cleanup() {
    [ -n "$demo" ] && kill -TERM "$demo" 2>/dev/null && wait "$demo" 2>/dev/null
    kill -TERM "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
sleep 1
# Its own home and runtime folder: no profile or running copy of the user's
# is touched.
DISPLAY="$display" HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb \
    QT_LOGGING_RULES='*.debug=false' "$build/src/velorax-manager-demo" 2>/dev/null &
demo=$!
# Past the start-up, the read-back and the connection lamp sequence.
sleep 8
# Time on a CPU of every thread of the process, in nanoseconds.
cpu() { cat /proc/"$demo"/task/*/schedstat | awk '{ns += $1} END {printf "%.0f\n", ns}'; }
# Per thread, "tid name ns", for VELORAX_BENCH_DIAG.
threads() { for t in /proc/"$demo"/task/*; do echo "${t##*/} $(cat "$t/comm") $(cut -d' ' -f1 "$t/schedstat")"; done; }
threads >"$work/before"
before=$(cpu)
start=$(date +%s%N)
sleep "$seconds"
after=$(cpu)
end=$(date +%s%N)
if [ -n "${VELORAX_BENCH_DIAG:-}" ]; then
    threads | awk -v w=$((end - start)) 'NR == FNR {b[$1] = $3; next}
        {printf "demo thread %s %s %.3f %%core\n", $1, $2, 100 * ($3 - b[$1]) / w}' "$work/before" - >&2
fi
awk -v c=$((after - before)) -v w=$((end - start)) \
    'BEGIN {printf "demo_xvfb_1khz_process %.3f %%core\n", 100 * c / w}'
