#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

Every seed is made here from fixed values, so running this again gives the
same files. fuzz_field seeds start with three bytes (width, decimals, record
end), fuzz_component seeds with four (how the file's bytes arrive), fuzz_split seeds
with one (the reader); see the targets for their meaning.
"""
import math
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def field(value, exponent=False):
    """One 10-column E10.4 field as an accelerogram file writes it."""
    text = f"{value:.3E}" if exponent else f"{value:.4f}"
    return text.rjust(10)[:10]


def samples(n, scale=150.0):
    """A decaying oscillation, like a strong-motion record."""
    return [scale * math.exp(-k / 900) * math.sin(k / 7.3) * math.cos(k / 31.0) for k in range(n)]


def data_records(values, exponent_every=0):
    lines = []
    for r in range(0, len(values), 8):
        chunk = values[r:r + 8]
        lines.append("".join(field(v, exponent_every and (r // 8) % exponent_every == 0) for v in chunk))
    return lines


def header(title="SEED STATION  COMP 360 DEG  PEAK ACCEL  150.0 CM/SEC/SEC", records=42):
    lines = [f"CORRECTED ACCELEROGRAM HEADER LINE {k + 1}" for k in range(records)]
    if records >= 6:
        lines[5] = title
    return lines


def component(lines, end="\n", last_end=True):
    text = end.join(lines)
    return (text + end if last_end else text).encode("latin-1")


def write(target, name, data):
    path = ROOT / target
    path.mkdir(parents=True, exist_ok=True)
    (path / name).write_bytes(data)


def field_seeds():
    w10d4 = bytes([9, 4, 0])  # E10.4, record ended by a line feed
    w10d4_eof = bytes([9, 4, 1])  # E10.4, the file ends after the record
    f7d3 = bytes([6, 3, 0])
    wide = bytes([255, 250, 0])  # 255 columns, 111 decimals
    record = "".join(field(v) for v in samples(8, 300.0))
    seeds = {
        "record": w10d4 + record.encode(),
        "record-exponents": w10d4 + "".join(field(v, True) for v in samples(8, 3e-5)).encode(),
        "record-commas": w10d4 + b"1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0",
        "record-empty-fields": w10d4 + b"1.0,,3.0",
        "record-short": w10d4 + record[:36].encode(),
        "record-long": w10d4 + (record + "  trailing text; \t").encode(),
        "record-eof": w10d4_eof + record[:45].encode(),
        "implied-decimals": w10d4 + b"     12345",
        "embedded-blanks": w10d4 + b"  1 2 3 4 ",
        "exponent-letters": w10d4 + b"   1.5d+02 1.0E + 3    1.5-02",
        "exponent-bad": w10d4 + b"   1.0E   ",
        "overflow": w10d4 + b"  -1.0E+39",
        "underflow": w10d4 + b"  1.0E-45 ",
        "negative-zero": w10d4 + b"   -0.0000",
        "bad-character": w10d4 + b"   1.0X   ",
        "f7-3": f7d3 + b"-9.9995",
        "wide": wide + b" " * 200 + b"123456789012345678901234567890.5e-3",
    }
    for name, data in seeds.items():
        write("fuzz_field", name, data)


def component_seeds():
    whole = bytes([0, 0, 0, 0])  # every read gets all it asks for
    pieces = bytes([5, 1, 0, 0])  # pieces of up to 32 bytes, interrupted reads
    read_error = bytes([0, 2, 0x02, 0x00])  # a read error at byte 1024
    full = ["HEADER"] * 5 + ["TITLE"] + ["HEADER"] * 36 + [""] * 4125  # 33000 zeros: the buffer full
    values = samples(80)
    data = data_records(values)
    lines = header() + data
    seeds = {
        "lf": whole + component(lines),
        "crlf": whole + component(lines, "\r\n"),
        "pieces-crlf": pieces + component(lines, "\r\n"),
        "read-error": read_error + component(lines),
        "exponents": whole + component(header() + data_records(samples(40, 2e-3), 2)),
        "commas": whole + component(header() + ["1.0,2.0,3.0,4.0,5.0,6.0,7.0,8.0", "1.0,,3.0", ""]),
        "last-record-unended": whole + component(lines, last_end=False),
        "last-record-short": whole + component(header() + data[:3] + [data[3][:36]], last_end=False),
        "ctrl-z-after": whole + component(lines) + b"\x1a" + b"ignored\n",
        "ctrl-z-inside": whole + component(lines)[:3000] + b"\x1a" + component(data),
        "cr-only": whole + component(lines, "\r"),
        "header-41": whole + component(header(records=41)),
        "header-40": whole + component(header(records=40)),
        "header-5": whole + component(header(records=5)),
        "title-short-unended": whole + component(header(records=5) + ["SHORT TITLE"], last_end=False),
        "title-long-tab": whole + component(header("TITLE\tWITH A TAB " + "X" * 80) + data[:2]),
        "bad-character": whole + component(header() + data[:2] + ["   1.0X   "] + data[2:4]),
        "buffer-full": whole + component(full),
        "buffer-full-ctrl-z": whole + component(full) + b"\x1a" + b"not read\n",
        "buffer-full-but-one": whole + component(full[:-1]) + b"1.0,2.0,3.0",
    }
    for name, data in seeds.items():
        write("fuzz_component", name, data)


def format_seeds():
    seeds = {
        "title": b"(a80)",
        "data": b"(8E10.4)",
        "csv": b"(F7.3,3(\x02,\x02,F10.3))",
        "csv-apostrophes": b"(F7.3,3(',',F10.3))",
        "literals": b"('t=',F7.3,\"\"\"\",' it''s')",
        "nested": b" ( 2 ( 3 ( A5 ) , ' ' ) , E10.4 ) trailing text",
        "empty": b"()",
        "unclosed": b"(F7.3,'",
    }
    for name, data in seeds.items():
        write("fuzz_format", name, data)


def split_seeds():
    """Agency files of one channel for kvb-split's readers, after the reader byte 0."""
    def csmip(volume, pairs=False, n=20, eol="\n"):
        chan = "Chan  1: 360 Deg"
        text = []
        if volume == 2:
            text.append("Corrected accelerogram   12345-S0001-24001.01       " + chan + "  from")
        text += ["Uncorrected Accelerogram Data             Processed: 01/02/24, SYN",
                 "Record of Tue Jan 2, 2024 10:00:00.0 PST", "Synthetic Processing",
                 "12345-S0001-24001.01      Start time:  1/2/24, 18:00:00.0 UTC",
                 "Station No. 12345   40.000N, 120.000W", "Seed Creek                                SYN",
                 chan, "Record of Tue Jan 2, 2024", "Hypocenter:  none.", "Instr Period =  .0100 sec",
                 f"No. of Points = {n:6d}",
                 "Units of uncor accel are sec and g/10." if pairs else "Units of uncor data are sec and g .",
                 "Peak acceleration =    12.500    cm/sec/sec"]
        text += ["".join(f"{k:5d}" for k in range(j, min(j + 16, 100))) for j in range(0, 100, 16)]
        text += ["".join(f"{k * 0.5:10.4f}" for k in range(j, min(j + 8, 50))) for j in range(0, 50, 8)]
        values = samples(n, 0.5 if volume == 1 else 150.0)
        if pairs:
            fields = [f"{t:7.3f}{v:7.3f}" for t, v in zip((k * 0.005 for k in range(n)), values)]
            text += ["".join(fields[j:j + 5]) for j in range(0, n, 5)]
        else:
            width = 9 if volume == 1 else 10
            if volume == 1:
                text.append(f"{n:6d} Accelerogram points at 200 pts/sec in units of g .      Format: (8f9.6)")
            else:
                text.append(f"{n:6d} points of accel data equally spaced at  .005 sec, in cm/sec2. (8f10.6)")
            fields = [f"{v:{width}.6f}"[-width:] for v in values]
            text += ["".join(fields[j:j + 8]) for j in range(0, n, 8)]
            if volume == 2:
                text.append(f"{n:6d} points of veloc data equally spaced at  .005 sec, in cm/sec.  (8f10.7)")
                text += ["".join(f"{v / 100:10.7f}" for v in values[j:j + 8]) for j in range(0, n, 8)]
        text.append("/&  ----------  End of data for channel  1  ----------")
        return eol.join(text).encode() + eol.encode()

    seeds = {
        "csmip-v2": b"\0" + csmip(2),
        "csmip-v2-crlf-padded": b"\0" + csmip(2, n=13, eol="\r\n") + b"\x1a" * 8,
        "csmip-v1": b"\0" + csmip(1),
        "csmip-v1-pairs": b"\0" + csmip(1, pairs=True, n=12).upper(),
        "forced-first-reader": b"\1" + csmip(1),
    }
    for name, data in seeds.items():
        write("fuzz_split", name, data)


def main():
    if ROOT.exists():
        shutil.rmtree(ROOT)
    field_seeds()
    component_seeds()
    format_seeds()
    split_seeds()


if __name__ == "__main__":
    main()
