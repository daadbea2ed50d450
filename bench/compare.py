#!/usr/bin/env python3
"""Compares read-KVB with the two reference programs on the input in --dir
(the three component files) and prints one table with the targets.

Whole processes are timed in pairs, read-KVB then the reference, so that
a slow spell of the machine hits both sides of a pair; each run gets a
fresh output file (removed before the clock starts) and the output name on
standard input. Instructions are counted once per program under callgrind;
peak resident memory is VmHWM at exit (peak_rss wrapper).

Exit status: 0 when the CSVs agree and every target is met, 1 otherwise.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

LINES = 32992
LINE_BYTES = 41
OUT_NAME = "out.csv"

# Targets for read-KVB on the largest input.
MAX_RATIO_TO_FLOOR = 1.2
MAX_RATIO_TO_NAIVE = 0.6
MAX_INSTRUCTIONS = 12_000_000
MAX_PEAK_RSS_KIB = 4 * 1024


class Program:
    def __init__(self, name, path):
        self.name = name
        self.path = os.path.abspath(path)
        self.walls = []
        self.instructions = None
        self.peak_kib = None


def stdin_file(workdir):
    path = os.path.join(workdir, "answer.txt")
    with open(path, "wb") as f:
        f.write(OUT_NAME.encode() + b"\n")
    return path


def run_once(prog, workdir, answer, argv_prefix=(), stderr=subprocess.DEVNULL):
    """Runs prog in workdir with a fresh output file; returns (seconds, result)."""
    out = os.path.join(workdir, OUT_NAME)
    if os.path.exists(out):
        os.remove(out)
    with open(answer, "rb") as stdin:
        start = time.perf_counter()
        result = subprocess.run(list(argv_prefix) + [prog.path], cwd=workdir, stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=stderr)
        seconds = time.perf_counter() - start
    return seconds, result


def produce_csv(prog, workdir, answer):
    """One checked run; returns the CSV bytes, or None with a message printed."""
    _, result = run_once(prog, workdir, answer, stderr=subprocess.PIPE)
    if result.returncode != 0 or result.stderr:
        print("%s: exit status %d, stderr %r" % (prog.name, result.returncode,
                                                 result.stderr[:300]))
        return None
    with open(os.path.join(workdir, OUT_NAME), "rb") as f:
        return f.read()


def first_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    for i, (x, y) in enumerate(zip(la, lb)):
        if x != y:
            return "line %d:\n  %s\n  %s" % (i + 1, x.decode(errors="replace"),
                                             y.decode(errors="replace"))
    return "line counts %d and %d" % (len(la) - 1, len(lb) - 1)


def time_pairs(subject, ref, workdir, answer, pairs, warmup=3):
    for _ in range(warmup):
        run_once(subject, workdir, answer)
        run_once(ref, workdir, answer)
    ratios = []
    for _ in range(pairs):
        a, _ = run_once(subject, workdir, answer)
        b, _ = run_once(ref, workdir, answer)
        subject.walls.append(a)
        ref.walls.append(b)
        ratios.append(a / b)
    return ratios


def count_instructions(prog, workdir, answer, scratch):
    """Total Ir of one whole run under callgrind; keeps the profile file."""
    profile = os.path.join(scratch, "callgrind.%s" % prog.name)
    _, result = run_once(prog, workdir, answer, argv_prefix=(
        "valgrind", "--tool=callgrind", "--callgrind-out-file=" + profile))
    if result.returncode != 0:
        return None, profile
    with open(profile) as f:
        for line in f:
            m = re.match(r"(?:summary|totals): (\d+)", line)
            if m:
                return int(m.group(1)), profile
    return None, profile


def peak_rss(prog, workdir, answer, wrapper, runs=3):
    peaks = []
    for _ in range(runs):
        _, result = run_once(prog, workdir, answer, argv_prefix=(wrapper,),
                             stderr=subprocess.PIPE)
        m = re.search(rb"peak_rss_kib (\d+)", result.stderr)
        if m:
            peaks.append(int(m.group(1)))
    return max(peaks) if peaks else None


def top_functions(profile, count):
    """The functions with the most instructions of their own, as printed by
    callgrind_annotate."""
    try:
        text = subprocess.run(["callgrind_annotate", "--inclusive=no", profile],
                              capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return []
    rows = []
    for line in text.splitlines():
        m = re.match(r"\s*([\d,]+) \(\s*([\d.]+)%\)\s+(\S.*)", line)
        if m and "PROGRAM TOTALS" not in line:
            rows.append("%14s  %5s%%  %s" % (m.group(1), m.group(2), m.group(3)[:90]))
    return rows[:count]


def ms(seconds):
    return "%.2f ms" % (seconds * 1000.0)


def quartiles(values):
    q = statistics.quantiles(values, n=4)
    return q[0], q[2]


def verdict(ok):
    return "PASS" if ok else "FAIL"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", required=True, help="holds the three component files")
    parser.add_argument("--subject", required=True, help="the read-KVB binary")
    parser.add_argument("--floor", required=True)
    parser.add_argument("--naive", required=True)
    parser.add_argument("--peak-rss", required=True, help="the peak_rss wrapper")
    parser.add_argument("--pairs", type=int, default=25)
    parser.add_argument("--top", type=int, default=12,
                        help="read-KVB functions to list by own instructions")
    args = parser.parse_args()

    subject = Program("read-KVB", args.subject)
    floor = Program("floor", args.floor)
    naive = Program("naive", args.naive)
    workdir = os.path.abspath(args.dir)
    wrapper = os.path.abspath(args.peak_rss)
    answer = stdin_file(workdir)
    failed = False

    # The CSVs first: a fast wrong answer is no answer.
    csv_subject = produce_csv(subject, workdir, answer)
    csv_naive = produce_csv(naive, workdir, answer)
    csv_floor = produce_csv(floor, workdir, answer)
    size = LINES * LINE_BYTES
    if csv_subject is None or csv_naive is None or csv_floor is None:
        failed = True
        identical = False
    else:
        identical = csv_subject == csv_naive
        print("CSV: read-KVB %d bytes, naive %d, floor %d (expected %d = %d lines of %d)"
              % (len(csv_subject), len(csv_naive), len(csv_floor), size, LINES, LINE_BYTES))
        if not identical:
            print("CSV differs from naive's at " + first_difference(csv_subject, csv_naive))
        if len(csv_subject) != size or len(csv_floor) != size:
            print("unexpected CSV size")
            failed = True

    ratios_floor = time_pairs(subject, floor, workdir, answer, args.pairs)
    ratios_naive = time_pairs(subject, naive, workdir, answer, args.pairs)

    with tempfile.TemporaryDirectory() as scratch:
        profile_subject = None
        for prog in (subject, floor, naive):
            prog.instructions, profile = count_instructions(prog, workdir, answer, scratch)
            if prog is subject:
                profile_subject = profile
            prog.peak_kib = peak_rss(prog, workdir, answer, wrapper)
        top = top_functions(profile_subject, args.top)
    os.remove(answer)
    if os.path.exists(os.path.join(workdir, OUT_NAME)):
        os.remove(os.path.join(workdir, OUT_NAME))

    print()
    print("%-9s %12s %22s %15s %13s" % ("program", "median wall", "interquartile range",
                                       "instructions", "peak RSS"))
    for prog in (subject, floor, naive):
        lo, hi = quartiles(prog.walls)
        ins = "%.1f M" % (prog.instructions / 1e6) if prog.instructions else "?"
        rss = "%.2f MiB" % (prog.peak_kib / 1024.0) if prog.peak_kib else "?"
        print("%-9s %12s %22s %15s %13s" % (prog.name, ms(statistics.median(prog.walls)),
                                            "%s - %s" % (ms(lo), ms(hi)), ins, rss))
    print("(read-KVB timed %d times, in %d pairs with each reference)"
          % (len(subject.walls), args.pairs))

    r_floor = statistics.median(ratios_floor)
    r_naive = statistics.median(ratios_naive)
    med_floor = statistics.median(subject.walls[:args.pairs]) / statistics.median(floor.walls)
    med_naive = statistics.median(subject.walls[args.pairs:]) / statistics.median(naive.walls)
    checks = [
        ("wall read-KVB / floor", "%.2f (ratio of medians %.2f)" % (r_floor, med_floor),
         "<= %.1f" % MAX_RATIO_TO_FLOOR, r_floor <= MAX_RATIO_TO_FLOOR),
        ("wall read-KVB / naive", "%.2f (ratio of medians %.2f)" % (r_naive, med_naive),
         "<= %.1f" % MAX_RATIO_TO_NAIVE, r_naive <= MAX_RATIO_TO_NAIVE),
        ("read-KVB instructions",
         "%.1f M" % (subject.instructions / 1e6) if subject.instructions else "?",
         "<= %d M" % (MAX_INSTRUCTIONS // 1_000_000),
         bool(subject.instructions) and subject.instructions <= MAX_INSTRUCTIONS),
        ("read-KVB peak RSS",
         "%.2f MiB" % (subject.peak_kib / 1024.0) if subject.peak_kib else "?",
         "<= %d MiB" % (MAX_PEAK_RSS_KIB // 1024),
         bool(subject.peak_kib) and subject.peak_kib <= MAX_PEAK_RSS_KIB),
        ("CSV identical to naive's", "yes" if identical else "NO", "yes", identical),
    ]
    print()
    print("%-26s %-34s %-9s %s" % ("target", "measured (median of pairs)", "wanted", ""))
    for name, measured, wanted, ok in checks:
        print("%-26s %-34s %-9s %s" % (name, measured, wanted, verdict(ok)))
        failed = failed or not ok

    if top:
        print()
        print("read-KVB, functions by own instructions (callgrind):")
        for row in top:
            print("  " + row)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
