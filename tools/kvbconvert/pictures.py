"""The pictures of a batch drawn by gnuplots kept running, one a worker, so
that gnuplot's and Python's start-up is paid once a worker, not twice a
record. The scripts are plot-accel's and plot-psa's own (script()); each
picture is drawn into the gnuplot's work folder in OUTDIR, checked whole and
renamed into the record's folder."""

import importlib.machinery
import importlib.util
import os
import shutil
import subprocess
import tempfile
import threading

import kvbtools as kt
from kvbconvert.inputs import WORK_PREFIX, Interrupted

DONE = "kvb-convert: drawn"  # what gnuplot prints when a picture's commands are done


class PictureError(Exception):
    pass


def scripts(tools):
    """{tool: its module} where plot-accel and plot-psa are the Python tools
    of this installation (not programs given through the environment)."""
    found = {}
    for tool, path in tools.items():
        try:
            with open(path, "rb") as f:
                if b"python" not in f.readline() or b"def script(" not in f.read():
                    return {}
            loader = importlib.machinery.SourceFileLoader(tool.replace("-", "_"), path)
            module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
            loader.exec_module(module)
        except (OSError, ImportError, SyntaxError):
            return {}
        found[tool] = module
    return found


class Gnuplot:
    """One gnuplot drawing picture after picture into its own work folder."""

    def __init__(self, start, outdir):
        self.folder = tempfile.mkdtemp(prefix="%s%d-plots-" % (WORK_PREFIX, os.getpid()), dir=outdir)
        self.child = start(["gnuplot"], cwd=self.folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
        self.count = 0

    def draw(self, script, size, target):
        self.count += 1
        name = "p%d.png" % self.count
        commands = "reset\nunset multiplot\n%sset output '%s'\n%s\nunset multiplot\nset output\nset print '-'\n" \
                   "print '%s'\n" % (kt.terminal(size), name, script, DONE)
        said = []
        try:
            self.child.stdin.write(commands.encode("utf-8", "surrogateescape"))
            self.child.stdin.flush()
            for line in iter(self.child.stdout.readline, b""):
                if line.rstrip(b"\n") == DONE.encode():
                    break
                said.append(kt.shown(line.decode("utf-8", "replace").strip()))
            else:
                raise BrokenPipeError()
        except (BrokenPipeError, ValueError) as e:
            raise Interrupted() if self.child.poll() is not None and self.child.returncode < 0 else \
                PictureError("gnuplot ended") from e
        path = os.path.join(self.folder, name)
        errors = [s for s in said if s and set(s) != {"^"}]
        if errors or not kt.ends_with(path, kt.PNG_END):
            kt.discard(path)
            raise PictureError(errors[0] if errors else "no whole picture (is the disc full?)")
        os.chmod(path, 0o666 & ~kt.UMASK)
        os.replace(path, target)

    def close(self):
        try:
            self.child.stdin.close()
            self.child.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.child.kill()
        shutil.rmtree(self.folder, ignore_errors=True)


class Drawer:
    """A gnuplot a worker thread, started when it first draws."""

    def __init__(self, modules, start, outdir):
        self.modules, self.start, self.outdir = modules, start, outdir
        self.local = threading.local()
        self.all = []
        self.lock = threading.Lock()

    def draw(self, tool, data, png):
        module = self.modules[tool]
        plot = getattr(self.local, "gnuplot", None)
        if plot is None:
            plot = self.local.gnuplot = Gnuplot(self.start, self.outdir)
            with self.lock:
                self.all.append(plot)
        try:
            script = module.script(data, png, (), kt.Binary(plot.folder))
        except SystemExit as e:  # the tool's own check of its input failed; it said why
            raise PictureError("%s could not draw %s" % (tool, os.path.basename(data))) from e
        try:
            plot.draw(script, module.size(data) if hasattr(module, "size") else module.SIZE, png)
        except PictureError:
            if plot.child.poll() is not None:  # a gnuplot that ended is started again for the next picture
                self.local.gnuplot = None
            raise

    def close(self):
        for plot in self.all:
            plot.close()
