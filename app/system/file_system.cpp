#include "app/system/file_system.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "app/system/folder_check.h"
#include "app/system/owned_handles.h"
#include "app/system/path_length.h"
#include "ui/core/text.h"
#include "ui/platform/system_api.h"

namespace app::sys {

namespace {
std::string WithoutTrailingSeparator(std::string path) {
  // "C:\" keeps its backslash: without it, it names the current folder of drive C.
  if (EndsWithSeparator(path) && !(path.size() == 3 && path[1] == ':')) path.pop_back();
  return path;
}

// A two-byte character whose second byte is a backslash ("淺" is 0x9C 0x5C).
bool HasSecondByteBackslash(std::string_view path) {
  for (std::size_t i = 0; i < path.size(); i += ui::CharLengthAt(path, i)) {
    if (ui::CharLengthAt(path, i) == 2 && path[i + 1] == '\\') return true;
  }
  return false;
}

// Creates each level of `folder` (trailing backslash) in turn, splitting
// only at backslashes that are characters of their own. Levels that exist
// already (the drive, a share) just fail to be created again.
void CreateEachLevel(const std::string& folder) {
  bool afterName = false;  // the previous character belongs to a folder name
  for (std::size_t i = 0; i < folder.size(); i += ui::CharLengthAt(folder, i)) {
    const bool separator = ui::CharLengthAt(folder, i) == 1 && folder[i] == '\\';
    if (separator && afterName) {
      const std::string level = folder.substr(0, i);
      if (!FitsFolderLimit(level)) return;
      CreateDirectoryA(level.c_str(), nullptr);
    }
    // "C:" is a drive, not a folder to create.
    afterName = !separator && !(ui::CharLengthAt(folder, i) == 1 && folder[i] == ':');
  }
}

DWORD Attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesA(path.c_str());
}
}  // namespace

bool EndsWithSeparator(std::string_view path) {
  if (path.empty()) return false;
  const std::size_t last = path.size() - 1;
  return ui::FindLastSingleByte(path, '\\') == last || ui::FindLastSingleByte(path, '/') == last;
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && !EndsWithSeparator(path)) path += '\\';
  return path;
}

bool IsAbsolutePath(std::string_view path) {
  auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && slash(path[2]);
  const bool share = path.size() >= 3 && slash(path[0]) && slash(path[1]) && !slash(path[2]);
  return drive || share;
}

std::string NormalizedFolder(const std::string& path) {
  if (!IsAbsolutePath(path)) return {};
  return CheckFolder(path).folder;
}

bool PathExists(const std::string& path) {
  const std::string probe = WithoutTrailingSeparator(path);
  if (probe.empty()) return false;
  if (probe.size() == 3 && probe[1] == ':') return Attributes(probe) != INVALID_FILE_ATTRIBUTES;
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA(probe.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool FolderExists(const std::string& path) {
  const DWORD a = Attributes(WithoutTrailingSeparator(path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  const std::string withSlash = WithTrailingBackslash(folder);
  // The system helper copies the path into a buffer of its own and fails
  // badly on a longer one: such a folder is not created at all.
  if (!FitsFolderLimit(withSlash)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  // The system helper splits the path byte by byte: it would cut such a
  // character in two and make a stray folder of its first half.
  if (HasSecondByteBackslash(withSlash)) {
    CreateEachLevel(withSlash);
  } else {
    ui::sys::MakeSureDirectoryPathExists(withSlash.c_str());
  }
  // The helper's own answer is not trusted alone: what counts is the folder.
  return FolderExists(withSlash);
}

bool WriteWholeFile(const std::string& path, ui::ByteView bytes) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return file.Close();
}

bool WriteWholeFile(const std::string& path, std::string_view text) {
  return WriteWholeFile(path, ui::ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string SpecialFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return {};
  return WithTrailingBackslash(buffer);
}

}  // namespace app::sys
