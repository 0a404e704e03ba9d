#pragma once
// UiWindow: the host that takes over a top-level window and draws a tree of
// windowless elements into it. (Grows with the host window work.)
#include <windows.h>

namespace ui {

class UiWindow {
 public:
  UiWindow() = default;
  UiWindow(const UiWindow&) = delete;
  UiWindow& operator=(const UiWindow&) = delete;
  ~UiWindow() = default;

  HWND Window() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;  // the hosted window; not owned
};

}  // namespace ui
