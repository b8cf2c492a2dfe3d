#!/usr/bin/env bash
# Writes NAME.screens for every recorded NAME.bin: the screen tarnex-screen
# shows at each point where a key was typed (see NAME.steps). Review the
# result against what vttest asks for on each screen before committing it.
# usage: make-screens.sh PATH/TO/tarnex-screen
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
for bin in "$here"/*.bin; do
    name=${bin%.bin}
    emu=${name##*-}
    n=0
    while read -r offset key; do
        n=$((n + 1))
        echo "=== step $n"
        head -c "$offset" "$bin" | "$tool" --emulation "$emu"
    done < "$name.steps" > "$name.screens"
done
