"""kvb-suite: factors recovered from a suite made of its target, the standards'
spectra at their corners and branches, the 90 % rule, and runs end to end on
generated record folders (what they print, their exit status, their files).
Usage: suite_test.py TOOLS-DIR"""

import glob
import importlib.machinery
import importlib.util
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL = os.path.join(os.path.abspath(sys.argv[1]), "kvb-suite")
_loader = importlib.machinery.SourceFileLoader("kvb_suite", TOOL)
ks = importlib.util.module_from_spec(importlib.util.spec_from_loader("kvb_suite", _loader))
_loader.exec_module(ks)

PERIODS = [0.01 * 1000 ** (k / 60) for k in range(61)]  # 0.01 to 10 s
G = 980.665


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def make_record(folder, spectrum, columns=("N00_g", "N90_g", "UP_g"), periods=PERIODS, samples=(300.0, -150.0, 12.5)):
    """A record folder: spectrum.csv (each column spectrum(t)), the component
    files (42 header records, eight 10-column fields a record) and the record file."""
    os.makedirs(folder)
    write(os.path.join(folder, "spectrum.csv"), "period_s," + ",".join(columns) + "\n" +
          "".join("%r%s\n" % (t, ",%r" % spectrum(t) * len(columns)) for t in periods))
    data = [a * k / 10 for k in range(10) for a in samples]  # 30 samples, 3 component files of 10
    for c, name in enumerate(("N00", "N90", "UP")):
        values = data[c::3]
        write(os.path.join(folder, "KVB-%s.txt" % name), "HEADER\n" * 42 + "".join(
            "".join("%10.4f" % v for v in values[k:k + 8]) + "\n" for k in range(0, len(values), 8)))
    write(os.path.join(folder, "KVB-record.json"), json.dumps({
        "station": {"name": "Alpha Hill"}, "event": {"name": "Synthetic", "date": "2024-01-02"}, "csv_time_step": 0.005,
        "components": [{"samples": 10, "azimuth": 0}, {"samples": 10, "azimuth": 90}, {"samples": 10, "zeros": False}],
        "summary": {"components": [{"component": n, "pga_g": p} for n, p in (("N00", 0.2), ("N90", 0.3), ("UP", 0.1))]}}))


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def rows(path):
    lines = read(path).splitlines()
    return [dict(zip(lines[0].split(","), line.split(","))) for line in lines[1:]]


