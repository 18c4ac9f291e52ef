#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test under Wine.
# Starts (and afterwards stops) the Wine bench the tests need.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
export QM_BUILD_DIR="$build"

bash "$root/scripts/setup-machine.sh"
bash "$root/scripts/build.sh" --werror

# shellcheck source=wine-bench.sh
source "$root/scripts/wine-bench.sh"
bench_start "$build"
# shellcheck source=web-bench.sh
source "$root/scripts/web-bench.sh"
web_bench_start "$build"
trap 'web_bench_stop; bench_stop' EXIT

# Benchmarks run in their quick form here (they still print their ratios);
# QM_BENCH_QUICK=0 times the full data sets.
export QM_BENCH_QUICK="${QM_BENCH_QUICK:-1}"

cd "$build"
ctest --output-on-failure --timeout 900 "$@"
