"""plot-accel, plot-psa and convert-all end to end: what they refuse,
links planted where they write, signals while they work, hostile names, and
the text of the plots taken literally.
Usage: tools_test.py TOOLS-DIR READ-KVB"""

import array
import glob
import json
import math
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

TOOLS, READ_KVB = (os.path.abspath(a) for a in sys.argv[1:3])
GNUPLOT = subprocess.run(["sh", "-c", "command -v gnuplot"], capture_output=True, text=True).stdout.strip()
NOBODY = 65534


def read(path, mode="r"):
    with open(path, mode, **({} if "b" in mode else {"encoding": "utf-8"})) as f:
        return f.read()


def write(path, text, mode=0o644):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(path, mode)


def accel_csv(path, lines=400):
    write(path, "".join("%7.3f,%10.3f,%10.3f,%10.3f\n" % (i * 0.005, 300 * math.sin(i / 20), -150 * math.cos(i / 9), 20 * math.sin(i / 5))
                        for i in range(lines)))


def spectrum_csv(path):
    rows = ("%g,%.4f,%.4f,0" % (t, 0.3 + math.exp(-math.log(t / 0.3) ** 2), 0.2 + math.exp(-math.log(t / 0.5) ** 2)) for t in (0.01, 0.1, 0.3, 1, 3, 10))
    write(path, "period_s,N00_g,N90_g,UP_g\n" + "\n".join(rows) + "\n")


def record(folder, samples=3):
    """A record folder of three component files (42 header records, then data)."""
    os.makedirs(folder, exist_ok=True)
    for c in ("N00", "N90", "UP"):
        head = "".join("TITLE %s\n" % c if r == 6 else "HEADER RECORD %d\n" % r for r in range(1, 43))
        write(os.path.join(folder, "KVB-%s.txt" % c), head + "".join("%10.3f" % (k * 0.001) * 8 + "\n" for k in range(samples)))


