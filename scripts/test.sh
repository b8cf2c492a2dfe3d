#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Tarnex with warnings as errors and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup-debian.sh"
bash "$here/scripts/build.sh" -DTARNEX_WERROR=ON
cd "${TARNEX_BUILD:-$here/build}"
ctest --output-on-failure -j 2 "$@"
