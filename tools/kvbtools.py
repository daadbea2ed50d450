"""What kvb-convert, plot-accel, plot-psa and convert-all share: names shown
safely, files made beside their target and renamed into place, clean-up when
a signal ends the run, and the facts of KVB-record.json."""

import array
import contextlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

COMPONENTS = ("N00", "N90", "UP")
COMPONENT_FILES = tuple("KVB-%s.txt" % c for c in COMPONENTS)
RECORD_FILE = "KVB-record.json"
G = 980.665  # cm/s² in one g
# The version every tool prints (--version); the C++ programs print CMake's
# project version (CMakeLists.txt), which tests/tools/tools_test.py holds to this one.
VERSION = "1.0.0"


def print_version(tool, argv):
    """TOOL VERSION on standard output and exit 0, where argv asks for it."""
    if argv[:1] == ["--version"]:
        print("%s %s" % (tool, VERSION))
        sys.exit(0)

for stream in (sys.stdout, sys.stderr):
    stream.reconfigure(errors="backslashreplace")


def shown(text):
    """Text as a message shows it: control characters (C0, DEL, C1) and
    bytes that are not UTF-8 become \\x1b, \\xc2\\x9b, \\xe9."""
    out = []
    for ch in text:
        o = ord(ch)
        if o < 0x20 or 0x7F <= o <= 0x9F:
            out.append("".join("\\x%02x" % b for b in ch.encode()))
        elif 0xDC80 <= o <= 0xDCFF:  # a byte of a name that is not UTF-8
            out.append("\\x%02x" % (o - 0xDC00))
        elif 0xD800 <= o <= 0xDFFF:
            out.append("\\u%04x" % o)
        else:
            out.append(ch)
    return "".join(out)


def run(main):
    """main(), its return value the exit status; a reader of the output that
    has gone (grep -q) ends the tool quietly, as it would a shell tool."""
    try:
        status = main()
        sys.stdout.flush()
    except BrokenPipeError:
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        status = 1
    sys.exit(status)


def ending(program, status):
    """How a child that failed ended, from its return code: "read-KVB exit
    status 1", "gnuplot ended by signal 9"."""
    if status < 0:
        return "%s ended by signal %d" % (program, -status)
    return "%s exit status %d" % (program, status)


def fail(tool, message, status=1):
    print("%s: %s" % (tool, message), file=sys.stderr)
    sys.exit(status)


# Clean-up. The children started and the temporaries made are kept here; a
# signal stops the children, removes the temporaries and ends the program
# by that signal (Ctrl-C: status 130). Starting a child or making a
# temporary holds the lock, so that none escapes; on the main thread the
# signal waits until that is done.
_lock = threading.Lock()
_children = set()
_temporaries = set()
_main_busy = False
_pending = []
_stopping = []


def _stop(signum, frame=None):
    if _main_busy:
        _pending.append(signum)
        return
    if _stopping:  # a second signal while the first cleans up
        return
    _stopping.append(signum)
    with _lock:
        for child in _children:
            with contextlib.suppress(OSError):
                child.terminate()
        for child in _children:
            try:
                child.wait(timeout=2)
            except Exception:  # pylint: disable=broad-except
                with contextlib.suppress(OSError):
                    child.kill()
        for path in _temporaries:
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path, ignore_errors=True)
            with contextlib.suppress(OSError):
                os.unlink(path)
        signal.signal(signum, signal.SIG_DFL)
        os.kill(os.getpid(), signum)


def clean_up_on_signals():
    """Stop children and remove temporaries on SIGTERM, SIGHUP and SIGINT
    (a signal ignored when the program started, as under nohup, stays so)."""
    for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        if signal.getsignal(signum) != signal.SIG_IGN:
            signal.signal(signum, _stop)


@contextlib.contextmanager
def _guarded():
    global _main_busy
    main = threading.current_thread() is threading.main_thread()
    if main:
        _main_busy = True
    try:
        with _lock:
            yield
    finally:
        if main:
            _main_busy = False
            if _pending:
                _stop(_pending[0])


def start(popen, *args, **kwargs):
    """A child process started by subprocess.Popen, stopped on a signal."""
    with _guarded():
        child = popen(*args, **kwargs)
        _children.add(child)
    return child


def finished(child):
    with _guarded():
        _children.discard(child)


