// The installer's window with its folder field holding a selection and the
// field's context menu open, for looking at on a real screen. It ends by
// itself after the number of milliseconds given as its argument (default
// 6000). With "caret" the field has focus, no selection and no menu: the
// caret blinks at the end of the text.
//   edit_showcase.exe [ms] [caret]
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/installer_app.h"
#include "app/resources/resources.h"

namespace {
HWND g_owner = nullptr;

void CALLBACK OpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  // A right click inside the field, with the cursor there (the menu opens
  // at the cursor).
  const LPARAM at = MAKELPARAM(150, 319);
  POINT screen{150, 319};
  ClientToScreen(g_owner, &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(g_owner, WM_RBUTTONDOWN, MK_RBUTTON, at);
  SendMessageW(g_owner, WM_RBUTTONUP, 0, at);  // returns when the menu is closed
}

void CALLBACK End(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND menu = FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu")) DestroyWindow(menu);
  PostQuitMessage(0);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const DWORD lifeMs = commandLine && *commandLine ? std::strtoul(commandLine, nullptr, 10) : 6000;
  app::InstallerApp installer;
  if (!installer.Start(app::resources::LibraryGlyphStrip())) return 1;
  g_owner = installer.texts().startWindowHandle;
  ui::UiEdit& field = *installer.objects().pathEdit;
  installer.objects().mainHost->SetFocusElement(&field, true);
  if (commandLine && std::strstr(commandLine, "caret")) {
    const int end = field.TextStore().LineCharCount(1);
    field.Select({1, end}, {1, end});
  } else {
    field.Select({1, 3}, {1, 15});
    SetTimer(nullptr, 0, 1000, OpenMenu);
  }
  SetTimer(nullptr, 0, lifeMs ? lifeMs : 6000, End);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
