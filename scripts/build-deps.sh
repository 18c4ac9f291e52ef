#!/usr/bin/env bash
# Fetches and builds the third-party code that the build uses, into the build
# folder:
#
#   $QM_BUILD_DIR/deps/7zip/C        the 7-Zip C sources (Debian source package
#                                    "7zip") that the archive library qvx.lib is
#                                    built from; only unpacked, never built here
#   $QM_BUILD_DIR/deps/libjpeg-turbo JPEG decoding (source package "libjpeg-turbo")
#   $QM_BUILD_DIR/deps/libpng        PNG decoding (source package "libpng1.6")
#                                    each as include/ and lib/*.a: static
#                                    libraries for i686 mingw-w64
#
# The sources come with Debian's patches applied; Debian's own packages are
# not built. zlib for libpng is Debian's libz-mingw-w64-dev. Nothing of it is
# kept in the repository.
#
#   scripts/build-deps.sh       (QM_BUILD_DIR chooses the build folder; default build/)
#
# Idempotent: once a part is in place a run does nothing for it; each part
# writes its marker last, so an interrupted run starts that part again.
# Needs a deb-src entry for Debian, dpkg-dev and cmake (scripts/setup-machine.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
deps="$build/deps"
toolchain="$root/cmake/mingw-i686-posix.cmake"
mingw_root=/usr/i686-w64-mingw32
jobs=$(nproc 2>/dev/null || echo 2)

mkdir -p "$deps"
work=
cleanup() { [ -z "$work" ] || rm -rf "$work"; }
trap cleanup EXIT

# Prints what a failed step logged, says which step it was, and stops.
fail() {
  local log=$1 message=$2
  [ -f "$log" ] && tail -n 40 "$log" >&2
  echo "build-deps: $message" >&2
  exit 1
}

# download_source PACKAGE: the newest version of PACKAGE's source package into
# $work; when a mirror lacks it (a security update's sources can appear later
# than its binaries), the older versions the archive index lists, newest first.
download_source() {
  local package=$1 candidate
  (cd "$work" && apt-get source --download-only -qq "$package" >"$work/apt.log" 2>&1) && return 0
  for candidate in $(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -rV | tail -n +2); do
    rm -f "$work"/*.dsc "$work"/*.tar.* "$work"/*.diff.*
    (cd "$work" && apt-get source --download-only -qq "$package=$candidate" >>"$work/apt.log" 2>&1) && return 0
  done
  return 1
}

# fetch_source PACKAGE: downloads Debian's source package into a fresh $work
# and unpacks it (with Debian's patches) into $work/src; sets $version.
fetch_source() {
  local package=$1 dsc
  cleanup
  work=$(mktemp -d "$deps/.$package-fetch.XXXXXX")
  download_source "$package" ||
    fail "$work/apt.log" "'apt-get source $package' failed; run scripts/setup-machine.sh (it adds the deb-src entry)"
  dsc=$(find "$work" -maxdepth 1 -name "${package}_*.dsc" | head -n 1)
  [ -n "$dsc" ] || fail /dev/null "no $package .dsc was downloaded"
  # apt-get has checked the files against the signed archive index already.
  dpkg-source --no-check -x "$dsc" "$work/src" >"$work/unpack.log" 2>&1 ||
    fail "$work/unpack.log" "unpacking the $package source package failed"
  version=$(basename "$dsc" .dsc | sed "s/^${package}_//")
}

# cmake_static_library NAME TARGET [OPTIONS...]: configures $work/src for
# i686 mingw-w64 in $work/build and builds only TARGET (the static library).
cmake_static_library() {
  local name=$1 target=$2
  shift 2
  command -v cmake >/dev/null || fail /dev/null "cmake is missing; run scripts/setup-machine.sh"
  cmake -S "$work/src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$work/unused" \
    -DCMAKE_C_FLAGS="-O2 -w" "$@" >"$work/configure.log" 2>&1 ||
    fail "$work/configure.log" "configuring $name failed"
  cmake --build "$work/build" --target "$target" -j "$jobs" >"$work/build.log" 2>&1 ||
    fail "$work/build.log" "building $name failed"
}

# install_part NAME LICENSE...: moves $work/out into $deps/NAME with the
# licence texts that exist, the version and, last, the marker.
install_part() {
  local name=$1 file
  shift
  for file in "$@" debian/copyright; do
    [ -f "$work/src/$file" ] && cp "$work/src/$file" "$work/out/"
  done
  echo "$version" >"$work/out/VERSION"
  rm -rf "${deps:?}/$name"
  mv "$work/out" "$deps/$name"
  touch "$deps/$name/.built"
}

fetch_7zip() {
  local target="$deps/7zip"
  [ -f "$target/.unpacked" ] && [ -f "$target/C/7zArcIn.c" ] && return 0
  fetch_source 7zip
  rm -rf "$target"
  mkdir -p "$target"
  mv "$work/src/C" "$target/C"
  [ -f "$work/src/DOC/License.txt" ] && cp "$work/src/DOC/License.txt" "$target/License.txt"
  [ -f "$work/src/debian/copyright" ] && cp "$work/src/debian/copyright" "$target/copyright"
  echo "$version" >"$target/VERSION"
  touch "$target/.unpacked"
}

build_libjpeg_turbo() {
  local target="$deps/libjpeg-turbo" simd=OFF
  [ -f "$target/.built" ] && [ -f "$target/lib/libjpeg.a" ] && return 0
  fetch_source libjpeg-turbo
  # The SIMD code is assembler for nasm; without it the C code is used.
  command -v nasm >/dev/null && simd=ON
  cmake_static_library libjpeg-turbo jpeg-static \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=$simd -DWITH_TURBOJPEG=OFF \
    -DWITH_JAVA=OFF -DWITH_CRT_DLL=OFF
  mkdir -p "$work/out/include" "$work/out/lib"
  cp "$work/src/jpeglib.h" "$work/src/jmorecfg.h" "$work/src/jerror.h" \
     "$work/build/jconfig.h" "$work/out/include/"
  cp "$work/build/libjpeg.a" "$work/out/lib/libjpeg.a"
  install_part libjpeg-turbo LICENSE.md README.ijg
}

build_libpng() {
  local target="$deps/libpng"
  [ -f "$target/.built" ] && [ -f "$target/lib/libpng.a" ] && return 0
  [ -f "$mingw_root/lib/libz.a" ] ||
    fail /dev/null "zlib for mingw-w64 is missing ($mingw_root/lib/libz.a); run scripts/setup-machine.sh"
  fetch_source libpng1.6
  cmake_static_library libpng png_static \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DSKIP_INSTALL_ALL=ON \
    -DZLIB_LIBRARY="$mingw_root/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw_root/include"
  mkdir -p "$work/out/include" "$work/out/lib"
  cp "$work/src/png.h" "$work/src/pngconf.h" "$work/build/pnglibconf.h" "$work/out/include/"
  cp "$(find "$work/build" -maxdepth 1 -name 'libpng*.a' | head -n 1)" "$work/out/lib/libpng.a"
  install_part libpng LICENSE
}

fetch_7zip
build_libjpeg_turbo
build_libpng
