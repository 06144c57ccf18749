#!/usr/bin/env python3
"""Writes the release zip: the files given, in that order, then SHA256SUMS of
them. The same files give the same bytes: the order, the times (the commit's,
in UTC) and the modes are fixed, whatever the clock, time zone or umask.
Text files (*.txt) go with CRLF line ends, for Windows.

Usage: pack.py ZIP EPOCH FILE...
"""
import hashlib
import os
import sys
import time
import zipfile

# A zip's times run from 1980 to 2107.
FIRST, LAST = 315532800, 4354819199


def main(argv):
    if len(argv) < 4 or not argv[2].isdigit():
        sys.exit(__doc__.strip())
    out, epoch, paths = argv[1], int(argv[2]), argv[3:]
    stamp = time.gmtime(min(max(epoch, FIRST), LAST))[:6]
    entries = []
    for path in paths:
        name = os.path.basename(path)
        if name in [n for n, _ in entries] + ["SHA256SUMS"]:
            sys.exit(f"pack.py: two files named {name}")
        with open(path, "rb") as f:
            data = f.read()
        if name.endswith(".txt"):
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        entries.append((name, data))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in entries)
    entries.append(("SHA256SUMS", sums.encode()))

    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    partial = out + ".partial"
    with zipfile.ZipFile(partial, "w") as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the modes below are read
            mode = 0o755 if name.endswith(".exe") else 0o644
            info.external_attr = (0o100000 | mode) << 16
            z.writestr(info, data)
    os.replace(partial, out)


if __name__ == "__main__":
    main(sys.argv)
