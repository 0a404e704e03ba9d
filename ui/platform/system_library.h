#pragma once
// Loading of DLLs for run-time binding. Every DLL comes from the system
// directory only, so that a DLL planted beside the executable (an installer
// typically runs from a downloads folder) is never picked up.
#include <windows.h>

namespace ui::platform {

// Restricts the process's DLL search to the system directory where the
// system offers SetDefaultDllDirectories. Call as the first act of the process.
void HardenDllSearch();

// Loads `name` (e.g. L"gdiplus.dll") from the system directory; null when the
// DLL is not there. Modules are never freed: bound pointers live as long as
// the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Looks a function up in a module loaded by LoadSystemLibrary; null when the
// module or the function is missing.
FARPROC FindFunction(HMODULE module, const char* name);

}  // namespace ui::platform
