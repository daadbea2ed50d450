"""What a run learnt of its inputs, kept in OUTDIR for the next run, so that a
rerun with nothing to do reads no input file: each file's SHA-256 with the
file's device, inode, size, modification and change times, and what
kvb-split --identify said of each content under each name.

A stored digest is used only while all five stat fields are the same: a
write changes the change time (which no program can set back), a file put
in its place another inode. A file changed within a second of being read
could keep its times (their clock ticks coarsely), so such a file is not
kept and is read again next time. What kvb-split said is kept for one
kvb-split (its path, size and modification time) and only where it read the
file without an error."""

import json
import os

import kvbtools as kt

NAME = ".kvb-inputs.json"  # in OUTDIR, among its own files (inputs.OWN_FILES)
VERSION = 1
SETTLED_NS = 2 * 10**9  # a file last changed this long before it was looked at keeps its times


def stat_key(st):
    return [st.st_dev, st.st_ino, st.st_size, st.st_mtime_ns, st.st_ctime_ns]


class Stored:
    def __init__(self, outdir, kvb_split):
        self.path = os.path.join(outdir, NAME)
        try:
            st = os.stat(kvb_split)
            self.program = [os.path.abspath(kvb_split), st.st_size, st.st_mtime_ns]
        except (OSError, TypeError):
            self.program = None
        try:
            with open(self.path, encoding="utf-8") as f:
                kept = json.load(f)
            if not isinstance(kept, dict) or kept.get("version") != VERSION:
                kept = {}
        except (OSError, ValueError):
            kept = {}
        self.old_files = kept.get("files") if isinstance(kept.get("files"), dict) else {}
        same_program = self.program is not None and kept.get("kvb-split") == self.program
        self.old_identified = kept.get("identified") if same_program and isinstance(kept.get("identified"), dict) else {}
        self.files, self.identified = {}, {}  # what this run used or learnt: the next run's

    # -- digests
    def digest(self, path):
        """The stored SHA-256 of the file at path where it is unchanged, else None."""
        name = os.path.abspath(path)
        entry = self.old_files.get(name)
        if not isinstance(entry, list) or len(entry) != 2:
            return None
        try:
            st = os.stat(name)
        except OSError:
            return None
        if entry[0] != stat_key(st) or not isinstance(entry[1], str):
            return None
        self.files[name] = entry
        return entry[1]

    def learn(self, path, st, digest, looked):
        """The digest of the file read at path; st its stat before reading,
        taken after the clock said looked (ns)."""
        if looked - max(st.st_mtime_ns, st.st_ctime_ns) > SETTLED_NS:
            self.files[os.path.abspath(path)] = [stat_key(st), digest]

    # -- what kvb-split --identify said
    @staticmethod
    def key(path, digest):
        return digest + "/" + os.path.basename(path)  # the readers take a record's number from the name

    def identity(self, path, digest):
        """What kvb-split said of these contents under this name, or None."""
        said = self.old_identified.get(self.key(path, digest))
        if not isinstance(said, dict):
            return None
        self.identified[self.key(path, digest)] = said
        return dict(said, file=path)

    def identified_now(self, path, digest, said):
        if said.get("error") is None and said.get("kind") != "failed":
            self.identified[self.key(path, digest)] = {k: v for k, v in said.items() if k != "file"}

    def save(self):
        """Written beside and renamed; a run that cannot keep it loses only time."""
        try:
            kt.write_text(self.path, json.dumps({"version": VERSION, "kvb-split": self.program, "files": self.files,
                                                 "identified": self.identified}, separators=(",", ":")) + "\n")
        except OSError:
            pass
