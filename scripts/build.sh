#!/usr/bin/env bash
# Configures and builds Tarnex into build/ (or $TARNEX_BUILD). Extra arguments go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNEX_BUILD:-$here/build}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
