#!/usr/bin/env bash
# Re-records the vttest fixtures of this folder: menus 1 (cursor movements),
# 2 (screen features), 3 (character sets), 6 (terminal reports) and
# 8 (VT102 insert/delete), answered as VT100 and as VT220.
# usage: record-all.sh PATH/TO/tarnex-screen
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
r() { local n=$1; shift; printf '\\r %.0s' $(seq 1 "$n"); }
rec() { python3 "$here/record.py" "$tool" "$@"; }
for emu in vt100 vt220; do
    rec "$emu" "$here/menu1-$emu" '1\r' $(r 10) '0\r'
    rec "$emu" "$here/menu2-$emu" '2\r' $(r 16) '0\r'
    rec "$emu" "$here/menu8-$emu" '8\r' $(r 14) '0\r'
done
rec vt100 "$here/menu3-vt100" '3\r' '\r' '0\r'
rec vt220 "$here/menu3-vt220" '3\r' '8\r' '\r' '9\r' '\r' '10\r' $(r 4) '11\r' $(r 4) '0\r' '0\r'
rec vt100 "$here/menu6-vt100" '6\r' '1\r' '\r' '2\r' $(r 3) '3\r' '\r' '4\r' '\r' '7\r' '\r' '0\r' '0\r'
rec vt220 "$here/menu6-vt220" '6\r' '1\r' '\r' '2\r' $(r 3) '3\r' '\r' '4\r' '\r' '5\r' '\r' '7\r' '\r' '0\r' '0\r'
