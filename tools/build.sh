#!/bin/sh
# Configures (once) and builds everything into build/ (or $NIMBO_BUILD_DIR).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBO_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64-toolchain.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" "$@"
