#!/usr/bin/env bash
# Times the extraction of a web media block against 7zz on the same archive,
# in one run.
#   media_extract_bench.sh <wine-run.sh> <qvx_bench.exe> <media_extract_bench.exe>
# qvx_bench.exe (under Wine) writes the data set (about 100 MB) as the block's
# folder BLOCK; 7zz (native) packs it as a web media block is packed (7z,
# password, encrypted headers) and extracts it, best of three, with all
# threads and with one; media_extract_bench.exe then extracts it as a setup
# does, checks the output and prints both timings and the speed ratios.
# Never fails on time. QM_BENCH_QUICK=1 (the test command's default): a fifth
# of the data, one run each; the ratios are still printed.
set -euo pipefail
wine_run="$1"
data_maker="$2"
bench="$3"
work=$(mktemp -d "${TMPDIR:-/tmp}/media-extract-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
windows() { echo "Z:${1//\//\\}"; }
password=Bench-Secret1

quick=()
runs=3
if [ "${QM_BENCH_QUICK:-0}" = 1 ]; then
  quick=(quick)
  runs=1
fi

mkdir -p "$work/data"
"$wine_run" "$data_maker" generate "$(windows "$work/data/BLOCK")" "${quick[@]}"
(cd "$work/data" && 7zz a -t7z -bd -bso0 -bsp0 -p"$password" -mhe=on "$work/BLOCK.7zip" BLOCK)

# shellcheck source=sevenzip_times.sh
source "$(dirname "${BASH_SOURCE[0]}")/sevenzip_times.sh"
all_threads=$(best_7zz_ms "$runs" "$work/BLOCK.7zip" "$work/out7zz" -p"$password")
one_thread=$(best_7zz_ms "$runs" "$work/BLOCK.7zip" "$work/out7zz" -p"$password" -mmt1)

"$wine_run" "$bench" "$(windows "$work/BLOCK.7zip")" "$(windows "$work/web")" "$(windows "$work/data/BLOCK")" \
  "$password" "$all_threads" "$one_thread" "${quick[@]}"
