#!/usr/bin/env bash
# Configures and builds everything (engine, tests, benchmarks) into build/.
#   scripts/build.sh [--werror]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
werror=OFF
[ "${1:-}" = "--werror" ] && werror=ON
QM_BUILD_DIR="$build" bash "$root/scripts/build-deps.sh"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DQM_WARNINGS_AS_ERRORS=$werror \
  -DQM_7ZIP_SOURCE_DIR="$build/deps/7zip/C" >/dev/null
cmake --build "$build" -j "$(nproc)"
