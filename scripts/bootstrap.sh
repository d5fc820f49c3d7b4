#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: scripts/bootstrap.sh          what the library and ostrel-design need
#        scripts/bootstrap.sh --test   also what the tests, benchmarks and
#                                      fuzz targets need
set -euo pipefail

packages=(cmake make g++ libcli11-dev libsimdjson-dev nlohmann-json3-dev)
if [ "${1:-}" = "--test" ]; then
  packages+=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev chromium)
fi
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
