#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: scripts/bootstrap.sh          what the library and ostrel-design need
#        scripts/bootstrap.sh --test   also what the tests, benchmarks and
#                                      fuzz targets need, and what the Windows
#                                      COM server's test needs (MinGW-w64 with
#                                      widl, Wine, Xvfb, xdotool; installed
#                                      without their recommended extras)
set -euo pipefail

packages=(cmake make g++ libcli11-dev libsimdjson-dev)
windows_packages=()
if [ "${1:-}" = "--test" ]; then
  packages+=(libgtest-dev libbenchmark-dev nlohmann-json3-dev clang libclang-rt-14-dev)
  windows_packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb xdotool)
fi
missing() {
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}
mapfile -t missing_main < <(missing "${packages[@]}")
mapfile -t missing_windows < <(missing "${windows_packages[@]}")
if [ ${#missing_main[@]} -eq 0 ] && [ ${#missing_windows[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing missing packages: ${missing_main[*]} ${missing_windows[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
if [ ${#missing_main[@]} -ne 0 ]; then
  $sudo apt-get install -y "${missing_main[@]}"
fi
if [ ${#missing_windows[@]} -ne 0 ]; then
  $sudo apt-get install -y --no-install-recommends "${missing_windows[@]}"
fi
