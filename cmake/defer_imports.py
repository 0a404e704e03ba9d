#!/usr/bin/env python3
"""Takes a linked Windows program's imports out of the system loader's hands,
except those of the DLLs named to stay (the build names kernel32.dll).

The loader resolves load-time imports before any code of the program runs,
searching the program's own folder first for the dependencies of what it
loads. The program binds the deferred imports itself instead, from its entry
point, once it has restricted the DLL search to the system folder
(ui/platform/deferred_imports.cpp).

The import descriptors are reordered in place: the deferred ones first, the
ones that stay after them, then the terminating empty descriptor. The import
directory then starts at the first descriptor that stays, so the loader sees
only those; the deferred ones are the descriptors from the start of the
section that holds the directory up to the directory itself.

    defer_imports.py <program.exe> <dll that stays>...   rewrites the program
    defer_imports.py --list <program.exe>                prints "loader: <dlls>"
                                                         and "deferred: <dlls>"
"""
import struct
import sys

DESCRIPTOR = 20  # IMAGE_IMPORT_DESCRIPTOR
IMPORT_DIRECTORY = 1


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit("not a PE image")
        sections = struct.unpack_from("<H", data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.import_entry = directories + 8 * IMPORT_DIRECTORY
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            at = table + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise SystemExit(f"rva {rva:#x} is in no section")

    def section_start(self, rva):
        for start, size, _ in self.sections:
            if start <= rva < start + size:
                return start
        raise SystemExit(f"rva {rva:#x} is in no section")

    def import_directory(self):
        return struct.unpack_from("<II", self.data, self.import_entry)

    def descriptors(self, rva):
        """The descriptors from rva up to the empty one, as byte strings."""
        found = []
        at = self.offset(rva)
        while True:
            raw = bytes(self.data[at:at + DESCRIPTOR])
            if raw == bytes(DESCRIPTOR):
                return found
            found.append(raw)
            at += DESCRIPTOR

    def name(self, descriptor):
        rva = struct.unpack_from("<I", descriptor, 12)[0]
        at = self.offset(rva)
        return bytes(self.data[at:self.data.index(b"\0", at)]).decode("ascii")

    def deferred(self):
        rva, _ = self.import_directory()
        start = self.section_start(rva)
        return [bytes(self.data[self.offset(start) + i:self.offset(start) + i + DESCRIPTOR])
                for i in range(0, rva - start, DESCRIPTOR)]


def rewrite(path, stay):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    image = Image(data)
    rva, _ = image.import_directory()
    all_descriptors = image.descriptors(rva)
    kept = [d for d in all_descriptors if image.name(d).lower() in stay]
    deferred = [d for d in all_descriptors if image.name(d).lower() not in stay]
    if not deferred:
        return  # nothing (more) to defer: a second run changes nothing
    if rva != image.section_start(rva):
        raise SystemExit(f"{path}: the import directory does not start its section")
    if not kept:
        raise SystemExit(f"{path}: none of {sorted(stay)} is imported")
    at = image.offset(rva)
    for d in deferred + kept:
        data[at:at + DESCRIPTOR] = d
        at += DESCRIPTOR
    new_rva = rva + DESCRIPTOR * len(deferred)
    struct.pack_into("<II", data, image.import_entry, new_rva, DESCRIPTOR * (len(kept) + 1))
    with open(path, "wb") as f:
        f.write(data)


def main():
    if sys.argv[1] == "--list":
        with open(sys.argv[2], "rb") as f:
            image = Image(bytearray(f.read()))
        rva, _ = image.import_directory()
        print("loader:", " ".join(image.name(d) for d in image.descriptors(rva)))
        print("deferred:", " ".join(image.name(d) for d in image.deferred()))
        return
    rewrite(sys.argv[1], {name.lower() for name in sys.argv[2:]})


if __name__ == "__main__":
    main()
