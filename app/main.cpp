// qingwu_setup.exe: the installer of 青梧网游加速器.
#include <windows.h>

#include <cstdlib>

#include "app/installer_app.h"
#include "app/resources/resources.h"

namespace {
app::InstallerApp* g_app = nullptr;

void TeardownAtExit() {
  if (g_app) g_app->Teardown();
}
}  // namespace

// The DLL search is restricted to the system directory before this runs
// (ui/platform/process_entry.cpp).
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static app::InstallerApp installer;
  g_app = &installer;
  std::atexit(TeardownAtExit);
  installer.Start(app::resources::LibraryGlyphStrip());
  app::RunMessageLoop();
  return 0;
}
