#!/usr/bin/env python3
"""Packs the application archive: pack_archive.py OUT.zip NAME=PATH...

Members are stored at the top level in the order given, deflated at level 9,
with one fixed date and fixed attributes, so the same inputs always give the
same archive bytes."""
import sys
import zipfile

FIXED_DATE = (2019, 9, 1, 0, 0, 0)


def main():
    out, members = sys.argv[1], sys.argv[2:]
    with zipfile.ZipFile(out, "w") as archive:
        for member in members:
            name, path = member.split("=", 1)
            if "/" in name or "\\" in name or not name:
                sys.exit(f"pack_archive: '{name}' is not a top-level name")
            info = zipfile.ZipInfo(name, date_time=FIXED_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0       # MS-DOS attributes
            info.external_attr = 0x20    # FILE_ATTRIBUTE_ARCHIVE
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
