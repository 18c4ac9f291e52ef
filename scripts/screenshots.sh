#!/usr/bin/env bash
# Pictures of the wizard for people to look at: every stock page, a message
# box, the notification-area balloon, the engine's own balloon and the web
# media retry dialogs, plus the control families' test pages, as PNG files in
# build/screenshots/. Builds first, then runs the tests that take the
# pictures under the Wine bench.
#
#   scripts/screenshots.sh   (QM_BUILD_DIR chooses the build folder; default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$root/build}"
export QM_BUILD_DIR="$build"

bash "$root/scripts/setup-machine.sh"
bash "$root/scripts/build.sh" --werror

# shellcheck source=wine-bench.sh
source "$root/scripts/wine-bench.sh"
bench_start "$build"
trap bench_stop EXIT

run() { "$build/wine-run.sh" "$build/bin/$1" "--gtest_filter=$2" --gtest_brief=1; }
run wizard_tests.exe 'StockPages*:PageControl*:FolderControls*:ShellControls*:MediaControls*:HtmlViewer*:DrawnControls*'
run commands_tests.exe 'MessageCommands*'
run platform_tests.exe 'BalloonWindow*'
run media_tests.exe '*RetryDialogTest.ItsTexts*'

echo
echo "Pictures in $build/screenshots:"
ls "$build/screenshots"/*.png | sed "s|^$build/screenshots/|  |"
