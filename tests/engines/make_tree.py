#!/usr/bin/env python3
"""Writes an archive of small multipage TIFF files for the engine tests.

make_tree.py ROOT COUNT [PAGES]: COUNT files over three levels of folders whose names use
several scripts, and with PAGES a file ROOT/long.tif of that many pages; every page holds
bytes of its own, so that page files can be told apart.
"""
import os
import random
import struct
import sys

LEVEL1 = ["Überweisungen 2026", "Αρχείο", "Архив", "日本の記録", "plain"]
LEVEL2 = ["a", "b c", "ü-ß"]
LEVEL3 = ["1", "2", "عربي"]
NAMES = ["scan", "Fax Eingang", "документ", "文書", "doc.v2"]
EXTENSIONS = [".tif", ".TIF", ".tiff"]
SIDE = 16


def tiff(pages, rng):
    """A little-endian classic TIFF: grey 8-bit pages of one strip each."""
    entries = 8
    ifd_size = 2 + entries * 12 + 4
    pixels = SIDE * SIDE
    out = bytearray(b"II*\0" + struct.pack("<I", 8))
    for page in range(pages):
        ifd = len(out)
        data = ifd + ifd_size
        following = 0 if page == pages - 1 else data + pixels
        tags = [(256, 3, SIDE), (257, 3, SIDE), (258, 3, 8), (259, 3, 1), (262, 3, 1),
                (273, 4, data), (278, 3, SIDE), (279, 4, pixels)]
        out += struct.pack("<H", entries)
        for tag, kind, value in tags:
            packed = struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value)
            out += struct.pack("<HHI", tag, kind, 1) + packed
        out += struct.pack("<I", following)
        out += bytes(rng.getrandbits(8) for _ in range(pixels))
    return bytes(out)


def main():
    root, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(20261209)
    if len(sys.argv) > 3:  # one long file besides, that takes a while to split
        os.makedirs(root, exist_ok=True)
        with open(os.path.join(root, "long.tif"), "wb") as file:
            file.write(tiff(int(sys.argv[3]), rng))
    folders = [os.path.join(root, a, b, c) for a in LEVEL1 for b in LEVEL2 for c in LEVEL3]
    for index in range(count):
        folder = folders[index % len(folders)]
        os.makedirs(folder, exist_ok=True)
        name = "%s %04d%s" % (NAMES[index % len(NAMES)], index, EXTENSIONS[index % 3])
        with open(os.path.join(folder, name), "wb") as file:
            file.write(tiff(1 + index % 4, rng))


if __name__ == "__main__":
    main()
