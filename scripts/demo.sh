#!/usr/bin/env bash
# The main job, end to end: builds the engine and the archive library, turns
# the sample product (samples/demo) into a setup folder with the build tool,
# installs it silently under Wine (with a trace and a command-line value),
# prints what was installed (files, registry value, uninstall entry, engine
# cache), removes it again through its uninstall entry (the cached engine)
# and shows that nothing is left. Then shows the bare engine refusing to run
# and what the engine reads from setup.exe.
#
#   scripts/demo.sh          (QM_BUILD_DIR chooses the build folder; default build/)
#   QM_DEMO_WIZARD=1 scripts/demo.sh
#                            with a display (DISPLAY set): the install runs
#                            through the wizard's pages on that display instead
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
  --engine "$build/bin/quillmore.exe" --qvx "$build/bin/qvx.lib" --actions "$build/bin/quillmore_actions.dll"
echo "   $(cd "$out" && ls | tr '\n' ' ')"

# shellcheck source=wine-bench.sh
source "$root/scripts/wine-bench.sh"
wizard="${QM_DEMO_WIZARD:-0}"
if [ "$wizard" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "demo: QM_DEMO_WIZARD=1 needs a display (DISPLAY is not set)" >&2
  exit 2
fi
user_display="${DISPLAY:-}"
bench_start "$build"
[ "$wizard" = 1 ] && export DISPLAY="$user_display"
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
# Support folders that still hold files (under Wine, Windows Installer's
# custom action process can keep an emptied one until the next restart).
support_folders() { { find "$temp_unix" -maxdepth 2 -path "$temp_unix/qvx[0-9]*/*" 2>/dev/null || true; } | cut -d/ -f1-$(( $(echo "$temp_unix" | tr -cd / | wc -c) + 2 )) | sort -u | wc -l; }

product_code="{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}"
target="C:\\Program Files\\Brennivax\\Sample Product\\"
target_unix=$(winepath -u "$target" 2>/dev/null)

# A registry value as Wine's reg.exe reads it (empty when there is none).
# An empty name reads the key's default value.
registry_value() {
  if [ -z "$2" ]; then
    "$build/wine-run.sh" reg query "$1" /ve "${@:3}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
  else
    "$build/wine-run.sh" reg query "$1" /v "$2" "${@:3}" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
  fi
}
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Sample Product'
installed_state() { registry_value "$uninstall_key" DisplayName; }

show_installed() {
  echo "   installed files under $target:"
  { (cd "$target_unix" 2>/dev/null && find . -type f | sort) || true; } | sed 's/^/     /'
  echo "   registry value InstallFolder: $(registry_value 'HKLM\SOFTWARE\Brennivax\Sample Product' InstallFolder /reg:32)"
  echo "   uninstall entry DisplayName: $(installed_state)"
  echo "   uninstall entry UninstallString: $(registry_value "$uninstall_key" UninstallString)"
  echo "   engine cache (identity cache entry): $(registry_value "HKLM\\SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\$product_code" '')"
}

failures=0
echo
trace="$out/trace.log"
before=$(support_folders)
if [ "$wizard" = 1 ]; then
  echo "== setup.exe /l=trace.log  (through the wizard: please click through its pages)"
  run_windows "$out/setup.exe" "/l=$(winepath -w "$trace" 2>/dev/null)"
else
  echo "== setup.exe /s /l=trace.log INSTALLTYPE=Typical  (silent, with a trace and a command-line value)"
  run_windows "$out/setup.exe" /s "/l=$(winepath -w "$trace" 2>/dev/null)" INSTALLTYPE=Typical
fi
echo "   exit code $exit_code: $(meaning "$exit_code")"
[ "$exit_code" -eq 0 ] || failures=$((failures + 1))
echo "   support folders holding files in the temporary folder: $before before, $(support_folders) after"
[ "$(support_folders)" -eq "$before" ] || failures=$((failures + 1))
if [ -f "$trace" ]; then
  # (Wine's installer writes its own log from the file's start, over the first line.)
  echo "   trace file (UTF-16LE; the apply block and Windows Installer's own log follow), the engine's stages:"
  iconv -c -f UTF-16LE -t UTF-8 "$trace" 2>/dev/null | tr -d '\r' | sed -n '2,$p' | grep -a '^ *</\?[A-Za-z]*>$\|^\*\*\* ' | sed 's/^/     /'
else
  echo "   no trace file was written"
  failures=$((failures + 1))
fi
echo "   the script's report: $(tail -n 1 "$temp_unix/Sample Product setup.txt" 2>/dev/null | tr -d '\r')"
show_installed
[ -f "$target_unix/readme.txt" ] && [ -n "$(installed_state)" ] || failures=$((failures + 1))

echo
uninstall=$(registry_value "$uninstall_key" UninstallString)
echo "== $uninstall /s  (the uninstall entry's own command: the cached engine removes the product)"
if [ -n "$uninstall" ]; then
  cached_engine=$(printf '%s' "$uninstall" | sed 's/^"\([^"]*\)".*/\1/')
  run_windows "$cached_engine" REMOVE=TRUE MODIFY=FALSE /s
  echo "   exit code $exit_code: $(meaning "$exit_code")"
  [ "$exit_code" -eq 0 ] || failures=$((failures + 1))
  echo "   the script's report: $(tail -n 1 "$temp_unix/Sample Product setup.txt" 2>/dev/null | tr -d '\r')"
else
  failures=$((failures + 1))
fi
echo "   what is left:"
show_installed
left=$({ find "$target_unix" -type f 2>/dev/null || true; } | wc -l)
[ "$left" -eq 0 ] && [ -z "$(installed_state)" ] || failures=$((failures + 1))
[ -z "$(registry_value 'HKLM\SOFTWARE\Brennivax\Sample Product' InstallFolder /reg:32)" ] || failures=$((failures + 1))

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
  echo "demo: done: the product was installed and removed again through its uninstall entry, leaving nothing; the bare engine refused with exit 13."
else
  echo "demo: $failures step(s) did not end as expected" >&2
  exit 1
fi
