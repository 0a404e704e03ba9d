#include "app/form/zip_archive.h"

#include <windows.h>

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/form/crc32.h"
#include "app/form/zip_memory_source.h"
#include "app/system/file_system.h"
#include "app/system/mapped_file.h"
#include "app/system/owned_handles.h"
#include "app/system/path_length.h"
#include "app/system/write_faults.h"

namespace app::form {

namespace {

constexpr std::size_t kWriteBufferBytes = 1 << 20;

// Owns an open minizip reader; null when the archive could not be opened.
class ZipReader {
 public:
  // Reads the bytes behind `cursor`, which must outlive the reader.
  explicit ZipReader(ZipMemoryCursor& cursor) {
    zlib_filefunc64_def io = MemoryFileFunctions(cursor);
    zip_ = unzOpen2_64(nullptr, &io);
  }
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;
  ~ZipReader() {
    if (zip_) unzClose(zip_);
  }
  unzFile get() const { return zip_; }

 private:
  unzFile zip_ = nullptr;
};

bool IsSlash(char c) { return c == '/' || c == '\\'; }

// The name of the current entry; false when it cannot be read.
bool CurrentEntryName(unzFile zip, std::string& name) {
  unz_file_info64 info;
  char buffer[1024];
  if (unzGetCurrentFileInfo64(zip, &info, buffer, sizeof buffer, nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  if (info.size_filename >= sizeof buffer) return false;
  name.assign(buffer, info.size_filename);
  return true;
}

// Entry name to a path below `folder` (which ends with a backslash).
std::string TargetPath(const std::string& folder, std::string name) {
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  return folder + name;
}

// Creates the folders an entry name implies below `folder` (one per
// separator in the name). False names the level that failed.
bool MakeEntryFolders(const std::string& folder, const std::string& name, UnpackListener* listener,
                      std::string& failed) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!IsSlash(name[i])) continue;
    const std::string level = TargetPath(folder, name.substr(0, i));
    if (sys::FolderExists(level)) continue;
    if (!sys::FitsFolderLimit(level)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      failed = level;
      return false;
    }
    if (sys::InjectedWriteFault() || !CreateDirectoryA(level.c_str(), nullptr)) {
      failed = level;
      return false;
    }
    if (listener) listener->FolderCreated(level);
  }
  return true;
}

UnpackResult Fail(UnpackError error, std::string subject, int entries, DWORD systemError = 0) {
  return UnpackResult{error, std::move(subject), entries, systemError};
}

// Creates or overwrites `path` for writing. An existing read-only, hidden
// or system file refuses to be overwritten: its attributes are reset to
// normal and the create is tried once more. (Resetting only then spares
// every new file a call that would find nothing.)
HANDLE CreateTarget(const std::string& path) {
  auto create = [&] {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = create();
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED &&
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    file = create();
  }
  return file;
}

// Leaves the written file's attributes normal, through its open handle.
void ResetAttributes(HANDLE file) {
  FILE_BASIC_INFO info{};  // zero times: left as they are
  info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
}

// Writes `size` bytes to `file`. A short write without an error is a full
// disk; the system's error code is left in `systemError`.
bool WriteChunk(HANDLE file, const void* bytes, std::size_t size, DWORD& systemError) {
  DWORD written = 0;
  if (WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size) return true;
  systemError = written != size && GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : GetLastError();
  return false;
}

// The current entry's packed bytes, where they lie in `archive`, with what
// the central directory says of them.
struct EntryData {
  ui::ByteView packed;
  int method = 0;
  std::uint64_t size = 0;  // unpacked
  std::uint32_t crc = 0;
};

// False when the entry cannot be read: a damaged local header, data that
// runs past the end of the archive, a method other than stored or deflate.
bool FindEntryData(unzFile zip, ui::ByteView archive, EntryData& entry) {
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  int method = 0, level = 0;
  // Opened raw: the reader checks the local header and finds where the
  // data begins; the data itself is read below, in place.
  if (unzOpenCurrentFile2(zip, &method, &level, 1) != UNZ_OK) return false;
  const ZPOS64_T at = unzGetCurrentFileZStreamPos64(zip);
  unzCloseCurrentFile(zip);
  if ((method != 0 && method != Z_DEFLATED) || at > archive.size() ||
      info.compressed_size > archive.size() - at)
    return false;
  entry.packed = archive.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(info.compressed_size));
  entry.method = method;
  entry.size = info.uncompressed_size;
  entry.crc = static_cast<std::uint32_t>(info.crc);
  return true;
}

