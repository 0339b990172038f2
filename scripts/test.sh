#!/usr/bin/env bash
# Builds everything and runs every check:
#   1. all tests in a normal build, with warnings as errors (GUI tests on a virtual screen);
#   2. all tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the core tests under ThreadSanitizer, and a whole batch merge of a generated set there;
#   4. each fuzz target for a bounded time (FUZZ_SECONDS, default 60);
#   5. the Windows build (MinGW-w64): core tests and a sample merge under Wine.
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

echo "== build and test under ThreadSanitizer =="
# The batch command's pipeline is what runs on two threads: every core test, then the merge
# of the benchmark's set M (generated once by the normal build), whose outputs must be those
# of the normal build.
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMELO_TSAN=ON -DTRAMELO_WERROR=ON \
  -DTRAMELO_GUI=OFF -DTRAMELO_BENCH=OFF > /dev/null
cmake --build build/tsan -j "$jobs"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir build/tsan --output-on-failure -j "$jobs"
data=build/tsan/set-M
if [ ! -f "$data/routes_8/RT_ITIN.DBF" ]; then
  rm -rf "$data"
  build/test/bench/tramelo-make-dataset "$data" 1
fi
inputs=()
for i in 1 2 3 4 5 6 7 8; do
  inputs+=(-s "$data/stops_$i/RT_NODI.SHP" -r "$data/routes_$i/RT_ITIN.SHP")
done
for which in tsan test; do
  rm -rf "build/tsan/out-$which"
  mkdir -p "build/tsan/out-$which"
  "build/$which/cli/tramelo-merge" "${inputs[@]}" -o "build/tsan/out-$which" > /dev/null
done
unset TSAN_OPTIONS
for name in RT_NODI.SHP RT_NODI.SHX RT_ITIN.SHP RT_ITIN.SHX ReportFusione.txt; do
  cmp "build/tsan/out-tsan/$name" "build/tsan/out-test/$name"
done

echo "== fuzzing =="
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

echo "== Windows build under Wine =="
scripts/windows.sh

echo "== all checks passed =="
