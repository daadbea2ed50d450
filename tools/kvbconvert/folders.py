"""The record folders in OUTDIR: each record's identity and the name it
takes (the same every run), whether a folder is up to date, and placing a
finished work folder, where only the files kvb-convert makes are replaced."""

import contextlib
import json
import os
import re
import shutil
import unicodedata

import kvbtools as kt
from kvbconvert.inputs import WORK_PREFIX, TABLE_NAME

RECORD_FILE = kt.RECORD_FILE
KEY = "convert"  # kvb-convert's own entry in the record file
PNG_END = kt.PNG_END
# The names of the files kvb-convert makes in a record folder (the exports
# too): only these are removed when a rebuild no longer makes them.
# kvb-suite's scaled exports ("N00_g_dt0.005_x1.37.txt") are not among them.
MADE = re.compile(r"KVB-(N00|N90|UP)\.txt|KVB-(record\.json|full\.csv)|(accel|spectrum|fas)\.(csv|png)|"
                  r"(convert|read-KVB)\.log|(N00|N90|UP)_(g|m_s2|cm_s2)_dt[0-9.e+-]+\.txt|(RSN[0-9]+_)?(N00|N90|UP)\.AT2|"
                  r"accel_(g|m_s2|cm_s2)\.csv")
CSV_LINE = 41  # read-KVB's CSV: F7.3 time and three F10.3 values, commas, newline


def remove_stale(outdir):
    """Work folders of runs that ended without cleaning up (killed): those
    named after a process that is no longer running."""
    try:
        names = os.listdir(outdir)
    except OSError:
        return
    for name in names:
        m = re.match(re.escape(WORK_PREFIX) + r"(\d+)-", name)
        if not m or int(m.group(1)) == os.getpid():
            continue
        try:
            os.kill(int(m.group(1)), 0)
        except ProcessLookupError:
            shutil.rmtree(os.path.join(outdir, name), ignore_errors=True)
        except OSError:
            pass  # another user's process: its work folder stays


# ---------------------------------------------------------------- identity

def norm(text):
    return " ".join(str(text or "").upper().split())


def identity(files, sources):
    """What the record is, whatever the run: its record number, station,
    start to the second and channels; its sources' names where it says none."""
    c = files[0]["channels"][0] if files and files[0]["channels"] else {}
    start = (c.get("start_time") or "")[:19] or c.get("event_date") or norm(c.get("start_time_text"))
    channels = sorted(norm(ch.get("orientation")) for f in files for ch in f["channels"])
    parts = [norm(c.get("record_id")), norm(c.get("station_code") or c.get("station_name")), start]
    if files and files[0]["format"] == "mseed":  # a station's sensors are told apart by their SEED location
        parts[1] += "." + (c.get("location") or "")
    if not any(parts):
        parts.append(";".join(sorted(sources)))
    return "|".join(parts + [",".join(channels)])


def safe_name(text):
    """Letters, digits, "." and "-" joined by single "_": a name any file
    system takes ("Ñuñoa" becomes "Nunoa")."""
    text = unicodedata.normalize("NFKD", text).encode("ascii", "ignore").decode()
    name = re.sub(r"[_.-]*_[_.-]*", "_", re.sub(r"[^A-Za-z0-9.-]+", "_", text)).strip("._-")[:80]
    return RESERVED_NAME.sub(r"\1_\2", name, count=1)


RESERVED_NAME = re.compile(r"^(CON|PRN|AUX|NUL|COM\d|LPT\d)(\.|$)", re.I)  # no file of these names on Windows


