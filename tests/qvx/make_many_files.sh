#!/usr/bin/env bash
# Makes an archive of 100,000 files of a few bytes in 1,000 folders, for the
# hostile case "many_files" of qvx_archive_test.cpp.
#   make_many_files.sh <7zz> <archive>
# Folder dFFF holds files fNN.txt (FFF 000..999, NN 00..99), each holding the
# text "FFFNN".
set -euo pipefail
sevenzip="$1"
archive="$2"
work=$(mktemp -d "${TMPDIR:-/tmp}/qvx-many.XXXXXX")
trap 'rm -rf "$work"' EXIT
for folder in $(seq -w 0 999); do
  mkdir "$work/d$folder"
  for file in $(seq -w 0 99); do
    printf '%s' "$folder$file" >"$work/d$folder/f$file.txt"
  done
done
rm -f "$archive"
(cd "$work" && "$sevenzip" a -bd -bso0 -bsp0 "$archive" .)
