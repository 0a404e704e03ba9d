#!/usr/bin/env python3
"""Writes the ZIP archives the install tests unpack, as C++ byte arrays.

Usage: make_test_archives.py <out.cpp>
The archives are deterministic: the same bytes on every build.
"""
import io
import random
import sys
import zipfile
import zlib


def content(seed, size):
    """Half incompressible bytes, half text: exercises deflate both ways."""
    rnd = random.Random(seed)
    noise = bytes(rnd.getrandbits(8) for _ in range(size // 2))
    text = (b"qingwu test payload %d\r\n" % seed) * (size // 20 + 1)
    return (noise + text)[:size]


# The eight members of the installation archive, in archive order.
# qingwu.exe stands fourth so a failure on it happens after a few reports.
INSTALL_MEMBERS = [
    ("qwcore.dll", 23456, zipfile.ZIP_DEFLATED),
    ("uninst.exe", 9001, zipfile.ZIP_DEFLATED),
    ("qwnet.dll", 12000, zipfile.ZIP_STORED),
    ("qingwu.exe", 40960, zipfile.ZIP_DEFLATED),
    ("qwupdate.exe", 7777, zipfile.ZIP_DEFLATED),
    ("config.ini", 300, zipfile.ZIP_DEFLATED),
    ("readme.txt", 1, zipfile.ZIP_STORED),
    ("license.txt", 0, zipfile.ZIP_DEFLATED),
]


def make_zip(members):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        for name, data, method in members:
            info = zipfile.ZipInfo(name, date_time=(2019, 9, 9, 9, 9, 0))
            info.compress_type = method
            z.writestr(info, data)
    return buf.getvalue()


def install_archive():
    return make_zip([(n, content(i + 1, s), m) for i, (n, s, m) in enumerate(INSTALL_MEMBERS)])


def corrupt_archive():
    """The installation archive with one byte of qwnet.dll's stored data
    changed: its checksum no longer matches."""
    data = bytearray(install_archive())
    z = zipfile.ZipFile(io.BytesIO(bytes(data)))
    info = z.getinfo("qwnet.dll")
    # Local header: 30 bytes + name + extra, then the data.
    name_len = int.from_bytes(data[info.header_offset + 26:info.header_offset + 28], "little")
    extra_len = int.from_bytes(data[info.header_offset + 28:info.header_offset + 30], "little")
    at = info.header_offset + 30 + name_len + extra_len + 100
    data[at] ^= 0xFF
    return bytes(data)


def member_data_offset(data, name):
    """Where a member's (compressed) data starts: after its local header,
    30 bytes + name + extra."""
    info = zipfile.ZipFile(io.BytesIO(bytes(data))).getinfo(name)
    name_len = int.from_bytes(data[info.header_offset + 26:info.header_offset + 28], "little")
    extra_len = int.from_bytes(data[info.header_offset + 28:info.header_offset + 30], "little")
    return info.header_offset + 30 + name_len + extra_len


def bad_deflate_archive():
    """The installation archive with the first byte of qingwu.exe's deflate
    stream given block type 3, which no deflate stream may use."""
    data = bytearray(install_archive())
    data[member_data_offset(data, "qingwu.exe")] |= 0x06
    return bytes(data)


def wrong_checksum_archive():
    """The installation archive with qwcore.dll's checksum changed in both its
    local and its central header: the data inflates cleanly, but does not
    match the checksum."""
    data = bytearray(install_archive())
    info = zipfile.ZipFile(io.BytesIO(bytes(data))).getinfo("qwcore.dll")
    wrong = (info.CRC ^ 0x5A5A5A5A).to_bytes(4, "little")
    data[info.header_offset + 14:info.header_offset + 18] = wrong
    # The central directory: its offset is in the end record (no comment).
    end = len(data) - 22
    at = int.from_bytes(data[end + 16:end + 20], "little")
    while data[at:at + 4] == b"PK\x01\x02":
        name_len = int.from_bytes(data[at + 28:at + 30], "little")
        extra_len = int.from_bytes(data[at + 30:at + 32], "little")
        comment_len = int.from_bytes(data[at + 32:at + 34], "little")
        if data[at + 46:at + 46 + name_len] == b"qwcore.dll":
            data[at + 16:at + 20] = wrong
        at += 46 + name_len + extra_len + comment_len
    return bytes(data)


def small(names):
    return make_zip([(n, b"member %s\r\n" % n.encode(), zipfile.ZIP_DEFLATED) for n in names])


ARCHIVES = {
    "InstallArchive": install_archive(),
    "SingleMemberArchive": make_zip([("qingwu.exe", content(4, 40960), zipfile.ZIP_DEFLATED)]),
    "CorruptArchive": corrupt_archive(),
    "BadDeflateArchive": bad_deflate_archive(),
    "WrongChecksumArchive": wrong_checksum_archive(),
    "SubfolderArchive": small(["docs/", "docs/guide.txt", "bin/tools/tool.exe"]),
    "DotDotArchive": small(["readme.txt", "../escape.txt"]),
    "BackslashDotDotArchive": small(["readme.txt", "docs\\..\\..\\escape.txt"]),
    "AbsoluteArchive": small(["readme.txt", "/escape.txt"]),
    "BackslashAbsoluteArchive": small(["readme.txt", "\\escape.txt"]),
    "DriveArchive": small(["readme.txt", "C:escape.txt"]),
}


def c_array(name, data):
    lines = ["const std::uint8_t k%s[] = {" % name]
    for i in range(0, len(data), 24):
        lines.append("  " + ",".join(str(b) for b in data[i:i + 24]) + ",")
    if not data:
        lines.append("  0,")
    lines.append("};")
    lines.append("ui::ByteView %s() { return {k%s, %d}; }" % (name, name, len(data)))
    return "\n".join(lines)


def main():
    out = ["// Generated by make_test_archives.py; do not edit.",
           '#include "tests/install/test_archives.h"', "", "namespace qwtest {", ""]
    out.append("const ArchiveMember kInstallMembers[%d] = {" % len(INSTALL_MEMBERS))
    for i, (n, s, _) in enumerate(INSTALL_MEMBERS):
        out.append('  {"%s", %d, 0x%08xu},' % (n, s, zlib.crc32(content(i + 1, s))))
    out.append("};")
    out.append("")
    for name, data in ARCHIVES.items():
        out.append(c_array(name, data))
        out.append("")
    out.append("}  // namespace qwtest")
    with open(sys.argv[1], "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
