#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (run as root).
set -euo pipefail
pkgs=(cmake g++ make pkg-config libglbinding-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
      libgl-dev libopengl-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev binutils)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
