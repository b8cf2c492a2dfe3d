#!/usr/bin/env python3
"""Writes a mixed terminal stream: text lines, colour changes, cursor
addressing, erases and scrolling, about as a busy host sends them.
usage: make_stream.py FILE MEGABYTES"""
import random
import sys

rng = random.Random(4)
words = ('login system file transfer modem buffer terminal screen report status '
         'carrier dial host line error ready message').split()
out = bytearray()
limit = int(float(sys.argv[2]) * 1_000_000)
while len(out) < limit:
    kind = rng.random()
    if kind < 0.55:  # a line of text with a few colour changes
        parts = []
        for _ in range(rng.randint(4, 11)):
            if rng.random() < 0.3:
                parts.append('\x1b[%d;%dm' % (rng.choice((0, 1)), rng.randint(30, 37)))
            parts.append(rng.choice(words))
        out += (' '.join(parts)[:200] + '\x1b[0m\r\n').encode()
    elif kind < 0.8:  # cursor addressing and short updates
        out += ('\x1b[%d;%dH%s\x1b[K' % (rng.randint(1, 24), rng.randint(1, 70),
                                         rng.choice(words))).encode()
    elif kind < 0.9:  # scroll region work
        out += b'\x1b[5;20r\x1b[20;1H' + b'\n' * rng.randint(1, 5) + b'\x1b[r'
    else:  # status line in reverse video, saved cursor
        out += ('\x1b7\x1b[24;1H\x1b[7m %-30s \x1b[0m\x1b8' % rng.choice(words)).encode()
with open(sys.argv[1], 'wb') as f:
    f.write(out[:limit])
