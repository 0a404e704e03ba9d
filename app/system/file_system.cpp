#include "app/system/file_system.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "app/system/owned_handles.h"
#include "ui/core/text.h"
#include "ui/platform/system_api.h"

namespace app::sys {

namespace {
std::string WithoutTrailingSeparator(std::string path) {
  // "C:\" keeps its backslash: without it, it names the current folder of drive C.
  if (EndsWithSeparator(path) && !(path.size() == 3 && path[1] == ':')) path.pop_back();
  return path;
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
  ui::sys::MakeSureDirectoryPathExists(withSlash.c_str());
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
