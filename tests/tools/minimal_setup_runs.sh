#!/usr/bin/env bash
# The setup folder that the build tool makes of the minimal fixture project
# runs its script to the end under the real engine: exit code 0 and a trace
# that shows the script starting, running to its normal end and the run
# cleaning up. (A run that skipped the script exits 0 too; the trace tells.)
#   minimal_setup_runs.sh WINE_RUN SETUP_FOLDER
set -euo pipefail
wine_run=$1
setup=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trace="$work/trace.log"

# The engine lower-cases the "/l=" value; Wine finds the folders whatever
# their case.
"$wine_run" "$setup/setup.exe" /s "/l=Z:${trace//\//\\}"

python3 - "$trace" <<'CHECK'
import sys
lines = open(sys.argv[1], "rb").read().decode("utf-16-le").split("\r\n")
expected = ["<Quillmore>", "  <RunScript>", "    <CompileScript>", "    </CompileScript>", "    <vrak>",
            "    </vrak>", "    <ExitScript>", "    </ExitScript>", "  </RunScript>", "</Quillmore>"]
position = 0
for line in lines:
    if position < len(expected) and line == expected[position]:
        position += 1
if position < len(expected):
    print(f"the trace lacks {expected[position]!r} (in this order: {expected})", file=sys.stderr)
    print("\n".join(lines), file=sys.stderr)
    sys.exit(1)
print("script ran to its end; trace:", len(lines), "lines")
CHECK
