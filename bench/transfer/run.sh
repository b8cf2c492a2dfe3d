#!/usr/bin/env bash
# Transfer benchmark: lrzsz against lrzsz, tarnex-xfer against rz/rb/rx and
# sz/sb/sx, and tarnex-xfer against itself, for Zmodem, Ymodem and Xmodem 1K;
# for Kermit the same pairings with C-Kermit and with G-Kermit in place of
# lrzsz. C-Kermit wants a terminal for its line: it runs on a pseudo-terminal
# (on-pty.sh) whose other side is the pipe. G-Kermit takes the pipe as it is
# and is given the name to send under (it would send it in upper case). The
# Kermits use the peers' default packet length (4000) and C-Kermit's window
# (30; Tarnex's largest is 27; G-Kermit has none and streams instead).
#   unthrottled: a SIZE_MB random file over a pipe pair, MB/s
#   throttled:   a THROTTLED_KB random file over a line paced to 115200 bit/s
#                8N1 (11520 bytes/s each way), efficiency = bytes/(s*11520)
#   CPU seconds (user + system) of the sending and the receiving program in
#   the unthrottled run, children included.
# Usage: bench/transfer/run.sh [path to tarnex-xfer]
#   env: SIZE_MB (100), THROTTLED_KB (200), PROTOCOLS ("zmodem ymodem xmodem-1k kermit"),
#        MODES ("fast slow")
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
xfer=${1:-$here/../../build/tools/tarnex-xfer/tarnex-xfer}
xfer=$(realpath "$xfer")
size_mb=${SIZE_MB:-100}
slow_kb=${THROTTLED_KB:-200}
protocols=${PROTOCOLS:-zmodem ymodem xmodem-1k kermit}
kermit_options="--kermit-max-len 4000 --kermit-windows 27"
modes=${MODES:-fast slow}
line_rate=11520

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/dst"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/src/fast.bin"
head -c $((slow_kb * 1024)) /dev/urandom > "$work/src/slow.bin"

# The command lines of each side; NAME is the received file's name.
sender() { # impl protocol file
    case "$1/$2" in
    lrzsz/zmodem) echo "sz -q $3" ;;
    lrzsz/ymodem) echo "sb -q $3" ;;
    lrzsz/xmodem-1k) echo "sx -k -q $3" ;;
    ckermit/kermit) echo "$here/on-pty.sh kermit -Y -q -i -s $3" ;;
    gkermit/kermit) echo "gkermit -q -i -P -a $(basename "$3") -s $3" ;;
    tarnex/kermit) echo "$xfer send --protocol kermit $kermit_options $3" ;;
    tarnex/*) echo "$xfer send --protocol $2 $3" ;;
    esac
}
receiver() { # impl protocol name
    case "$1/$2" in
    lrzsz/zmodem) echo "rz -q -y" ;;
    lrzsz/ymodem) echo "rb -q -y" ;;
    lrzsz/xmodem-1k) echo "rx -q $3" ;;
    ckermit/kermit) echo "$here/on-pty.sh kermit -Y -q -r" ;;
    gkermit/kermit) echo "gkermit -q -r" ;;
    tarnex/kermit) echo "$xfer receive --protocol kermit $kermit_options" ;;
    tarnex/xmodem-1k) echo "$xfer receive --protocol $2 --file $3" ;;
    tarnex/*) echo "$xfer receive --protocol $2" ;;
    esac
}

# Runs a command, writing its user + system CPU seconds to a file.
timed() { # file command...
    local out=$1
    shift
    /usr/bin/time -f "%U %S" -o "$out" "$@"
}
cpu_of() { # file
    awk 'END {printf "%.2f", $1 + $2}' "$1" 2>/dev/null || echo "-"
}

# One run: prints seconds, checks the received bytes. Each side opens its
# writing end first so the named pipes cannot block one another.
run_one() { # sender-impl receiver-impl protocol file paced
    local from=$1 to=$2 protocol=$3 file=$4 paced=$5
    local name; name=$(basename "$file")
    rm -f "$work"/dst/* "$work"/p_* "$work"/cpu_*
    mkfifo "$work/p_fwd" "$work/p_back" "$work/p_fwd_raw" "$work/p_back_raw"
    local send_cmd recv_cmd
    send_cmd=$(sender "$from" "$protocol" "$file")
    recv_cmd=$(receiver "$to" "$protocol" "$name")
    local start end
    start=$(date +%s.%N)
    if [ "$paced" = yes ]; then
        python3 "$here/pace.py" $line_rate < "$work/p_fwd_raw" > "$work/p_fwd" &
        python3 "$here/pace.py" $line_rate < "$work/p_back_raw" > "$work/p_back" &
        (cd "$work/dst" && $recv_cmd < "$work/p_fwd" > "$work/p_back_raw" 2>/dev/null) &
        $send_cmd > "$work/p_fwd_raw" < "$work/p_back" 2>/dev/null || true
    else
        (cd "$work/dst" && timed "$work/cpu_recv" $recv_cmd < "$work/p_fwd" > "$work/p_back" 2>/dev/null) &
        timed "$work/cpu_send" $send_cmd > "$work/p_fwd" < "$work/p_back" 2>/dev/null || true
    fi
    wait || true
    end=$(date +%s.%N)
    local bytes; bytes=$(stat -c %s "$file")
    if ! cmp -s -n "$bytes" "$file" "$work/dst/$name"; then
        echo "FAILED"
        return
    fi
    echo "$start $end" | awk '{printf "%.3f", $2 - $1}'
}

printf "%-10s %-22s %14s %10s %10s %14s\n" protocol pairing "MB/s" "send cpu" "recv cpu" "efficiency"
for protocol in $protocols; do
    # Each peer against itself and against us both ways, then us against us.
    pairs=""
    peers=lrzsz
    [ "$protocol" = kermit ] && peers="ckermit gkermit"
    for peer in $peers; do
        pairs="$pairs $peer:$peer tarnex:$peer $peer:tarnex"
    done
    for pair in $pairs tarnex:tarnex; do
        from=${pair%%:*}
        to=${pair##*:}
        fast="-"
        slow="-"
        send_cpu="-"
        recv_cpu="-"
        if [[ " $modes " == *" fast "* ]]; then
            secs=$(run_one "$from" "$to" "$protocol" "$work/src/fast.bin" no)
            [ "$secs" = FAILED ] && fast=FAILED || fast=$(awk -v s="$secs" -v m="$size_mb" 'BEGIN {printf "%.1f", m * 1.048576 / s}')
            send_cpu=$(cpu_of "$work/cpu_send")
            recv_cpu=$(cpu_of "$work/cpu_recv")
        fi
        if [[ " $modes " == *" slow "* ]]; then
            secs=$(run_one "$from" "$to" "$protocol" "$work/src/slow.bin" yes)
            [ "$secs" = FAILED ] && slow=FAILED || slow=$(awk -v s="$secs" -v k="$slow_kb" -v r=$line_rate 'BEGIN {printf "%.1f%%", 100 * k * 1024 / (s * r)}')
        fi
        printf "%-10s %-22s %14s %10s %10s %14s\n" "$protocol" "$from -> $to" "$fast" "$send_cpu" "$recv_cpu" "$slow"
    done
done
