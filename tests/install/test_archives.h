#pragma once
// ZIP archives for the install tests, generated at build time
// (make_test_archives.py).
#include <cstddef>
#include <cstdint>

#include "ui/core/bytes.h"

namespace qwtest {

struct ArchiveMember {
  const char* name;
  std::size_t size;
  std::uint32_t crc32;
};

// The eight members of InstallArchive(), in archive order.
extern const ArchiveMember kInstallMembers[8];

ui::ByteView InstallArchive();            // eight members, deflated and stored
ui::ByteView SingleMemberArchive();       // qingwu.exe only
ui::ByteView CorruptArchive();            // InstallArchive with qwnet.dll's data damaged
ui::ByteView BadDeflateArchive();         // InstallArchive with qingwu.exe's deflate stream invalid
ui::ByteView WrongChecksumArchive();      // InstallArchive with qwcore.dll's checksum wrong
ui::ByteView SubfolderArchive();          // "docs/", "docs/guide.txt", "bin/tools/tool.exe"
ui::ByteView DotDotArchive();             // "readme.txt", "../escape.txt"
ui::ByteView BackslashDotDotArchive();    // "readme.txt", "docs\..\..\escape.txt"
ui::ByteView AbsoluteArchive();           // "readme.txt", "/escape.txt"
ui::ByteView BackslashAbsoluteArchive();  // "readme.txt", "\escape.txt"
ui::ByteView DriveArchive();              // "readme.txt", "C:escape.txt"

}  // namespace qwtest
