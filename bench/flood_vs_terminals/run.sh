#!/usr/bin/env bash
# MB/s of Tarnex against xterm, stterm and alacritty showing the same mixed ANSI flood file
# (MEGABYTES, default 100) on one private Xvfb, one after the other, with the longest gap between
# paints on the screen during each flood and the load average. Needs build/ configured with
# -DTARNEX_BENCH=ON (make_flood, paint_gaps, tarnex). Installs nothing; a missing terminal is
# named with the apt-get line and left out.
#
# Each terminal runs `cat FILE` and is timed from the first byte to the end of cat. Tarnex opens one
# end of a socat pty pair as its line and FILE is written into the other end. A pty blocks its
# writer while the reader lags, so the writer finishes when the reader has consumed all but the
# last pty and socat buffers (tens of kilobytes): the end of cat is the end of reading.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${TARNEX_BUILD:-$here/build}
megabytes=${MEGABYTES:-100}
display=${FLOOD_DISPLAY:-:84}
scratch=$(mktemp -d /tmp/flood.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT

missing=()
for program in xterm stterm alacritty; do
    command -v "$program" >/dev/null || missing+=("$program")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "not installed: ${missing[*]} (sudo apt-get install -y ${missing[*]})"
fi

file=$scratch/flood.ans
bytes=$("$build/bench/flood_vs_terminals/make_flood" "$file" "$megabytes")

Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

now() { date +%s%N; }
watch_paints() {
    "$build/bench/flood_vs_terminals/paint_gaps" >"$scratch/gaps" &
    watcher=$!
    until grep -q ready "$scratch/gaps" 2>/dev/null; do sleep 0.01; done
}
report() { # name start-ns end-ns
    kill -INT "$watcher"
    wait "$watcher" || true
    local paints gap
    read -r _ paints _ gap < <(tail -n 1 "$scratch/gaps")
    awk -v n="$1" -v b="$bytes" -v s="$2" -v e="$3" -v p="$paints" -v g="$gap" 'BEGIN {
        t = (e - s) / 1e9
        printf "%-10s %6.1f MB/s  %7.2f s  %6d paints  longest paint gap %5d ms\n", n, b / 1e6 / t, t, p, g
    }'
}

# Each terminal gets Tarnex's 80x24 page, so all show the same screens.
# The terminal starts, settles for a second, then cat runs inside it between two time stamps.
run_terminal() { # name command...
    local name=$1
    shift
    rm -f "$scratch/start" "$scratch/end"
    "$@" sh -c "sleep 1; date +%s%N >$scratch/start; cat $file; date +%s%N >$scratch/end; sleep 60" \
        >"$scratch/$name.log" 2>&1 &
    local terminal=$!
    pids+=("$terminal")
    until [ -s "$scratch/start" ]; do
        if ! kill -0 "$terminal" 2>/dev/null; then
            echo "$name     did not run: $(tail -n 3 "$scratch/$name.log" | tr '\n' ' ')"
            return
        fi
        sleep 0.01
    done
    watch_paints
    until [ -s "$scratch/end" ]; do
        if ! kill -0 "$terminal" 2>/dev/null; then
            kill -INT "$watcher"
            echo "$name     stopped before the end of the flood"
            return
        fi
        sleep 0.05
    done
    report "$name" "$(cat "$scratch/start")" "$(cat "$scratch/end")"
    kill "$terminal" 2>/dev/null || true
    wait "$terminal" 2>/dev/null || true
}

# Tarnex sends typed keys to its line: the time from a key pressed with xdotool to its byte at the
# far end of the pty pair, during the flood and idle. Prints "keys longest-ms".
key_latency() { # writer-pty until-file fewest-keys
    local keys=0 longest=0 start took
    while [ "$keys" -lt "$3" ] || [ ! -e "$2" ]; do
        start=$(now)
        xdotool key x
        timeout 10 head -c 1 <"$1" >/dev/null
        took=$((($(now) - start) / 1000000))
        [ "$took" -gt "$longest" ] && longest=$took
        keys=$((keys + 1))
    done
    echo "$keys $longest"
}

run_tarnex() {
    socat -d -d pty,raw,echo=0 pty,raw,echo=0 2>"$scratch/socat.log" &
    pids+=($!)
    until [ "$(grep -c 'PTY is' "$scratch/socat.log" 2>/dev/null)" = 2 ]; do sleep 0.05; done
    local line writer
    line=$(grep -o '/dev/pts/[0-9]*' "$scratch/socat.log" | sed -n 1p)
    writer=$(grep -o '/dev/pts/[0-9]*' "$scratch/socat.log" | sed -n 2p)
    TARNEX_HOME=$scratch/home TARNEX_CONFIG_HOME=$scratch/config \
        "$build/shell/tarnex" -OPEN "$line" 115200 >"$scratch/tarnex.log" 2>&1 &
    local tarnex=$!
    pids+=("$tarnex")
    xdotool windowfocus --sync "$(xdotool search --sync --onlyvisible --pid "$tarnex" | head -n 1)"
    sleep 1
    touch "$scratch/idle"
    read -r _ idle_longest < <(key_latency "$writer" "$scratch/idle" 5)
    watch_paints
    local start end
    key_latency "$writer" "$scratch/flooded" 1 >"$scratch/keys" &
    local typist=$!
    start=$(now)
    cat "$file" >"$writer"
    end=$(now)
    touch "$scratch/flooded"
    wait "$typist"
    report tarnex "$start" "$end"
    read -r keys longest <"$scratch/keys"
    echo "           typed key to line: longest $longest ms of $keys keys in the flood," \
        "$idle_longest ms idle (xdotool and head start-up included)"
    kill "$tarnex"
}

echo "flood $bytes bytes, display $display, $(nproc) cores"
echo "load before: $(uptime | sed 's/.*load average: //')"
run_tarnex
command -v xterm >/dev/null && run_terminal xterm xterm -geometry 80x24 -e
command -v stterm >/dev/null && run_terminal stterm stterm -g 80x24 -e
command -v alacritty >/dev/null && LIBGL_ALWAYS_SOFTWARE=1 run_terminal alacritty \
    alacritty -o window.dimensions.columns=80 -o window.dimensions.lines=24 -e
echo "load after:  $(uptime | sed 's/.*load average: //')"
