#!/usr/bin/env python3
"""Writes the fuzzers' seed inputs into tests/fuzz/corpus/<fuzzer>/.

Each seed follows the layout its fuzzer reads (see the *_fuzz.cpp files):
realistic cases for the fuzzer to start its search from."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def u16(text):
    return text.encode("utf-16-le")


def write(fuzzer, name, data):
    folder = os.path.join(here, "corpus", fuzzer)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# Chooser rows: an order byte, then the list text in UTF-16.
write("process_rows_fuzz", "two", b"\x01" + u16("explorer.exe\n1234\nxtop.exe\n2040\n"))
write("process_rows_fuzz", "odd", b"\x06" + u16("a.exe\n  -8\nb\n+4x\nno pid\n"))
write("process_rows_fuzz", "long", b"\x00" + u16("n" * 80 + "\n" + "9" * 70 + "\n"))
write("process_rows_fuzz", "full_table", b"\x00" + u16("\n" * 2100))  # past 1024 rows

# Help text: a code-page byte (1: double-byte), then the resource's bytes.
with open(os.path.join(here, "..", "..", "src", "res", "help.txt"), "rb") as f:
    help_text = f.read()
write("help_text_fuzz", "stored", b"\x00" + help_text)
write("help_text_fuzz", "marker", b"\x00" + b"Help\r\nmore*hidden\\*")
write("help_text_fuzz", "dbcs", b"\x01" + b"ab\x81\\c*d\x81*e\\f*")
write("help_text_fuzz", "nul", b"\x02" + b"ab\x00c*d")

# Settings: setup (1: key present, 2: fail the next byte's call), nine
# values (header: present, type, length), window X and Y, then the target.
def dword_value(v):
    return bytes([0x01 | 4 << 3]) + struct.pack("<I", v)


def text_value(t):
    data = u16(t)
    return bytes([0x03, len(data)]) + data


def settings(values, name, x=0, y=0, target="xtop.exe", setup=1, fail=None):
    out = bytes([setup | (2 if fail is not None else 0)])
    if fail is not None:
        out += bytes([fail])
    out += b"".join(dword_value(v) for v in values) + text_value(name)
    out += struct.pack("<ii", x, y) + bytes([len(target)]) + u16(target)
    return out


write("settings_fuzz", "stored", settings([1, 0, 1, 0, 1, 100, 200, 1], "acad.exe"))
write("settings_fuzz", "negative", settings([7, 1, 0, 1, 1, 0xFFFFFB50, 5, 0], "x" * 32, -1200))
write("settings_fuzz", "first_run", bytes([0]) + bytes(9) + bytes(9))
write("settings_fuzz", "failing", settings([1, 1, 1, 1, 0, 0, 0, 1], "-", fail=7))

# Start-up: setup (1: the process runs the command line's name), the stored
# name, a process's image name, then the command line.
def startup(setup, stored, image, line):
    return (bytes([setup, len(stored)]) + u16(stored) + bytes([len(image)]) + u16(image)
            + u16(line))


write("startup_fuzz", "command_line", startup(1, "ugraf.exe", "", "xtop.exe"))
write("startup_fuzz", "stored", startup(0, "ugraf.exe", "ugraf.exe", "ab"))
write("startup_fuzz", "quoted", startup(1, "", "", '"xtop.exe"'))
write("startup_fuzz", "long", startup(1, "s" * 64, "", "c" * 90))

# Process list: setup, a count, then per process: flags (4: device path
# prefix), a one-byte PID, the path's length and its units.
def process(pid, name, flags=4):
    return bytes([flags, pid, len(name)]) + u16(name)


write("proclist_fuzz", "three", bytes([0, 3]) + process(4, "explorer.exe") + process(8, "XTOP.EXE")
      + process(12, "xtop.exe", 4 | 32))
write("proclist_fuzz", "hidden", bytes([1, 3]) + process(4, "a.exe", 4 | 8) + process(0, "b.exe")
      + process(9, "nobackslash", 0))

# Saved files: a chunk size byte, then a zorlog log or a saved map.
log_header = (b"time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
              b"peak_virtual_mb,limit_mb")
write("saved_file_fuzz", "log", b"\x06" + log_header + b"\r\nwaiting for a.exe\r\n"
      b"2024-05-01T10:00:00,42,1500,1000,500,2000,900,700,1500,0\r\n2024-05-01T10:00:0")
write("saved_file_fuzz", "map", b"\x20" + b"base,size,state,type,protect,allocation_base,name,use\r\n"
      b"0x00010000,4096,commit,private,0x4,0x00010000,\"thread 12\",stack\r\n"
      b"0x00400000,4096,commit,image,0x2,0x00400000,\"C:\\a,\"\"b\"\".exe\",\r\n")
