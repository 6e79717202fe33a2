#!/usr/bin/env python3
"""Writes the players' firework sound: a RIFF WAVE file of 23,584 bytes (PCM, one channel,
8 bits, 11,025 samples a second, 23,540 sample bytes): a rising hiss, a bang and crackles.

    python3 scripts/make_firework_sound.py app/output/players/fireworks/firework.wav
"""
import math
import random
import struct
import sys

RATE = 11025
SAMPLES = 23540


def sample(i, rng, crackles):
    t = i / RATE
    value = 0.0
    if t < 0.35:  # the rocket's hiss, louder as it rises
        value += rng.uniform(-1, 1) * 0.25 * (t / 0.35)
    elif t < 0.40:
        value += rng.uniform(-1, 1) * 0.25 * (0.40 - t) / 0.05
    if t >= 0.40:  # the bang: noise and a low thump, dying away
        since = t - 0.40
        value += rng.uniform(-1, 1) * 0.9 * math.exp(-since * 6)
        value += 0.6 * math.sin(2 * math.pi * 55 * since) * math.exp(-since * 10)
    for start in crackles:  # short clicks of the sparks
        if 0 <= t - start < 0.012:
            value += rng.uniform(-1, 1) * 0.5 * (1 - (t - start) / 0.012)
    return max(0, min(255, int(round(128 + 127 * max(-1.0, min(1.0, value))))))


def main(path):
    rng = random.Random(1999)
    crackles = sorted(0.75 + rng.random() * 1.2 for _ in range(24))
    data = bytes(sample(i, rng, crackles) for i in range(SAMPLES))
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as out:
        out.write(header + data)


if __name__ == "__main__":
    main(sys.argv[1])
