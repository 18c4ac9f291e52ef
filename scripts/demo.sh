#!/usr/bin/env bash
# The main job, end to end: builds the engine, makes a product's setup.exe the
# way a build does (engine + appended package, CR LF lines), runs it silently
# under Wine and says what happened, shows the bare engine refusing to run,
# and prints what the engine reads from setup.exe.
#
#   scripts/demo.sh          (QM_BUILD_DIR chooses the build folder; default build/)
#
# Exits 0 when the setup and the bare engine end with the expected codes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
export QM_BUILD_DIR="$build"
package="$root/samples/demo/package.txt"
out="$root/out/demo"
setup="$out/setup.exe"

bash "$root/scripts/setup-machine.sh"
bash "$root/scripts/build.sh"

engine="$build/bin/quillmore.exe"
dump="$build/bin/package_dump.exe"
for program in "$engine" "$dump"; do
  if [ ! -f "$program" ]; then
    echo "demo: $program was not built" >&2
    exit 1
  fi
done

# setup.exe = the engine followed by the package. The sample is kept with LF
# line ends; the package format has CR LF.
mkdir -p "$out"
cp "$engine" "$setup"
sed 's/\r*$/\r/' "$package" >>"$setup"
# The product's installer database travels beside the setup.
(cd "$root/samples/demo" && wixl -o "$out/setup.msi" product.wxs)
echo
echo "== Built $setup and setup.msi"
echo "   engine  $(stat -c %s "$engine") bytes + package $(($(stat -c %s "$setup") - $(stat -c %s "$engine"))) bytes"

# shellcheck source=wine-bench.sh
source "$root/scripts/wine-bench.sh"
bench_start "$build"
trap bench_stop EXIT

meaning() {
  case "$1" in
    0) echo "the script ran to its end" ;;
    11) echo "start-up failure: the appended package is damaged" ;;
    13) echo "nothing appended: \"For internal use only\"" ;;
    16) echo "the installer database is missing" ;;
    58) echo "the validator refused the script (314, seen through Wine's 8 bits)" ;;
    *) echo "unexpected" ;;
  esac
}

# Runs a Windows program of the build and leaves its exit code (8 bits
# through Wine) in $exit_code.
run_windows() {
  set +e
  "$build/wine-run.sh" "$@"
  exit_code=$?
  set -e
}

failures=0

echo
echo "== setup.exe /s /l=trace.log INSTALLTYPE=Custom  (silent, with a trace and a command-line value)"
trace="$out/trace.log"
rm -f "$trace"
run_windows "$setup" /s "/l=$(winepath -w "$trace" 2>/dev/null)" INSTALLTYPE=Custom
setup_code=$exit_code
echo "   exit code $setup_code: $(meaning "$setup_code")"
[ "$setup_code" -eq 0 ] || failures=$((failures + 1))
if [ -f "$trace" ]; then
  echo "   trace file (UTF-16LE):"
  iconv -f UTF-16LE -t UTF-8 "$trace" | tr -d '\r' | sed 's/^/     /'
else
  echo "   no trace file was written"
  failures=$((failures + 1))
fi

echo
echo "== quillmore.exe /s  (the bare engine, nothing appended)"
run_windows "$engine" /s
bare_code=$exit_code
echo "   exit code $bare_code: $(meaning "$bare_code")"
[ "$bare_code" -eq 13 ] || failures=$((failures + 1))

echo
echo "== package_dump setup.exe  (what the engine reads)"
windows_setup=$(winepath -w "$setup" 2>/dev/null)
set +e
listing=$("$build/wine-run.sh" "$dump" "$windows_setup" 2>&1)
dump_code=$?
set -e
printf '%s\n' "$listing" | tr -d '\r'
[ "$dump_code" -eq 0 ] || { echo "   package_dump ended with exit code $dump_code"; failures=$((failures + 1)); }

echo
if [ "$failures" -eq 0 ]; then
  echo "demo: done: setup.exe ran its script (exit 0), the bare engine refused with exit 13."
else
  echo "demo: $failures step(s) did not end as expected" >&2
  exit 1
fi