def base_name(r):
    """RSN1180_CHY002 (PEER: the record number and the station),
    CE89146_20120213 (the station and the date), CI.CLC_20190706 (miniSEED's
    network and station, and location where stated); the first file's name where
    the record says neither. A CSMIP station's number takes the network code
    CE, as CESMD names those stations."""
    c = r.files[0]["channels"][0] if r.files[0]["channels"] else {}
    station = c.get("station_code") or c.get("station_name") or ""
    if (r.files[0]["format"] or "").startswith("csmip") and station.isdigit():
        station = "CE%05d" % int(station)
    if r.files[0]["format"] == "mseed":  # XX.STA.10: the SEED network, station and location
        station = ".".join(p for p in (c.get("network"), station, c.get("location")) if p)
    if c.get("record_id"):
        parts = [c["record_id"], station]
    else:
        parts = [station, (c.get("event_date") or c.get("start_time") or "")[:10].replace("-", "")]
    return safe_name("_".join(p for p in parts if p)) or safe_name(
        os.path.splitext(os.path.basename(r.sources[0]))[0]) or "record"


def read_facts(folder):
    """The record file's facts; {} where there is none or it cannot be read."""
    try:
        return kt.read_record(os.path.join(folder, RECORD_FILE))
    except kt.RecordError:
        return {}


def own(facts):
    entry = facts.get(KEY)
    return entry if isinstance(entry, dict) else None


def survey(outdir, before=None, changed=()):
    """{lower-case name: (name, facts)} of what OUTDIR holds; facts {} for
    what is not a record folder. before: a survey made earlier, whose facts
    stand for the names not in changed (their record files not read again)."""
    found = {}
    try:
        names = os.listdir(outdir)
    except OSError:
        return found
    for name in names:
        kept = (before or {}).get(name.lower())
        if kept and kept[0] == name and name not in changed:
            found[name.lower()] = kept
            continue
        path = os.path.join(outdir, name)
        facts = read_facts(path) if os.path.isdir(path) and not os.path.islink(path) else {}
        found[name.lower()] = (name, facts)
    return found


def legacy_sources(facts):
    """The files a record folder made before KEY existed was made from."""
    components = facts.get("components")
    return frozenset(c["source"] for c in components if isinstance(c, dict) and isinstance(c.get("source"), str)) \
        if isinstance(components, list) else frozenset()


def name_records(records, found, inputs=()):
    """Each record the folder that holds its identity; the others the first
    free name of base, base_2, base_3, ... in the order of their identities.
    Names that differ in case only are one name (some file systems). A
    record whose name is an input folder keeps that name: it is refused
    there, never written into it or moved aside."""
    by_identity, by_sources = {}, {}
    for name, facts in found.values():
        entry = own(facts)
        if entry and entry.get("identity"):
            by_identity.setdefault(entry["identity"], name)
            by_sources.setdefault(tuple(strings(entry.get("sources"))), name)
        elif facts and not entry:
            by_sources.setdefault(legacy_sources(facts), name)
    claimed, left = set(), []
    for r in records:
        # Its identity, else the same identity told apart by contents in
        # another run, else a folder of the same files (one made before
        # identities, or before a twin came to be told apart).
        r.name = (by_identity.get(r.identity) or by_identity.get(r.plain + "|" + r.content[:12]) or
                  by_sources.get(tuple(r.digests)) or by_sources.get(frozenset(r.sources)))
        if r.name and r.name.lower() not in claimed:
            claimed.add(r.name.lower())
        else:
            left.append(r)
    taken = set(found) | claimed | {TABLE_NAME}
    for r in sorted(left, key=lambda r: (base_name(r), r.identity)):
        base = name = base_name(r)
        k = 1
        while name.lower() in taken and name.lower() not in inputs:
            k += 1
            name = "%s_%d" % (base, k)
        taken.add(name.lower())
        r.name = name


def disambiguate(records):
    """Records of one identity that are not the same files: told apart by
    their contents."""
    seen = {}
    for r in records:
        seen.setdefault(r.identity, []).append(r)
    for same in seen.values():
        if len(same) > 1:
            for r in same:
                r.identity = r.plain + "|" + r.content[:12]


# ---------------------------------------------------------------- freshness

def size(path):
    try:
        return os.stat(path).st_size
    except OSError:
        return -1