// Ends an inflate stream on every path.
struct InflateStream {
  z_stream z{};
  bool ready = inflateInit2(&z, -MAX_WBITS) == Z_OK;
  InflateStream() = default;
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  ~InflateStream() {
    if (ready) inflateEnd(&z);
  }
};

// Streams the entry into `file` in pieces of at most `buffer`'s size:
// stored data straight from the archive, deflated data inflated into
// `buffer`; the archive is never copied whole, nor a whole entry. The
// checksum and size are checked against the directory's.
UnpackError StreamEntry(HANDLE file, const EntryData& entry, std::vector<char>& buffer, DWORD& systemError) {
  std::uint32_t crc = 0;
  std::uint64_t total = 0;
  if (entry.method == 0) {
    if (entry.packed.size() != entry.size) return UnpackError::Corrupt;
    for (std::size_t at = 0; at < entry.packed.size(); at += buffer.size()) {
      const ui::ByteView piece = entry.packed.subspan(at, std::min(buffer.size(), entry.packed.size() - at));
      crc = Crc32(crc, piece.data(), piece.size());
      if (!WriteChunk(file, piece.data(), piece.size(), systemError)) return UnpackError::CannotWrite;
    }
    return crc == entry.crc ? UnpackError::None : UnpackError::Corrupt;
  }
  InflateStream stream;
  if (!stream.ready) return UnpackError::Corrupt;
  z_stream& z = stream.z;
  std::size_t fed = 0;
  for (;;) {
    if (z.avail_in == 0 && fed < entry.packed.size()) {
      const std::size_t piece = std::min<std::size_t>(entry.packed.size() - fed, 1u << 30);
      z.next_in = const_cast<Bytef*>(entry.packed.data() + fed);
      z.avail_in = static_cast<uInt>(piece);
      fed += piece;
    }
    z.next_out = reinterpret_cast<Bytef*>(buffer.data());
    z.avail_out = static_cast<uInt>(buffer.size());
    const int rc = inflate(&z, Z_NO_FLUSH);
    // Z_BUF_ERROR: the packed data ended before the deflate stream did.
    if (rc != Z_OK && rc != Z_STREAM_END) return UnpackError::Corrupt;
    const std::size_t produced = buffer.size() - z.avail_out;
    total += produced;
    if (total > entry.size) return UnpackError::Corrupt;  // more than the directory says
    crc = Crc32(crc, buffer.data(), produced);
    if (produced > 0 && !WriteChunk(file, buffer.data(), produced, systemError)) return UnpackError::CannotWrite;
    if (rc == Z_STREAM_END) break;
  }
  return total == entry.size && crc == entry.crc ? UnpackError::None : UnpackError::Corrupt;
}

// Writes the current entry of `archive` to `path`, through `buffer`.
// A write failure leaves the system's error code in `systemError`.
UnpackError WriteCurrentEntry(unzFile zip, ui::ByteView archive, const std::string& path, std::vector<char>& buffer,
                              DWORD& systemError) {
  sys::FileHandle file(CreateTarget(path));
  if (!file) {
    systemError = GetLastError();
    return UnpackError::CannotWrite;
  }
  EntryData entry;
  UnpackError error = FindEntryData(zip, archive, entry) ? StreamEntry(file.get(), entry, buffer, systemError)
                                                         : UnpackError::Corrupt;
  ResetAttributes(file.get());
  if (!file.Close() && error == UnpackError::None) {
    systemError = GetLastError();
    error = UnpackError::CannotWrite;
  }
  return error;
}

