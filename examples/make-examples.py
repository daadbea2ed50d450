#!/usr/bin/env python3
"""Writes the example component files KVB-N00.txt, KVB-N90.txt, KVB-UP.txt.

A synthetic three-component accelerogram (cm/s/s, 0.005 s sampling): band-limited
noise under a build-up/decay envelope, a little weaker vertically. Each file has
42 header records (the title on record 6), then data records of eight 10-column
fields; a few fields are written in exponent form, as some agencies do.
Deterministic: the same files every time.

    python3 examples/make-examples.py [DIR]     (default: the folder of this script)
"""
import math
import os
import random
import sys

RECORDS = 400          # data records per file: 3200 samples, 16 s
DT = 0.005
COMPONENTS = [         # file name, orientation, peak acceleration in cm/s/s
    ("KVB-N00.txt", "360 DEG", 312.0),
    ("KVB-N90.txt", "90 DEG", 268.0),
    ("KVB-UP.txt", "UP", 141.0),
]


def signal(rng, peak, n):
    """Sum of damped sinusoids at random frequencies under an envelope."""
    waves = [(rng.uniform(0.8, 12.0), rng.uniform(0, 2 * math.pi), rng.uniform(0.3, 1.0))
             for _ in range(24)]
    values = []
    for k in range(n):
        t = k * DT
        envelope = (t / 2.5) ** 2 * math.exp(2.0 * (1.0 - t / 2.5)) if t > 0 else 0.0
        s = sum(a * math.sin(2 * math.pi * f * t + p) for f, p, a in waves)
        values.append(s * envelope)
    scale = peak / max(abs(v) for v in values)
    return [v * scale for v in values]


def field(value, rng):
    """One 10-column field: fixed point mostly, now and then exponent form."""
    if rng.random() < 0.02:
        return f"{value:10.3E}"
    return f"{value:10.4f}"


def header(name, orientation, title):
    lines = [
        "CORRECTED ACCELEROGRAM DATA (SYNTHETIC EXAMPLE)",
        "EXAMPLE EARTHQUAKE  DEC 8, 2026  00:00 UTC",
        "HYPOCENTER: 35.000N, 120.000W  H=10KM   ML=5.5",
        "STATION NO. 00000  EXAMPLE STATION, 35.100N, 120.100W",
        f"COMPONENT: {orientation}   FILE {name}",
        title,
    ]
    for k in range(7, 42):
        lines.append(f"HEADER RECORD {k:2d}: INSTRUMENT AND PROCESSING NOTES")
    lines.append(f"{RECORDS * 8} POINTS OF ACCEL DATA EQUALLY SPACED AT .005 SEC, IN CM/SEC/SEC. (8E10.4)")
    return lines


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    rng = random.Random(20261208)
    for name, orientation, peak in COMPONENTS:
        values = signal(rng, peak, RECORDS * 8)
        title = f"EXAMPLE STATION  COMP {orientation:<8s} PEAK ACCEL {peak:6.1f} CM/SEC/SEC"
        lines = header(name, orientation, title)
        for r in range(RECORDS):
            lines.append("".join(field(v, rng) for v in values[8 * r:8 * r + 8]))
        with open(os.path.join(out, name), "w", newline="\n") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