def missing(folder, facts, pictures):
    """What a folder lacks of its outputs ("accel.csv is cut short"), or None."""
    for name in kt.COMPONENT_FILES + (RECORD_FILE, "accel.csv", "read-KVB.log", "spectrum.csv"):
        if size(os.path.join(folder, name)) <= 0:
            return "no %s" % name
    full = ("KVB-full.csv",) if isinstance(facts, dict) and isinstance(facts.get("full_record"), dict) else ()
    for name in kt.COMPONENT_FILES + full + ("accel.csv", "spectrum.csv"):
        if not kt.ends_with(os.path.join(folder, name), b"\n"):
            return "%s is cut short" % name
    lines = csv_lines(folder)
    if lines is not None and size(os.path.join(folder, "accel.csv")) != lines * CSV_LINE:
        return "accel.csv is cut short"
    for name in pictures:
        if not kt.ends_with(os.path.join(folder, name), PNG_END):
            return "no whole %s" % name
    return None


def csv_lines(folder):
    """The lines read-KVB wrote to its CSV, as its log says (" nt= 304")."""
    try:
        with open(os.path.join(folder, "read-KVB.log"), encoding="latin-1") as f:
            said = re.findall(r"^ nt= *(\d+)$", f.read(1 << 16), re.M)
    except OSError:
        return None
    return int(said[-1]) if said else None


def stale(folder, facts, record, options, pictures):
    """Why the folder must be built again, or None when it is up to date."""
    entry = own(facts)
    if entry is None:
        return "made by an older kvb-convert" if facts else "not complete"
    if strings(entry.get("sources")) != sorted(record.digests):
        return "its sources changed"
    if entry.get("options") != options:
        return "the options changed"
    return missing(folder, facts, pictures)


def strings(value):
    """A list of names from the record file, sorted; [] for anything else."""
    return sorted(v for v in value if isinstance(v, str)) if isinstance(value, list) else []


# ---------------------------------------------------------------- placing

def place(work, final):
    """The work folder's files into the record folder. A new folder is
    renamed into place whole; in an old one, only the files kvb-convert made
    are replaced (the record file goes first and comes back last, so that a
    folder caught half way is seen as not complete); anything else there stays."""
    os.chmod(work, 0o777 & ~kt.UMASK)
    if not os.path.lexists(final):
        os.rename(work, final)
        return
    if os.path.islink(final) or not os.path.isdir(final):
        raise OSError(0, "%s is in the way (not a record folder)" % os.path.basename(final))
    made = set(os.listdir(work))
    before = {n for n in strings((own(read_facts(final)) or {}).get("outputs")) if MADE.fullmatch(n)} - made
    with contextlib.suppress(FileNotFoundError):
        os.unlink(os.path.join(final, RECORD_FILE))
    for name in before:
        with contextlib.suppress(OSError):
            os.unlink(os.path.join(final, name))
    for name in sorted(made - {RECORD_FILE}) + [RECORD_FILE]:
        os.replace(os.path.join(work, name), os.path.join(final, name))
    os.rmdir(work)


def add_entry(folder, entry):
    """The record file with kvb-convert's entry, written beside and renamed.
    A record file without one gets it added after its text as it stands
    (writing the whole record file again took a tenth of a record's time)."""
    path = os.path.join(folder, RECORD_FILE)
    facts = kt.read_record(path)
    fresh = facts and KEY not in facts
    facts[KEY] = entry
    if not fresh:
        write_json(path, facts)
        return facts
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read().rstrip()
    added = json.dumps(entry, indent=2, ensure_ascii=False).replace("\n", "\n  ")
    kt.write_text(path, '%s,\n  "%s": %s\n}\n' % (text[:-1].rstrip(), KEY, added))
    return facts


def write_json(path, value):
    fd, work = kt.beside(path)
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            f.write(json.dumps(value, indent=2, ensure_ascii=False) + "\n")
        kt.put_in_place(work, path)
    except BaseException:
        kt.discard(work)
        raise