class Suite(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        os.chdir(self.dir)

    def tearDown(self):
        os.chdir("/")
        shutil.rmtree(self.dir)

    def run_tool(self, *args):
        return subprocess.run([TOOL, *args], capture_output=True, text=True)

    def test_factors_recovered_from_a_suite_made_of_the_target(self):
        asce = ks.asce7(1.0, 0.6, 8).sa
        write("target.csv", "period_s,sa_g\n" + "".join("%r,%r\n" % (t, asce(t)) for t in PERIODS))
        factors = {"a_half": 0.5, "b_some": 1.37, "c_three": 3.0, "d_weak": 250.0}
        for name, f in factors.items():  # RotD50 in two of them, the geometric mean in the others
            make_record("suite/" + name, lambda t, f=f: asce(t) / f, ("N00_g", "N90_g", "UP_g") +
                        (("RotD50_g", "RotD100_g") if f < 2 else ()))
        got = self.run_tool("--target", "target.csv", "--range", "0.1:4", "suite")
        self.assertEqual(got.returncode, 0, got.stderr)
        table = rows("suite/suite.csv")
        self.assertEqual([r["folder"] for r in table], list(factors))
        for r in table:
            self.assertAlmostEqual(float(r["factor"]) / factors[r["folder"]], 1, delta=1e-9)
            self.assertLess(float(r["mse_ln"]), 1e-20)
        self.assertEqual([r["component"] for r in table], ["rotd50", "rotd50", "geomean", "geomean"])
        self.assertIn("kvb-suite: 2 of 4 spectra have no RotD50_g column", got.stdout)
        self.assertIn("at least 90 % of the target: lowest 100.0 %", got.stdout)

    def test_standard_spectra_at_their_corners_and_branches(self):
        cases = [  # (target, period s, Sa g worked out by hand)
            (ks.asce7(1.0, 0.6, 8), 0.0, 0.4), (ks.asce7(1.0, 0.6, 8), 0.06, 0.7), (ks.asce7(1.0, 0.6, 8), 0.12, 1.0),
            (ks.asce7(1.0, 0.6, 8), 0.6, 1.0), (ks.asce7(1.0, 0.6, 8), 1.2, 0.5), (ks.asce7(1.0, 0.6, 8), 8, 0.075),
            (ks.asce7(1.0, 0.6, 8), 16, 0.01875), (ks.asce7(0.5, 0.2, 4), 0.04, 0.35), (ks.asce7(0.5, 0.2, 4), 8, 0.0125),
            (ks.ec8(0.3, "B", 1), 0.0, 0.36), (ks.ec8(0.3, "B", 1), 0.15, 0.9), (ks.ec8(0.3, "B", 1), 0.5, 0.9),
            (ks.ec8(0.3, "B", 1), 1.0, 0.45), (ks.ec8(0.3, "B", 1), 2.0, 0.225), (ks.ec8(0.3, "B", 1), 4.0, 0.05625),
            (ks.ec8(0.3, "B", 1), 4.5, None),  # EN 1998-1 gives it to 4 s
        ]
        # ag 1 g: the ramp's middle (S, TB) and twice TD (S, TC, TD) of every ground type.
        for kind, rows_ in ((1, "A .075 1.75 4 .125, B .075 2.1 4 .1875, C .1 2.0125 4 .215625, D .1 2.3625 4 .3375, "
                               "E .075 2.45 4 .21875"),
                            (2, "A .025 1.75 2.4 .13020833333, B .025 2.3625 2.4 .17578125, C .05 2.625 2.4 .1953125, "
                                "D .05 3.15 2.4 .28125, E .025 2.8 2.4 .20833333333")):
            for row in rows_.split(", "):
                ground, *numbers = row.split()
                t1, sa1, t2, sa2 = map(float, numbers)
                cases += [(ks.ec8(1.0, ground, kind), t1, sa1), (ks.ec8(1.0, ground, kind), t2, sa2)]
        for target, t, sa in cases:
            with self.subTest(target=target.name, period=t):
                got = target.sa(t)
                self.assertTrue(sa is None and got is None or abs(got - sa) < 1e-10, got)

    def test_ninety_percent_rule_raises_exactly_where_the_mean_falls_short(self):
        flat = [0.1, 1.0, 10.0]

        def tilted(p):  # symmetric in ln T about 1 s: its own factor is 1
            return flat, [10 ** p, 1.0, 10 ** -p]
        cases = [  # (what, spectra, --max-factor, factors, lowest ratio before the raise, where)
            ("no shortfall: factors untouched", [tilted(0), tilted(0.05)], None, [1.0, 1.0], (1 + 10 ** -0.05) / 2, 10),
            ("short at 10 s", [tilted(0), tilted(0.3)], None, [1.8 / (1 + 10 ** -0.3)] * 2, (1 + 10 ** -0.3) / 2, 10),
            ("the rule wins over --max-factor", [tilted(0), (flat, [0.25] * 3)], 2.0, [1.2, 2.4], 0.75, 0.1),
        ]
        for what, spectra, high, factors, lowest, where in cases:
            with self.subTest(what):
                s = ks.scale(spectra, lambda t: 1.0, 0.1, 10, None, high)
                for got, want in zip(s.factors, factors):
                    self.assertAlmostEqual(got, want, delta=1e-12)
                self.assertAlmostEqual(s.lowest, lowest, delta=1e-12)
                self.assertEqual((s.raised > 1, s.lowest_period), (lowest < 0.9, where))
                if lowest < 0.9:  # the mean is then 90 % of the target where it fell short
                    mean = sum(f * v[1][flat.index(where)] for f, v in zip(s.factors, spectra)) / len(spectra)
                    self.assertAlmostEqual(mean, 0.9, delta=1e-12)

    def test_end_to_end_refusals_exports_and_the_record_file(self):
        asce = ks.asce7(1.0, 0.6, 8).sa
        make_record("recs/one", lambda t: asce(t) / 2)
        make_record("recs/short", asce, periods=PERIODS[:41])  # to 1 s only
        make_record("recs/zeros", lambda t: 0.0)
        got = self.run_tool("--asce7", "1.0,0.6,8", "--range", "0.2:3", "--export", "columns,at2", "-o", "out", "recs")
        self.assertEqual(got.returncode, 1, got.stderr)
        self.assertEqual(got.stderr.splitlines(), [
            "kvb-suite: recs/short: refused: spectrum.csv covers 0.01-1 s, not the range 0.2-3 s "
            "(kvb-measure --periods gives others)",
            "kvb-suite: recs/zeros: refused: spectrum.csv:2: SA is 0 g at 0.01 s (a component of zeros?)"])
        lines = got.stdout.splitlines()
        self.assertRegex(lines[0], r"^\.\./recs/one  factor 2\.00\d  MSE\(ln\) [0-9.e-]+  PGA 0\.3 g → 0\.6 g  "
                                   r"N00_g_dt0\.005_x2\.txt N00_x2\.AT2 N90_g_dt0\.005_x2\.txt .* UP_x2\.AT2$")
        self.assertEqual(lines[1], "kvb-suite: 1 record scaled to the ASCE 7-22 design spectrum, SDS 1 g, SD1 0.6 g, "
                                   "TL 8 s over 0.2-3 s (geometric mean of N00 and N90); 2 refused")
        self.assertEqual(lines[4:6], ["out/suite.csv", "out/suite_spectra.csv"])
        f = float(rows("out/suite.csv")[0]["factor"])
        spectra = rows("out/suite_spectra.csv")
        self.assertEqual(list(spectra[0])[-5:], ["../recs/one_g", "mean_g", "ln_mean_minus_sigma_g",
                                                 "ln_mean_plus_sigma_g", "target_g"])
        at_1s = next(r for r in spectra if abs(float(r["period_s"]) - 1) < 1e-9)
        self.assertAlmostEqual(float(at_1s["mean_g"]), 0.3 * f, delta=1e-12)
        # The exports: the component files' samples (N90: 0, -15, -30 ... cm/s²) times the factor, in g.
        expected = [-15 * k * f / G for k in range(10)]
        self.assertEqual([float(v) for v in read("recs/one/N90_g_dt0.005_x2.txt").split()], expected)
        at2 = read("recs/one/N90_x2.AT2").splitlines()
        self.assertEqual(at2[1:4], ["Synthetic, 2024-01-02, Alpha Hill, 90", "ACCELERATION TIME SERIES IN UNITS OF G",
                                    "NPTS= 10, DT= 0.005 SEC"])
        values = [float(v) for line in at2[4:] for v in line.split()]
        self.assertEqual(len(values), 10)
        for got_, want in zip(values, expected):
            self.assertAlmostEqual(got_, want, delta=5e-7 * abs(want))  # seven digits
        for value, field in [(-0.0123456789, " -0.1234568E-01"), (0.0, "  0.0000000E+00"), (1e-120, "  0.1000000-119")]:
            self.assertEqual(ks.e15_7(value), field)
        suite = json.loads(read("recs/one/KVB-record.json"))["suite"]
        self.assertEqual((suite["factor"], suite["component"], suite["range_s"], suite["raised_by"]),
                         (f, "geomean", [0.2, 3.0], 1.0))
        self.assertEqual(suite["opensees"][0], "timeSeries Path 1 -dt 0.005 -filePath N00_g_dt0.005_x2.txt -factor 9.80665")
        self.assertEqual(glob.glob("**/*.tmp", recursive=True), [])
        if shutil.which("gnuplot"):
            with open("out/suite.png", "rb") as png:
                self.assertEqual(png.read(8), b"\x89PNG\r\n\x1a\n")

    def test_usage_errors(self):
        make_record("one", lambda t: 1.0)
        for args, says in [
            (["--range", "0.2:3", "one"], "give one target: --target, --asce7 or --ec8"),
            (["--asce7", "1,0.6,8", "--ec8", "0.3,B,1", "--range", "0.2:3", "one"], "give one target"),
            (["--asce7", "1,0.6", "--range", "0.2:3", "one"], "--asce7 takes SDS,SD1,TL"),
            (["--ec8", "0.3,F,1", "--range", "0.2:3", "one"], "a ground type A to E"),
            (["--ec8", "0.3,B,1", "--range", "0.2:5", "one"], "covers 0-4 s, not the range 0.2-5 s"),
            (["--asce7", "1,0.6,8", "--range", "3:0.2", "one"], "--range takes TA:TB"),
            (["--asce7", "1,0.6,8", "--range", "0.2:3", "--component", "EW", "one"], "invalid choice: 'EW'"),
            (["--asce7", "1,0.6,8", "--range", "0.2:3", "--export", "csv", "one"], "--export takes columns or at2"),
            (["--asce7", "1,0.6,8", "--range", "0.2:3", "no\x1b[2J"], "no\\x1b[2J: no such folder"),
        ]:
            with self.subTest(args=args):
                got = self.run_tool(*args)
                self.assertEqual(got.returncode, 2)
                self.assertIn(says, got.stderr)
                self.assertNotIn("\x1b", got.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
