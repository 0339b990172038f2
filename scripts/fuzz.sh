#!/usr/bin/env bash
# Builds the fuzz targets with Clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a bounded time, starting from the minimized corpus kept in fuzz/corpus/
# and from seeds made afresh from valid files, the samples and known edge cases. Any crash,
# leak, undefined behaviour, broken invariant, hang or too large allocation fails the run and
# leaves the input in build/fuzz/artifacts. New inputs go to build/fuzz/corpus.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]      default 60
#   scripts/fuzz.sh --minimize                merges what the runs found into fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build/fuzz
minimize=0
if [ "$seconds" = --minimize ]; then
  minimize=1
  seconds=0
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMELO_FUZZ=ON \
  -DTRAMELO_GUI=OFF -DTRAMELO_TESTS=OFF -DTRAMELO_BENCH=OFF -DTRAMELO_WERROR=ON > /dev/null
cmake --build "$build" -j "$(nproc)"

rm -rf "$build/seeds"
"$build/fuzz/tramelo-fuzz-seeds" "$build/seeds" samples
mkdir -p "$build/artifacts"

status=0
for target in stops:ImportStops routes:ImportRoutes decoding:Decoding wkt:Wkt; do
  corpus=${target%%:*}
  program=$build/fuzz/fuzz_${target##*:}
  mkdir -p "$build/corpus/$corpus" "fuzz/corpus/$corpus"
  if ((minimize)); then
    # The smallest set of inputs that covers what all of them cover, in place of the old one.
    rm -rf "$build/minimized"; mkdir -p "$build/minimized"
    "$program" -merge=1 "$build/minimized" "fuzz/corpus/$corpus" "$build/corpus/$corpus" "$build/seeds/$corpus" \
      -max_len=65536 -malloc_limit_mb=4 -rss_limit_mb=2048 2> "$build/$corpus.merge.log"
    rm -rf "fuzz/corpus/$corpus"; mv "$build/minimized" "fuzz/corpus/$corpus"
    echo "fuzz/corpus/$corpus: $(ls "fuzz/corpus/$corpus" | wc -l) inputs"
    continue
  fi
  echo "== fuzzing ${target##*:} for ${seconds} s =="
  # Inputs up to 64 KiB; no single allocation may pass 4 MiB (about 64 times the largest
  # input), so a size read from a file can never drive a huge allocation.
  if ! "$program" "$build/corpus/$corpus" "fuzz/corpus/$corpus" "$build/seeds/$corpus" \
      -max_total_time="$seconds" -max_len=65536 -malloc_limit_mb=4 -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$corpus-" 2> "$build/$corpus.log"; then
    status=1
    tail -n 60 "$build/$corpus.log"
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' \
    "$build/$corpus.log" || true
  echo "corpus: $(ls "$build/corpus/$corpus" | wc -l) inputs"
done
exit "$status"
