#include "payload/app/app_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace qingwu {

std::wstring ProgramFolder() {
  // Long installation paths are allowed: grow the buffer until it fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L".\\";
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      return path.substr(0, path.find_last_of(L'\\') + 1);
    }
    if (buffer.size() >= 32768) return L".\\";
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring UserDataFolder() {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
    return {};
  std::wstring folder = std::wstring(base) + L"\\Qingwu";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder + L"\\";
}

}  // namespace qingwu
