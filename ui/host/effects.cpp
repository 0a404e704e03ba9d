// UiWindow: showing the window and the close effect.
#include "ui/host/window.h"

namespace ui {

void UiWindow::Show(int effect, std::optional<int> durationMs) {
  if (!hwnd_) return;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // leave it for the message loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!IsLive(this) || !hwnd_) return;
  // Animated opening effects are not built yet: every effect shows plainly.
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  if (effect != 0) Present(nullptr);
}

void UiWindow::RunCloseEffect() {
  // Close animations are not built yet: the window is simply hidden.
}

}  // namespace ui
