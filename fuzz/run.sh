#!/usr/bin/env bash
# Runs one fuzz target and sums up what it did.
#
#   fuzz/run.sh PROGRAM CORPUS WORK [libFuzzer options...]
#
# The committed corpus CORPUS is read, never written: new inputs go to
# WORK/corpus (emptied first), crash reproducers to WORK/. The target's
# dictionary (fuzz/dict/NAME.dict, NAME being CORPUS's folder name) and its
# bounds (fuzz/bounds/NAME, libFuzzer options, one per line) are used when
# they exist. Prints one summary line:
#
#   NAME: EXECS runs, EXEC_PER_SEC exec/s, cov COV ft FT[, crash PATH]
#
# and exits with libFuzzer's code (0 when nothing was found).
set -uo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 PROGRAM CORPUS WORK [libFuzzer options...]" >&2
  exit 2
fi
program=$1 corpus=$2 work=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$corpus")

rm -rf "$work"
mkdir -p "$work/corpus"
options=(-timeout=5 -rss_limit_mb=2048 -print_final_stats=1 "-artifact_prefix=$work/")
[ -f "$here/dict/$name.dict" ] && options+=("-dict=$here/dict/$name.dict")
if [ -f "$here/bounds/$name" ]; then
  while read -r option; do
    case "$option" in ''|'#'*) ;; *) options+=("$option") ;; esac
  done < "$here/bounds/$name"
fi

log="$work/log.txt"
"$program" "${options[@]}" "$@" "$work/corpus" "$corpus" >"$log" 2>&1
code=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 | sed 's/cov: \([0-9]*\) ft: \([0-9]*\)/cov \1 ft \2/')
# Reproducers: crash-, leak-, timeout-, oom-...; slow-unit- is an input that
# took long without reaching the timeout (worth a look, not a failure).
crash=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | grep -v '/slow-unit-' | tail -n 1)
slow=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | grep '/slow-unit-' | tail -n 1)
summary="$name: ${runs:-?} runs, ${speed:-?} exec/s, ${coverage:-cov ? ft ?}"
[ -n "$crash" ] && summary="$summary, crash $crash"
[ -n "$slow" ] && summary="$summary, slow input $slow"
if [ $code -ne 0 ]; then
  # What went wrong, as the sanitizer or libFuzzer said it.
  grep -E '^(==[0-9]+==ERROR|SUMMARY:|.*runtime error:|.*broken promise:|==[0-9]+== ERROR: libFuzzer)' "$log" | head -n 20 >&2
  echo "(full log: $log)" >&2
  [ -z "$crash" ] && summary="$summary, failed with exit code $code"
fi
echo "$summary"
exit $code
