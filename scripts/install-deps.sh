#!/usr/bin/env bash
# Installs the Debian 12 packages that a task needs, and only those that are missing.
#   scripts/install-deps.sh run    building the batch command and merging the samples
#   scripts/install-deps.sh test   building everything and running every check
#   scripts/install-deps.sh bench  the side-by-side benchmark (bench/benchmark.sh)
#   scripts/install-deps.sh windows  cross-building for Windows and running it under Wine
set -euo pipefail

run_packages=(build-essential cmake)
test_packages=(
  "${run_packages[@]}"
  libgtest-dev        # unit tests
  libwxgtk3.2-dev libgtk-3-dev pkg-config   # the desktop program
  adwaita-icon-theme  # the icons of its message boxes
  xvfb xauth fonts-dejavu-core x11-apps imagemagick xdotool   # the desktop program's tests, headless
  openbox x11-utils   # its live test once more under a window manager
  gdal-bin            # reading and writing shapefiles with an independent implementation
  python3-gdal        # GDAL's judgement of which coordinate systems are the same
  clang libclang-rt-14-dev   # libFuzzer and the sanitizer runtimes for the fuzz targets
)

bench_packages=("${run_packages[@]}" time bc gdal-bin)

windows_packages=(
  "${run_packages[@]}"
  g++-mingw-w64-x86-64-posix   # the cross compiler, its C library and Windows headers
  googletest                   # GoogleTest's sources, built for the target
  wine wine64                  # runs the Windows executables here
  fonts-wine                   # Wine's own Tahoma, MS Sans Serif and Marlett, which its dialogs use
  dpkg-dev                     # apt-get source unpacks wxWidgets' source with dpkg-source
  xvfb xauth xdotool openbox imagemagick   # the desktop program under Wine, driven headless
)

case "${1:-test}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  bench) wanted=("${bench_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  *) echo "usage: $0 [run|test|bench|windows]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
