#pragma once
// The application's main window on a scratch installation, for the
// in-process main-window tests.
#include <windows.h>

#include <memory>
#include <string>

#include "payload/app/file_check.h"
#include "payload/app/main_window.h"
#include "tests/payload/payload_test_util.h"

namespace qwtest {

// Puts every installed file but the resource pack into `program`, then
// creates and shows the main window on it and `data`. Null when a file or
// the window could not be made.
inline std::unique_ptr<qingwu::MainWindow> OpenMainWindow(const ScratchFolder& program, const ScratchFolder& data) {
  for (const std::wstring& name : qingwu::InstalledFileNames()) {
    if (name != L"resources.pak" && !program.Put(name, "x")) return nullptr;
  }
  auto window = std::make_unique<qingwu::MainWindow>(qingwu::MainWindowPaths{program.path(), data.path()});
  if (!window->Create(GetModuleHandleW(nullptr), false)) return nullptr;
  window->Show();
  return window;
}

}  // namespace qwtest
