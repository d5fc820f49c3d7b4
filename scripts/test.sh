#!/usr/bin/env bash
# Builds everything and runs every test: the release build (with the Windows
# COM server cross-built and tested under Wine), then the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the
# worker-thread tests under ThreadSanitizer, and short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
# --test: also the tests' packages, with Wine and MinGW-w64 for the Windows
# COM server's test (WindowsComServerUnderWine).
scripts/bootstrap.sh --test

# The package tests (install and find, Debian package, Python, Dask) need a few more.
scripts/bootstrap-package-tests.sh
jobs=$(nproc)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DOSTREL_BUILD_TESTS=ON \
      -DOSTREL_BUILD_BENCH=ON
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON \
      -DOSTREL_BUILD_TESTS=ON -DOSTREL_BUILD_BENCH=OFF
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

# The worker-thread tests under ThreadSanitizer.
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DOSTREL_TSAN=ON -DOSTREL_BUILD_BENCH=OFF \
      -DOSTREL_BUILD_CLI=OFF
cmake --build build/tsan -j"$jobs" --target tests_golden
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -j"$jobs" \
  -R 'WorkerThreads|Golden'

# Short fuzz runs of the results file and of whole design runs (clang, libFuzzer).
scripts/fuzz.sh "${OSTREL_FUZZ_SECONDS:-45}"
