#!/usr/bin/env bash
# Side-by-side benchmark of a whole merge (not a test):
#
#   bench/benchmark.sh [SETS] [REPETITIONS]       e.g. bench/benchmark.sh "samples M L" 5
#
# For each set it runs, interleaved and REPETITIONS times, tramelo-merge on all the set's
# files, `cp -r` of the same input folders (the floor: every byte read and written once),
# `cp -r` followed by `sync` of every file copied (the durable floor: tramelo-merge puts its
# outputs on the disk itself before it puts them in place) and,
# when GDAL is installed, the ogr2ogr merge (create from the first file, -append each next,
# per kind). It prints the medians, the ratios tramelo/cp and tramelo/ogr2ogr, the merge's
# user and system time and page faults (so that work in the program and in the kernel can
# be told apart), and tramelo's peak resident memory, and checks the record counts of the
# outputs.
#
# BASELINE=path/to/another/tramelo-merge runs that one too, interleaved, for a before/after
# comparison in one run.
#
# Every timed run starts with the set's inputs in the page cache, in an empty output folder,
# and (but for ogr2ogr) right after an untimed run of the same command: see warm() and prime().
#
# Sets: samples = the bundled samples; M = 8 x 125,000 stops and 8 x 2,500 routes of 400
# points (800,000 and 16,000 kept); L = every file twice as large. Generated data is kept
# in build/bench-data.
set -euo pipefail
cd "$(dirname "$0")/.."

sets=${1:-"samples M L"}
repetitions=${2:-5}

