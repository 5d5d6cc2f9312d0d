#!/usr/bin/env bash
# Installs what Pagemason needs to build and test on Debian 12, skipping what is already there.
set -euo pipefail
packages=(cmake g++ make pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libgl-dev
          libjpeg-dev libssl-dev libgtest-dev libbenchmark-dev
          fonts-dejavu-core fonts-liberation2 xvfb xauth xdotool
          python3-pyftpdlib clang libclang-rt-14-dev
          desktop-file-utils shared-mime-info util-linux)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
