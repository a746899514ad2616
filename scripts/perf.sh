#!/usr/bin/env bash
# Builds (RelWithDebInfo, no sanitizers) and runs every benchmark, then prints one markdown
# table of the results and the machine they ran on.
#
#   scripts/perf.sh [--reps N] [--idle S] [--starts N] [--rtt N] [--images N] [--window S]
#
#   --reps N     repetitions of each transfer, worker and floor alternating (default 5)
#   --idle S     seconds of the idle connected session whose CPU is measured (default 30)
#   --starts N   timed start-ups of the window, after one untimed (default 5)
#   --rtt N      relay round trips timed (default 1000)
#   --images N   settings images built (default 100000)
#   --window S   seconds the windows (disconnected, state page, plots page) are measured (default 60)
#
# BUILD_DIR as for scripts/build.sh; TRIVOX_NO_BUILD=1 reuses the build as it is. Without a
# display the window runs under Xvfb. Each benchmark's own output is kept in $BUILD_DIR/perf.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
reps=5 idle=30 starts=5 rtt=1000 images=100000 window=60

usage() { sed -n '5,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 1; }
number() { [[ $2 =~ ^[1-9][0-9]*$ ]] || { echo "$1 wants a positive number, not '$2'" >&2; exit 1; }; }
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --reps) number "$1" "$2"; reps=$2 ;;
    --idle) number "$1" "$2"; idle=$2 ;;
    --starts) number "$1" "$2"; starts=$2 ;;
    --rtt) number "$1" "$2"; rtt=$2 ;;
    --images) number "$1" "$2"; images=$2 ;;
    --window) number "$1" "$2"; window=$2 ;;
    *) usage ;;
  esac
  shift 2
done

if [ -z "${TRIVOX_NO_BUILD:-}" ]; then
  bash "$root/scripts/deps.sh"
  BUILD_DIR=$build bash "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIVOX_SANITIZE= \
    -DTRIVOX_BUILD_TESTS=ON -DTRIVOX_BUILD_BENCH=ON >&2
fi
for f in bench/bench_session_transfer bench/bench_relay_rtt bench/bench_settings_image bench/bench_fleet_jobs \
         bench/bench_window_cpu trivox trivox-demo peers/trivox-relay-sim peers/trivox-terminal-sim; do
  [ -x "$build/$f" ] || { echo "$build/$f is missing; build first" >&2; exit 1; }
done

out=$build/perf
mkdir -p "$out"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop EXIT
trap 'exit 130' INT TERM

# Runs one benchmark with its output kept; shows the output when it fails.
run() { # name command...
  local name=$1
  shift
  echo "== $name" >&2
  if ! "$@" >"$out/$name.out" 2>"$out/$name.err"; then
    echo "$name failed:" >&2
    cat "$out/$name.out" "$out/$name.err" >&2
    exit 1
  fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }

