"""kvb-convert on a batch as users meet it: reruns that keep what they did
not make, records of one station and day told apart, its own output met
again, FIFOs, damaged archives, interrupts, output folders it cannot use,
bad periods, hostile cells, umask. Every run has a timeout, and no output
of any run holds a Python traceback.
Usage: batch_test.py KVB-CONVERT KVB-SPLIT READ-KVB KVB-MEASURE MAKE-RECORD-FILE CONVERT-ALL"""

import csv
import glob
import gzip
import io
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

CONVERT, SPLIT, READ_KVB, MEASURE, MAKE, CONVERT_ALL = (os.path.abspath(a) for a in sys.argv[1:7])


def read(path, mode="r"):
    with open(path, mode, **({} if "b" in mode else {"encoding": "latin-1"})) as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data if isinstance(data, (bytes, bytearray)) else data.encode("latin-1"))


class Batch(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        os.chdir(self.dir)
        os.mkdir("bin")
        self.plot = self.script("plot", 'printf "\\000\\000\\000\\000IEND\\256B\\140\\202" >"$2"\n')
        self.script("gnuplot", "exit 1\n")  # the stand-ins draw; kvb-convert only asks that gnuplot be there
        self.env = dict(os.environ, KVB_SPLIT=SPLIT, READ_KVB=READ_KVB, KVB_MEASURE=MEASURE,
                        PLOT_ACCEL=self.plot, PLOT_PSA=self.plot, PATH=self.dir + "/bin:" + os.environ["PATH"])

    def tearDown(self):
        os.chdir("/")
        shutil.rmtree(self.dir, ignore_errors=True)

    def script(self, name, body):
        path = os.path.join(self.dir, "bin", name)
        with open(path, "w", encoding="utf-8") as f:
            f.write("#!/bin/sh\n" + body)
        os.chmod(path, 0o755)
        return path

    def run_tool(self, *args, tool=CONVERT, timeout=60, env=None):
        got = subprocess.run([tool, *args], capture_output=True, text=True, errors="replace", timeout=timeout,
                             env=env or self.env)
        self.assertNotIn("Traceback", got.stdout + got.stderr)
        return got

    def csmip(self, path, station, hour=18, points=200):
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        subprocess.run([MAKE, "csmip", path, "2", str(station), str(points)], check=True)
        if hour != 18:
            write(path, read(path).replace("18:00:00.0 UTC", "%02d:00:00.0 UTC" % hour))

    def peer(self, folder, rsn, station):
        os.makedirs(folder, exist_ok=True)
        for c in ("000", "090", "UP"):
            subprocess.run([MAKE, "peer", "%s/RSN%d_X_%s.AT2" % (folder, rsn, c), c, station, "40"], check=True)

    @staticmethod
    def start_of(folder):
        return json.loads(read(os.path.join(folder, "KVB-record.json")))["start_time"]

    @staticmethod
    def rows(path="out/records.csv"):
        with open(path, encoding="utf-8") as f:
            return list(csv.DictReader(f))

    # --- 1: a rerun replaces only what kvb-convert made -----------------------------
    def test_rerun_keeps_what_it_did_not_make(self):
        self.csmip("in/CE22222.V2", 22222)
        self.assertEqual(self.run_tool("-o", "out", "in").returncode, 0)
        write("out/CE22222_20240102/notes.txt", "mine\n")
        for args, why in [(["--force"], "--force"), ([], "accel.csv emptied")]:
            write("out/CE22222_20240102/accel.csv", "")
            got = self.run_tool(*args, "-o", "out", "in")
            self.assertEqual(got.returncode, 0, why)
            self.assertIn("ok CE22222_20240102 ", got.stdout, why)
            self.assertEqual(read("out/CE22222_20240102/notes.txt"), "mine\n", why)
        # A record file edited by hand: no name in it is taken for a file to remove.
        facts = json.loads(read("out/CE22222_20240102/KVB-record.json"))
        facts["convert"].update(outputs=["notes.txt", "../x"], sources=5)
        write("out/CE22222_20240102/KVB-record.json", json.dumps(facts))
        self.assertIn("ok CE22222_20240102 ", self.run_tool("-o", "out", "in").stdout)
        self.assertEqual(read("out/CE22222_20240102/notes.txt"), "mine\n")
        # An input folder named as its record: refused, never written into, moved or removed.
        self.csmip("records/CE33333_20240102/CE33333.V2", 33333)
        got = self.run_tool("-o", "records", "records/CE33333_20240102")
        self.assertEqual(got.returncode, 1, got.stdout + got.stderr)
        self.assertIn("FAILED CE33333_20240102: CE33333_20240102 is an input folder of this run", got.stdout)
        self.assertEqual(sorted(os.listdir("records")), [".kvb-inputs.json", "CE33333_20240102", "records.csv"])
        self.assertEqual(os.listdir("records/CE33333_20240102"), ["CE33333.V2"])

    # --- 2: identity ------------------------------------------------------------------
    def test_two_batches_of_one_station_and_day(self):
        for hour in (1, 2, 3):
            self.csmip("a/CE55555_%d.V2" % hour, 55555, hour)
            self.csmip("b/CE55555_%d.V2" % hour, 55555, hour + 3)
        for order in (["a", "b", "a", "--force b", "b"], ["b", "a", "--force a", "a b"]):
            shutil.rmtree("out", ignore_errors=True)
            for step in order:
                got = self.run_tool("-o", "out", *step.split())
                self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
            folders = sorted(glob.glob("out/CE55555_20240102*"))
            self.assertEqual(len(folders), 6, order)
            starts = {self.start_of(f)[11:13] for f in folders}
            self.assertEqual(starts, {"01", "02", "03", "04", "05", "06"}, order)
            self.assertEqual(len(self.rows()), 6)
        names = {f: self.start_of(f) for f in folders}
        got = self.run_tool("-o", "out", "b", "a")
        self.assertIn("6 converted (6 before)", got.stdout)
        self.assertEqual({f: self.start_of(f) for f in folders}, names)  # the same names every run
        # A changed input is converted again in its own folder.
        self.csmip("a/CE55555_2.V2", 55555, 2, points=240)
        got = self.run_tool("-o", "out", "a")
        self.assertEqual(got.stdout.count("\nok ") + got.stdout.startswith("ok "), 1, got.stdout)
        changed = [f for f in folders if self.start_of(f)[11:13] == "02"][0]
        self.assertIn("1.2 s", [l for l in got.stdout.splitlines() if l.startswith("ok " + os.path.basename(changed) + " ")][0])

    # --- 3 and 29.1: its own output; records.csv lists every folder -------------------
    def test_own_output_met_again(self):
        self.peer("dl", 1044, "Alpha")
        self.peer("dl", 879, "Beta")
        os.chdir("dl")
        first = self.run_tool("--export", "at2", ".")
        second = self.run_tool("--export", "at2", ".")
        os.chdir("..")
        self.assertEqual(first.returncode, 0, first.stdout + first.stderr)
        self.assertEqual((second.returncode, second.stdout.splitlines()[-1]),
                         (0, "kvb-convert: 2 records: 2 converted (2 before), 0 failed"), second.stdout)
        self.assertEqual([r["folder"] for r in self.rows("dl/records.csv")], ["RSN879_Beta", "RSN1044_Alpha"])
        # 29.12: the exports read again make the same record, under the same name.
        again = self.run_tool("-o", "again", *glob.glob("dl/RSN879_Beta/RSN879_*.AT2"))
        self.assertIn("ok RSN879_Beta ", again.stdout, again.stdout + again.stderr)
        # A rerun of one record, and a run that finds nothing, keep the table whole.
        self.assertEqual(self.run_tool("-o", "dl", "dl/RSN879_X_000.AT2", "dl/RSN879_X_090.AT2",
                                       "dl/RSN879_X_UP.AT2").returncode, 0)
        self.assertEqual(len(self.rows("dl/records.csv")), 2)
        os.mkdir("empty")
        self.assertEqual(self.run_tool("-o", "dl", "empty").returncode, 1)
        self.assertEqual(len(self.rows("dl/records.csv")), 2)

    # --- 4, 5 and 29.2: what is not a regular file; one bad input among good ones ----
    def test_one_bad_input_costs_only_itself(self):
        good = read(self.make_v2("CE22222.V2", 22222), "rb")
        cases = [  # (name, what to make, exit status, words in the output)
            ("fifo", lambda p: os.mkfifo(p), 0, "fifo: a FIFO, not a regular file"),
            ("socket", self.socket, 0, "socket: a socket, not a regular file"),
            ("caf\xe9.V2", None, 0, "ok CE33333_20240102"),  # a Latin-1 byte in a file name
            ("x.tar", lambda p: self.tar(p, b"caf\xe9.V2", self.v2(33333)), 0, "ok CE33333_20240102"),
            ("x.V2.gz", lambda p: write(p, gzip.compress(self.v2(33333))), 0, "ok CE33333_20240102"),
            ("long.zip", lambda p: self.zip(p, "n" * 300 + ".V2", self.v2(33333)), 0, "ok CE33333_20240102"),
            ("enc.zip", lambda p: self.zip(p, "e.V2", self.v2(33333), flags=1), 1, "enc.zip/e.V2: encrypted"),
            ("d64.zip", lambda p: self.zip(p, "d.V2", self.v2(33333), method=9), 1, "d64.zip/d.V2: packed by method deflate64"),
            ("bad.zip", lambda p: self.zip(p, "b.V2", self.v2(33333), damage=True), 1, "FAILED in/bad.zip/b.V2: cannot unpack"),
            ("cut.zip", lambda p: self.zip(p, "c.V2", self.v2(33333), cut=True), 1, "FAILED in/cut.zip: cannot unpack the archive"),
            ("docs.zip", lambda p: self.zip(p, "a.pdf", b"%PDF-1.4\n" + b"x" * 2000), 0, "not a strong-motion file (in/docs.zip/a.pdf)"),
            ("big.zip", lambda p: self.zip(p, "big.V2", self.v2(33333), size=1 << 30), 0, "big.zip/big.V2: 1024 MiB unpacked"),
            ("bad.xz", lambda p: write(p, b"\xfd7zXZ\0" + b"x" * 600), 1, "FAILED in/bad.xz: cannot unpack"),
            ("bad.bz2", lambda p: write(p, b"BZh9" + b"x" * 600), 1, "FAILED in/bad.bz2: cannot unpack"),
            ("deep.zip", self.nested, 1, "in/deep.zip/4.zip/3.zip/2.zip/1.zip: an archive nested more than 4 deep"),
            ("gone", lambda p: os.symlink("nowhere", p), 1, "FAILED in/gone: cannot read: No such file or directory"),
        ] + ([("locked.V2", lambda p: (write(p, "x"), os.chmod(p, 0)), 1, "FAILED in/locked.V2: cannot read: Permission denied")]
             if os.geteuid() != 0 else [])  # nothing is unreadable to root
        for name, make, status, says in cases:
            with self.subTest(name=name):
                shutil.rmtree("in", ignore_errors=True)
                shutil.rmtree("out", ignore_errors=True)
                os.mkdir("in")
                write("in/CE22222.V2", good)
                if make:
                    make(os.path.join("in", name))
                else:
                    write(os.path.join("in", name).encode("latin-1"), self.v2(33333))
                start = time.monotonic()
                got = self.run_tool("-o", "out", "in", timeout=30)
                self.assertLess(time.monotonic() - start, 20)
                self.assertEqual(got.returncode, status, got.stdout + got.stderr)
                self.assertIn(says, got.stdout)
                self.assertIn("ok CE22222_20240102 ", got.stdout)
                self.assertEqual(glob.glob("out/.kvb-convert-*"), [])

    # --- 6: temporary space ---------------------------------------------------------
    def test_unpacking_is_bounded_and_work_folders_of_killed_runs_go(self):
        self.csmip("in/CE22222.V2", 22222)
        with zipfile.ZipFile("in/bomb.zip", "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("bomb.V2", b" " * (200 << 20))
        dead = subprocess.Popen(["true"])
        dead.wait()
        os.makedirs("out/.kvb-convert-%d-x/y" % dead.pid)
        os.makedirs("out/.kvb-convert-%d-x" % os.getpid())  # a run still going
        got = self.run_tool("-o", "out", "in")
        self.assertEqual(got.returncode, 1)
        self.assertIn("FAILED in/bomb.zip: unpacks to more than 50 times its size; the rest is not unpacked", got.stdout)
        self.assertIn("ok CE22222_20240102 ", got.stdout)
        self.assertEqual(glob.glob("out/.kvb-convert-*"), ["out/.kvb-convert-%d-x" % os.getpid()])

    # --- 7: interrupts act at once, whatever is going on -------------------------------
    def test_interrupts_end_the_run_within_two_seconds(self):
        self.csmip("in/CE22222.V2", 22222)
        os.mkfifo("in/fifo")  # never opened: nothing waits on it
        stuck = self.script("split", 'echo $$ >"%s/started.$$"\n[ "$1" = --identify ] && exec sleep 60\nexec "%s" "$@"\n'
                            % (self.dir, SPLIT))
        slow_measure = self.script("measure", 'echo $$ >"%s/started.$$"\nexec sleep 60\n' % self.dir)
        for what, env, signum in [("identifying", {"KVB_SPLIT": stuck}, signal.SIGINT),
                                  ("identifying", {"KVB_SPLIT": stuck}, signal.SIGTERM),
                                  ("measuring", {"KVB_MEASURE": slow_measure}, signal.SIGHUP)]:
            with self.subTest(what=what, signal=signum.name):
                child = subprocess.Popen([CONVERT, "-o", "out", "in"], env=dict(self.env, **env),
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                for _ in range(400):
                    started = glob.glob("started.*")
                    if started:
                        break
                    time.sleep(0.025)
                self.assertTrue(started)
                for p in started:
                    os.unlink(p)
                time.sleep(0.2)
                sent = time.monotonic()
                child.send_signal(signum)
                out, err = child.communicate(timeout=30)
                self.assertLess(time.monotonic() - sent, 2.0)
                self.assertEqual(child.returncode, 128 + signum)
                self.assertEqual(err, "kvb-convert: interrupted; the record folders in place are complete\n")
                self.assertNotIn("Traceback", out)
                self.assertEqual(glob.glob("out/.kvb-convert-*") + glob.glob("out/CE*"), [])

    # --- 8: a picture cut short by a full disc ------------------------------------------
    def test_a_picture_cut_short_fails_the_record(self):
        self.csmip("in/CE22222.V2", 22222)
        short = self.script("short", 'printf "\\211PNG" >"$2"\n')
        got = self.run_tool("-o", "out", "in", env=dict(self.env, PLOT_PSA=short))
        self.assertEqual(got.returncode, 1)
        self.assertIn("FAILED CE22222_20240102: no spectrum.png: ", got.stdout)
        self.assertFalse(os.path.exists("out/CE22222_20240102"))
        self.assertEqual(self.run_tool("-o", "out", "in").returncode, 0)
        os.unlink("out/CE22222_20240102/accel.png")  # a folder without its picture is rebuilt
        self.assertIn("ok CE22222_20240102 ", self.run_tool("-o", "out", "in").stdout)
        os.mkdir("python-only")  # no gnuplot: no pictures asked, none missed
        os.symlink(sys.executable, "python-only/python3")
        got = self.run_tool("-o", "out3", "in", env=dict(self.env, PATH=self.dir + "/python-only"))
        self.assertEqual(got.returncode, 0, got.stderr)
        self.assertIn("gnuplot not found; no plots", got.stderr)
        self.assertFalse(glob.glob("out3/*/*.png"))
        env = {k: v for k, v in self.env.items() if k != "KVB_TRACE"}  # no kvb-trace: the spectrum alone
        env["PATH"] = os.path.dirname(shutil.which("gnuplot")) + ":" + self.dir + "/python-only"
        got = self.run_tool("-o", "out4", "in", env=env)
        self.assertEqual(got.returncode, 0, got.stderr)
        self.assertIn("kvb-trace, which plot-accel reads the CSV with, not found; no accel.png", got.stderr)
        self.assertEqual([os.path.basename(p) for p in glob.glob("out4/*/*.png")], ["spectrum.png"])
        if os.path.exists("/dev/full"):  # standard output on a full disc: said, converted all the same
            with open("/dev/full", "w", encoding="utf-8") as full:
                got = subprocess.run([CONVERT, "-o", "out2", "in"], stdout=full, stderr=subprocess.PIPE, text=True,
                                     env=self.env, timeout=60, check=False)
            self.assertEqual((got.returncode, got.stderr),
                             (1, "kvb-convert: cannot write the standard output: No space left on device\n"))
            self.assertTrue(os.path.isfile("out2/CE22222_20240102/accel.png"))

    # --- 9: output folders it cannot use ----------------------------------------------
    def test_output_folder_errors(self):
        self.csmip("in/CE22222.V2", 22222)
        write("file", "x")
        os.symlink("nowhere", "dangling")
        os.makedirs("table/records.csv")
        os.mkdir("readonly", 0o555)
        cases = [("file", "kvb-convert: file: not a folder\n"),
                 ("dangling", "kvb-convert: dangling: a link to nothing\n"),
                 ("table", "kvb-convert: table: records.csv there is a folder; move it away\n"),
                 ("in/CE22222.V2/x", "kvb-convert: in/CE22222.V2/x: cannot write there: Not a directory\n")]
        if os.geteuid() != 0:  # root writes anywhere
            cases.append(("readonly", "kvb-convert: readonly: cannot write there: Permission denied\n"))
        for out, says in cases:
            with self.subTest(out=out):
                got = self.run_tool("-o", out, "in")
                self.assertEqual((got.returncode, got.stdout, got.stderr), (2, "", says))

    # --- 10: periods and record files nested without end ----------------------------
    def test_periods_are_checked_once_and_deep_record_files_refused(self):
        self.csmip("in/CE22222.V2", 22222)
        for periods in ("1e-200", "1e400", "nan", "inf", "0.0009", "101", "0.1,,1"):
            with self.subTest(periods=periods):
                for tool in (CONVERT, MEASURE):
                    got = self.run_tool("--periods", periods, "in", tool=tool)
                    self.assertEqual(got.returncode, 2, got.stderr)
                    self.assertIn("--periods takes", got.stderr)
        self.assertEqual(self.run_tool("--periods", "0.001,100", "-o", "out", "in").returncode, 0)
        spectrum = read("out/CE22222_20240102/spectrum.csv")
        self.assertEqual(spectrum.count("\n"), 3)
        self.assertNotIn("nan", spectrum.lower() + read("out/records.csv").lower())
        path = "out/CE22222_20240102/KVB-record.json"
        facts = read(path)
        write(path, facts[:-2] + ', "deep": ' + "[" * 100000 + "]" * 100000 + "}\n")
        got = self.run_tool("out/CE22222_20240102", tool=MEASURE, timeout=20)
        self.assertEqual(got.returncode, 1)
        self.assertIn("nested deeper than", got.stderr)

    # --- 11: records.csv cells a spreadsheet would run -------------------------------
    def test_cells_are_never_formulas(self):
        self.peer("in", 7, "=HYPERLINK(1)")
        self.assertEqual(self.run_tool("-o", "out", "in").returncode, 0)
        row = self.rows()[0]
        self.assertEqual(row["station_name"], "'=HYPERLINK(1)")
        self.assertEqual([v for v in row.values() if v[:1] and v[:1] in "=+-@" and not v[1:].replace(".", "").isdigit()], [])

    # --- 12: convert-all and a component cut short ------------------------------------
    def test_convert_all_reports_a_component_cut_short(self):
        self.csmip("in/CE22222.V2", 22222, points=400)
        self.run_tool("--no-plot", "-o", "out", "in")
        folder = "out/CE22222_20240102"
        lines = read(folder + "/KVB-UP.txt").splitlines(True)
        write(folder + "/KVB-UP.txt", "".join(lines[:-20]))
        got = self.run_tool(folder, tool=CONVERT_ALL)
        self.assertEqual(got.returncode, 1)
        self.assertRegex(got.stdout, "^FAILED %s: KVB-UP.txt holds 2[0-9][0-9] of the 400 samples KVB-record.json gives" % folder)

    # --- 29.4: the user's umask ----------------------------------------------------------
    def test_folders_and_files_follow_the_umask(self):
        self.csmip("in/CE22222.V2", 22222)
        for umask, folder, file in [(0o022, 0o755, 0o644), (0o077, 0o700, 0o600)]:
            with self.subTest(umask=oct(umask)):
                shutil.rmtree("out", ignore_errors=True)
                old = os.umask(umask)
                try:
                    self.run_tool("-o", "out", "in")
                finally:
                    os.umask(old)
                self.assertEqual(os.stat("out/CE22222_20240102").st_mode & 0o777, folder)
                modes = {os.stat(p).st_mode & 0o777 for p in glob.glob("out/CE22222_20240102/*") + ["out/records.csv"]}
                self.assertEqual(modes, {file})

    # --- 29.5: a KiK-net recording's six files, loose or zipped -----------------------
    def kiknet(self, folder, station, packed=False):
        os.makedirs(folder, exist_ok=True)
        for k, ext in enumerate(("NS1", "EW1", "UD1", "NS2", "EW2", "UD2"), 1):
            subprocess.run([MAKE, "knet", "%s/%s0102030405.%s" % (folder, station, ext), str(k), station, "400"], check=True)
        if packed:
            with zipfile.ZipFile(folder + ".zip", "w") as z:
                for name in sorted(os.listdir(folder)):
                    z.write(os.path.join(folder, name), name)
            shutil.rmtree(folder)

    def test_kiknet_sets_in_a_batch(self):
        self.kiknet("in/a", "KKN001")
        self.kiknet("in/b", "KKN002", packed=True)
        for args, status, says in [  # (options, exit status, words every record's line holds)
                # K-NET's records start 15 s before the trigger, but these short synthetic ones
                # have no pre-event noise: the default processing keeps them as recorded, and says so.
                ([], 0, "surface set of 6 channels  not processed (N00: no pre-event noise"),
                (["--borehole"], 0, "borehole set of 6 channels"),
                (["--channels", "ns1,EW1,UD1"], 0, "OpenSees"),  # names hold in every record
                (["--channels", "1,2,3"], 2, "--channels by number is for one record; the inputs hold 2")]:
            with self.subTest(args=args):
                got = self.run_tool("--no-plot", "--force", "--export", "columns", "-o", "out", "in", *args)
                self.assertEqual(got.returncode, status, got.stdout + got.stderr)
                if status:
                    self.assertIn(says, got.stderr)
                    continue
                lines = [l for l in got.stdout.splitlines() if l.startswith("ok ")]
                self.assertEqual(len(lines), 2, got.stdout)
                self.assertTrue(all(says in l for l in lines), lines)
        # The borehole's channels were taken last: their record file says so.
        self.assertEqual([c["location"] for c in json.loads(read(glob.glob("out/KKN001_*/KVB-record.json")[0]))["components"]],
                         ["borehole"] * 3)

    # --- 29.6 and 29.10: what a row is ---------------------------------------------------
    def test_rows_say_what_they_are(self):
        self.csmip("in/CE22222.V2", 22222)  # a bridge: along and across the deck, at an abutment
        text = read("in/CE22222.V2").replace("Chan  1: 360 Deg", "Chan  1: Long").replace("Chan  3: 90 Deg", "Chan  3: Tran")
        write("in/CE22222.V2", text.replace("Text header line 17", "Location: Abutment 1"))
        self.peer("in", 5, "Beta")
        self.assertEqual(self.run_tool("--no-plot", "-o", "out", "in").returncode, 0)
        bridge, peer = self.rows()
        self.assertEqual([bridge[k] for k in ("source_N00", "source_N90", "source_UP", "axes", "event_date_from")],
                         ["Long (Abutment 1)", "Tran (Abutment 1)", "Up (Abutment 1)", "structural", "record start"])
        self.assertEqual(bridge["event_date"], bridge["start_time"][:10])
        self.assertEqual([peer[k] for k in ("source_N00", "source_N90", "axes")], ["000", "090", "geographic"])
        for row in (bridge, peer):  # at least 4 significant figures of every PGA in cm/s²
            for c in ("N00", "N90", "UP"):
                digits = row["pga_%s_cm_s2" % c].replace(".", "").replace("-", "").lstrip("0").split("e")[0]
                self.assertGreaterEqual(len(digits), 4, row["pga_%s_cm_s2" % c])

    # --- 29.3: what a changed option asks is made again, and said -------------------------
    def test_changed_measures_are_made_again(self):
        self.csmip("in/CE22222.V2", 22222)
        self.env["PLOT_PSA"] = self.script("psa", 'cat "$1" >"$2"; printf "\\000\\000\\000\\000IEND\\256B\\140\\202" >>"$2"\n')
        folder = "out/CE22222_20240102/"
        for args, periods, says in [([], 118, None), (["--periods", "0.1,1"], 3, "measured again"),
                                    (["--export", "at2"], 118, "measured again"), ([], 118, None)]:
            with self.subTest(args=args):
                got = self.run_tool("-o", "out", "in", *args)
                self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
                spectrum = read(folder + "spectrum.csv")
                self.assertEqual(spectrum.count("\n"), periods)
                self.assertTrue(read(folder + "spectrum.png").startswith(spectrum))  # the picture of these periods
                if says:
                    self.assertRegex(got.stdout, "ok CE22222_20240102 .*  %s\n" % says)
                    self.assertIn("(1 before)", got.stdout)
        self.assertTrue(os.path.isfile(folder + "N00.AT2"))
        self.assertEqual(self.rows()[0]["exports"], "N00.AT2; N90.AT2; UP.AT2")

    # --- 29.11 and 29.13: skipped files named; small faults ----------------------------------
    def test_skipped_files_are_named_and_words_fit(self):
        self.csmip("in/CE22222.V2", 22222)
        shutil.copy("in/CE22222.V2", "in/copy.V2")
        write("in/CE22222.V3", "Response spectra of CE22222\nline 2\nline 3\n")
        write("in/RSN5_X.VT2", "PEER NGA STRONG MOTION DATABASE RECORD\nX\nVELOCITY TIME SERIES IN UNITS OF CM/S\n")
        got = self.run_tool("--no-plot", "--units", "gal", "--export", "csv", "-o", "out", "in")
        self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
        last = got.stdout.splitlines()[-1]
        self.assertTrue(last.startswith("kvb-convert: 1 record: 1 converted, 0 failed; files skipped: 2 companions ("), last)
        self.assertIn("1 duplicate (in/copy.V2: the same contents as in/CE22222.V2); the list: skipped.csv", last)
        self.assertEqual(sorted(tuple(r.values()) for r in self.rows("out/skipped.csv")),
                         [("in/CE22222.V3", "spectra (Volume 3), not acceleration"),
                          ("in/RSN5_X.VT2", "velocity, not acceleration"),
                          ("in/copy.V2", "the same contents as in/CE22222.V2")])
        self.assertIn("cm/s2", json.loads(read("out/CE22222_20240102/KVB-record.json"))["exports"]["csv"]["unit"])
        # Under --strict, kvb-split's advice is in kvb-convert's words.
        self.peer("two", 9, "Gamma")
        os.unlink("two/RSN9_X_UP.AT2")
        got = self.run_tool("--strict", "-o", "out2", "two")
        self.assertIn("without --strict kvb-convert writes a KVB-UP.txt of zeros", got.stdout)
        self.assertNotIn("--missing-vertical", got.stdout)

    # --- miniSEED: a station's sensors by SEED code, their StationXML with them -------------
    def test_miniseed_sets_by_location_accelerometers_first(self):
        os.makedirs("in/xml")
        os.makedirs("lone")
        codes = ["00.HNE", "00.HNN", "00.HNZ", "10.HNE", "10.HNN", "10.HNZ", ".HHE", ".HHN", ".HHZ"]
        for code in codes:
            subprocess.run([MAKE, "mseed", "in/XX.STA.%s.mseed" % code, code, "STA", "400"], check=True)
        subprocess.run([MAKE, "stationxml", "in/xml/XX.STA.xml", ",".join(codes), "STA", "0"], check=True)
        subprocess.run([MAKE, "mseed", "lone/XX.ONE..HNE.mseed", ".HNE", "ONE", "400"], check=True)
        got = self.run_tool("--no-plot", "--filter", "none", "-o", "out", "in", "lone")
        self.assertEqual(got.returncode, 1, got.stdout + got.stderr)
        # Two locations are two records, each with the StationXML among its sources.
        rows = self.rows()
        self.assertEqual([r["folder"] for r in rows], ["XX.ONE..HNE", "XX.STA.00_20240102", "XX.STA.10_20240102"])
        self.assertTrue(all(r["source_files"].endswith("; in/xml/XX.STA.xml") for r in rows[1:]))
        self.assertIn("no StationXML gives the response of XX.ONE..HNE", got.stdout)
        skipped = {r["file"]: r["reason"] for r in self.rows("out/skipped.csv")}
        self.assertEqual(sorted(skipped), ["in/XX.STA..HHE.mseed", "in/XX.STA..HHN.mseed", "in/XX.STA..HHZ.mseed"])
        self.assertIn("is of a sensor of 'M/S', not of acceleration", skipped["in/XX.STA..HHZ.mseed"])

    # --- a lone channel: PEER's one-horizontal records convert, another format's lone file is named
    def test_a_lone_channel(self):
        os.makedirs("in", exist_ok=True)
        subprocess.run([MAKE, "knet", "in/SYN0010001010000.NS", "N-S", "SYN001", "400"], check=True)
        subprocess.run([MAKE, "peer", "in/RSN3968_X_180.AT2", "180", "Gamma", "40"], check=True)
        got = self.run_tool("--no-plot", "-o", "out", "in")
        self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
        self.assertIn("ok RSN3968_Gamma", got.stdout)
        self.assertIn("1 one-channel record (in/SYN0010001010000.NS: one channel (N-S): a record needs two "
                      "horizontals; --missing-horizontal zeros converts it alone)", got.stdout)
        got = self.run_tool("--no-plot", "--missing-horizontal", "zeros", "-o", "out", "in")
        self.assertRegex(got.stdout, "ok SYN001_.*one horizontal: zeros")
        self.assertEqual(len(self.rows()), 2)

    # --- SAC samples of no stated unit: refused with the option named, converted by it on a rerun
    def test_sac_unit_given(self):
        os.makedirs("in", exist_ok=True)
        for c in ("HNE", "HNN", "HNZ"):
            subprocess.run([MAKE, "sac", "in/SYN1.%s.sac" % c, c, "-", "3000"], check=True)
        got = self.run_tool("--no-plot", "-o", "out", "in")
        self.assertEqual(got.returncode, 1)
        self.assertIn("--sac-unit UNIT (g, m/s2, cm/s2, nm/s2) states the unit", got.stdout)
        got = self.run_tool("--no-plot", "--sac-unit", "g", "-o", "out", "in")
        self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
        self.assertIn("ok SYN1_20240102 ", got.stdout)
        self.assertIn("PGA 0.25 g (N00)", got.stdout)

    # --- 29.14: shares of a batch, merged by copying --------------------------------------
    def test_shards_merge_by_copying(self):
        for hour in (1, 2, 3):
            self.csmip("in/CE55555_%d.V2" % hour, 55555, hour)  # one folder name, three records
        for station in range(60001, 60007):
            self.csmip("in/CE%d.V2" % station, station)
        self.run_tool("--no-plot", "-o", "whole", "in")
        os.mkdir("all")
        for k in (1, 2, 3):
            got = self.run_tool("--no-plot", "--shard", "%d/3" % k, "-o", "s%d" % k, "in")
            self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
            for name in os.listdir("s%d" % k):
                if os.path.isdir("s%d/%s" % (k, name)):
                    shutil.copytree("s%d/%s" % (k, name), "all/" + name)  # no name made by two shards
        self.assertEqual(sorted(os.listdir("all")), sorted(n for n in os.listdir("whole") if os.path.isdir("whole/" + n)))
        got = self.run_tool("-o", "all", "all")
        self.assertEqual((got.returncode, got.stdout), (0, "kvb-convert: 0 records: 0 converted, 0 failed\n"))
        self.assertEqual([r["folder"] for r in self.rows("all/records.csv")], [r["folder"] for r in self.rows("whole/records.csv")])
        self.assertEqual(self.run_tool("--shard", "4/3", "in").returncode, 2)

    # --- a rerun reads an input only where its stat data changed -----------------------
    def test_rerun_reads_only_inputs_that_changed(self):
        self.csmip("in/CE22222.V2", 22222)
        time.sleep(2.1)  # a file changed just before it is read is read again next time
        split = self.script("kvb-split", 'echo "$@" >>"%s/split-calls"\nexec "%s" "$@"\n' % (self.dir, SPLIT))
        # kvb-convert with its opens of the inputs told on stderr.
        write("hook.py", "import os, runpy, sys\nreal = os.open\n\n\ndef told(path, *args, **kwargs):\n"
                         "    if '/in/' in os.path.abspath(path):\n        print('opened', path, file=sys.stderr)\n"
                         "    return real(path, *args, **kwargs)\n\n\nos.open = told\nsys.argv = sys.argv[1:]\n"
                         "runpy.run_path(sys.argv[0], run_name='__main__')\n")
        hook = self.script("hooked", 'exec "%s" "%s/hook.py" "%s" "$@"\n' % (sys.executable, self.dir, CONVERT))
        env = dict(self.env, KVB_SPLIT=split)
        got = self.run_tool("--no-plot", "-o", "out", "in", tool=hook, env=env)
        self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
        path, was = "in/CE22222.V2", os.stat("in/CE22222.V2")
        for what, change, opened, identified, converted in [
                ("nothing changed", lambda: None, False, False, False),
                ("other bytes of the same size and times", lambda: (write(path, read(path).replace("Synthetic Creek", "Synthetic Brook")),
                                                                    os.utime(path, ns=(was.st_atime_ns, was.st_mtime_ns))), True, True, True),
                ("the same bytes, touched", lambda: os.utime(path), True, False, False)]:
            with self.subTest(what):
                change()
                if os.path.exists("split-calls"):
                    os.unlink("split-calls")
                got = self.run_tool("--no-plot", "-o", "out", "in", tool=hook, env=env)
                self.assertEqual(("opened in/CE22222.V2" in got.stderr, "--identify" in read("split-calls") if os.path.exists("split-calls") else False,
                                  "ok CE22222_20240102" in got.stdout), (opened, identified, converted), got.stdout + got.stderr)

    # --- 29.15: one gnuplot a worker draws every picture -------------------------------
    @unittest.skipUnless(shutil.which("gnuplot"), "no gnuplot")
    def test_one_gnuplot_a_worker(self):
        for station in (22222, 33333, 44444):
            self.csmip("in/CE%d.V2" % station, station, points=3000)
        self.peer("in/rsn", 8, "Delta")
        os.unlink("in/rsn/RSN8_X_UP.AT2")  # a vertical of zeros: a flat panel draws without a word from gnuplot
        self.script("gnuplot", 'echo x >>"%s/starts"\nexec "%s" "$@"\n' % (self.dir, shutil.which("gnuplot")))
        env = {k: v for k, v in self.env.items() if k not in ("PLOT_ACCEL", "PLOT_PSA")}
        got = self.run_tool("-j", "1", "-o", "out", "in", env=env)
        self.assertEqual(got.returncode, 0, got.stdout + got.stderr)
        self.assertEqual(read("starts").count("x"), 1)
        pictures = glob.glob("out/*/accel.png") + glob.glob("out/*/spectrum.png")
        self.assertEqual(len(pictures), 8)
        self.assertTrue(all(read(p, "rb").endswith(b"IEND\xaeB`\x82") for p in pictures))
        self.assertEqual(glob.glob("out/.kvb-convert-*"), [])
        os.unlink("out/CE33333_20240102/accel.png")  # a picture drawn again alone
        self.assertIn("ok CE33333_20240102 ", self.run_tool("-o", "out", "in", env=env).stdout)

    def v2(self, station):
        return read(self.make_v2("s%d.V2" % station, station), "rb")

    def make_v2(self, name, station):
        path = os.path.join(self.dir, "gen", name)
        if not os.path.exists(path):
            self.csmip(path, station)
        return path

    @staticmethod
    def socket(path):
        with socket.socket(socket.AF_UNIX) as s:
            s.bind(path)

    @staticmethod
    def tar(path, name, data):
        import tarfile
        with tarfile.open(path, "w", format=tarfile.GNU_FORMAT, encoding="latin-1") as t:
            info = tarfile.TarInfo(name.decode("latin-1"))
            info.size = len(data)
            t.addfile(info, io.BytesIO(data))

    @staticmethod
    def zip(path, name, data, flags=0, method=None, damage=False, cut=False, size=None):
        """A zip of one member, as a tool that wrote it wrongly would leave it."""
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr(name, data)
        raw = bytearray(buf.getvalue())
        local, central = raw.find(b"PK\x03\x04"), raw.find(b"PK\x01\x02")
        raw[local + 6] |= flags
        raw[central + 8] |= flags
        if method is not None:
            raw[local + 8], raw[central + 10] = method, method
        if size is not None:
            raw[central + 24:central + 28] = size.to_bytes(4, "little")
        if damage:
            start = local + 30 + len(name)
            raw[start + 50:start + 90] = b"\xff" * 40
        write(path, raw[:len(raw) // 2] if cut else raw)

    def nested(self, path):
        """deep.zip holds 4.zip, which holds 3.zip, ... 1.zip holds a record."""
        data, inner = self.v2(33333), "s.V2"
        for k in range(1, 6):
            buf = io.BytesIO()
            with zipfile.ZipFile(buf, "w") as z:
                z.writestr(inner, data)
            data, inner = buf.getvalue(), "%d.zip" % k
        write(path, data)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
