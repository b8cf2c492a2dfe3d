#!/usr/bin/env python3
"""Writes the four event sounds shipped with Tarnex (16-bit PCM, mono, 22050 Hz).

Each is a short run of sine notes with a soft attack and an exponential
decay; run it again to remake extras/sounds/*.wav.
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def note(freq, seconds, volume=0.45, decay=6.0):
    count = int(RATE * seconds)
    attack = int(RATE * 0.005)
    samples = []
    for i in range(count):
        t = i / RATE
        envelope = math.exp(-decay * t) * min(1.0, i / attack if attack else 1.0)
        # A faint octave above gives the tone a bell-like edge.
        value = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)
        samples.append(volume * envelope * value / 1.3)
    return samples


def silence(seconds):
    return [0.0] * int(RATE * seconds)


SOUNDS = {
    # Rising glockenspiel pair: a connection is made.
    "glock.wav": note(1047, 0.12, decay=10) + note(1568, 0.3, decay=9),
    # Falling pair: the connection ends.
    "close.wav": note(784, 0.12, decay=10) + note(523, 0.3, decay=9),
    # Three rising notes: a transfer completed.
    "filedone.wav": note(880, 0.1, decay=14) + note(1109, 0.1, decay=14) + note(1319, 0.25, decay=10),
    # Two low buzzing notes: a transfer failed.
    "fileerror.wav": note(220, 0.15, decay=4) + silence(0.05) + note(220, 0.2, decay=6),
}


def write(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "extras" / "sounds"
    folder.mkdir(parents=True, exist_ok=True)
    for name, samples in SOUNDS.items():
        write(folder / name, samples)


if __name__ == "__main__":
    main()
