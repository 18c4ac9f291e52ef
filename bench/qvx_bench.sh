#!/usr/bin/env bash
# Times qvx.lib against 7zz on one ~100 MB archive, in one run.
#   qvx_bench.sh <wine-run.sh> <qvx_bench.exe>
# qvx_bench.exe (under Wine) writes the data set; 7zz (native) makes the
# archive with its defaults and extracts it, best of three, with all threads
# and with one; qvx_bench.exe then extracts it with qvx.lib, checks the output
# and prints both timings and the speed ratios. Never fails on time.
# QM_BENCH_QUICK=1 (the test command's default): a fifth of the data, one run
# each; the ratios are still printed.
set -euo pipefail
wine_run="$1"
bench="$2"
work=$(mktemp -d "${TMPDIR:-/tmp}/qvx-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
windows() { echo "Z:${1//\//\\}"; }

quick=()
runs=3
if [ "${QM_BENCH_QUICK:-0}" = 1 ]; then
  quick=(quick)
  runs=1
fi

"$wine_run" "$bench" generate "$(windows "$work/data")" "${quick[@]}"
(cd "$work/data" && 7zz a -bd -bso0 -bsp0 "$work/bench.7z" .)

# shellcheck source=sevenzip_times.sh
source "$(dirname "${BASH_SOURCE[0]}")/sevenzip_times.sh"
all_threads=$(best_7zz_ms "$runs" "$work/bench.7z" "$work/out7zz")
one_thread=$(best_7zz_ms "$runs" "$work/bench.7z" "$work/out7zz" -mmt1)

"$wine_run" "$bench" extract "$(windows "$work/bench.7z")" "$(windows "$work/out")" "$(windows "$work/data")" \
  "$all_threads" "$one_thread" "${quick[@]}"
