#!/usr/bin/env python3
"""Writes a Windows icon file holding the given PNG images as they are.

Usage: make-ico.py OUT.ico IMAGE.png...  (square images up to 256 px)
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG image")
    return struct.unpack(">II", data[16:24])


def main():
    out, images = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, bodies = b"", b""
    for data in images:
        width, height = png_size(data)
        # 256 is written as 0 in the directory's one-byte fields.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(data), offset)
        bodies += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + bodies)


if __name__ == "__main__":
    main()
