#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that building, testing and running need, if missing.
# Usage: scripts/install-deps.sh [extra package...]
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev libx11-dev
  qt6-svg-dev
  libglib2.0-dev
  tzdata
  systemd shared-mime-info desktop-file-utils
  scdoc
  sleuthkit
  libewf-dev ewf-tools
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
