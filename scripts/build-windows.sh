#!/usr/bin/env bash
# Cross-compiles the Windows COM server OstrelDesignCSA94.dll (64-bit) with
# MinGW-w64, with its Wine test programs, into build/windows (or $1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/windows}"
cmake -S "$root/windows" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release
cmake --build "$out" -j"${OSTREL_JOBS:-2}"
echo "built $out/OstrelDesignCSA94.dll"
