#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every target for the given time, one after another.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
# Seeds come from fuzz/corpus/<target>; what the runs add is kept in the build directory
# (BUILD_DIR, default build-fuzz), and so is every finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
dir=${BUILD_DIR:-$root/build-fuzz}

bash "$root/scripts/deps.sh" clang-14 libclang-rt-14-dev
cxx=$(command -v clang++ || command -v clang++-14)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER="$cxx" \
  -DTRIVOX_BUILD_FUZZ=ON -DTRIVOX_SANITIZE=address,undefined >/dev/null
cmake --build "$dir" --target fuzzers -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_tcp_receive fuzz_answers fuzz_base_parse fuzz_device_list fuzz_ksf_load fuzz_server_address)
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

failed=0
summary=()
for t in "${targets[@]}"; do
  work="$dir/fuzz-corpus/$t"
  findings="$dir/fuzz-findings/$t"
  log="$dir/fuzz-logs/$t.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  echo "== $t: ${seconds}s" >&2
  status=0
  # -timeout catches a receive loop that never returns; one input must never take seconds.
  "$dir/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\) .*/\1/p' <<<"$last")
  line="$t: executions ${execs:-?}, ${rate:-?}/s, cov ${cov:-?}, ft ${ft:-?}"
  if [ "$status" -ne 0 ]; then
    failed=1
    line="$line, FINDING (exit $status)"
    grep -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|FUZZ PROPERTY FAILED|ASSERT|Test unit written to' \
      "$log" | head -5 >&2 || true
    echo "   log: $log" >&2
  fi
  echo "$line" >&2
  summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit $failed
