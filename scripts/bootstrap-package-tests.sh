#!/usr/bin/env bash
# Installs the Debian packages that the package tests need beyond the build:
# pkg-config and dpkg-dev (the Debian package and its dependency list), pip
# and setuptools for the offline Python install, numpy and Dask for the Python
# tests, all for Debian's own /usr/bin/python3.
set -euo pipefail

packages=(pkg-config dpkg-dev python3-pip python3-setuptools python3-wheel python3-numpy
          python3-distributed python3-matplotlib)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing missing packages: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y "${missing[@]}"
