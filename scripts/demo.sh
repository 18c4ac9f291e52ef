#!/usr/bin/env bash
# The main job, end to end: builds the engine and the archive library, turns
# the sample product (samples/demo) into a setup folder with the build tool,
# runs the setup silently under Wine with a trace and a command-line value,
# and says what happened. Then shows the bare engine refusing to run and
# what the engine reads from setup.exe.
#
#   scripts/demo.sh          (QM_BUILD_DIR chooses the build folder; default build/)
#
# Exits 0 when everything ends as expected.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
export QM_BUILD_DIR="$build"
out="$root/out/demo"

bash "$root/scripts/setup-machine.sh"
bash "$root/scripts/build.sh"

echo
echo "== Building the sample product's setup folder with tools/quillmore_build"
rm -rf "$out"
python3 "$root/tools/quillmore_build" "$root/samples/demo" "$out" \
  --engine "$build/bin/quillmore.exe" --qvx "$build/bin/qvx.lib"
echo "   $(cd "$out" && ls | tr '\n' ' ')"

# shellcheck source=wine-bench.sh
source "$root/scripts/wine-bench.sh"
bench_start "$build"
trap bench_stop EXIT

meaning() {
  case "$1" in
    0) echo "the script ran to its end" ;;
    11) echo "start-up failure" ;;
    13) echo "nothing appended: \"For internal use only\"" ;;
    14) echo "the resource archive is missing" ;;
    15) echo "the resource archive cannot be extracted" ;;
    16) echo "the installer database is missing" ;;
    58) echo "the validator refused the script (314, seen through Wine's 8 bits)" ;;
    *) echo "unexpected" ;;
  esac
}

# Runs a Windows program of the build; its exit code (8 bits through Wine) in $exit_code.
run_windows() {
  set +e
  "$build/wine-run.sh" "$@"
  exit_code=$?
  set -e
}

temp_unix=$(winepath -u "$("$build/wine-run.sh" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
support_folders() { { ls -d "$temp_unix"/qvx[0-9]* 2>/dev/null || true; } | wc -l; }

failures=0
echo
echo "== setup.exe /s /l=trace.log INSTALLTYPE=Custom  (silent, with a trace and a command-line value)"
trace="$out/trace.log"
before=$(support_folders)
run_windows "$out/setup.exe" /s "/l=$(winepath -w "$trace" 2>/dev/null)" INSTALLTYPE=Custom
echo "   exit code $exit_code: $(meaning "$exit_code")"
[ "$exit_code" -eq 0 ] || failures=$((failures + 1))
echo "   support folders in the temporary folder: $before before, $(support_folders) after"
[ "$(support_folders)" -eq "$before" ] || failures=$((failures + 1))
if [ -f "$trace" ]; then
  echo "   trace file (UTF-16LE):"
  iconv -f UTF-16LE -t UTF-8 "$trace" | tr -d '\r' | sed 's/^/     /'
else
  echo "   no trace file was written"
  failures=$((failures + 1))
fi

echo
echo "== quillmore.exe /s  (the bare engine, nothing appended)"
run_windows "$build/bin/quillmore.exe" /s
echo "   exit code $exit_code: $(meaning "$exit_code")"
[ "$exit_code" -eq 13 ] || failures=$((failures + 1))

echo
echo "== package_dump setup.exe  (what the engine reads from its own file)"
set +e
listing=$("$build/wine-run.sh" "$build/bin/package_dump.exe" "$(winepath -w "$out/setup.exe" 2>/dev/null)" 2>&1)
dump_code=$?
set -e
printf '%s\n' "$listing" | tr -d '\r'
[ "$dump_code" -eq 0 ] || { echo "   package_dump ended with exit code $dump_code"; failures=$((failures + 1)); }

echo
if [ "$failures" -eq 0 ]; then
  echo "demo: done: the setup ran its script (exit 0) and left no support folder; the bare engine refused with exit 13."
else
  echo "demo: $failures step(s) did not end as expected" >&2
  exit 1
fi
