#include "ui/platform/dll_preload.h"

#include <windows.h>

#include "ui/platform/system_library.h"

namespace ui::platform {

// From load traces of the installer (installation, folder dialog), the
// application and the uninstaller, plus the DLLs the same components load on
// Windows versions where they are split differently.
const wchar_t* const kPreloadedSystemDlls[] = {
    // The C runtime and the base services the others import.
    L"ucrtbase.dll", L"msvcrt.dll", L"sechost.dll", L"advapi32.dll", L"cryptbase.dll", L"bcryptprimitives.dll",
    L"profapi.dll", L"zlib1.dll", L"version.dll",
    // Windows, drawing and input.
    L"win32u.dll", L"gdi32.dll", L"gdi32full.dll", L"user32.dll", L"imm32.dll", L"msimg32.dll",
    L"uxtheme.dll", L"dwmapi.dll",
    // COM and the shell.
    L"rpcrt4.dll", L"combase.dll", L"ole32.dll", L"oleaut32.dll", L"clbcatq.dll", L"shcore.dll",
    L"shlwapi.dll", L"userenv.dll", L"windows.storage.dll", L"propsys.dll", L"shell32.dll",
    L"oleacc.dll", L"comres.dll", L"actxprxy.dll", L"apphelp.dll",
    // GDI+ and the image codecs it loads; dbghelp for creating folders.
    L"windowscodecs.dll", L"gdiplus.dll", L"dbghelp.dll",
};
const std::size_t kPreloadedSystemDllCount = sizeof(kPreloadedSystemDlls) / sizeof(kPreloadedSystemDlls[0]);

void PreloadSystemDlls() {
  // With the flags, each DLL's dependencies come from the system directory
  // too; without them the DLL's own folder (the system directory) comes first.
  const DWORD flags = HasSearchFlags() ? 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */
                                       : LOAD_WITH_ALTERED_SEARCH_PATH;
  wchar_t path[MAX_PATH];
  for (std::size_t i = 0; i < kPreloadedSystemDllCount; ++i) {
    if (SystemPath(kPreloadedSystemDlls[i], path, MAX_PATH)) LoadLibraryExW(path, nullptr, flags);
  }
}

}  // namespace ui::platform
