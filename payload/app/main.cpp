// qingwu.exe: the 青梧网游加速器 application.
#include <windows.h>

#include "payload/app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // A second start brings the running window to the front.
  if (HWND running = FindWindowW(qingwu::kWindowClass, nullptr)) {
    SetForegroundWindow(running);
    return 0;
  }
  qingwu::MainWindow window;
  if (!window.Create(instance, showCommand)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window.hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
