#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: scripts/bootstrap.sh          what the library and ostrel-design need
#        scripts/bootstrap.sh --test   also what the tests, benchmarks and
#                                      fuzz targets need, the report's browser
#                                      test (Chromium, Node.js, playwright-core
#                                      at its pinned version), and what the
#                                      Windows COM server's test needs
#                                      (MinGW-w64 with widl, Wine, Xvfb,
#                                      xdotool; installed without their
#                                      recommended extras)
set -euo pipefail

packages=(cmake make g++ libcli11-dev libsimdjson-dev nlohmann-json3-dev libhwy-dev)
windows_packages=()
if [ "${1:-}" = "--test" ]; then
  packages+=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev chromium valgrind)
  # The report's browser test runs on Node.js; Debian's when none is installed.
  if ! command -v node >/dev/null; then
    packages+=(nodejs npm)
  fi
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
if [ ${#missing_main[@]} -ne 0 ] || [ ${#missing_windows[@]} -ne 0 ]; then
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
fi
# The browser test's driver, at the version its lock file pins.
if [ "${1:-}" = "--test" ]; then
  report_tests="$(dirname "$0")/../tests/report"
  if ! (cd "$report_tests" && node -e '
      const want = require("./package.json").dependencies["playwright-core"];
      process.exit(require("./node_modules/playwright-core/package.json").version === want ? 0 : 1);
    ' 2>/dev/null); then
    (cd "$report_tests" && npm ci --no-audit --no-fund --silent)
  fi
fi
