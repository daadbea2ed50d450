#!/usr/bin/env python3
"""Writes the largest input read-KVB accepts: three component files
KVB-N00.txt, KVB-N90.txt, KVB-UP.txt, each 42 header records (the title on
record 6) and 4125 data records of eight 10-column fields, LF line ends.

The samples are a made-up accelerogram in cm/s/s: Gaussian noise through a
band-pass filter under a rise-and-decay envelope, a few hundred cm/s/s at the
peak. Fields are "  -12.3456" style with 4 decimals; about one in 300 large
values is written in exponent form ("1.2346E+01", "-1.235E+01"). The same
seed gives the same bytes on every run.

Two kinds of value are kept out on purpose, so that a plain printf("%10.3f")
writer gives the same CSV as read-KVB: negative values that round to -0.000
(printf keeps the minus sign, the F editing drops it) and values whose float
lies exactly halfway between two 3-decimal results (odd multiples of 1/16,
where the half rounding is the platform's choice).

usage: make_max_input.py OUTDIR [--records N] [--seed S]
"""

import argparse
import math
import os
import random

HEADER_RECORDS = 42
TITLE_RECORD = 6
FIELDS_PER_RECORD = 8
DT = 0.005

# (file name, component label, peak in cm/s/s, seed offset)
COMPONENTS = (
    ("KVB-N00.txt", "N00", 312.0, 0),
    ("KVB-N90.txt", "N90", 268.0, 1),
    ("KVB-UP.txt", "UP", 141.0, 2),
)


def band_pass(samples, f0, q):
    """Second-order band-pass (constant peak gain) at f0 Hz, sampled at 1/DT."""
    w0 = 2.0 * math.pi * f0 * DT
    alpha = math.sin(w0) / (2.0 * q)
    a0 = 1.0 + alpha
    b0, b2 = alpha / a0, -alpha / a0
    a1, a2 = -2.0 * math.cos(w0) / a0, (1.0 - alpha) / a0
    out = []
    x1 = x2 = y1 = y2 = 0.0
    for x in samples:
        y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2
        out.append(y)
        x2, x1 = x1, x
        y2, y1 = y1, y
    return out


def envelope(t, rise=6.0, strong=14.0, decay=0.045):
    """Quadratic rise, strong-motion plateau, then exponential decay."""
    if t < rise:
        return (t / rise) ** 2
    if t < strong:
        return 1.0
    return math.exp(-decay * (t - strong))


def samples_in_ten_thousandths(n, peak, rng):
    """n samples as integers in units of 0.0001 cm/s/s."""
    noise = [rng.gauss(0.0, 1.0) for _ in range(n)]
    # Two bands: a 6 Hz band under the early envelope and a 1.2 Hz band (from
    # the noise run backwards, so the two are unrelated) under a later one.
    high = band_pass(noise, 6.0, 1.2)
    low = band_pass(band_pass(noise[::-1], 1.2, 0.9), 1.2, 0.9)
    signal = []
    for i in range(n):
        t = i * DT
        v = high[i] * envelope(t) + 0.8 * low[i] * envelope(t, 10.0, 22.0, 0.03)
        signal.append(v)
    scale = peak / max(abs(v) for v in signal)
    out = []
    for v in signal:
        k = round(v * scale * 10000.0)
        if -5 < k < 0:
            k = -k  # would print as -0.000 with printf
        if abs(k) % 1250 == 625:
            k += 1  # float would be an exact half at the third decimal
        out.append(k)
    return out


def fixed_field(k):
    """A value of k ten-thousandths as a 10-column field with 4 decimals."""
    sign = "-" if k < 0 else ""
    m = abs(k)
    text = "%s%d.%04d" % (sign, m // 10000, m % 10000)
    assert len(text) <= 10
    return text.rjust(10)


def exponent_field(k):
    """The same value in exponent form, 5 significant digits, 10 columns."""
    v = k / 10000.0
    text = ("%.4E" % v) if v >= 0 else ("%.3E" % v)
    assert len(text) == 10
    return text


def header(label, n_samples, peak):
    """42 header records; the program only echoes record 6."""
    lines = [
        "Corrected accelerogram                 KVB synthetic record, generated data",
        "Benchmark input: not a recording of any earthquake",
        "Station No. 00000   Lat 00.000N  Long 000.000E   KVB test site",
        "Component %-3s   Instrument: none (generated)   Processed by make_max_input.py" % label,
        "Record length %9.3f sec, %d points at %5.3f sec" % (n_samples * DT, n_samples, DT),
        "KVB-%-3s  synthetic strong motion, component %-3s, acceleration in cm/s/s" % (label, label),
        "Band-limited noise under a rise-and-decay envelope, peak %.1f cm/s/s" % peak,
    ]
    ints = [n_samples, 8, 10, 4, 42, 0, 0, 0, 2021, 4, 26, 0, 0, 0, 0, 0]
    while ints:
        lines.append("".join("%5d" % v for v in ints[:16]))
        ints = ints[16:]
    reals = [DT, peak, 0.1, 25.0, 0.0, 0.0, 0.0, 0.0]
    lines.append("".join("%10.3f" % v for v in reals))
    while len(lines) < HEADER_RECORDS - 1:
        lines.append("Header record %2d: reserved" % (len(lines) + 1))
    lines.append(
        "%6d points of accel data equally spaced at %5.3f sec, in cm/sec/sec. (8f10.4)"
        % (n_samples, DT))
    assert len(lines) == HEADER_RECORDS
    return lines


def write_component(path, label, peak, records, rng):
    n = records * FIELDS_PER_RECORD
    values = samples_in_ten_thousandths(n, peak, rng)
    peak_written = max(abs(k) for k in values) / 10000.0
    lines = header(label, n, peak_written)
    for r in range(records):
        fields = []
        for k in values[r * FIELDS_PER_RECORD:(r + 1) * FIELDS_PER_RECORD]:
            if abs(k) >= 100000 and rng.random() < 1.0 / 300.0:
                fields.append(exponent_field(k))
            else:
                fields.append(fixed_field(k))
        lines.append("".join(fields))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--records", type=int, default=4125,
                        help="data records per component file (default 4125, the most)")
    parser.add_argument("--seed", type=int, default=20210426)
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    for name, label, peak, offset in COMPONENTS:
        rng = random.Random(args.seed + offset)
        write_component(os.path.join(args.outdir, name), label, peak, args.records, rng)


if __name__ == "__main__":
    main()