scripts/install-deps.sh bench
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTRAMELO_GUI=OFF -DTRAMELO_TESTS=OFF > /dev/null
cmake --build build/bench -j "$(nproc)" --target tramelo-merge tramelo-make-dataset > /dev/null
merge=$PWD/build/bench/cli/tramelo-merge
data=$PWD/build/bench-data
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Each timed command starts in an empty output folder, after the previous one's writes have
# reached the disk, so that no tool pays for another's write-back or clean-up, and with the
# set's inputs just read: a machine that reclaims idle page cache (virtual machines often do)
# would otherwise have dropped part of them during the long ogr2ogr runs, and the next tool
# would read them from the disk.
warm() { find "${inputDirs[@]}" -type f -exec cat {} + > /dev/null; }
seconds() {
  local start end
  rm -rf "$scratch/out"; mkdir "$scratch/out"; sync; warm
  start=$(date +%s.%N); "$@" > /dev/null 2>&1; end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
# Wall seconds, as seconds() does, and the process's user and system seconds, minor and
# major page faults, appended to FILE.account. The command is a program, not a function.
accounted() {
  local file=$1 start end; shift
  rm -rf "$scratch/out"; mkdir "$scratch/out"; sync; warm
  start=$(date +%s.%N)
  /usr/bin/time -o "$scratch/account" -f "%U %S %R %F" "$@" > /dev/null 2>&1 || true
  end=$(date +%s.%N)
  cat "$scratch/account" >> "$file.account"
  echo "$end - $start" | bc -l >> "$file"
}
column_median() { awk -v c="$1" '{ print $c }' "$2" | median; }
# The merges and the copy are run once, untimed, just before each timed run. A virtual
# machine may hand memory that a process gave back to its host a few seconds later; the next
# process to touch as much memory then waits for the host to provide it again, which on set M
# costs up to 0.3 s more system time to whichever tool follows the long ogr2ogr runs. Primed,
# each tool starts where its own previous run left the machine.
prime() { rm -rf "$scratch/out"; mkdir "$scratch/out"; "$@" > /dev/null 2>&1 || true; }

for set in $sets; do
  case "$set" in
    samples) inputs=$PWD/samples; folders=(bus_si lirr mnr); stops=2145; routes=468 ;;
    M|L)
      scale=1; [ "$set" = L ] && scale=2
      inputs=$data/$set
      if [ ! -f "$inputs/routes_8/RT_ITIN.DBF" ]; then
        echo "generating set $set in $inputs ..."
        rm -rf "$inputs"
        build/bench/bench/tramelo-make-dataset "$inputs" "$scale"
      fi
      folders=(); for i in 1 2 3 4 5 6 7 8; do folders+=("stops_$i" "routes_$i"); done
      stops=$((800000 * scale)); routes=$((16000 * scale)) ;;
    *) echo "unknown set $set" >&2; exit 2 ;;
  esac

  args=(); stopFiles=(); routeFiles=()
  for folder in "${folders[@]}"; do
    for file in "$inputs/$folder"/RT_NODI.SHP; do [ -f "$file" ] && args+=(-s "$file") && stopFiles+=("$file"); done
    for file in "$inputs/$folder"/RT_ITIN.SHP; do [ -f "$file" ] && args+=(-r "$file") && routeFiles+=("$file"); done
  done
  inputDirs=("${folders[@]/#/$inputs/}")
  inputBytes=$(du -cb "${inputDirs[@]}" | tail -1 | cut -f1)

  # Each tool writes into an empty folder, emptied before the clock starts.
  run_tramelo() { "$merge" "${args[@]}" -o "$scratch/out"; }
  run_cp() { cp -r "${folders[@]/#/$inputs/}" "$scratch/out/"; }
  run_cp_sync() { run_cp && find "$scratch/out" -type f -exec sync {} +; }
  run_ogr() {
    local kind files
    for kind in RT_NODI RT_ITIN; do
      if [ "$kind" = RT_NODI ]; then files=("${stopFiles[@]}"); else files=("${routeFiles[@]}"); fi
      ogr2ogr -f "ESRI Shapefile" "$scratch/out/$kind.shp" "${files[0]}" -nln "$kind"
      for file in "${files[@]:1}"; do ogr2ogr -append -update "$scratch/out/$kind.shp" "$file" -nln "$kind"; done
    done
  }
  haveOgr=0; command -v ogr2ogr > /dev/null && haveOgr=1

  rm -f "$scratch"/*.times "$scratch"/*.account
  : > "$scratch/tramelo.times"; : > "$scratch/cp.times"; : > "$scratch/cpsync.times"; : > "$scratch/ogr.times"
  : > "$scratch/baseline.times"
  seconds run_tramelo > /dev/null  # warm the page cache so that every tool reads from memory
  # The merge that runs first after the copies and ogr2ogr pays more system time (measured:
  # 5 to 30% on set M, the same binary in either place), so with a baseline the two take
  # turns at going first.
  for ((r = 1; r <= repetitions; r++)); do
    order=(tramelo)
    if [ -n "${BASELINE:-}" ]; then
      if ((r % 2)); then order=(tramelo baseline); else order=(baseline tramelo); fi
    fi
    for which in "${order[@]}"; do
      program=$merge; [ "$which" = baseline ] && program=$BASELINE
      prime "$program" "${args[@]}" -o "$scratch/out"
      accounted "$scratch/$which.times" "$program" "${args[@]}" -o "$scratch/out"
    done
    prime run_cp
    seconds run_cp >> "$scratch/cp.times"
    seconds run_cp_sync >> "$scratch/cpsync.times"
    if ((haveOgr)); then seconds run_ogr >> "$scratch/ogr.times"; fi
  done
  rm -rf "$scratch/t"; mkdir "$scratch/t"
  /usr/bin/time -f "%M" "$merge" "${args[@]}" -o "$scratch/t" > "$scratch/counts" 2> "$scratch/peak" || true
  peak=$(tail -1 "$scratch/peak")
  outputBytes=$(du -cb "$scratch/t"/RT_* | tail -1 | cut -f1)

  grep -q "^Sono state esportate $stops fermate$" "$scratch/counts" || { echo "set $set: wrong stop count: $(cat "$scratch/counts")" >&2; exit 1; }
  grep -q "^Sono stati esportati $routes percorsi$" "$scratch/counts" || { echo "set $set: wrong route count" >&2; exit 1; }

  tramelo=$(median < "$scratch/tramelo.times")
  floor=$(median < "$scratch/cp.times")
  printf '\nset %s: %d files, %.1f MB in, %.1f MB out; %d stops and %d routes kept (counts checked)\n' \
    "$set" "$((${#args[@]} / 2))" "$(echo "$inputBytes / 1000000" | bc -l)" "$(echo "$outputBytes / 1000000" | bc -l)" "$stops" "$routes"
  printf '  tramelo-merge  %8.3f s   peak memory %.1f MB (%.2f x output)\n' "$tramelo" "$(echo "$peak / 1000" | bc -l)" \
    "$(echo "$peak * 1024 / $outputBytes" | bc -l)"
  account=$scratch/tramelo.times.account
  printf '                 user %.3f s, system %.3f s, page faults %.0f minor, %.0f major (medians)\n' \
    "$(column_median 1 "$account")" "$(column_median 2 "$account")" "$(column_median 3 "$account")" \
    "$(column_median 4 "$account")"
  if [ -n "${BASELINE:-}" ]; then
    baseline=$(median < "$scratch/baseline.times")
    account=$scratch/baseline.times.account
    printf '  baseline       %8.3f s   user %.3f s, system %.3f s, page faults %.0f minor; tramelo/baseline = %.2f\n' \
      "$baseline" "$(column_median 1 "$account")" "$(column_median 2 "$account")" \
      "$(column_median 3 "$account")" "$(echo "$tramelo / $baseline" | bc -l)"
  fi
  printf '  cp -r (floor)  %8.3f s   tramelo/cp = %.2f\n' "$floor" "$(echo "$tramelo / $floor" | bc -l)"
  durable=$(median < "$scratch/cpsync.times")
  printf '  cp -r + sync   %8.3f s   tramelo/(cp + sync) = %.2f\n' "$durable" "$(echo "$tramelo / $durable" | bc -l)"
  if ((haveOgr)); then
    ogr=$(median < "$scratch/ogr.times")
    printf '  ogr2ogr merge  %8.3f s   tramelo/ogr2ogr = %.3f (%.1f x faster)\n' "$ogr" "$(echo "$tramelo / $ogr" | bc -l)" \
      "$(echo "$ogr / $tramelo" | bc -l)"
  fi
  echo "$set $tramelo" >> "$scratch/summary"
done

if grep -q '^M ' "$scratch/summary" 2> /dev/null && grep -q '^L ' "$scratch/summary"; then
  m=$(awk '$1 == "M" { print $2 }' "$scratch/summary"); l=$(awk '$1 == "L" { print $2 }' "$scratch/summary")
  printf '\nL / M time = %.2f\n' "$(echo "$l / $m" | bc -l)"
fi
