#!/usr/bin/env bash
# Start-up time of tarnex against the smallest Qt Widgets program with one
# window, both built in build/ (configure with -DTARNEX_BENCH=ON): the median
# of RUNS runs each, in milliseconds from process start to the end of the
# deferred start-up, and the ratio. Runs on $DISPLAY, or on a private Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${TARNEX_BUILD:-$here/build}
runs=${RUNS:-10}
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :93 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb' EXIT
    export DISPLAY=:93
    sleep 1
fi
home=$(mktemp -d)
trap 'rm -rf "$home"; [ -n "${xvfb:-}" ] && kill $xvfb' EXIT
export TARNEX_HOME=$home/data TARNEX_CONFIG_HOME=$home/config
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
measure() {
    for _ in $(seq "$runs"); do "$@" 2>/dev/null | awk '/^startup-ms/ {print $2}'; done | median
}
tarnex_ms=$(measure "$build/shell/tarnex" --measure-startup)
minimal_ms=$(measure "$build/bench/startup/minimal_window")
echo "tarnex          startup-ms $tarnex_ms"
echo "minimal window  startup-ms $minimal_ms"
awk -v a="$tarnex_ms" -v b="$minimal_ms" 'BEGIN {printf "ratio           %.2f\n", a / b}'
