#!/usr/bin/env bash
# Cross-builds everything for Windows (MinGW-w64): the core, tramelo-merge.exe, the desktop
# program tramelo.exe against a static wxMSW (scripts/wxmsw.sh, built once and cached outside
# the clone) and the tests; checks that the programs need no DLL but Windows' own; then under
# Wine, headless:
#   1. runs the core tests, and the desktop program's tests on an Xvfb display;
#   2. merges the bundled samples with Windows paths (backslashes) and checks that the
#      outputs are byte for byte those of the Linux build (apart from the date in the .DBF
#      headers), and that the report lists the paths as they were given;
#   3. runs tramelo.exe through its real pickers and boxes (tests/gui/windows_live.sh) and
#      compares what it writes with the Linux build's output; screenshots in
#      build/windows/live/screenshots.
# The Wine prefix lives in build/windows/wine-prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows
jobs=$(nproc)
build=build/windows

echo "== wxWidgets for Windows (static wxMSW) =="
start=$SECONDS
wxmsw=$(scripts/wxmsw.sh)
echo "$wxmsw ($((SECONDS - start)) s)"

echo "== cross-build for Windows =="
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTRAMELO_BENCH=OFF -DTRAMELO_WERROR=ON -DwxWidgets_CONFIG_EXECUTABLE="$wxmsw/bin/wx-config" > /dev/null
cmake --build "$build" -j "$jobs"

# Self-contained: a copy of the .exe alone runs on a Windows machine.
for exe in "$build/app/tramelo.exe" "$build/cli/tramelo-merge.exe"; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|ole32|oleaut32|advapi32|uuid|winspool|rpcrt4|uxtheme|shlwapi|version|wininet|oleacc|msvcrt|ws2_32|winmm|imm32|winhttp|api-ms-win-[a-z0-9-]+)\.dll$|^winspool\.drv$' || true)
  if [ -n "$foreign" ]; then
    echo "$exe needs DLLs that Windows does not have: $foreign" >&2
    exit 1
  fi
done

# The same environment the tests get from CMake: no display, no Mono or Gecko prompts.
export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2> /dev/null || true' EXIT
wineboot --init > /dev/null 2>&1 || true   # creates the prefix once, before the tests run side by side
# Debian's Wine 8 does not look for fonts-wine's fonts where that package puts them: without
# them every face, MS Sans Serif and Tahoma too, is made from DejaVu Sans, whose wider letters
# give other dialog units than Windows' fonts. In the prefix's Fonts folder Wine finds them.
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

# Wine's windows are X windows: the desktop program's tests get a display of their own (the
# core tests' emulator leaves it out). Wine's desktop process takes the display of the first
# program that needs it, and every later window of the same Wine server goes there: so each
# display gets a server of its own, one for all the commands on it (a server that exits
# between two tests drops the next one's connection), and its desktop is started on it
# before anything else can start it without one.
headless() {
  wineserver -k 2> /dev/null || true
  wineserver -w
  wineserver -p
  local status=0
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    sh -c 'wineboot --init > /dev/null 2>&1 && exec "$@"' headless "$@" || status=$?
  wineserver -k 2> /dev/null || true
  return $status
}

echo "== core tests and desktop program tests under Wine =="
headless ctest --test-dir "$build" --output-on-failure -j "$jobs"

echo "== the samples merged under Wine and on Linux =="
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release \
  -DTRAMELO_GUI=OFF -DTRAMELO_TESTS=OFF -DTRAMELO_BENCH=OFF > /dev/null
cmake --build build/release --target tramelo-merge -j "$jobs"

linux_out="$build/samples-linux"
windows_out="$build/samples-windows"
rm -rf "$linux_out" "$windows_out"
mkdir -p "$linux_out" "$windows_out"

inputs=(-s samples/bus_si/RT_NODI.SHP -r samples/bus_si/RT_ITIN.SHP
        -s samples/lirr/RT_NODI.SHP -r samples/lirr/RT_ITIN.SHP
        -s samples/mnr/RT_NODI.SHP -r samples/mnr/RT_ITIN.SHP)
build/release/cli/tramelo-merge "${inputs[@]}" -o "$linux_out" > "$linux_out.stdout"
# Inputs relative with backslashes, the output folder absolute with a drive letter: Wine's
# drive Z: is the root folder. (Not asked of winepath, a Wine program that, on a busy machine,
# has printed an error instead of a path.)
windows_inputs=("${inputs[@]//\//\\}")
absolute_out="$PWD/$windows_out"
wine "$build/cli/tramelo-merge.exe" "${windows_inputs[@]}" -o "Z:${absolute_out//\//\\}" \
  > "$windows_out.stdout"

failed=0
fail() {
  echo "MISMATCH: $*" >&2
  failed=1
}
for name in RT_NODI.SHP RT_NODI.SHX RT_ITIN.SHP RT_ITIN.SHX; do
  cmp "$linux_out/$name" "$windows_out/$name" || fail "$name"
done
for name in RT_NODI.DBF RT_ITIN.DBF; do
  # Byte 0 is the version, bytes 1-3 the date of writing.
  cmp -n 1 "$linux_out/$name" "$windows_out/$name" || fail "$name"
  cmp <(tail -c +5 "$linux_out/$name") <(tail -c +5 "$windows_out/$name") || fail "$name"
done
# The report names the inputs as given: the Linux one with "/", the Windows one with "\".
cmp <(sed 's#samples/\([a-z_]*\)/#samples\\\1\\#' "$linux_out/ReportFusione.txt") \
  "$windows_out/ReportFusione.txt" || fail "ReportFusione.txt"
grep -q $'^samples\\\\mnr\\\\RT_NODI.SHP\r$' "$windows_out/ReportFusione.txt" ||
  fail "ReportFusione.txt does not list samples\\mnr\\RT_NODI.SHP"
# Console text: CR LF on Windows.
cmp <(tr -d '\r' < "$windows_out.stdout") "$linux_out.stdout" || fail "standard output"
if ((failed)); then
  exit 1
fi
echo "identical: $(cd "$windows_out" && echo *)"

echo "== the desktop program under Wine, through its real pickers =="
headless tests/gui/windows_live.sh "$build/app/tramelo.exe" "$PWD/samples" build/release/cli/tramelo-merge \
  "$PWD/$build/live"
