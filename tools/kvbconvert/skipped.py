"""The files a run skipped, each named with its reason: in OUTDIR/skipped.csv
and, a few names a kind, in the run's closing line."""

import csv
import os

import kvbtools as kt

LIST_NAME = "skipped.csv"  # in OUTDIR: the files the last run skipped, and why
SHOWN = 3  # names a kind in the closing line
# What a companion file holds, from the words of its first lines (as
# kvb-split --identify tells companions): the first word found says it.
COMPANIONS = (("velocity", "velocity, not acceleration"), ("displacement", "displacement, not acceleration"),
              ("spectr", "spectra (Volume 3), not acceleration"), ("fourier", "Fourier spectra, not acceleration"),
              ("counts", "counts (Volume 0), not acceleration"))


def companion_reason(path):
    """Why kvb-split set a companion file aside, in words."""
    if path.lower().endswith(".csv"):
        return "a table, not a record"
    try:
        with open(path, encoding="latin-1") as f:
            head = " ".join(f.readline(400) for _ in range(3)).lower()
    except OSError:
        head = ""
    head = head.replace("acceleration time series", "")
    return next((why for word, why in COMPANIONS if word in head), "a companion file, not acceleration")


def listed(skipped, reasons):
    """(file, reason) of every file skipped, kind by kind."""
    general = {"not a strong-motion file": "not a strong-motion file of a format kvb-split knows"}
    return [(name, reasons.get(name) or general.get(kind, kind)) for kind, names in skipped.items() for name in names]


def write_list(outdir, rows):
    """OUTDIR/skipped.csv, made beside and renamed; none where nothing was skipped."""
    path = os.path.join(outdir, LIST_NAME)
    if not rows:
        if os.path.isfile(path) and not os.path.islink(path):
            os.unlink(path)
        return None
    fd, work = kt.beside(path)
    try:
        with os.fdopen(fd, "w", newline="", encoding="utf-8") as f:
            w = csv.writer(f, lineterminator="\n")
            w.writerow(("file", "reason"))
            w.writerows((("'" + n if n[:1] in "=+-@" else n), why) for n, why in rows)
        kt.put_in_place(work, path)
    except OSError:
        kt.discard(work)
        raise
    return path


def words(skipped, reasons):
    """ "2 companions (a.V3: spectra (Volume 3), not acceleration, b.VT2: ...)": a few names a kind."""
    said = []
    for kind, names in skipped.items():
        if names:
            shown = ", ".join(n + (": " + reasons[n] if n in reasons else "") for n in names[:SHOWN])
            plural = "s" if len(names) > 1 and kind != "not a strong-motion file" else ""
            said.append("%d %s%s (%s%s)" % (len(names), kind, plural, shown, ", ..." if len(names) > SHOWN else ""))
    return ", ".join(said)
