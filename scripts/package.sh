#!/usr/bin/env bash
# Makes the Debian package: installs what is missing, builds the two programs and their
# manual pages, and writes build/package/trivox_<version>_<arch>.deb. Only what the package
# holds is built, not the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/deps.sh"
BUILD_DIR=$build BUILD_TARGETS="trivox trivox-cli trivox-docs" bash "$root/scripts/build.sh"
log=$build/package/cpack.log
mkdir -p "$build/package"
if ! ( cd "$build" && cpack >"$log" 2>&1 ); then
  cat "$log" >&2
  exit 1
fi
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log"
