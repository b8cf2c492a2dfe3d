#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Tarnex and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup-debian.sh"
bash "$here/scripts/build.sh"
exec "${TARNEX_BUILD:-$here/build}/shell/tarnex" "$@"
