#!/usr/bin/env bash
# Runs the fuzz targets of the script core, each for a while.
#
#   scripts/fuzz.sh [--merge] [SECONDS] [TARGET...]
#
# SECONDS per target (default 60); TARGET names as in fuzz/targets.cmake
# (default: all). Each target runs on a scratch copy of its corpus in
# build/fuzz/runs/TARGET; one line per target tells its executions, speed and
# coverage, and the reproducer of any crash, leak, sanitizer report or hang.
# --merge adds the new inputs that reach new coverage to fuzz/corpus/TARGET
# (libFuzzer's -merge=1); without it the committed corpus is left alone.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"

merge=0
if [ "${1:-}" = "--merge" ]; then
  merge=1
  shift
fi
seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  # The list of fuzz/targets.cmake, the archive library's target when it is there.
  mapfile -t targets < <(sed -n '/^set(QM_FUZZ_TARGETS/,/^)/{/^  [a-z_]*$/s/^  //p}' "$root/fuzz/targets.cmake")
  [ -f "$root/fuzz/qvx_archive.cmake" ] && targets+=(qvx_archive)
fi

if [ ! -f "$build/build.ninja" ]; then
  bash "$root/scripts/build.sh" || exit 1
fi
cmake --build "$build" --target fuzz_targets >/dev/null || {
  echo "fuzz: building the fuzz targets failed (cmake --build $build --target fuzz_targets)" >&2
  exit 1
}

failed=0
for target in "${targets[@]}"; do
  program="$build/fuzz/${target}_fuzz"
  corpus="$root/fuzz/corpus/$target"
  work="$build/fuzz/runs/$target"
  if [ ! -x "$program" ] || [ ! -d "$corpus" ]; then
    echo "$target: no such fuzz target" >&2
    failed=1
    continue
  fi
  bash "$root/fuzz/run.sh" "$program" "$corpus" "$work" "-max_total_time=$seconds" || failed=1
  if [ $merge -eq 1 ]; then
    "$program" -merge=1 -timeout=30 -rss_limit_mb=2048 "$corpus" "$work/corpus" >"$work/merge.txt" 2>&1 &&
      echo "$target: merged into fuzz/corpus/$target ($(grep -o 'added [0-9]* new units' "$work/merge.txt" | tail -n 1))"
  fi
done
exit $failed