_umask = os.umask(0)
os.umask(_umask)
UMASK = _umask
PNG_END = b"\0\0\0\0IEND\xaeB`\x82"  # the last chunk of a whole PNG


def beside(target):
    """(fd, name) of a new file in target's folder, made exclusively (never
    through a link planted there), with the permissions a new file gets."""
    folder, name = os.path.split(target)
    with _guarded():
        fd, path = tempfile.mkstemp(prefix=name[:100] + ".", suffix=".tmp", dir=folder or ".")
        _temporaries.add(path)
    os.fchmod(fd, 0o666 & ~_umask)
    return fd, path


def put_in_place(path, target):
    """The temporary path renamed to target (a link there is replaced, not followed)."""
    with _guarded():
        os.replace(path, target)
        _temporaries.discard(path)


def discard(path):
    with _guarded():
        with contextlib.suppress(OSError):
            os.unlink(path)
        _temporaries.discard(path)


@contextlib.contextmanager
def scratch():
    """A private folder of the temporary files' place (TMPDIR), removed with
    what it holds when the block ends or a signal ends the program."""
    with _guarded():
        folder = tempfile.mkdtemp(prefix="kvb-")
        _temporaries.add(folder)
    try:
        yield folder
    finally:
        with _guarded():
            shutil.rmtree(folder, ignore_errors=True)
            _temporaries.discard(folder)


def program(name, variable, *folders):
    """The program to run for name: $variable, else the one in the first of
    folders that has it (a tool's own, where they are installed together),
    else the one on PATH; None where there is none."""
    if os.environ.get(variable):
        return os.path.abspath(os.environ[variable])
    for folder in filter(None, folders):
        candidate = os.path.join(folder, name)
        if os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which(name)
    return os.path.abspath(found) if found else None


