#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test Quillmore.
# Safe to run again: every step checks what is already there.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  # cross toolchain (posix thread model lives in the same packages)
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  libz-mingw-w64-dev
  cmake ninja-build make python3 dpkg-dev
  googletest
  # Windows side: Wine with 32- and 64-bit halves, a display for windows
  wine wine32 wine64 xvfb xauth x11-apps imagemagick
  # Windows Installer packages and 7z archives for fixtures
  msitools wixl 7zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

needs_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  needs_update=1
fi

# Source packages (7-Zip, libjpeg-turbo, libpng) are fetched with apt-get source.
src_list=/etc/apt/sources.list.d/quillmore-src.sources
if [ ! -f "$src_list" ]; then
  $SUDO tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  needs_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $needs_update -eq 1 ]; then
  $SUDO apt-get update -qq || true
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-machine: installing ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "setup-machine: ready"
