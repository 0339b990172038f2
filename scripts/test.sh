#!/usr/bin/env bash
# Builds everything and runs every check:
#   1. all tests in a normal build, with warnings as errors (GUI tests on a virtual screen);
#   2. all tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each fuzz target for a bounded time (FUZZ_SECONDS, default 60);
#   4. the Windows build (MinGW-w64): core tests and a sample merge under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
jobs=$(nproc)

# The GUI tests need an X display; without one (CI) they get a virtual screen.
headless() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  fi
}

echo "== build and test =="
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMELO_WERROR=ON > /dev/null
cmake --build build/test -j "$jobs"
headless ctest --test-dir build/test --output-on-failure -j "$jobs"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTRAMELO_SANITIZE=ON -DTRAMELO_WERROR=ON \
  -DTRAMELO_BENCH=OFF > /dev/null
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  headless ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== fuzzing =="
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

echo "== Windows build under Wine =="
scripts/windows.sh

echo "== all checks passed =="
