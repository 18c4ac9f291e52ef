# Sourced by the extraction benchmarks: 7zz's time to extract an archive.
#   best_7zz_ms RUNS ARCHIVE OUTPUT [7zz options...]
# prints the best of RUNS extractions in milliseconds; OUTPUT is emptied
# before each run and removed after.
best_7zz_ms() {
  local runs="$1" archive="$2" output="$3"
  shift 3
  local best="" start end ms
  for _ in $(seq "$runs"); do
    rm -rf "$output"
    start=$(date +%s%N)
    7zz x -y -bd -bso0 -bsp0 "$@" -o"$output" "$archive"
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  rm -rf "$output"
  echo "$best"
}