# Waits up to ten seconds for a line starting with a prefix in a file, and prints it.
wait_for_line() { # file prefix
  for _ in $(seq 100); do
    grep -m1 "^$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

export QT_LOGGING_RULES="*.debug=false"

run session_transfer "$build/bench/bench_session_transfer" "$reps" "$idle"
run relay_rtt "$build/bench/bench_relay_rtt" "$rtt"
run settings_image "$build/bench/bench_settings_image" "$images"
run fleet_jobs "$build/bench/bench_fleet_jobs" 40 20
# The window disconnected, on the state page and on the plots page, at once.
if [ -n "${DISPLAY:-}" ]; then
  run window_cpu "$build/bench/bench_window_cpu" "$window"
else
  run window_cpu xvfb-run -a -s "-screen 0 1280x800x24" "$build/bench/bench_window_cpu" "$window"
fi

# Start-up and memory of the window itself, connecting to a terminal behind the relay.
echo "== start-up (1 + $starts runs)" >&2
scratch=$out/startup
rm -rf "$scratch"
mkdir -p "$scratch"
"$build/peers/trivox-relay-sim" --port 0 --terminal-port 0 >"$scratch/relay.out" 2>"$scratch/relay.err" &
pids+=($!)
relay_line=$(wait_for_line "$scratch/relay.out" "LISTEN terminal") || { cat "$scratch/relay.err" >&2; exit 1; }
terminal_port=${relay_line##* }
configurator_port=$(grep -m1 "^LISTEN configurator" "$scratch/relay.out" | awk '{ print $3 }')
"$build/peers/trivox-terminal-sim" --relay "127.0.0.1:$terminal_port" --id PERF-1 --pin 7390 \
  >"$scratch/terminal.out" 2>"$scratch/terminal.err" &
pids+=($!)
wait_for_line "$scratch/terminal.out" "REGISTERED" >/dev/null || { cat "$scratch/terminal.err" >&2; exit 1; }

startups() { # runs program: one line of the window's own report per run
  local i
  for ((i = 0; i <= $1; i++)); do
    (cd "$scratch" && "$2" --timing --connect "127.0.0.1:$configurator_port:PERF-1:7390" 2>&1) |
      sed -n "s/^\[demo\] /run $i: /p"
  done
}
export scratch configurator_port
if [ -n "${DISPLAY:-}" ]; then
  display="display $DISPLAY"
  startups "$starts" "$build/trivox-demo" >"$out/startup.out" || true
else
  display="Xvfb"
  # xvfb-run is a POSIX shell script, which does not pass bash functions on: hand it the text.
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c "$(declare -f startups)"'; startups "$@"' _ "$starts" \
    "$build/trivox-demo" >"$out/startup.out" 2>&1 || true
fi
if grep -q "ERROR" "$out/startup.out" || ! grep -q "resident memory" "$out/startup.out"; then
  echo "the window did not start and connect:" >&2
  cat "$out/startup.out" >&2
  exit 1
fi
timed=$(grep -v "^run 0:" "$out/startup.out")
shown_ms=$(sed -n 's/.*window shown [0-9]* ms after main, \([0-9]*\) ms after process start.*/\1/p' <<<"$timed" | median)
main_ms=$(sed -n 's/.*window shown \([0-9]*\) ms after main.*/\1/p' <<<"$timed" | median)
rss_kib=$(sed -n 's/.*resident memory after connecting: \([0-9]*\) kB.*/\1/p' <<<"$timed" | median)
stop
pids=()

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The table.
transfer_rows=$(awk -F'|' '
  function trim(s) { gsub(/^ +| +$/, "", s); return s }
  trim($2) == "pty" || trim($2) == "relay" {
    link = trim($2); op = trim($3)
    if (op ~ /^idle/) next
    if (op ~ /^group/) { sub(/^group [0-9]+ read \(/, "", op); sub(/ rows\)/, "", op); op = "Group read, " op " parameters" }
    else if (op ~ /^BASE/) { sub(/^BASE download \(/, "", op); sub(/\)$/, "", op); op = "\"BASE\" download, " op }
    else if (op ~ /^firmware/) { sub(/^firmware upload \(/, "", op); sub(/ B\)$/, "", op); op = "Firmware upload, " op " bytes" }
    printf "| %s | %s | %s ms | %s ms | %s |\n", op, link, trim($4), trim($5), trim($6)
  }' "$out/session_transfer.out")
idle_cpu=$(awk -F'|' '$3 ~ /idle connected/ { v = $4; gsub(/^ +| +$/, "", v); print v }' "$out/session_transfer.out")
rtt_relay=$(awk '/through the relay/ { print $6 }' "$out/relay_rtt.out")
rtt_floor=$(awk '/straight to the terminal/ { print $6 }' "$out/relay_rtt.out")
image_ns=$(sed -n 's/.*iterations, \([0-9]*\) ns per image.*/\1/p' "$out/settings_image.out")
image_bytes=$(sed -n 's/^build_settings_image: \([0-9]*\) bytes.*/\1/p' "$out/settings_image.out")
fleet_rows=$(awk -F'|' '
  function trim(s) { gsub(/^ +| +$/, "", s); return s }
  trim($2) ~ /^[0-9]+$/ {
    printf "| trivox-cli read-settings of 40 terminals answering after 20 ms, --jobs %s | relay | %s, speed-up %s (target %s); %s CPU, %s cores busy | | |\n",
      trim($2), trim($3), trim($4), trim($5), trim($6), trim($7)
  }' "$out/fleet_jobs.out")
page_cpu() { awk -F'|' -v page="$1" '{ p = $2; gsub(/^ +| +$/, "", p) } p ~ "^" page { v = $3; gsub(/ /, "", v); print v }' "$out/window_cpu.out"; }
plots_cpu=$(page_cpu plots)
state_cpu=$(page_cpu state)
disconnected_cpu=$(page_cpu disconnected)
cli_start=$(sed -n 's/^Start-up of one trivox-cli process (--version), mean of \([0-9]*\): \(.*\)\.$/| Start of one trivox-cli process, mean of \1 | | \2 | | |/p' "$out/fleet_jobs.out")

compiler_file=$(ls "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake | head -1)
compiler="$(sed -n 's/^set(CMAKE_CXX_COMPILER_ID "\(.*\)")$/\1/p' "$compiler_file") C++ $(sed -n 's/^set(CMAKE_CXX_COMPILER_VERSION "\(.*\)")$/\1/p' "$compiler_file")"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
qt=$(pkg-config --modversion Qt5Core 2>/dev/null || echo unknown)

echo
echo "| Measurement | Link | Result | Floor | Ratio |"
echo "|---|---|---|---|---|"
echo "$transfer_rows"
awk -v r="$rtt_relay" -v f="$rtt_floor" \
  'BEGIN { printf "| Round trip of a 16-byte request, median of %s | relay | %d µs | %d µs (socket straight to the terminal) | %.2f |\n", "'"$rtt"'", r, f, r / f }'
awk -v n="$image_ns" -v b="$image_bytes" 'BEGIN { printf "| Settings image build (%d bytes) | | %.1f µs | | |\n", b, n / 1000 }'
echo "| CPU of an idle connected session, state polled every second | relay | $idle_cpu | | |"
echo "| Start-up to shown window, median of $starts ($display) | | $shown_ms ms from process start ($main_ms ms from main) | | |"
awk -v k="$rss_kib" 'BEGIN { printf "| Resident memory of the window after connecting, median of '"$starts"' | relay | %.1f MiB | | |\n", k / 1024 }'
echo "| CPU of the window, disconnected ($window s) | | $disconnected_cpu % of one core | | |"
echo "| CPU of the window, state page, changed values repainted, state polled every second ($window s) | relay | $state_cpu % of one core | | |"
awk -v p="$plots_cpu" -v s="$state_cpu" -v t="$window" 'BEGIN { printf "| CPU of the window, plots page open, four values redrawn every second (%d s) | relay | %.2f %% of one core | %.2f %% (same window on the state page, at the same time) | %.2f |\n", t, p, s, p / s }'
echo "$fleet_rows"
echo "$cli_start"
echo
echo "Floor: a minimal stop-and-wait client doing the same exchanges over the same link in the same run; ratio = result / floor."
echo "Machine: $cpu, $(nproc) cores; Qt $qt; $compiler; $build_type build."
echo "Load average (1, 5, 15 min): $load_before before, $load_after after."
