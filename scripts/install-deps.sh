#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the
# Debian package need.
# Checks first and calls apt-get only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins
  zlib1g-dev libgif-dev libwebp-dev
  fonts-dejavu-core
  xvfb xauth xdotool wmctrl openbox imagemagick python3
  desktop-file-utils
  libbenchmark-dev
  dpkg-dev file lintian
  appstream libxml2-utils shared-mime-info libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
