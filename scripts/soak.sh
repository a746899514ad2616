#!/usr/bin/env bash
# Builds what it needs and runs the soak: a connected session through the relay stand-in for
# the given time, the relay pinging every 100 ms, the state polled once a second and settings
# download / upload cycles with a log download now and then. Prints resident memory and the
# transfer counts; fails on memory growth after the warm-up, a failed transfer or a lost session.
#
#   scripts/soak.sh [minutes, default 10] [bench_soak options...]
#
# Options of the soak program: --warm-up S (default 60), --tolerance-kib N (default 2048),
# --pause-ms N between cycles (default 100), --log-every N cycles (default 10), --ping-ms N.
# BUILD_DIR as for scripts/build.sh; TRIVOX_NO_BUILD=1 reuses the build as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
minutes=${1:-10}
[ $# -gt 0 ] && shift
if ! [[ $minutes =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/soak.sh [minutes > 0] [bench_soak options...]" >&2
  exit 1
fi

if [ -z "${TRIVOX_NO_BUILD:-}" ]; then
  bash "$root/scripts/deps.sh"
  BUILD_DIR=$build bash "$root/scripts/build.sh" -DTRIVOX_BUILD_TESTS=ON -DTRIVOX_BUILD_BENCH=ON >&2
fi
program=$build/bench/bench_soak
[ -x "$program" ] || { echo "$program is missing; build first" >&2; exit 1; }

echo "Soak for $minutes min; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
status=0
"$program" $((minutes * 60)) "$@" || status=$?
echo "Load average at end: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
exit $status
