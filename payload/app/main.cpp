// qingwu.exe: the 青梧网游加速器 application.
#include <windows.h>

#include "payload/app/app_paths.h"
#include "payload/app/app_resources.h"
#include "payload/app/main_window.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/platform/com_apartment.h"


// System DLLs come from the system folder only (ui/platform/process_entry.cpp
// restricts the search before this runs); qwcore.dll is loaded by its full path.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A second start brings the running window to the front.
  if (HWND running = FindWindowW(qingwu::kWindowClass, nullptr)) {
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return 0;
  }
  // The UI thread is a COM apartment while the window lives: handing the
  // window's accessibility object to a screen reader in another process
  // marshals it, which needs one.
  const ui::platform::ComApartment apartment;  // outlives every window and menu below
  ui::UiMenu editMenu;           // the edit boxes' context menu
  ui::LibraryInit init;
  init.glyphStrip = qingwu::GlyphStripWithoutSignature();
  init.glyphStrip150 = qingwu::GlyphStripWithoutSignature(QW_RES_GLYPH_STRIP_150);
  init.glyphStrip200 = qingwu::GlyphStripWithoutSignature(QW_RES_GLYPH_STRIP_200);
  qingwu::RegisterArtworkVariants();
  init.editMenu = &editMenu;
  ui::InitLibrary(init);

  int exitCode = 1;
  {
    qingwu::MainWindow window({qingwu::ProgramFolder(), qingwu::UserDataFolder()});
    if (window.Create(instance, true)) {
      window.Show();
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
    }
  }
  editMenu.Destroy();
  return exitCode;
}
