#!/usr/bin/env python3
"""Writes the application's resource pack: make_resource_pack.py OUT BYTES.

The content is a SHAKE-256 stream of a fixed seed behind a small header:
deterministic, and incompressible like the packed media it stands for."""
import hashlib
import struct
import sys

MAGIC = b"QWPK"


def main():
    out, size = sys.argv[1], int(sys.argv[2])
    header = MAGIC + struct.pack("<II", 1, size)
    body = hashlib.shake_256(b"qingwu resource pack 201909999").digest(size - len(header))
    with open(out, "wb") as f:
        f.write(header + body)


if __name__ == "__main__":
    main()
