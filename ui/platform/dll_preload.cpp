#include "ui/platform/dll_preload.h"

#include <windows.h>

#include <iterator>

#include "ui/platform/system_library.h"

namespace ui::platform {

// From load traces of the installer (installation, folder dialog), the
// application and the uninstaller, plus the DLLs the same components load on
// Windows versions where they are split differently.

// Early: up to the first window on the screen.
const wchar_t* const kEarlySystemDlls[] = {
    // The C runtime and the base services the others import.
    L"ucrtbase.dll", L"msvcrt.dll", L"sechost.dll", L"advapi32.dll", L"zlib1.dll", L"version.dll",
    // Windows, drawing and input.
    L"win32u.dll", L"gdi32.dll", L"gdi32full.dll", L"user32.dll", L"imm32.dll", L"uxtheme.dll",
    // COM and the shell (the programs import shell32).
    L"rpcrt4.dll", L"combase.dll", L"ole32.dll", L"oleaut32.dll", L"shcore.dll", L"shlwapi.dll", L"shell32.dll",
    // GDI+ (the library decodes its own artwork, so no image codec yet).
    L"gdiplus.dll",
};
const std::size_t kEarlySystemDllCount = std::size(kEarlySystemDlls);

// Late: the installation, the folder dialog, shell links, starting a program.
const wchar_t* const kLateSystemDlls[] = {
    // GDI blending helpers (the library blends through gdi32), profiles and
    // the cryptographic base services.
    L"msimg32.dll", L"cryptbase.dll", L"bcryptprimitives.dll", L"profapi.dll", L"userenv.dll",
    // COM classes and the shell's storage, proxies and compatibility layer.
    L"clbcatq.dll", L"windows.storage.dll", L"comres.dll", L"actxprxy.dll", L"apphelp.dll",
    // GDI+'s image codecs and the property store they import; accessibility
    // (a screen reader's first question); dbghelp for creating folders; the
    // desktop composition (menus blur what is behind them). The library
    // binds its functions from these at their first call
    // (ui/platform/system_api.h).
    L"propsys.dll", L"windowscodecs.dll", L"oleacc.dll", L"dbghelp.dll", L"dwmapi.dll",
};
const std::size_t kLateSystemDllCount = std::size(kLateSystemDlls);

namespace {
void PreloadList(const wchar_t* const* names, std::size_t count) {
  // With the flags, each DLL's dependencies come from the system directory
  // too; without them the DLL's own folder (the system directory) comes first.
  const DWORD flags = HasSearchFlags() ? 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */
                                       : LOAD_WITH_ALTERED_SEARCH_PATH;
  wchar_t path[MAX_PATH];
  for (std::size_t i = 0; i < count; ++i) {
    if (SystemPath(names[i], path, MAX_PATH)) LoadLibraryExW(path, nullptr, flags);
  }
}
}  // namespace

void PreloadSystemDlls() {
  PreloadEarlySystemDlls();
  PreloadLateSystemDlls();
}
void PreloadEarlySystemDlls() { PreloadList(kEarlySystemDlls, kEarlySystemDllCount); }
void PreloadLateSystemDlls() {
  PreloadList(kLateSystemDlls, kLateSystemDllCount);
  // The common controls by name, as the folder dialog asks for them: the
  // process's manifest picks their version, so no path is named.
  LoadSystemLibrary(L"comctl32.dll");
}

}  // namespace ui::platform
