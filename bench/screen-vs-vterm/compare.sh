#!/usr/bin/env bash
# Throughput of tarnex-screen and libvterm on the same mixed stream.
# usage: compare.sh BUILD_DIR [MEGABYTES] [TIMES]   (BUILD_DIR configured with -DTARNEX_BENCH=ON)
set -euo pipefail
build=$1
mb=${2:-12}
times=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
stream=$(mktemp --suffix=.ans)
trap 'rm -f "$stream"' EXIT
python3 "$here/make_stream.py" "$stream" "$mb"
echo "stream: $(stat -c %s "$stream") bytes, fed $times times"
for emu in vt100 ansi; do
    echo "tarnex-screen --emulation $emu: $("$build/tools/tarnex-screen/tarnex-screen" --emulation $emu --bench "$times" "$stream")"
done
echo "libvterm 0.1.4:           $("$build/bench/screen-vs-vterm/vterm-feed" "$stream" "$times")"
