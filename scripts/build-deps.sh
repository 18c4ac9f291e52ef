#!/usr/bin/env bash
# Fetches the third-party sources that the build compiles into the build folder:
#
#   $QM_BUILD_DIR/deps/7zip/C   the 7-Zip C sources (Debian source package "7zip")
#                               that the archive library qvx.lib is built from
#
# Only the sources are unpacked (with Debian's patches applied); Debian's own
# package is not built. Nothing of it is kept in the repository.
#
#   scripts/build-deps.sh       (QM_BUILD_DIR chooses the build folder; default build/)
#
# Idempotent: once the sources are in place a run does nothing at all.
# Needs a deb-src entry for Debian and dpkg-dev (scripts/setup-machine.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
deps="$build/deps"
target="$deps/7zip"

# The marker is written last, so an interrupted run starts again from scratch.
if [ -f "$target/.unpacked" ] && [ -f "$target/C/7zArcIn.c" ]; then
  exit 0
fi

mkdir -p "$deps"
work=$(mktemp -d "$deps/.7zip-fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "build-deps: fetching the 7zip source package"
if ! (cd "$work" && apt-get source --download-only -qq 7zip >"$work/apt.log" 2>&1); then
  cat "$work/apt.log" >&2
  echo "build-deps: 'apt-get source 7zip' failed; run scripts/setup-machine.sh (it adds the deb-src entry)" >&2
  exit 1
fi
dsc=$(find "$work" -maxdepth 1 -name '7zip_*.dsc' | head -n 1)
if [ -z "$dsc" ]; then
  echo "build-deps: no 7zip .dsc was downloaded" >&2
  exit 1
fi
# apt-get has checked the files against the signed archive index already.
dpkg-source --no-check -x "$dsc" "$work/src" >"$work/unpack.log" 2>&1 || {
  cat "$work/unpack.log" >&2
  exit 1
}

rm -rf "$target"
mkdir -p "$target"
mv "$work/src/C" "$target/C"
[ -f "$work/src/DOC/License.txt" ] && cp "$work/src/DOC/License.txt" "$target/License.txt"
[ -f "$work/src/debian/copyright" ] && cp "$work/src/debian/copyright" "$target/copyright"
basename "$dsc" .dsc | sed 's/^7zip_//' >"$target/VERSION"
touch "$target/.unpacked"
echo "build-deps: 7-Zip C sources $(cat "$target/VERSION") in $target/C"
