#!/usr/bin/env bash
# Builds the batch command and merges the bundled sample shapefiles (buses of Staten Island,
# Long Island Rail Road, Metro-North) into out/samples, then shows the report.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release \
  -DTRAMELO_GUI=OFF -DTRAMELO_TESTS=OFF -DTRAMELO_BENCH=OFF > /dev/null
cmake --build build/release --target tramelo-merge -j "$(nproc)"

mkdir -p out/samples
set +e
build/release/cli/tramelo-merge \
  -s samples/bus_si/RT_NODI.SHP -r samples/bus_si/RT_ITIN.SHP \
  -s samples/lirr/RT_NODI.SHP -r samples/lirr/RT_ITIN.SHP \
  -s samples/mnr/RT_NODI.SHP -r samples/mnr/RT_ITIN.SHP \
  -o out/samples
status=$?
set -e

echo
echo "== out/samples/ReportFusione.txt (code page 1252, CR LF) =="
iconv -f CP1252 -t UTF-8 out/samples/ReportFusione.txt | tr -d '\r'
echo "== files written =="
ls -l out/samples
exit "$status"
