"""kvb-suite's speed: the scaling of 100 records of 121 periods (interpolation
onto the 100 periods of the fit, the factors, the 90 % rule), and the plot of a
suite of 30 records (gnuplot included), alone and as a whole run of the tool.
Synthetic spectra (fixed seed); the median of repeated runs.
Usage: python3 bench/suite_bench.py"""

import contextlib
import importlib.machinery
import importlib.util
import io
import math
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "..", "tools", "kvb-suite")
_loader = importlib.machinery.SourceFileLoader("kvb_suite", TOOL)
ks = importlib.util.module_from_spec(importlib.util.spec_from_loader("kvb_suite", _loader))
_loader.exec_module(ks)

PERIODS = [0.01 * 1000 ** (k / 120) for k in range(121)]  # 0.01 to 10 s
TARGET = ks.asce7(1.0, 0.6, 8).sa


def spectrum(rng):
    """A record's spectrum: the target's shape, bent and roughened, at a random level."""
    level, tilt = math.exp(rng.uniform(-3, 1)), rng.uniform(-0.5, 0.5)
    return [level * TARGET(t) * t ** tilt * math.exp(rng.gauss(0, 0.2)) for t in PERIODS]


def median_ms(work, runs, clock=time.perf_counter):
    times = []
    for _ in range(runs):
        start = clock()
        work()
        times.append(1000 * (clock() - start))
    return statistics.median(times), min(times)


def main():
    # How fast this machine runs Python now: about 12 ms on a quiet current one.
    median, best = median_ms(lambda: sum(range(10 ** 6)), 20)
    print("calibration, sum(range(10**6)): median %.1f ms, best %.1f ms (20 runs; load average %.1f)"
          % (median, best, os.getloadavg()[0]))
    rng = random.Random(31)
    spectra = [(list(PERIODS), spectrum(rng)) for _ in range(100)]  # each record its own list, as read
    median, best = median_ms(lambda: ks.scale(spectra, TARGET, 0.2, 3.0), 200, time.process_time)
    print("scaling 100 records of 121 periods: median %.2f ms, best %.2f ms of processor time (200 runs)" % (median, best))

    folder = tempfile.mkdtemp()
    try:
        for k in range(30):
            record = os.path.join(folder, "R%02d" % k)
            os.makedirs(record)
            with open(os.path.join(record, "spectrum.csv"), "w", encoding="utf-8") as f:
                f.write("period_s,N00_g,N90_g,UP_g,RotD50_g\n" + "".join(
                    "%r,%r,%r,%r,%r\n" % (t, v, v, v, v) for t, v in zip(PERIODS, spectrum(rng))))
        opt = ks.parse_options(["--asce7", "1.0,0.6,8", "--range", "0.2:3", folder])
        records = []
        for name in sorted(os.listdir(folder)):
            records.append(ks.Record(os.path.join(folder, name), name))
            ks.read_spectrum(records[-1], "rotd50")
        suite = ks.scale([(r.periods, r.values) for r in records], TARGET, 0.2, 3.0)
        rows = ks.spectra_rows(records, suite, TARGET)
        with contextlib.redirect_stdout(io.StringIO()):
            median, best = median_ms(lambda: ks.plot(os.path.join(folder, "suite.png"), records, suite, rows, opt, "RotD50"), 10)
        print("the plot of 30 records: median %.0f ms, best %.0f ms (10 runs)" % (median, best))
        run = [sys.executable, TOOL, "--asce7", "1.0,0.6,8", "--range", "0.2:3", folder]
        median, best = median_ms(lambda: subprocess.run(run, stdout=subprocess.DEVNULL, check=True), 10)
        print("kvb-suite on 30 record folders, start to end: median %.0f ms, best %.0f ms (10 runs)" % (median, best))
    finally:
        shutil.rmtree(folder)


main()