def write_text(path, text):
    """text made beside path and renamed into place, never written through a
    link; OSError where it cannot be."""
    fd, work = beside(path)
    try:
        with os.fdopen(fd, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
            f.write(text)
        put_in_place(work, path)
    except OSError:
        discard(work)
        raise


# KVB-record.json, as kvb-split writes it. Every key may be missing (older
# record files) or null.
class RecordError(Exception):
    pass


def read_record(path):
    """The record file as a dict; RecordError when it is not one."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            record = json.load(f)
    except (OSError, ValueError) as e:
        raise RecordError(str(e)) from e
    if not isinstance(record, dict):
        raise RecordError("not an object")
    return record


def _get(record, *keys):
    """record[k1][k2]..., or None where a key is missing or null."""
    for key in keys:
        if record is None:
            return None
        if not isinstance(record, dict):
            raise RecordError("%s is not an object" % key)
        record = record.get(key)
    return record


def components(record):
    """The record's three component entries (dicts; empty where missing)."""
    entries = _get(record, "components") or []
    if not isinstance(entries, list) or not all(isinstance(c, dict) for c in entries):
        raise RecordError("components is not a list of objects")
    return (entries + [{}, {}, {}])[:3]


def zeros(record):
    return bool(_get(record, "done", "missing_vertical")) or bool(components(record)[2].get("zeros"))


def component_names(record):
    """'N00 360 Deg', 'N90 zeros (one horizontal)', 'UP zeros (no vertical)'."""
    names = []
    for name, c in zip(COMPONENTS, components(record)):
        missing = "no vertical" if name == COMPONENTS[2] else "one horizontal"
        what = "zeros (%s)" % missing if c.get("zeros") else c.get("orientation")
        names.append(" ".join(str(w) for w in (name, what) if w))
    return names


def _words(*words, sep=" "):
    return sep.join(str(w) for w in words if w)


def title_lines(record):
    """The station and the record's start; the event, the record's name and
    'uncorrected'; what was done to the samples."""
    code, start, magnitude = _get(record, "station", "code"), _get(record, "start_time"), _get(record, "event", "magnitude")
    name = _get(record, "station", "name")
    station = _words(name, code and "(%s)" % code) if name else code and "station %s" % code  # never "(CODE)" alone
    first = _words(station, start and "record of %s" % start, sep=", ")
    second = _words(_words(_get(record, "event", "name"), _get(record, "event", "date")),
                    magnitude is not None and "M %g" % magnitude, _get(record, "record_id"),
                    _get(record, "processing", "level") == "uncorrected" and "uncorrected", sep=", ")
    return [line for line in (first, second, "; ".join(notes(record))) if line]


def notes(record):
    """What kvb-split did to the samples, in words."""
    done = _get(record, "done") or {}
    resampling, window = _get(done, "resampling"), _get(done, "window")
    said = [_get(done, "uneven_times") and "uneven times put on an even grid"]
    if resampling:
        said.append("resampled from %g s to %g s (%s)" % (resampling["from_interval"], resampling["to_interval"], resampling["method"]))
    elif _get(done, "resampled"):
        source = _get(done, "source_interval")
        said.append(_words("resampled", source and "from %g s" % source, "(%s)" % _get(done, "resampled")))
    if window and window.get("samples", 0) != window.get("record_samples", 1):  # a window that cut the record
        said.append(_words("window", "from %.2f s" % window.get("start", 0.0), window.get("end") is not None and "to %.2f s" % window["end"], "of the record"))
    said += ["one horizontal: %s is zeros" % name for name, c in zip(COMPONENTS[:2], components(record)) if c.get("zeros")]
    said.append(zeros(record) and "no vertical: UP is zeros")
    return [s for s in said if s]


# Pictures drawn by gnuplot.
def quoted(text):
    """text as a gnuplot string: in single quotes only the quote is special.
    Control characters are shown escaped, so a string is one line."""
    return "'%s'" % shown(str(text)).replace("'", "''")


def quoted_lines(lines):
    return '."\\n".'.join(quoted(line) for line in lines)


def plot_arguments(tool, usage, argv, flags=()):
    """(input, picture, flags given) from 'TOOL [FLAGS] [--] INPUT [PICTURE]'."""
    operands, given = [], set()
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--":
            operands += args
            break
        if arg in ("-h", "--help"):
            print(usage)
            sys.exit(0)
        print_version(tool, [arg])
        if arg in flags:
            given.add(arg)
        elif arg.startswith("-") and arg != "-":
            print("%s: unknown option %s\n%s" % (tool, shown(arg), usage), file=sys.stderr)
            sys.exit(2)
        else:
            operands.append(arg)
    if not 1 <= len(operands) <= 2:
        print(usage, file=sys.stderr)
        sys.exit(2)
    data = operands[0]
    picture = operands[1] if len(operands) == 2 else (data[:-4] if data.endswith(".csv") else data) + ".png"
    return data, picture, given


def check_readable(tool, path):
    """Refuse a file given to draw that is not a file this user can read."""
    if not os.path.isfile(path) or not os.access(path, os.R_OK):
        fail(tool, "%s: cannot read the file" % shown(path))


def read_lines(tool, path):
    """The lines of a file given to draw, after the checks every tool makes."""
    check_readable(tool, path)
    try:
        with open(path, encoding="latin-1", newline="\n") as f:
            lines = f.read().splitlines()
    except OSError:
        fail(tool, "%s: cannot read the file" % shown(path))
    return lines


def check_picture(tool, picture, inputs):
    """Refuse a picture's name that is a folder or one of the inputs."""
    if os.path.isdir(picture):
        fail(tool, "%s: is a folder; give the picture a file name" % shown(picture))
    for path, what in inputs:
        if os.path.exists(picture) and os.path.exists(path) and os.path.samefile(picture, path):
            fail(tool, "%s: is the %s; give the picture another name" % (shown(picture), what))


_last_record = threading.local()  # a thread's last record file read: (its stat, the record)


def record_beside(tool, path, extract):
    """(extract(record), its name) for the record file beside path, or
    (extract({}), None) when there is none. A thread that reads the same
    file again, unchanged (both pictures of a record), gets it without
    reading it: some 80 kB of JSON."""
    name = os.path.join(os.path.dirname(path), RECORD_FILE)
    if not os.path.isfile(name):
        return extract({}), None
    try:
        st = os.stat(name)
        key = (os.path.abspath(name), st.st_dev, st.st_ino, st.st_size, st.st_mtime_ns, st.st_ctime_ns)
        last = getattr(_last_record, "value", None)
        if last is None or last[0] != key:
            last = _last_record.value = (key, read_record(name))
        return extract(last[1]), name
    except (OSError, RecordError, AttributeError, KeyError, TypeError, ValueError):
        fail(tool, "%s: not a record file that %s can read" % (shown(name), tool))


def ends_with(path, tail):
    """Whether the file ends with tail (a PNG with its last chunk)."""
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            if f.tell() < len(tail):
                return False
            f.seek(-len(tail), os.SEEK_END)
            return f.read() == tail
    except OSError:
        return False


def terminal(size, smooth=False):
    """gnuplot's commands for a PNG of size: libgd's terminal (png) where
    gnuplot has it, which draws a record's picture in about half the time of
    cairo's (pngcairo, else), nearly all of that in encoding its smoother
    pixels; helvetica is Nimbus Sans (fonts-urw-base35) where fontconfig
    has it, else Liberation Sans (gnuplot's own dependency), both Arial's
    widths: Nimbus Sans's hints (CFF) cost a sixth of libgd's time less than
    Liberation's TrueType ones, which cost a third less than DejaVu's; butt
    ends draw a thick
    line with one stroke, not a brush pixel by pixel (a third of a spectrum's
    time). libgd draws no dashes: smooth asks for cairo first, for a
    picture whose curves are told apart by them."""
    fast = "  set terminal png noenhanced butt font 'helvetica,11' size %d,%d\n" % size
    cairo = "  set terminal pngcairo noenhanced size %d,%d\n" % size
    (first, chosen), (_, other) = sorted((("png", fast), ("pngcairo", cairo)), reverse=smooth)
    return "set encoding utf8\nif (strstrt(GPVAL_TERMINALS, ' %s ') > 0) {\n%s} else {\n%s}\n" % (first, chosen, other)


class Binary:
    """A picture's curves as files of binary numbers in gnuplot's working
    folder, which gnuplot reads several times faster than datablocks."""

    def __init__(self, folder):
        self.folder = folder

    @staticmethod
    def source(name, width=2):
        """What plot takes to draw NAME.bin, rows of width numbers."""
        return "'%s.bin' binary format='%s'" % (name, "%float64" * width)

    def add(self, _script, name, rows):
        """rows of numbers, all of one width, written to NAME.bin; what plot
        takes to draw them."""
        width = len(rows[0]) if rows else 2
        numbers = array.array("d", bytes(8 * width * len(rows)))
        for c, column in enumerate(zip(*rows)):
            numbers[c::width] = array.array("d", map(float, column))
        with open(os.path.join(self.folder, name + ".bin"), "wb") as f:
            numbers.tofile(f)
        return self.source(name, width)


class Datablocks:
    """A picture's curves written into its script, as gnuplot datablocks."""

    @staticmethod
    def add(script, name, rows):
        """rows of numbers as the datablock $name appended to script; what
        plot takes to draw them."""
        script += ["$%s << EOD" % name, *(",".join(map(str, row)) for row in rows), "EOD"]
        return "$" + name


def draw(tool, script, picture, what, size, smooth=False, folder=None):
    """Run gnuplot in folder (the curves' files; by default here) on script
    (its terminal and output set here) into picture."""
    if not shutil.which("gnuplot"):
        fail(tool, "gnuplot not found; install it (Debian: sudo apt-get install gnuplot-nox)")
    head = terminal(size, smooth)
    try:
        fd, temporary = beside(picture)
    except OSError as e:
        fail(tool, "cannot make %s: %s" % (shown(picture), e.strerror))
    # gnuplot draws to its standard output, the temporary: no name in the script.
    try:
        child = start(subprocess.Popen, ["gnuplot"], stdin=subprocess.PIPE, stdout=fd, stderr=subprocess.PIPE, cwd=folder)
    except OSError as e:
        discard(temporary)
        fail(tool, "cannot run gnuplot: %s" % e.strerror)
    finally:
        os.close(fd)
    _, err = child.communicate((head + script).encode("utf-8", "surrogateescape"))
    finished(child)
    reason = shown(err.decode("utf-8", "replace").partition("\n")[0])
    if child.returncode < 0 and not reason:
        reason = ending("gnuplot", child.returncode)
    if child.returncode != 0:
        discard(temporary)
        fail(tool, "gnuplot could not draw %s: %s" % (shown(what), reason))
    if os.path.getsize(temporary) == 0:
        discard(temporary)
        fail(tool, "gnuplot wrote no picture")
    if not ends_with(temporary, PNG_END):  # a full disc cuts it short
        discard(temporary)
        fail(tool, "gnuplot wrote %s short, without its end (is the disc full?)" % shown(picture))
    try:
        put_in_place(temporary, picture)
    except OSError as e:
        discard(temporary)
        fail(tool, "cannot write %s: %s" % (shown(picture), e.strerror))
    print(shown(picture))
