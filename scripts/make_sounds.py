#!/usr/bin/env python3
"""Writes the program's two short sounds (mono, 22,050 Hz, 16-bit PCM WAV) into resources/sounds/.

click.wav  - a soft wooden click played when the navigation bar is laid out again.
delete.wav - a short falling tone played when something is deleted.
Run it again after changing a sound; the WAV files are committed.
"""
import math
import os
import struct
import wave

RATE = 22050
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "sounds")


def write(name, samples):
    path = os.path.join(OUT, name)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s)))) for s in samples))


def click(seconds=0.29):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        env = math.exp(-t * 38.0)
        body = math.sin(2 * math.pi * 1750 * t) * 0.6 + math.sin(2 * math.pi * 3100 * t) * 0.25
        thump = math.sin(2 * math.pi * 180 * t) * math.exp(-t * 60.0) * 0.5
        out.append((body * env + thump) * 9000)
    return out


def falling(seconds=0.35):
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        freq = 900 - 1400 * t
        phase += 2 * math.pi * freq / RATE
        env = min(1.0, t * 200) * math.exp(-t * 7.0)
        out.append(math.sin(phase) * env * 8000)
    return out


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write("click.wav", click())
    write("delete.wav", falling())
