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
# The report's browser test runs on Node.js; Debian's when none is installed.
if [ "${1:-}" = "--test" ] && ! command -v node >/dev/null; then
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}" >&2
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y "${missing[@]}"
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
