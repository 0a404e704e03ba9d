#include "ui/platform/system_library.h"

#include <string>

namespace ui::platform {

namespace {
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

bool HasSearchFlags() {
  // The flags exist where kernel32 exports AddDllDirectory (Windows 7 with
  // KB2533623 and later); elsewhere LoadLibraryExW rejects them.
  static const bool present =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
  return present;
}
}  // namespace

void HardenDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"));
  if (fn) fn(kSearchSystem32);
  // Also drop the current directory from the legacy search order.
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !*name) return nullptr;
  if (HasSearchFlags()) return LoadLibraryExW(name, nullptr, kSearchSystem32);
  // Without the flags, name the full path inside the system directory.
  wchar_t dir[MAX_PATH];
  UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wstring path(dir, n);
  path += L'\\';
  path += name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC FindFunction(HMODULE module, const char* name) {
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace ui::platform
