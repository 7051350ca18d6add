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
  tzdata locales
  systemd shared-mime-info desktop-file-utils
  scdoc
  sleuthkit libtsk-dev libssl-dev
  libewf-dev ewf-tools
  mtools dosfstools ntfs-3g ntfs-3g-dev fdisk xz-utils
  forensics-samples-ntfs forensics-samples-exfat
  "$@"
)

# Installed means dpkg's state "installed", whatever is wanted of the package: one on
# hold is installed too, and one installed for two architectures answers once for each.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$2 == "installed" { print $1 }' || true)
missing=()
for package in "${packages[@]}"; do
  grep -qxF -- "$package" <<<"$installed" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
