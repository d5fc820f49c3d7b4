#!/usr/bin/env bash
# Builds the library and the command line, then designs the example shear
# wall, writes its design report and shows where the results went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

# Only the library and the command line: the tests and benchmarks, and what
# they need, come with scripts/test.sh.
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=OFF \
  -DOSTREL_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target ostrel-design

mkdir -p out
build/release/cli/ostrel-design run examples/wall_si.json \
  -o out/wall_si_results.json --csv out/wall_si_csv --save-results out/wall_si.ostrel \
  --report out/wall_si.html
echo "Results: out/wall_si_results.json, out/wall_si_csv/{nodes,plates,stiffeners}.csv, out/wall_si.ostrel" >&2
echo "Design report (open it in a browser): out/wall_si.html" >&2
