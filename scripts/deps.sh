#!/usr/bin/env bash
# Installs what the build, the tests, the demo and the package need, when it is missing.
# Quiet when everything is there. Extra package names may be given as arguments.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qtbase5-dev qtbase5-dev-tools
          libqt5serialport5-dev libqt5charts5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n
          xvfb xauth x11-utils fonts-dejavu-core
          dpkg-dev file lintian desktop-file-utils man-db bash-completion "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
