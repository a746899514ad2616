#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the session and transport tests under
# ThreadSanitizer. TRIVOX_SKIP_SANITIZERS=1 runs the plain suite only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
# Sources compiled in batches: a clean build takes two thirds of the time.
BUILD_DIR=${BUILD_DIR:-$root/build} bash "$root/scripts/build.sh" -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=12
( cd "${BUILD_DIR:-$root/build}" && ctest --output-on-failure -j"$(nproc)" )
if [ -z "${TRIVOX_SKIP_SANITIZERS:-}" ]; then
  bash "$root/scripts/sanitize.sh" all
fi
