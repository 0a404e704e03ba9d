#pragma once
// The system DLLs that system components load by bare name, and their
// preloading from the system directory.
//
// The search restriction (SetDefaultDllDirectories) covers the process's own
// loads, but not the loads that system DLLs make for themselves: a DLL's
// load-time and delayed imports, and in-process COM servers. Those look in the
// program's folder first on some systems (Wine's loader does: GDI+'s image
// codecs find a planted propsys.dll there), so a DLL planted beside the
// program under such a name would run inside it. A DLL that is already loaded
// satisfies every later request by bare name, so each is loaded once, early,
// by its full path in the system directory.
#include <cstddef>

namespace ui::platform {

// The names, each DLL's own imports before it as far as the system's
// mutual imports allow (each load takes its dependencies from the system
// directory too). Names a system does not have are harmless: their load
// simply fails.
//
// The early names are what a program loads, by itself or through system
// components, until its first window is on the screen: the C runtime,
// windows, drawing, input, COM, the shell's imports and GDI+. The late
// names only come with later work (the installation, the folder dialog,
// shell links, starting a program, image codecs, accessibility, profiles
// and certificates). The late names' dependencies are among the early ones
// or come before them in the late list.
extern const wchar_t* const kEarlySystemDlls[];
extern const std::size_t kEarlySystemDllCount;
extern const wchar_t* const kLateSystemDlls[];
extern const std::size_t kLateSystemDllCount;

// Loads every DLL of both lists, early then late, from the system
// directory, its dependencies from there too, then the common controls.
// Runs before the C runtime has started.
void PreloadSystemDlls();

// The same, in two steps: the early names (from the entry point, before
// the C runtime has started), then the rest (once the first window is on
// the screen, and before any work that may load them). Loading a DLL that
// is already loaded only counts a reference, so either may run again.
void PreloadEarlySystemDlls();
void PreloadLateSystemDlls();

}  // namespace ui::platform
