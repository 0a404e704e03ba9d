#include "app/form/zip_archive.h"

#include <windows.h>

#include <unzip.h>

#include <vector>

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

// Writes the current (opened) entry to `path`, through `buffer`.
// A write failure leaves the system's error code in `systemError`.
UnpackError WriteCurrentEntry(unzFile zip, const std::string& path, std::vector<char>& buffer, DWORD& systemError) {
  sys::FileHandle file(CreateTarget(path));
  if (!file) {
    systemError = GetLastError();
    return UnpackError::CannotWrite;
  }
  if (unzOpenCurrentFile(zip) != UNZ_OK) return UnpackError::Corrupt;
  UnpackError error = UnpackError::None;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (n == 0) break;
    if (n < 0) {  // a damaged deflate stream, or the archive could not be read
      error = UnpackError::Corrupt;
      break;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), buffer.data(), static_cast<DWORD>(n), &written, nullptr) ||
        written != static_cast<DWORD>(n)) {
      // A short write without an error is a full disk.
      systemError = written != static_cast<DWORD>(n) && GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL
                                                                                          : GetLastError();
      error = UnpackError::CannotWrite;
      break;
    }
  }
  // Closing checks the entry's CRC once all of it was read.
  const int closed = unzCloseCurrentFile(zip);
  if (error == UnpackError::None && closed != UNZ_OK) error = UnpackError::Corrupt;
  ResetAttributes(file.get());
  if (!file.Close() && error == UnpackError::None) {
    systemError = GetLastError();
    error = UnpackError::CannotWrite;
  }
  return error;
}

// The one unpacking path, whatever the reader reads from. `archiveName`
// is the subject of failures that concern the archive as a whole.
UnpackResult UnpackAll(const ZipReader& zip, const std::string& archiveName, const std::string& folderText,
                       const UnpackProgress& onProgress, UnpackListener* listener) {
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
  // a few calls.
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
      const UnpackError error = WriteCurrentEntry(zip.get(), path, buffer, systemError);
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
  return UnpackAll(zip, archiveName, folder, onProgress_, listener_);
}

}  // namespace app::form
