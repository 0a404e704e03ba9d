#pragma once
// The floor of an installation: the least work that puts the payload's
// members into a folder. It writes the archive once, inflates every member
// with zlib from memory and writes it out, then deletes the archive file;
// FloorLinks adds the finish steps' costly part, the four shell links.
// Shared by the installation benchmark and the probe process that runs it
// in the same conditions as the installer.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/system/shell_links.h"
#include "ui/core/bytes.h"
#include "ui/core/text.h"
#include "ui/platform/com_apartment.h"

namespace bench {

struct Member {
  std::string name;
  int method = 0;  // 0 stored, 8 deflated
  ui::ByteView data;
  std::size_t size = 0;
};

inline std::uint32_t Read32(ui::ByteView b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
inline std::uint16_t Read16(ui::ByteView b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

// The members of a ZIP archive in memory, from its central directory.
inline std::vector<Member> Members(ui::ByteView zip) {
  std::vector<Member> members;
  if (zip.size() < 22) return members;
  std::size_t end = zip.size() - 22;
  while (end > 0 && Read32(zip, end) != 0x06054b50) --end;
  const std::size_t count = Read16(zip, end + 10);
  std::size_t at = Read32(zip, end + 16);
  for (std::size_t i = 0; i < count && at + 46 <= zip.size() && Read32(zip, at) == 0x02014b50; ++i) {
    Member m;
    m.method = Read16(zip, at + 10);
    const std::size_t packed = Read32(zip, at + 20);
    m.size = Read32(zip, at + 24);
    const std::size_t nameLength = Read16(zip, at + 28);
    const std::size_t local = Read32(zip, at + 42);
    m.name.assign(reinterpret_cast<const char*>(&zip[at + 46]), nameLength);
    const std::size_t data = local + 30 + Read16(zip, local + 26) + Read16(zip, local + 28);
    m.data = zip.subspan(data, packed);
    members.push_back(m);
    at += 46 + nameLength + Read16(zip, at + 30) + Read16(zip, at + 32);
  }
  return members;
}

// Writes `size` bytes to the open file; false on failure.
inline bool WriteAll(HANDLE file, const void* bytes, std::size_t size) {
  DWORD written = 0;
  return WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

inline HANDLE CreateTarget(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Inflates one member into the open file through `buffer` (1 MB at a time,
// which keeps the data in the processor's cache between zlib and the write).
inline bool InflateInto(HANDLE file, const Member& m, std::vector<std::uint8_t>& buffer) {
  if (m.method == 0) return WriteAll(file, m.data.data(), m.data.size());
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(m.data.data());
  z.avail_in = static_cast<uInt>(m.data.size());
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = buffer.data();
    z.avail_out = static_cast<uInt>(buffer.size());
    rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = buffer.size() - z.avail_out;
    if ((rc != Z_OK && rc != Z_STREAM_END) || !WriteAll(file, buffer.data(), produced)) rc = Z_DATA_ERROR;
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END && z.total_out == m.size;
}

// The floor: the least work that puts the members into `folder` (ends
// with a backslash); `buffer` is the 1 MB inflate buffer.
inline bool Floor(ui::ByteView zip, const std::vector<Member>& members, const std::wstring& folder,
           std::vector<std::uint8_t>& buffer) {
  const std::wstring archive = folder + L"sj.zip";
  HANDLE file = CreateTarget(archive);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, zip.data(), zip.size());
  if (!CloseHandle(file) || !ok) return false;
  for (const Member& m : members) {
    file = CreateTarget(folder + std::wstring(m.name.begin(), m.name.end()));
    if (file == INVALID_HANDLE_VALUE) return false;
    ok = InflateInto(file, m, buffer);
    if (!CloseHandle(file) || !ok) return false;
  }
  return DeleteFileW(archive.c_str()) != FALSE;
}

// The installation's four shell links (three in the program group, one on
// the desktop), made directly in `folder` (ends with a backslash) and
// pointing at the application there. Saving a link is the finish steps'
// costly part, so the floor of the same work includes it.
inline bool FloorLinks(const std::wstring& folder) {
  ui::platform::ComApartment com;
  if (!com.usable()) return false;
  const std::string at = ui::FromWide(folder);
  for (const char* name : {"program.lnk", "uninstall.lnk", "group.lnk", "desktop.lnk"}) {
    if (!app::sys::CreateShellLink(at + name, at + "qingwu.exe")) return false;
  }
  return true;
}

}  // namespace bench
