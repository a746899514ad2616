#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in relay server on loopback with two
# simulated terminals registered to it, and opens the configurator pointed at that relay.
#
# Without a display ($DISPLAY empty) the window runs under Xvfb, driven by trivox-demo: it
# connects to terminal TRX-0002, takes screenshots of the pages and the question boxes
# (build/run/tour/*.png, and in English build/run/tour-en/*.png), prints the start-up time
# and memory, and exits.
#
# TRIVOX_NO_BUILD=1 reuses an existing build as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if [ -z "${TRIVOX_NO_BUILD:-}" ]; then
  bash "$root/scripts/deps.sh"
  BUILD_DIR=$build bash "$root/scripts/build.sh"
fi

peers=$build/peers
program=$build/trivox
run=$build/run
host=127.0.0.1
configurator_port=25501
terminal_port=25502
mkdir -p "$run"
pids=()

stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop EXIT
trap 'exit 130' INT TERM

# Waits up to five seconds for a line in a log.
wait_for_line() {
  for _ in $(seq 50); do
    grep -qx "$2" "$1" && return 0
    sleep 0.1
  done
  return 1
}

# "settings.cfg" as the connection window keeps it: the address as a QDataStream QString
# (byte length, then UTF-16 big-endian) and the port as 16 bits big-endian.
write_server_address() { # file address port
  local address=$2 port=$3 i
  {
    printf "$(printf '\\x%02x' 0 0 0 $((${#address} * 2)))"
    for ((i = 0; i < ${#address}; i++)); do printf '\x00%s' "${address:i:1}"; done
    printf "$(printf '\\x%02x' $((port >> 8)) $((port & 255)))"
  } >"$1"
}

"$peers/trivox-relay-sim" --host "$host" --port "$configurator_port" --terminal-port "$terminal_port" \
  >"$run/relay.out" 2>"$run/relay.err" &
pids+=($!)
if ! wait_for_line "$run/relay.out" "LISTEN terminal $terminal_port"; then
  echo "The relay stand-in did not start:" >&2
  cat "$run/relay.err" >&2
  exit 1
fi

start_terminal() { # id name pin
  "$peers/trivox-terminal-sim" --relay "$host:$terminal_port" --id "$1" --name "$2" --pin "$3" \
    >"$run/$1.out" 2>"$run/$1.err" &
  pids+=($!)
  if ! wait_for_line "$run/relay.out" "REGISTERED $1"; then
    echo "Terminal $1 did not register:" >&2
    cat "$run/$1.err" >&2
    exit 1
  fi
  echo "  $1  \"$2\"  PIN $3"
}
echo "Relay server for the configurator: $host:$configurator_port; terminals registered with it:"
start_terminal "TRX-0001" "Котельная №1" 7390
start_terminal "TRX-0002" "Насосная станция" 1234

# First run only: a file the user has since changed is left alone. The connection window
# creates an empty one when it finds none, which counts as a first run too.
[ -s "$run/settings.cfg" ] || write_server_address "$run/settings.cfg" "$host" "$configurator_port"

cd "$run"
if [ -n "${DISPLAY:-}" ]; then
  echo "In the configurator press \"Соединиться\", choose TCP and pick a terminal."
  "$program"
  exit 0
fi

echo "No display: running under Xvfb, with trivox-demo playing the operator."
# Only the demo's own lines: the session's debug lines would bury them.
xvfb-run -a -s "-screen 0 1280x800x24" env QT_LOGGING_RULES="${QT_LOGGING_RULES:-*.debug=false}" \
  "$build/trivox-demo" --timing --connect "$host:$configurator_port:TRX-0002:1234" --tour "$run/tour"
echo "Screenshots: $run/tour/*.png"
# The same tour in English, on the other terminal: the first one wrote to its own. Not with
# TRIVOX_TOUR_EN=0.
if [ "${TRIVOX_TOUR_EN:-1}" != 0 ]; then
  xvfb-run -a -s "-screen 0 1280x800x24" env QT_LOGGING_RULES="${QT_LOGGING_RULES:-*.debug=false}" \
    "$build/trivox-demo" --lang en --connect "$host:$configurator_port:TRX-0001:7390" --tour "$run/tour-en"
  echo "Screenshots in English: $run/tour-en/*.png"
fi
