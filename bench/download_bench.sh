#!/usr/bin/env bash
# A file of 100 MB (10 MB with QM_BENCH_QUICK=1) from the loopback nginx of
# the web bench (scripts/web-bench.sh): curl -o against the engine's HTTP
# client under Wine, in the same run, three rounds each after a warm-up.
# Prints the medians and the client's throughput as a share of curl's (the
# goal: at least 0.9). Never fails on time.
#   download_bench.sh WINE_RUN DOWNLOAD_BENCH_EXE
set -euo pipefail
wine_run=$1
program=$2
if [ -z "${QM_WEB_URL:-}" ] || [ -z "${QM_WEB_FILES_UNIX:-}" ]; then
  echo "download_bench: the web bench is not running (source scripts/web-bench.sh; web_bench_start BUILD_DIR)" >&2
  exit 1
fi
megabytes=100
[ "${QM_BENCH_QUICK:-0}" = 1 ] && megabytes=10
name="download-bench-$$.bin"
source_file="$QM_WEB_FILES_UNIX$name"
work=$(mktemp -d)
trap 'rm -rf "$work" "$source_file"' EXIT
head -c $((megabytes * 1024 * 1024)) /dev/urandom >"$source_file"
url="$QM_WEB_URL/files/$name"
archive_unix="$work/engine.bin"
archive="Z:${archive_unix//\//\\}"

now_ms() { date +%s%3N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

curl_times=()
engine_times=()
for round in 0 1 2 3; do  # round 0 warms up
  rm -f "$work/curl.bin" "$archive_unix"
  started=$(now_ms)
  curl -s -o "$work/curl.bin" "$url"
  curl_ms=$(($(now_ms) - started))
  output=$("$wine_run" "$program" "$url" "$archive")
  engine_ms=$(echo "$output" | sed -n 's/.* in \([0-9]*\) ms.*/\1/p')
  if [ -z "$engine_ms" ] || ! cmp -s "$source_file" "$archive_unix"; then
    echo "download_bench: the engine's download failed or differs: $output" >&2
    exit 1
  fi
  [ "$round" -eq 0 ] && continue
  curl_times+=("$curl_ms")
  engine_times+=("$engine_ms")
done
curl_median=$(printf '%s\n' "${curl_times[@]}" | median)
engine_median=$(printf '%s\n' "${engine_times[@]}" | median)
awk -v mb="$megabytes" -v c="$curl_median" -v e="$engine_median" 'BEGIN {
  if (c < 1) c = 1; if (e < 1) e = 1
  printf "download_bench: %d MB over loopback: curl %d ms (%.1f MB/s), engine HTTP client %d ms (%.1f MB/s)\n", mb, c, mb * 1000 / c, e, mb * 1000 / e
  printf "download_bench: throughput ratio engine/curl %.2f (goal: at least 0.9)\n", c / e
}'
