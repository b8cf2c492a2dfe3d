#!/usr/bin/env python3
"""Copies standard input to standard output at RATE bytes per second, the way
a serial line of RATE*10 bits/s (8N1) would deliver it."""
import os
import sys
import time

rate = float(sys.argv[1])
tick = 0.005
src, dst = sys.stdin.fileno(), sys.stdout.fileno()
start = time.monotonic()
sent = 0
while True:
    allowed = int((time.monotonic() - start) * rate) - sent
    if allowed <= 0:
        time.sleep(tick)
        continue
    chunk = os.read(src, min(allowed, 4096))
    if not chunk:
        break
    if sent == 0:
        # The line is idle until the first byte: do not bank the wait.
        start = time.monotonic()
        sent = 0
    try:
        os.write(dst, chunk)
    except BrokenPipeError:
        break  # the reader has finished (G-Kermit exits after its last ACK)
    sent += len(chunk)
