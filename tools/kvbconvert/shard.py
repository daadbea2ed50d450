"""--shard K/N: the share of a batch that one of N runs converts. Records are
shared out after grouping (a record's files never part), by a hash of the
name its folder is made from, so that the share is the same whatever the run
order and no two shards make folders of one name: their output folders merge
by copying."""

import hashlib
import re

from kvbconvert import folders


def parse(text):
    """(K, N) from "K/N", 1 <= K <= N; None where text is not that."""
    m = re.fullmatch(r"([0-9]{1,6})/([0-9]{1,6})", text or "")
    if not m or not 1 <= int(m.group(1)) <= int(m.group(2)):
        return None
    return int(m.group(1)), int(m.group(2))


def bucket(record, n):
    """0 to n-1, from the record's folder name as made before _2, _3 (names
    differing in case are one)."""
    digest = hashlib.sha256(folders.base_name(record).lower().encode("utf-8", "surrogateescape")).digest()
    return int.from_bytes(digest[:8], "big") % n


def share(records, k, n):
    return [r for r in records if bucket(r, n) == k - 1]
