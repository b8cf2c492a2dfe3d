#!/usr/bin/env bash
# Runs COMMAND with a pseudo-terminal as its controlling terminal, standard
# input and output, joined to this script's standard input and output: for
# programs that want a terminal for their line (C-Kermit in remote mode).
# Usage: on-pty.sh COMMAND [ARGUMENT...] (no argument may contain a comma,
# colon or space)
exec socat STDIO "EXEC:$*,pty,raw,echo=0,setsid,ctty"