// The one unpacking path, whatever the reader reads from. `archiveName`
// is the subject of failures that concern the archive as a whole.
UnpackResult UnpackAll(const ZipReader& zip, ui::ByteView archive, const std::string& archiveName,
                       const std::string& folderText, const UnpackProgress& onProgress, UnpackListener* listener) {
  const std::string folder = sys::WithTrailingBackslash(folderText);
  if (!zip.get()) return Fail(UnpackError::CannotOpen, archiveName, 0);
  unz_global_info64 global;
  if (unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK) return Fail(UnpackError::CannotOpen, archiveName, 0);
  const int n = static_cast<int>(global.number_entry);

  // Every name is checked before the first byte is written.
  std::string name;
  int listed = 0;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
    if (!CurrentEntryName(zip.get(), name)) return Fail(UnpackError::Corrupt, archiveName, n);
    if (!IsSafeEntryName(name)) return Fail(UnpackError::UnsafeName, name, n);
    ++listed;
  }
  if (listed != n) return Fail(UnpackError::CannotOpen, archiveName, n);

  // One buffer for every entry: large, so that a big member is written in
  // a few calls, and small enough to stay in the processor's cache between
  // inflate and the write.
  std::vector<char> buffer(kWriteBufferBytes);
  int index = 0;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get()), ++index) {
    if (!CurrentEntryName(zip.get(), name)) return Fail(UnpackError::Corrupt, archiveName, n);
    std::string failedFolder;
    if (!MakeEntryFolders(folder, name, listener, failedFolder))
      return Fail(UnpackError::CannotCreateFolder, failedFolder, n, GetLastError());
    if (!IsSlash(name.back())) {  // a name ending in a slash is a folder entry
      const std::string path = TargetPath(folder, name);
      if (listener && !listener->BeforeFile(path)) return Fail(UnpackError::CannotWrite, path, n, GetLastError());
      DWORD systemError = 0;
      const UnpackError error = WriteCurrentEntry(zip.get(), archive, path, buffer, systemError);
      if (error == UnpackError::CannotWrite) return Fail(error, path, n, systemError);
      if (error != UnpackError::None) return Fail(error, name, n);
    }
    if (onProgress && !onProgress(static_cast<int>(static_cast<long long>(index) * 100 / n)))
      return Fail(UnpackError::Stopped, archiveName, n);
  }
  if (onProgress && !onProgress(100)) return Fail(UnpackError::Stopped, archiveName, n);
  return UnpackResult{UnpackError::None, {}, n};
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || IsSlash(name.front())) return false;
  if (name.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !IsSlash(name[end])) ++end;
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::vector<std::string> EntryNames(ui::ByteView archive) {
  ZipMemoryCursor cursor{archive};
  ZipReader zip(cursor);
  std::vector<std::string> names;
  if (!zip.get()) return names;
  std::string name;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
    if (!CurrentEntryName(zip.get(), name)) return {};
    names.push_back(name);
  }
  return names;
}

// A file is read in place through a read-only mapping, by the same reader
// as bytes in memory: a cut-off archive is then refused the same way (a
// file that cannot be mapped, or an empty one, cannot be opened).
UnpackResult ZipArchive::Unpack(const std::string& archivePath, const std::string& folder) const {
  const sys::MappedFile file(archivePath);
  return Unpack(file.bytes(), folder, archivePath);
}

UnpackResult ZipArchive::Unpack(ui::ByteView archive, const std::string& folder,
                                const std::string& archiveName) const {
  ZipMemoryCursor cursor{archive};
  ZipReader zip(cursor);
  return UnpackAll(zip, archive, archiveName, folder, onProgress_, listener_);
}

}  // namespace app::form
