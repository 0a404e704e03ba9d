#include "ui/platform/system_library.h"

#include "ui/platform/dll_preload.h"

namespace ui::platform {

namespace {
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

FARPROC Kernel32Function(const char* name) {
  return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
}
}  // namespace

void HardenDllSearch() {
  RestrictDllSearch();
  PreloadSystemDlls();
}

void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(Kernel32Function("SetDefaultDllDirectories"));
  if (fn) fn(kSearchSystem32);
  // Also drop the current directory from the legacy search order.
  SetDllDirectoryW(L"");
}

bool HasSearchFlags() { return Kernel32Function("AddDllDirectory") != nullptr; }

bool SystemPath(const wchar_t* name, wchar_t* path, UINT size) {
  const UINT n = GetSystemDirectoryW(path, size);
  if (n == 0 || n >= size) return false;
  UINT at = n;
  if (path[at - 1] != L'\\') path[at++] = L'\\';
  for (const wchar_t* c = name; *c; ++c) {
    if (at + 1 >= size) return false;
    path[at++] = *c;
  }
  path[at] = L'\0';
  return true;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !*name) return nullptr;
  // With the flags, a bare name is looked up in the system directory (after
  // any redirection by the process's manifest), and so are its dependencies.
  if (HasSearchFlags()) return LoadLibraryExW(name, nullptr, kSearchSystem32);
  // Without them, name the full path inside the system directory.
  wchar_t path[MAX_PATH];
  if (!SystemPath(name, path, MAX_PATH)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC FindFunction(HMODULE module, const char* name) {
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace ui::platform
