#pragma once
// The application's main window: the product name and version in a
// coloured header, the acceleration status and a start/stop button.
#include <windows.h>

#include "ui/platform/gdi_handles.h"

namespace qingwu {

inline constexpr wchar_t kWindowClass[] = L"QingwuAccelerator";
inline constexpr wchar_t kProductName[] = L"青梧网游加速器";
inline constexpr wchar_t kVersion[] = L"201909999";

class MainWindow {
 public:
  // Registers the class and creates the (visible) window; false on failure.
  bool Create(HINSTANCE instance, int showCommand);
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void Paint(HDC dc, const RECT& client);
  void ToggleAcceleration();

  HWND hwnd_ = nullptr;
  HWND button_ = nullptr;  // child control, destroyed with the window
  ui::gdi::FontHandle titleFont_, textFont_, statusFont_, buttonFont_;
  bool accelerating_ = false;
  int routeCount_ = -1;    // -1: the core library or its route list is missing
};

}  // namespace qingwu
