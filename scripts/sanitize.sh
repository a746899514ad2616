#!/usr/bin/env bash
# The test suite under the sanitizers: every test under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the tests with threads (session, transport, the window's
# and trivox-cli's) under ThreadSanitizer.
# Usage: scripts/sanitize.sh [asan|tsan|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-all}
suppressions=$root/scripts/sanitizers
# Line tables are all a sanitizer report needs; full debug info made these builds a third slower.
# -O1 and sources compiled in batches halve the build again, and the reports stay exact.
flags=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DTRIVOX_BUILD_BENCH=OFF
       -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=12)

run_asan() {
  local dir=${ASAN_BUILD_DIR:-$root/build-asan}
  BUILD_DIR=$dir bash "$root/scripts/build.sh" -DTRIVOX_SANITIZE=address,undefined "${flags[@]}"
  # Leaks are looked for in the project's code; the system libraries' own caches that live
  # until exit (fontconfig, the X and GL stacks) are listed in the suppressions file.
  ( cd "$dir" &&
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1" \
    LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    TRIVOX_TEST_TIME_SCALE=3 \
    ctest --output-on-failure -j"$(nproc)" )
}

tsan_labels="session|transport|window|cli"

# The test programs with those labels, the programs they run and the stand-ins they start.
tsan_targets() {
  grep -hA1 'trivox_add_test(' "$root"/tests/*/CMakeLists.txt | tr -d '\n' | sed 's/trivox_add_test(/\n&/g' |
    grep -E "LABELS ($tsan_labels)" | sed 's/trivox_add_test(\([a-z_]*\).*/\1/' | tr '\n' ' '
  echo trivox-cli trivox-relay-sim trivox-terminal-sim
}

run_tsan() {
  local dir=${TSAN_BUILD_DIR:-$root/build-tsan}
  BUILD_DIR=$dir BUILD_TARGETS="$(tsan_targets)" bash "$root/scripts/build.sh" \
    -DTRIVOX_SANITIZE=thread "${flags[@]}"
  # Qt's libraries are not built with the thread checker: their own locks and event queue
  # are invisible to it, so it is told to judge only the instrumented code, and the hand-over
  # of a queued call's arguments is listed in the suppressions file. The end of the worker's
  # thread is made visible by the worker itself (usb_handler::hasStopped).
  ( cd "$dir" &&
    TSAN_OPTIONS="ignore_noninstrumented_modules=1:halt_on_error=1:second_deadlock_stack=1:suppressions=$suppressions/tsan.supp" \
    TRIVOX_TEST_TIME_SCALE=4 \
    ctest --output-on-failure -j"$(nproc)" -L "$tsan_labels" )
}

case $mode in
  asan) run_asan ;;
  tsan) run_tsan ;;
  all) run_asan; run_tsan ;;
  *) echo "usage: $0 [asan|tsan|all]" >&2; exit 2 ;;
esac
