#!/usr/bin/env python3
"""Records what vttest sends to a terminal, for replay in tests.

Runs vttest on a pseudo-terminal of 24x80, answers its queries with the
replies tarnex-screen gives for the stream so far, and types the keys of a
plan whenever vttest has gone quiet (it is waiting for input then).

Writes NAME.bin (every byte vttest wrote) and NAME.steps (one line per key
typed: the stream offset at which it was typed, then the key as hex).

usage: record.py TARNEX_SCREEN EMULATION NAME KEY...
Keys: text with \\r for RETURN, e.g. 1\\r for menu 1.
"""
import os
import pty
import select
import struct
import subprocess
import sys
import fcntl
import termios
import time

QUIET = 0.6        # seconds of silence that mean vttest waits for a key
LIMIT = 120        # seconds for the whole recording




def main():
    tool, emulation, name = sys.argv[1:4]
    keys = [k.encode().decode('unicode_escape').encode('latin-1') for k in sys.argv[4:]]
    pid, fd = pty.fork()
    if pid == 0:
        os.environ['TERM'] = emulation
        os.execvp('vttest', ['vttest', '24x80.132'])
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack('HHHH', 24, 80, 0, 0))
    stream = bytearray()
    sent_replies = 0
    steps = []
    start = time.time()
    last = time.time()
    tmp = name + '.replies'
    while time.time() - start < LIMIT:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                data = os.read(fd, 65536)
            except OSError:
                break
            if not data:
                break
            stream += data
            last = time.time()
            # Answer any query the new bytes complete.
            subprocess.run([tool, '--emulation', emulation, '--responses', tmp, '-'],
                           input=bytes(stream), stdout=subprocess.DEVNULL, check=True)
            with open(tmp, 'rb') as f:
                all_replies = f.read()
            if len(all_replies) > sent_replies:
                os.write(fd, all_replies[sent_replies:])
                sent_replies = len(all_replies)
            continue
        if time.time() - last >= QUIET:
            if not keys:
                break
            key = keys.pop(0)
            steps.append((len(stream), key))
            os.write(fd, key)
            last = time.time()
    os.remove(tmp) if os.path.exists(tmp) else None
    try:
        os.kill(pid, 9)
    except ProcessLookupError:
        pass
    os.waitpid(pid, 0)
    with open(name + '.bin', 'wb') as f:
        f.write(stream)
    with open(name + '.steps', 'w') as f:
        for offset, key in steps:
            f.write('%d %s\n' % (offset, key.hex()))
    if keys:
        sys.exit('vttest stopped with %d keys left' % len(keys))


if __name__ == '__main__':
    main()
