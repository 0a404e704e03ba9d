#pragma once
// Loading of DLLs for run-time binding. Every DLL comes from the system
// directory only, so that a DLL planted beside the executable (an installer
// typically runs from a downloads folder) is never picked up.
//
// Everything here runs before the C runtime has started (from the programs'
// entry point, ui/platform/process_entry.cpp): plain Win32 calls and stack
// buffers only, no allocation, no static objects.
#include <windows.h>

namespace ui::platform {

// Restricts the DLL search to the system directory and preloads, from there,
// every DLL that system components request by bare name
// (ui/platform/dll_preload.h). The programs do this from their entry point;
// test and benchmark programs call it first thing in main.
void HardenDllSearch();

// Restricts the process's DLL search to the system directory where the
// system offers SetDefaultDllDirectories, and removes the current directory
// from the legacy search order everywhere.
void RestrictDllSearch();

// True where LoadLibraryExW takes the LOAD_LIBRARY_SEARCH_* flags (kernel32
// exports AddDllDirectory: Windows 7 with KB2533623 and later).
bool HasSearchFlags();

// Writes "<system directory>\<name>" into `path` (capacity `size`
// characters); false when it does not fit.
bool SystemPath(const wchar_t* name, wchar_t* path, UINT size);

// Loads `name` (e.g. L"gdiplus.dll") from the system directory, its own
// dependencies too; null when the DLL is not there. A DLL that the process's
// manifest redirects (the common controls 6) still gets its redirected
// version. Modules are never freed: bound pointers live as long as the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Looks a function up in a module loaded by LoadSystemLibrary; null when the
// module or the function is missing.
FARPROC FindFunction(HMODULE module, const char* name);

}  // namespace ui::platform
