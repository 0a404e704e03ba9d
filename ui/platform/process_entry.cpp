// The entry point of the programs (qingwu_setup.exe, qingwu.exe, uninst.exe),
// set by qw_hardened_program (ui/CMakeLists.txt). It runs before the C
// runtime's start-up and every static initialiser:
//   1. the DLL search is restricted to the system directory;
//   2. the system DLLs that system components load by bare name are loaded
//      from there (ui/platform/dll_preload.h); a program built with
//      QW_PRELOAD_EARLY_ONLY loads only those it needs up to its first
//      window here, and the rest itself once that window is on the screen
//      (the installer: its window comes up sooner);
//   3. the imports the loader was not given are bound (deferred_imports.h);
// then the C runtime's own entry starts the program as usual.
#include <windows.h>

#include "ui/platform/deferred_imports.h"
#include "ui/platform/dll_preload.h"
#include "ui/platform/entry_trace.h"
#include "ui/platform/system_library.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;
// The C runtime's entry for GUI programs (both the narrow and the wide start-up define it).
extern "C" int WinMainCRTStartup(void);

namespace {
// What the loader reports when an imported function is missing.
constexpr UINT kEntryPointNotFound = 0xC0000139;
}  // namespace

namespace ui::platform {
EntryTrace& ProcessEntryTrace() {
  static EntryTrace trace;  // constant-initialised: usable before the C runtime starts
  return trace;
}
}  // namespace ui::platform

#if defined(__i386__)
// The system calls the entry with a stack aligned to 4 bytes only.
#define QW_ENTRY_ALIGNS_STACK __attribute__((force_align_arg_pointer))
#else
#define QW_ENTRY_ALIGNS_STACK
#endif
extern "C" QW_ENTRY_ALIGNS_STACK int QwProcessEntry(void) {
  ui::platform::EntryTrace& trace = ui::platform::ProcessEntryTrace();
  GetSystemTimeAsFileTime(&trace.entered);
  ui::platform::RestrictDllSearch();
#if defined(QW_PRELOAD_EARLY_ONLY)
  ui::platform::PreloadEarlySystemDlls();
#else
  ui::platform::PreloadSystemDlls();
#endif
  GetSystemTimeAsFileTime(&trace.preloaded);
  if (!ui::platform::BindDeferredImports(reinterpret_cast<HMODULE>(&__ImageBase))) {
    ExitProcess(kEntryPointNotFound);
  }
  GetSystemTimeAsFileTime(&trace.bound);
  return WinMainCRTStartup();
}
