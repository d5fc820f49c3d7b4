#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while: the
# results file, the results round trip, whole design runs, and the command
# line's job reader.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh --test
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOSTREL_FUZZ=ON -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=OFF -DOSTREL_BUILD_CLI=OFF
cmake --build build/fuzz -j"$(nproc)" --target fuzz_read_results fuzz_results_roundtrip fuzz_design_run \
  fuzz_read_job

for target in fuzz_read_results fuzz_results_roundtrip fuzz_design_run fuzz_read_job; do
  work=build/fuzz/corpus/$target
  # The seed corpus is kept as one archive per target; unpacked, it becomes
  # the start of this machine's working corpus.
  mkdir -p build/fuzz/corpus
  tar -xzf tests/fuzz/corpus/"$target".tar.gz -C build/fuzz/corpus
  echo "== $target: ${seconds}s"
  build/fuzz/tests/fuzz/$target "$work" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build/fuzz/"$target"- 2>&1 |
    grep -E '^(stat::|#[0-9]+ +DONE|==|ERROR|SUMMARY|fuzz check)' || true
  if ls build/fuzz/"$target"-* >/dev/null 2>&1; then
    echo "$target found a failing input: $(ls build/fuzz/"$target"-*)" >&2
    exit 1
  fi
done
