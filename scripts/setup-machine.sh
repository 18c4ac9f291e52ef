#!/usr/bin/env bash
# Prepares a Debian 12 machine to build and test Quillmore.
# Safe to run again: every step checks what is already there.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

# What the project uses, and nothing else.
packages=(
  # the cross toolchain (the posix thread model lives in the same packages);
  # binutils brings dlltool for the archive library's import library
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  cmake ninja-build python3 googletest
  # the build machine's own compiler: the script core is also built natively
  g++
  # the fuzz targets of the script core: clang with libFuzzer and the
  # sanitizers' run-time libraries (fuzz/)
  clang libclang-rt-14-dev
  # dpkg-source unpacks the third-party source packages (scripts/build-deps.sh)
  dpkg-dev
  # zlib for the cross-built libpng (scripts/build-deps.sh); the build
  # machine's own libjpeg and libpng for the picture decoders' fuzz target
  libz-mingw-w64-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev
  # the Windows side: Wine with its 32- and 64-bit halves, a display for windows
  wine wine32 wine64 xvfb
  # Windows Installer databases (wixl, msibuild, msiinfo) and 7z archives
  msitools wixl 7zip
  # the download tests' loopback servers (scripts/web-bench.sh)
  nginx tinyproxy curl
)

# The source packages come from the same archives as the machine's own
# packages: one deb-src entry for each of its Debian "deb" entries of this
# release (deb822 .sources files and one-line .list files alike).
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
src_list=/etc/apt/sources.list.d/quillmore-src.sources

source_entries() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && [ "$file" != "$src_list" ] || continue
    # Paragraphs of "Field: value" lines; those of Types "deb" whose suites
    # are this release's become the same paragraph with Types "deb-src".
    awk -v release="$release" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && suites ~ ("(^| )" release "(-[a-z]+)?( |$)") && uris != "") {
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, suites, components
          if (signed != "") printf "Signed-By: %s\n", signed
          printf "\n"
        }
        types = uris = suites = components = signed = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      { field = $1; sub(/:$/, "", field); value = $0; sub(/^[^:]*:[ \t]*/, "", value) }
      field == "Types" { types = value } field == "URIs" { uris = value } field == "Suites" { suites = value }
      field == "Components" { components = value } field == "Signed-By" { signed = value }
      END { flush() }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    # "deb [options] URI suite components..." of this release.
    awk -v release="$release" '
      $1 == "deb" {
        options = ""; i = 2
        if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) { options = options " " $i; i++ } options = options " " $i; i++ }
        uri = $i; suite = $(i + 1); components = ""
        for (j = i + 2; j <= NF; j++) components = components (components == "" ? "" : " ") $j
        if (suite !~ ("^" release "(-[a-z]+)?$")) next
        signed = ""
        if (match(options, /signed-by=[^] ]+/)) signed = substr(options, RSTART + 10, RLENGTH - 10)
        printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uri, suite, components
        if (signed != "") printf "Signed-By: %s\n", signed
        printf "\n"
      }' "$file"
  done
}

needs_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  needs_update=1
fi

if [ -z "$release" ]; then
  echo "setup-machine: /etc/os-release names no release; cannot add source entries" >&2
  exit 1
fi
wanted_sources=$(source_entries)
if [ -z "$wanted_sources" ]; then
  echo "setup-machine: no Debian '$release' entry in the apt sources to take source packages from" >&2
  exit 1
fi
if [ ! -f "$src_list" ] || [ "$(cat "$src_list")" != "$wanted_sources" ]; then
  printf '%s\n' "$wanted_sources" | $SUDO tee "$src_list" >/dev/null
  needs_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $needs_update -eq 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-machine: installing ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine runs our 32-bit programs with its 32-bit loader. Some kernels are
# booted without 32-bit support ("32-bit emulation disabled" in the kernel's
# log): there the loader cannot start, and Wine's in-process 64-bit mode
# faults as it switches to 32-bit code. Such a machine runs the 32-bit Linux
# side of Wine through qemu's user-mode emulator, registered for 32-bit x86
# programs with the kernel. The release's own qemu (7.2) takes about a minute
# to start a Wine process; the release's backports carry one that takes a
# fraction of a second, so that one is installed (its archive derived from
# the machine's own Debian entry, like the source entries above).
runs_32bit_code() { /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; }

backports_entry() {
  printf '%s\n' "$wanted_sources" | awk -v release="$release" '
    function flush() {
      if (!done && uris != "" && suites ~ ("(^| )" release "( |$)")) {
        printf "Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n", uris, release
        if (signed != "") printf "Signed-By: %s\n", signed
        done = 1
      }
      uris = suites = signed = ""
    }
    /^[ \t]*$/ { flush(); next }
    { field = $1; sub(/:$/, "", field); value = $0; sub(/^[^:]*:[ \t]*/, "", value) }
    field == "URIs" { uris = value } field == "Suites" { suites = value } field == "Signed-By" { signed = value }
    END { flush() }'
}

qemu_i386=/usr/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc

register_qemu_i386() {
  [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  # "F" opens the emulator now, so the entry keeps working whatever the
  # programs' own mount namespace; a new emulator needs a new entry.
  [ -f "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu_i386"':F' |
    $SUDO tee "$binfmt/register" >/dev/null
}

if ! runs_32bit_code; then
  echo "setup-machine: this kernel does not run 32-bit programs; Wine's 32-bit side runs under qemu"
  backports_list=/etc/apt/sources.list.d/quillmore-backports.sources
  wanted_backports=$(backports_entry)
  if [ -z "$wanted_backports" ]; then
    echo "setup-machine: no Debian '$release' entry to derive the backports archive from" >&2
    exit 1
  fi
  if [ ! -f "$backports_list" ] || [ "$(cat "$backports_list")" != "$wanted_backports" ]; then
    printf '%s\n' "$wanted_backports" | $SUDO tee "$backports_list" >/dev/null
    $SUDO apt-get update -qq
  fi
  installed=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
  if [ -z "$installed" ] || dpkg --compare-versions "$installed" lt 1:8; then
    $SUDO apt-get install -y -qq --no-install-recommends -t "$release-backports" qemu-user-static
  fi
  register_qemu_i386
  if ! runs_32bit_code; then
    echo "setup-machine: 32-bit programs still do not start (qemu-i386 registration failed)" >&2
    exit 1
  fi
fi

echo "setup-machine: ready"
