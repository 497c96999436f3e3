#!/bin/sh
# Hardening runs for CI, after tools/test.sh:
#   fuzz  the libFuzzer targets (clang), each for VELORAX_FUZZ_SECONDS (60)
#   asan  the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   tsan  the threaded tests under ThreadSanitizer
#   soak  the soak test (label "soak") for VELORAX_SOAK_SECONDS (180)
# With arguments, only the named stages run, in the order given.
# Build folders: VELORAX_FUZZ_BUILD_DIR, VELORAX_ASAN_BUILD_DIR,
# VELORAX_TSAN_BUILD_DIR and VELORAX_BUILD_DIR (the plain build, shared with
# tools/test.sh), each defaulting to a folder beside the sources.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"

jobs=$(nproc)
fuzz_dir="${VELORAX_FUZZ_BUILD_DIR:-$top/build-fuzz}"
asan_dir="${VELORAX_ASAN_BUILD_DIR:-$top/build-asan}"
tsan_dir="${VELORAX_TSAN_BUILD_DIR:-$top/build-tsan}"
plain_dir="${VELORAX_BUILD_DIR:-$top/build}"
fuzz_seconds="${VELORAX_FUZZ_SECONDS:-60}"
export QT_QPA_PLATFORM=offscreen

fuzz_targets="fuzz_live_decode fuzz_report_descriptor fuzz_device_path fuzz_device_change
  fuzz_profile fuzz_widget_reports"
# Tests with more than one thread of the tool (reader, hotplug, simulated base,
# demo, shutdown, soak).
tsan_tests="tst_hidraw_reader tst_udev_hotplug tst_link tst_session tst_history tst_demowindow tst_demo
  tst_shutdown tst_soak"

stage() {
  echo "== $1 ($(date -u +%H:%M:%S))"
}

run_fuzz() {
  stage "fuzz: build"
  cmake -S "$top" -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVELORAX_FUZZ=ON -DVELORAX_SANITIZE=ON -DVELORAX_BUILD_TESTS=OFF -DVELORAX_BUILD_BENCH=OFF
  cmake --build "$fuzz_dir" -j"$jobs" --target velorax_fuzzers
  export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  for target in $fuzz_targets; do
    stage "fuzz: $target, ${fuzz_seconds} s"
    # New inputs go to a work folder; the seeds and regression inputs in the
    # repository are only read.
    work="$fuzz_dir/corpus/$target"
    artifacts="$fuzz_dir/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    max_len=4096
    [ "$target" = fuzz_widget_reports ] && max_len=512
    if ! "$fuzz_dir/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=30 \
        -rss_limit_mb=4096 -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$work" "$top/fuzz/corpus/$target"; then
      echo "fuzz: $target failed; reproducer(s) in $artifacts:" >&2
      ls -l "$artifacts" >&2
      exit 1
    fi
  done
}

run_asan() {
  stage "asan: build"
  cmake -S "$top" -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELORAX_SANITIZE=ON -DVELORAX_BUILD_BENCH=OFF
  cmake --build "$asan_dir" -j"$jobs"
  stage "asan: every test"
  ctest --test-dir "$asan_dir" --output-on-failure -j"$jobs" -LE soak
}

run_tsan() {
  stage "tsan: build"
  cmake -S "$top" -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELORAX_TSAN=ON -DVELORAX_BUILD_BENCH=OFF
  # shellcheck disable=SC2086
  cmake --build "$tsan_dir" -j"$jobs" --target $tsan_tests velorax-manager-demo
  stage "tsan: threaded tests"
  # shellcheck disable=SC2086 # word splitting joins the names on one line
  regex=$(echo $tsan_tests | sed 's/ /$|^/g')
  # The soak test runs a minute here; its full length runs below, unsanitised.
  VELORAX_SOAK_SECONDS="${VELORAX_TSAN_SOAK_SECONDS:-60}" \
    ctest --test-dir "$tsan_dir" --output-on-failure -j"$jobs" -R "^$regex\$"
}

run_soak() {
  stage "soak: build"
  cmake -S "$top" -B "$plain_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$plain_dir" -j"$jobs" --target tst_soak
  stage "soak: ${VELORAX_SOAK_SECONDS:-180} s"
  ctest --test-dir "$plain_dir" --output-on-failure -L soak
}

stages="${*:-fuzz asan tsan soak}"
for s in $stages; do
  case "$s" in
    fuzz) run_fuzz ;;
    asan) run_asan ;;
    tsan) run_tsan ;;
    soak) run_soak ;;
    *) echo "unknown stage: $s (fuzz, asan, tsan, soak)" >&2; exit 2 ;;
  esac
done
stage "hardening done"
