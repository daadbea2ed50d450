"""What kvb-convert reads: the files given, the folders walked, and the
members of archives, unpacked into a private work folder. An input that
cannot be read is reported with its reason and the others go on; only
regular files are opened; the outputs of kvb-convert met on the way are
not inputs; unpacking is bounded and stops within a block at a signal."""

import bz2
import gzip
import hashlib
import lzma
import os
import re
import shutil
import stat
import tarfile
import tempfile
import threading
import time
import zipfile
import zlib

import kvbtools as kt

RECORD_FILE = kt.RECORD_FILE
WORK_PREFIX = ".kvb-convert-"  # a work folder of kvb-convert in OUTDIR
TABLE_NAME = "records.csv"
OWN_FILES = (TABLE_NAME, "skipped.csv", ".kvb-inputs.json")  # kvb-convert's files in OUTDIR, beside the record folders
# Unpacking is bounded: a member larger than kvb-split reads is left packed;
# an archive stops where it has unpacked more than RATIO times its own size
# (at least RATIO_FLOOR), and the run where all the archives have unpacked
# MAX_TOTAL_BYTES. Each file counts at least a block of the disc.
MAX_MEMBER_BYTES = 256 << 20
MAX_TOTAL_BYTES = 8 << 30
RATIO, RATIO_FLOOR = 50, 64 << 20
FILE_BLOCK = 4096
MAX_NESTING = 4
BLOCK = 1 << 20
SHORT_NAME = 100  # a member's name on disc is cut to this many characters
ZIP_METHODS = {zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED, zipfile.ZIP_BZIP2, zipfile.ZIP_LZMA}
ZIP_METHOD_NAMES = {9: "deflate64", 6: "implode", 12: "bzip2", 98: "PPMd", 99: "AES"}
DAMAGED = (zipfile.BadZipFile, tarfile.TarError, EOFError, zlib.error, lzma.LZMAError, OSError, ValueError,
           RuntimeError, NotImplementedError)

# Members known by their first bytes as no strong-motion file (every format
# kvb-split reads is text but miniSEED): PDF, PNG, GIF, JPEG, Office documents.
NOT_RECORDS = (b"%PDF", b"\x89PNG", b"GIF8", b"\xff\xd8\xff", b"\xd0\xcf\x11\xe0")
# A miniSEED record's first bytes: a sequence number of six digits (or blanks,
# or NULs), its quality D, R, Q or M, a blank or NUL.
MINISEED = re.compile(rb"[0-9 \0]{6}[DRQM][ \0]")

STOP = threading.Event()  # set by a signal: reading stops at the next block


class Interrupted(Exception):
    pass


class Limit(Exception):
    """An archive or the run unpacked all it may."""


def check_stop():
    if STOP.is_set():
        raise Interrupted()


def what_it_is(mode):
    """Words for a file that is not a regular file or a folder."""
    for test, words in ((stat.S_ISFIFO, "a FIFO"), (stat.S_ISSOCK, "a socket"), (stat.S_ISCHR, "a character device"),
                        (stat.S_ISBLK, "a block device")):
        if test(mode):
            return words
    return "not a regular file"


def archive_kind(head):
    if head.startswith((b"PK\x03\x04", b"PK\x05\x06")):
        return "zip"
    if head.startswith((b"\x1f\x8b", b"BZh", b"\xfd7zXZ")):
        return "compressed"
    if head[257:262] == b"ustar":
        return "tar"
    return None


def short_name(name):
    """A name any file system takes for a member: its last part, plain
    letters, cut short (the name the user sees stays whole)."""
    base = re.split(r"[/\\]+", name.rstrip("/\\"))[-1] if name else ""
    base = re.sub(r"[^A-Za-z0-9._-]+", "_", base).lstrip(".")
    return base[-SHORT_NAME:] or "member"


def member_shown(name):
    """A member's name as the user sees it: no "..", no leading "/"."""
    parts = [p for p in re.split(r"[/\\]+", name) if p not in ("", ".", "..")]
    return kt.shown("/".join(parts)) or "?"


def uncompressed_name(shown):
    base = re.sub(r"\.(gz|bz2|xz|z)$", "", shown, flags=re.I)
    return base if base != shown else shown + ".out"


class Budget:
    """What an archive may still unpack, and the folder it unpacks into."""

    def __init__(self, left, root):
        self.left, self.root = left, root


