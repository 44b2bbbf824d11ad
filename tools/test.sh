#!/bin/sh
# Sets the machine up, builds, and runs every test under Wine on a private X display.
# Extra arguments go to ctest (for example -R installer.MemAlloc).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBO_BUILD_DIR:-$root/build}
"$root/tools/bootstrap.sh"
NIMBO_BUILD_DIR=$build "$root/tools/build.sh"
mkdir -p "$build/screenshots"
cd "$build"
status=0
# A failed test runs once more and fails the run only when it fails again; the first failure's output
# stays in the log. Now and then Wine on a busy machine loses a test program before it prints a line.
NIMBO_WINE_RUN="$build/wine-run" "$root/tools/with-display.sh" \
  ctest --output-on-failure --no-tests=error -j2 --repeat until-pass:2 "$@" || status=$?
echo "Screenshots: $build/screenshots"
exit $status
