#!/usr/bin/env bash
# Builds a static wxMSW (wxWidgets 3.2, base and core) with the project's MinGW-w64 compiler
# and prints the folder it is installed in; its bin/wx-config is what CMake is given.
#   scripts/wxmsw.sh            build once, then reuse
# The build is cached outside the clone, in ${TRAMELO_CACHE:-~/.cache/tramelo}/wxmsw-<version>-
# <hash of the configure options>, and made only when that folder is missing. It is built in a
# temporary folder beside it and moved into place at the end, so an interrupted build is never
# taken for a finished one.
# The source comes from Debian's archive: deb-src lines with the URIs and suites of the
# machine's own apt sources, in an apt state of our own (nothing of the system's is changed).
# Debian's source has no copies of libpng, zlib, libjpeg, libtiff and expat, so the library is
# configured without them: the program's picture and icon come from its Windows resources.
set -euo pipefail
cd "$(dirname "$0")/.."

version=3.2.2
host=x86_64-w64-mingw32
options=(
  --host=$host --disable-shared --with-msw --disable-debug_info
  --without-libpng --without-libjpeg --without-libtiff --without-zlib --without-expat
  --without-regex --without-nanosvg --without-opengl --without-liblzma --without-libcurl
  --disable-xrc --disable-html --disable-webview --disable-stc --disable-aui --disable-ribbon
  --disable-propgrid --disable-richtext --disable-mediactrl --disable-svg --disable-sockets
  --disable-protocol --disable-url --disable-fs_inet --disable-zipstream --disable-tarstream
)
compilers=(CC=$host-gcc-posix CXX=$host-g++-posix)
hash=$(printf '%s\n' "$version" "${options[@]}" "${compilers[@]}" | sha256sum | cut -c1-12)
cache=${TRAMELO_CACHE:-$HOME/.cache/tramelo}
prefix="$cache/wxmsw-$version-$hash"

if [ -x "$prefix/bin/wx-config" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d "$cache/.wxmsw-build.XXXXXX")
trap 'rm -rf "$work"' EXIT

# deb-src twins of the Debian sources: deb822 stanzas and one-line entries alike.
mkdir -p "$work/apt/sources.list.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
for file in /etc/apt/sources.list.d/*.sources; do
  [ -e "$file" ] || continue
  sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/p; /^Types:/!p' "$file"
  echo
done > "$work/apt/sources.list.d/deb-src.sources"
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -e "$file" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
done > "$work/apt/sources.list.d/deb-src.list"
apt_options=(
  -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
  -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache"
  -o Dir::State::Status=/var/lib/dpkg/status -o APT::Sandbox::User=root
)
# Only the wxWidgets source is wanted: indexes from third-party sources that publish no
# sources may fail to come.
apt-get "${apt_options[@]}" update -qq || true
(cd "$work" && apt-get "${apt_options[@]}" source -qq wxwidgets3.2 > /dev/null)
source_dir=$(find "$work" -maxdepth 1 -type d -name "wxwidgets3.2-$version*" | head -n 1)
if [ -z "$source_dir" ]; then
  echo "wxWidgets $version's source not found in the apt sources (got: $(ls "$work"))" >&2
  exit 1
fi

stage="$work/stage"
mkdir -p "$work/build"
(
  cd "$work/build"
  "$source_dir/configure" --prefix="$prefix" "${options[@]}" "${compilers[@]}" > configure.log
  make -j "$(nproc)" > make.log
  make install DESTDIR="$stage" > install.log
) || {
  echo "wxMSW build failed; logs in $work/build (kept)" >&2
  trap - EXIT
  exit 1
}
mv "$stage$prefix" "$prefix"
echo "$prefix"