class Inputs:
    """files: the paths kvb-split reads, in order; shown: each one's name for
    the user ("CE89146.zip/CE89146.V2"); digest: its contents' SHA-256.
    failed and skipped: (name, reason) of what was not read; duplicates and
    strangers: the names of files of the same contents as another, and of
    members left packed as not strong-motion files."""

    def __init__(self, outdir):
        self.files, self.shown, self.digest = [], {}, {}
        self.failed, self.skipped, self.duplicates = [], [], []
        self.strangers = []  # members not unpacked: binary, no strong-motion file
        self.reasons = {}  # a skipped file's name: why, where more than its kind says
        self.first = {}  # a digest: the name of the first file of those contents
        self.seen = set()
        self.outdir = os.path.realpath(outdir)
        self.temp = None
        self.count = 0
        self.unpacked = 0
        self.record_folders = 0  # record folders met among the inputs (outputs, not read)
        self.read_dirs = set()  # the folders holding an input read, and theirs up to /
        self.stored = None  # digests kept by a run before (kvbconvert.stored), for files unchanged since

    # -- the work folder
    def work(self):
        if self.temp is None:
            self.temp = tempfile.mkdtemp(prefix="%s%d-inputs-" % (WORK_PREFIX, os.getpid()), dir=self.outdir)
        return self.temp

    def new_path(self, name, folder=None):
        """A new file's path in folder (by default the work folder), under the
        name's last part: the readers take a record's number from it
        (RSN5_...). A name met twice goes into a subfolder."""
        folder = folder or self.work()
        path = os.path.join(folder, short_name(name))
        if os.path.lexists(path):
            self.count += 1
            os.mkdir(os.path.join(folder, str(self.count)))
            path = os.path.join(folder, str(self.count), short_name(name))
        return path

    def remove(self):
        if self.temp:
            shutil.rmtree(self.temp, ignore_errors=True)

    # -- what is given
    def add(self, path, shown):
        check_stop()
        try:
            st = os.stat(path)
        except OSError as e:
            return self.failed.append((shown, "cannot read: %s" % e.strerror))
        if stat.S_ISDIR(st.st_mode):
            if os.path.isfile(os.path.join(path, RECORD_FILE)):
                self.record_folders += 1
                return self.skipped.append((shown, "a record folder (it holds %s); its files are outputs" % RECORD_FILE))
            self.note_folder(path)
            return self.walk(path, shown)
        if not stat.S_ISREG(st.st_mode):
            return self.skipped.append((shown, "%s, not a regular file" % what_it_is(st.st_mode)))
        self.add_file(path, shown, 0)

    def note_folder(self, path):
        real = os.path.realpath(path)
        while real not in self.read_dirs:
            self.read_dirs.add(real)
            real = os.path.dirname(real)

    def walk(self, top, shown):
        def failed(e):
            name = os.path.join(shown, os.path.relpath(e.filename, top)) if e.filename else shown
            self.failed.append((kt.shown(name), "cannot read the folder: %s" % e.strerror))

        for folder, dirs, names in os.walk(top, onerror=failed):
            check_stop()
            own_out = os.path.realpath(folder) == self.outdir
            outputs = [d for d in dirs if os.path.isfile(os.path.join(folder, d, RECORD_FILE))]
            self.record_folders += len(outputs)
            dirs[:] = [d for d in sorted(dirs) if not d.startswith(WORK_PREFIX) and d not in outputs]
            for name in sorted(names):
                if name.startswith(WORK_PREFIX) or own_out and (name in OWN_FILES or name.startswith(OWN_FILES)):
                    continue
                full = os.path.join(folder, name)
                rel = kt.shown(os.path.join(shown, os.path.relpath(full, top)))
                try:
                    st = os.stat(full)
                except OSError as e:
                    self.failed.append((rel, "cannot read: %s" % e.strerror))
                    continue
                if stat.S_ISREG(st.st_mode):
                    self.add_file(full, rel, 0)
                elif not stat.S_ISDIR(st.st_mode):  # a link to a folder is not followed
                    self.skipped.append((rel, "%s, not a regular file" % what_it_is(st.st_mode)))

    # -- one file
    def add_file(self, path, shown, depth, made=False):
        """A regular file: unpacked where it is an archive, else one to identify.
        It is opened without waiting (a FIFO put in its place is not read)."""
        shown = kt.shown(shown)
        stored = None if made or self.stored is None else self.stored.digest(path)
        if stored:  # unchanged since a run before: not read again
            return self.given(path, shown, stored)
        try:
            fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC)
        except OSError as e:
            return self.failed.append((shown, "cannot read: %s" % e.strerror))
        with os.fdopen(fd, "rb") as f:
            try:
                looked = time.time_ns()
                st = os.fstat(fd)
                if not stat.S_ISREG(st.st_mode):
                    return self.skipped.append((shown, "%s, not a regular file" % what_it_is(st.st_mode)))
                head = f.read(512)
                kind = archive_kind(head)
                if kind:
                    if depth >= MAX_NESTING:
                        return self.failed.append((shown, "an archive nested more than %d deep; not unpacked" % MAX_NESTING))
                    f.seek(0)
                    return self.unpack(f, kind, shown, depth + 1, st.st_size)
                digest = hashlib.sha256(head)
                for block in iter(lambda: f.read(BLOCK), b""):
                    check_stop()
                    digest.update(block)
            except OSError as e:
                return self.failed.append((shown, "cannot read: %s" % e.strerror))
        if not made and self.stored is not None:
            self.stored.learn(path, st, digest.hexdigest(), looked)
        self.given(path, shown, digest.hexdigest(), made)

    def given(self, path, shown, digest, made=False):
        """A file to identify, of these contents."""
        if not made:
            self.note_folder(os.path.dirname(os.path.abspath(path)))
            if kt.shown(path) != path:  # kvb-split is handed a plain name
                try:
                    link = self.new_path(path)
                    os.symlink(os.path.abspath(path), link)
                except OSError as e:
                    return self.failed.append((shown, "cannot link it in the work folder: %s" % e.strerror))
                path = link
        self.take(path, shown, digest)

    def take(self, path, shown, digest):
        if digest in self.seen:
            self.reasons[shown] = "the same contents as %s" % self.first[digest]
            return self.duplicates.append(shown)
        self.seen.add(digest)
        self.first[digest] = shown
        self.files.append(path)
        self.shown[path] = shown
        self.digest[path] = digest

    # -- archives
    def unpack(self, stream, kind, shown, depth, size):
        self.count += 1
        try:
            root = os.path.join(self.work(), "a%d" % self.count)  # one folder an archive
            os.mkdir(root)
            budget = Budget(max(RATIO * size, RATIO_FLOOR), root)
            if kind == "zip":
                self.unzip(stream, shown, depth, budget)
            else:
                self.untar(stream, kind, shown, depth, budget)
        except Limit as e:
            self.failed.append((shown, "%s; the rest is not unpacked" % e))
        except DAMAGED as e:
            self.failed.append((shown, "cannot unpack the archive: %s" % kt.shown(str(e) or type(e).__name__)))

    def unzip(self, stream, shown, depth, budget):
        with zipfile.ZipFile(stream) as z:
            for info in z.infolist():
                check_stop()
                mode = info.external_attr >> 16
                if info.is_dir() or (mode and (mode & 0o170000) not in (0, 0o100000)):
                    continue
                name = shown + "/" + member_shown(info.filename)
                if info.flag_bits & 0x1:
                    self.failed.append((name, "encrypted (it needs a password); not unpacked"))
                elif info.compress_type not in ZIP_METHODS:
                    self.failed.append((name, "packed by method %s, which cannot be unpacked here" %
                                        ZIP_METHOD_NAMES.get(info.compress_type, info.compress_type)))
                elif info.file_size > MAX_MEMBER_BYTES:
                    self.skipped.append((name, "%d MiB unpacked; larger than a strong-motion file" % (info.file_size >> 20)))
                else:
                    try:
                        with z.open(info) as data:
                            self.member(data, info.filename, name, depth, budget)
                    except (Limit, Interrupted):
                        raise
                    except DAMAGED as e:
                        self.failed.append((name, "cannot unpack: %s" % kt.shown(str(e) or type(e).__name__)))

    def untar(self, stream, kind, shown, depth, budget):
        """A tar (compressed or not), or one file compressed alone (CE89146.V2.gz)."""
        try:
            t = tarfile.open(fileobj=stream, mode="r:*")
        except tarfile.ReadError:
            if kind != "compressed":
                raise
            stream.seek(0)
            opener = {b"\x1f\x8b": gzip.GzipFile, b"BZ": bz2.BZ2File, b"\xfd7": lzma.LZMAFile}[stream.read(2)]
            stream.seek(0)
            with opener(fileobj=stream) if opener is gzip.GzipFile else opener(stream) as data:
                self.member(data, "", uncompressed_name(shown), depth, budget)
            return
        done = 0
        with t:
            for info in t:
                check_stop()
                if info.isreg():
                    name = shown + "/" + member_shown(info.name)
                    if info.size > MAX_MEMBER_BYTES:
                        self.skipped.append((name, "%d MiB unpacked; larger than a strong-motion file" % (info.size >> 20)))
                    else:
                        self.member(t.extractfile(info), info.name, name, depth, budget)
                done += 1

    def member(self, data, name, shown, depth, budget):
        """One member written to the work folder (only one that can be a
        record: text, or an archive), within the limits."""
        head = data.read(4096)
        binary = b"\0" in head[:1024] and not MINISEED.match(head)
        if not archive_kind(head) and (binary or head.startswith(NOT_RECORDS)):
            return self.strangers.append(shown)
        target = self.new_path(name or shown, budget.root)
        digest = hashlib.sha256()
        written = 0
        try:
            with open(target, "xb") as out:
                block = head
                while block:
                    check_stop()
                    written += len(block)
                    if written > MAX_MEMBER_BYTES:
                        raise ValueError("larger than %d MiB unpacked" % (MAX_MEMBER_BYTES >> 20))
                    self.spend(len(block) + (FILE_BLOCK if block is head else 0), budget)
                    digest.update(block)
                    out.write(block)
                    block = data.read(BLOCK)
        except BaseException:
            kt.discard(target)
            raise
        if archive_kind(head):
            self.add_file(target, shown, depth, made=True)
        else:
            self.take(target, shown, digest.hexdigest())

    def spend(self, size, budget):
        budget.left -= size
        self.unpacked += size
        if budget.left < 0:
            raise Limit("unpacks to more than %d times its size" % RATIO)
        if self.unpacked > MAX_TOTAL_BYTES:
            raise Limit("the archives unpack to more than %d GiB" % (MAX_TOTAL_BYTES >> 30))
