// Common main of every test program: starts GDI+ and the library once (as
// the installer does) and runs GoogleTest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tests/support/test_images.h"
#include "tests/support/test_env.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/platform/system_library.h"

namespace qwtest {
ui::UiMenu& SharedEditMenu() {
  static ui::UiMenu menu;
  return menu;
}
}  // namespace qwtest

namespace {
// An exception that escapes ends the program; the frames of the throw are
// printed first (module and offset, for addr2line), so that a rare failure
// of a long random run can be traced from its log alone.
[[noreturn]] void PrintStackAndAbort() {
  void* frames[48] = {};
  const USHORT n = CaptureStackBackTrace(0, 48, frames, nullptr);
  std::fprintf(stderr, "uncaught exception; stack:\n");
  for (USHORT i = 0; i < n; ++i) {
    HMODULE module = nullptr;
    wchar_t name[MAX_PATH] = L"?";
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(frames[i]), &module))
      GetModuleFileNameW(module, name, MAX_PATH);
    const wchar_t* base = wcsrchr(name, L'\\');
    std::fprintf(stderr, "  #%u %ls+0x%llx\n", i, base ? base + 1 : name,
                 static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(frames[i]) -
                                                 reinterpret_cast<uintptr_t>(module)));
  }
  std::fflush(stderr);
  std::abort();
}
}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(PrintStackAndAbort);
  ui::platform::HardenDllSearch();
  ui::LibraryInit init;
  init.glyphStrip = qwtest::RgbStripPngWithoutSignature();
  init.editMenu = &qwtest::SharedEditMenu();
  ui::InitLibrary(init);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