class Tools(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        os.chmod(self.dir, 0o755)  # convert-all runs as nobody in some cases
        os.chdir(self.dir)
        self.env = dict(os.environ, READ_KVB=READ_KVB, TMPDIR=self.dir + "/tmp")
        os.mkdir("tmp")

    def tearDown(self):
        os.chdir("/")
        subprocess.run(["chmod", "-R", "u+rwx", self.dir])
        subprocess.run(["rm", "-rf", self.dir])

    def run_tool(self, tool, *args, user=None):
        drop = (lambda: (os.setgid(NOBODY), os.setuid(NOBODY))) if user else None
        return subprocess.run([os.path.join(TOOLS, tool), *args], capture_output=True, text=True, env=self.env, preexec_fn=drop)

    def stand_in(self, name, body):
        """A program in ./bin put first in PATH."""
        os.makedirs("bin", exist_ok=True)
        write("bin/" + name, "#!/bin/sh\n" + body, 0o755)
        self.env["PATH"] = self.dir + "/bin:" + os.environ["PATH"]

    def leftovers(self, folder="."):
        return [p for p in glob.glob(folder + "/**/*.tmp", recursive=True)] + os.listdir("tmp")

    # --- plot-accel and plot-psa -------------------------------------------------
    def test_long_traces_are_drawn_from_each_columns_extremes(self):
        import importlib.machinery
        import importlib.util
        sys.dont_write_bytecode = True  # nothing written beside the tools
        sys.path.insert(0, TOOLS)
        import kvbtools  # pylint: disable=import-outside-toplevel
        loader = importlib.machinery.SourceFileLoader("plot_accel", os.path.join(TOOLS, "plot-accel"))
        accel = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
        loader.exec_module(accel)
        for samples, spike in [(33000, 16001), (33000, 32999), (2000, 7)]:  # (CSV lines, the one sample of the peak)
            with self.subTest(samples=samples, spike=spike):
                write("accel.csv", "".join("%7.3f,%10.3f,%10.3f,%10.3f\n" % (i * 0.005, 999.5 if i == spike else math.sin(i),
                                                                             -2.0 if i == spike else 0.5, 0.0)
                                           for i in range(samples)))
                script = accel.script("accel.csv", "accel.png", (), kvbtools.Binary("."))
                self.assertIn("'accel2.bin' binary format='%float64%float64' using", script)
                n00, n90 = (array.array("d", read("accel%d.bin" % c, "rb")) for c in (2, 3))
                self.assertLessEqual(len(n00) // 2, min(samples, 2 * 1100 + 2))
                self.assertEqual([n00[0], n00[-2]], [0.0, round((samples - 1) * 0.005, 3)])  # the whole time axis
                self.assertIn(999.5, n00[1::2])  # the one sample of the peak is drawn
                self.assertIn(-2.0, n90[1::2])
                self.assertIn("peak 999.5 cm/s² at %.2f s" % (spike * 0.005), script)

    def test_every_tool_prints_the_project_version(self):
        project = read(os.path.join(TOOLS, "..", "CMakeLists.txt"))
        version = project.split("project(read_kvb VERSION ", 1)[1].split()[0]
        for tool in ("kvb-convert", "plot-accel", "plot-psa", "convert-all", "kvb-suite"):
            got = subprocess.run([os.path.join(TOOLS, tool), "--version"], capture_output=True, text=True, timeout=30)
            self.assertEqual((got.returncode, got.stdout, got.stderr), (0, "%s %s\n" % (tool, version), ""), tool)

    def test_picture_names_refused(self):
        accel_csv("accel.csv")
        spectrum_csv("spectrum.csv")
        write("KVB-record.json", "{}")
        os.mkdir("folder")
        for tool, data, picture, says in [
            ("plot-accel", "accel.csv", "folder", "folder: is a folder"),
            ("plot-accel", "accel.csv", "accel.csv", "accel.csv: is the CSV"),
            ("plot-accel", "accel.csv", "./KVB-record.json", "KVB-record.json: is the record file"),
            ("plot-psa", "spectrum.csv", "spectrum.csv", "spectrum.csv: is the spectrum"),
        ]:
            with self.subTest(tool=tool, picture=picture):
                before = read(data)
                got = self.run_tool(tool, data, picture)
                self.assertEqual(got.returncode, 1)
                self.assertIn(says, got.stderr)
                self.assertEqual(read(data), before)
                self.assertEqual(os.listdir("folder") + self.leftovers(), [])

    def test_link_at_the_picture_is_replaced_not_followed(self):
        accel_csv("accel.csv")
        spectrum_csv("spectrum.csv")
        write("victim", "keep me\n")
        for tool, data in [("plot-accel", "accel.csv"), ("plot-psa", "spectrum.csv")]:
            with self.subTest(tool=tool):
                os.symlink("victim", "picture.png")
                got = self.run_tool(tool, "--", data, "picture.png")  # "--" accepted
                self.assertEqual((got.returncode, got.stdout), (0, "picture.png\n"), got.stderr)
                self.assertEqual(read("victim"), "keep me\n")
                self.assertFalse(os.path.islink("picture.png"))
                self.assertEqual(read("picture.png", "rb")[:8], b"\x89PNG\r\n\x1a\n")
                os.unlink("picture.png")

    def test_signals_stop_gnuplot_and_remove_the_temporary(self):
        accel_csv("accel.csv")
        self.stand_in("gnuplot", '[ "$1" = -e ] && exit 0\necho $$ >"%s/gnuplot.pid"\nexec sleep 60\n' % self.dir)
        for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=signum.name):
                child = subprocess.Popen([os.path.join(TOOLS, "plot-accel"), "accel.csv"], env=self.env, stderr=subprocess.PIPE)
                gnuplot = self.wait_for_pids("gnuplot.pid", 1)[0]
                child.send_signal(signum)
                self.assertEqual(child.wait(10), -signum)  # the shell shows 128+N: 130 for Ctrl-C
                self.assertEqual(child.communicate()[1], b"")
                self.assertFalse(self.alive(gnuplot))
                self.assertEqual(self.leftovers(), [])
                self.assertFalse(os.path.exists("accel.png"))

    def test_a_picture_cut_short_is_a_failure(self):
        accel_csv("accel.csv")
        spectrum_csv("spectrum.csv")
        self.stand_in("gnuplot", '[ "$1" = -e ] && exit 0\ncat >/dev/null\nprintf "\\211PNG\\r\\n\\032\\n"\n')
        for tool, data in [("plot-accel", "accel.csv"), ("plot-psa", "spectrum.csv")]:
            with self.subTest(tool=tool):
                got = self.run_tool(tool, data, "picture.png")
                self.assertEqual(got.returncode, 1)
                self.assertIn("gnuplot wrote picture.png short, without its end", got.stderr)
                self.assertEqual(self.leftovers() + glob.glob("picture.png"), [])

    def wait_for_pids(self, pattern, count):
        for _ in range(200):
            pids = [int(read(p)) for p in glob.glob(pattern) if read(p).endswith("\n")]
            if len(pids) >= count:
                for p in glob.glob(pattern):
                    os.unlink(p)
                return pids
            time.sleep(0.05)
        self.fail("%s: the programs did not start" % pattern)

    @staticmethod
    def alive(pid):
        for _ in range(40):
            try:
                with open("/proc/%d/stat" % pid) as f:
                    if f.read().split(") ")[1][0] == "Z":
                        return False
            except OSError:
                return False
            time.sleep(0.05)
        return True

    @unittest.skipUnless(GNUPLOT, "gnuplot is not installed")
    def test_plot_text_is_literal_and_says_the_facts(self):
        os.mkdir("rec")
        accel_csv("rec/accel.csv")
        facts = {"station": {"code": "CE1", "name": "A&B_1^2{x}@y\x1b[31m"}, "start_time": "1989-10-18T00:04:15Z",
                 "event": {"name": "Loma Prieta", "date": "1989-10-18", "magnitude": 6.9},
                 "processing": {"level": "uncorrected"}, "csv_time_step": 0.005,
                 "done": {"resampling": {"method": "band-limited", "from_interval": 0.01, "to_interval": 0.005},
                          "window": {"start": 10.0, "end": 12.0}, "missing_vertical": "zeros"},
                 "components": [{"orientation": "360 Deg", "peak": {"value": 294.2, "time": 10.5}},
                                {"orientation": "90 Deg", "peak": {"value": -150.0, "time": 10.0}},
                                {"zeros": True, "peak": {"value": 0.0, "time": 0.0}}]}
        write("rec/KVB-record.json", json.dumps(facts))
        self.stand_in("gnuplot", 'tee "%s/script" | "%s" "$@"\n' % (self.dir, GNUPLOT))
        got = self.run_tool("plot-accel", "rec/accel.csv", "--same-scale")
        self.assertEqual(got.returncode, 0, got.stderr)
        script = read("script")
        for want in ["'A&B_1^2{x}@y\\x1b[31m (CE1), record of 1989-10-18T00:04:15Z'",
                     "'Loma Prieta 1989-10-18, M 6.9, uncorrected'",
                     "'resampled from 0.01 s to 0.005 s (band-limited); window from 10.00 s to 12.00 s of the record; no vertical: UP is zeros'",
                     "set ylabel 'N00 360 Deg (cm/s²)'", "title 'peak 0.300 g'", "title 'peak -0.153 g'"]:
            self.assertIn(want, script)
        self.assertEqual(script.count("set yrange [-314.9"), 1)  # --same-scale: one range for the three
        svg = subprocess.run([GNUPLOT], input=script.replace("set terminal pngcairo", "set terminal svg").replace("set terminal png ", "set terminal svg "),
                             capture_output=True, text=True).stdout
        self.assertIn("<text>A&amp;B_1^2{x}@y\\x1b[31m (CE1)", svg)

    @unittest.skipUnless(GNUPLOT, "gnuplot is not installed")
    def test_processed_record_adds_velocity_and_displacement(self):
        os.mkdir("rec")
        write("rec/accel.csv", "".join("%7.3f,%10.3f,%10.3f,%10.3f\n" % (i * 0.005, 100, -100 * (i > 0), 0) for i in range(201)))
        write("rec/KVB-record.json", json.dumps({"processing": {"level": "processed"}, "csv_time_step": 0.01,
                                                 "components": [{}, {}, {}]}))
        # The stand-in keeps the script and the curves, which gnuplot reads in its working folder.
        self.stand_in("gnuplot", 'cp *.bin "%s"; tee "%s/script" | "%s" "$@"\n' % (self.dir, self.dir, GNUPLOT))
        got = self.run_tool("plot-accel", "rec/accel.csv")
        self.assertEqual(got.returncode, 0, got.stderr)
        script = read("script")
        for want in ["set multiplot layout 5,1", "set ylabel 'velocity (cm/s)'", "set ylabel 'displacement (cm)'",
                     "plot 'motion00.bin' binary format='%float64%float64' using (0.0 + $1 * 0.01 / 0.005):2"]:
            self.assertIn(want, script)
        # 2 s at 100 cm/s² from rest, at the record's real step: 200 cm/s and 200 cm; the
        # second column's first step a trapezoid from 0 to -100.
        for name, last in [("motion00", 200.0), ("motion10", 200.0), ("motion01", -199.5), ("motion11", -199.0025)]:
            curve = array.array("d", read(name + ".bin", "rb"))
            self.assertEqual(curve[-2], 1.0, name)  # the CSV's last time
            self.assertAlmostEqual(curve[-1], last, delta=1e-9, msg=name)

    @unittest.skipUnless(GNUPLOT, "gnuplot is not installed")
    def test_spectrum_rows(self):
        spectrum_csv("good.csv")
        head = "period_s,N00_g,N90_g,UP_g\n"
        for text, status, says in [
            (read("good.csv"), 0, ""),
            ("period,N00,N90,UP\n0.1,1,1,1\n", 1, "bad.csv:1: not the header of a spectrum"),
            (head + "0.1,1,1,1\n0,1,1,1\n", 1, "bad.csv:3: not a row of a spectrum"),
            (head + "0.1,1,nan,1\n", 1, "bad.csv:2: not a row of a spectrum"),
            (head, 1, "bad.csv: no spectrum to plot"),
            (head.replace("\n", ",RotD50_g,RotD100_g,N00_sa_g_d0.05\n") + "0.1,1,1,1,1,1\n", 1, "bad.csv:2: not a row"),
        ]:
            with self.subTest(text=text):
                write("bad.csv", text)
                got = self.run_tool("plot-psa", "bad.csv")
                self.assertEqual(got.returncode, status, got.stderr)
                self.assertIn(says, got.stderr)
        self.assertEqual(read("bad.png", "rb")[16:24], (1200).to_bytes(4, "big") + (800).to_bytes(4, "big"))
        # kvb-measure's columns: RotD50 drawn with the three; a station without a name is not "(CE1)".
        os.mkdir("rec")
        write("rec/spectrum.csv", "period_s,N00_g,N90_g,UP_g,RotD50_g,RotD100_g,N00_sa_g_d0.05\n0.1,1,2,0,1.5,2.2,1\n1,0.5,0.4,0,0.45,0.6,0.5\n")
        write("rec/KVB-record.json", json.dumps({"station": {"code": "CE1", "name": ""}}))
        self.stand_in("gnuplot", 'tee "%s/script" | "%s" "$@"\n' % (self.dir, GNUPLOT))
        got = self.run_tool("plot-psa", "rec/spectrum.csv")
        self.assertEqual(got.returncode, 0, got.stderr)
        script = read("script")
        for want in ["5 % damping", "'station CE1'", "using 1:5 with lines linewidth 2 dashtype 2", "'RotD50: peak 1.500 g at 0.1 s'"]:
            self.assertIn(want, script)

    # --- convert-all ------------------------------------------------------------------
    def test_own_files_refused_as_the_csv(self):
        record("r")
        before = read("r/KVB-UP.txt")
        for name in ["KVB-N00.txt", "KVB-N90.txt", "KVB-UP.txt", "KVB-record.json", "read-KVB.log", "read-KVB.err", ".", ".."]:
            with self.subTest(name=name):
                got = self.run_tool("convert-all", "-o", name, "r")
                self.assertEqual(got.returncode, 2)
                self.assertEqual(sorted(os.listdir("r")), ["KVB-N00.txt", "KVB-N90.txt", "KVB-UP.txt"])
        self.assertEqual(read("r/KVB-UP.txt"), before)

    def test_hostile_and_unusable_folders(self):
        record("ok")
        record("locked")
        record("readonly")
        os.chmod("locked", 0o700)  # nobody cannot enter it
        os.chmod("readonly", 0o755)  # nobody cannot write in it
        os.makedirs("x\nok y")  # no components: the line break must not make it count
        record("esc\x1b[2J")
        os.unlink("esc\x1b[2J/KVB-UP.txt")
        record("linked")
        write("victim", "keep me\n", 0o666)
        os.symlink(self.dir + "/victim", "linked/read-KVB.log")
        for path in ("ok", "linked", "tmp"):
            os.chmod(path, 0o777)
        user = NOBODY if os.geteuid() == 0 else None
        if user is None:
            os.chmod("locked", 0)
            os.chmod("readonly", 0o555)
        got = self.run_tool("convert-all", "-j", "2", "ok", "locked", "readonly", "x\nok y", "esc\x1b[2J", "linked", user=user)
        lines = set(got.stdout.splitlines())
        for want in ["ok ok", "FAILED locked: cannot enter the folder (Permission denied)",
                     "FAILED readonly: cannot write in the folder (Permission denied)",
                     "FAILED x\\x0aok y: no KVB-N00.txt", "FAILED esc\\x1b[2J: no KVB-UP.txt", "ok linked",
                     "convert-all: converted 2 of 6 records, 4 failed"]:
            self.assertIn(want, lines)
        self.assertEqual(got.returncode, 1)
        self.assertNotIn("\x1b", got.stdout)
        self.assertEqual(read("victim"), "keep me\n")
        self.assertIn("Enter Output Acceleration File Name", read("linked/read-KVB.log"))

    def test_sigterm_stops_the_workers_and_leaves_nothing(self):
        for r in ("a", "b", "c"):
            record(r)
        self.stand_in("fake-read-KVB", 'echo $$ >"%s/worker.$$.pid"\nexec sleep 60\n' % self.dir)
        self.env["READ_KVB"] = self.dir + "/bin/fake-read-KVB"
        for signum in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=signum.name):
                child = subprocess.Popen([os.path.join(TOOLS, "convert-all"), "-j", "2", "a", "b", "c"], env=self.env,
                                         stdout=subprocess.PIPE)
                workers = self.wait_for_pids("worker.*.pid", 2)
                child.send_signal(signum)
                self.assertEqual(child.wait(10), -signum)
                self.assertEqual(child.communicate()[0], b"")
                self.assertEqual([w for w in workers if self.alive(w)], [])
                self.assertEqual(self.leftovers(), [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
