#!/usr/bin/env bash
# Runs one test executable with private folders so nothing touches the user's files.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarnex-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/config" "$scratch/system" "$scratch/runtime" "$scratch/tmp"
chmod 700 "$scratch/runtime"
export TARNEX_HOME="$scratch/home/"
export TARNEX_CONFIG_HOME="$scratch/config"
export TARNEX_SYSTEM_CONFIG="$scratch/system"
export XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/home"
export HOME="$scratch/home"
export TMPDIR="$scratch/tmp"
export QT_QPA_PLATFORM=offscreen
"$@"
