#include "tests/scale/scale_support.h"

#include <cmath>

namespace scaletest {

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

SIZE WindowSize(HWND hwnd) {
  const RECT r = WindowRect(hwnd);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void ChangeDpi(HWND hwnd, UINT dpi) {
  const ui::UiWindow* host = ui::UiWindow::FromWindow(hwnd);
  const SIZE logical = host ? host->LogicalSize() : WindowSize(hwnd);
  const RECT now = WindowRect(hwnd);
  RECT suggested{now.left, now.top,
                 now.left + static_cast<LONG>(std::lround(logical.cx * static_cast<double>(dpi) / 96)),
                 now.top + static_cast<LONG>(std::lround(logical.cy * static_cast<double>(dpi) / 96))};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

SIZE BitmapSize(const ui::UiElement& element) {
  UINT w = 0, h = 0;
  if (Gdiplus::GpBitmap* b = element.Bitmap()) {
    ui::gp::GdipGetImageWidth(reinterpret_cast<Gdiplus::GpImage*>(b), &w);
    ui::gp::GdipGetImageHeight(reinterpret_cast<Gdiplus::GpImage*>(b), &h);
  }
  return SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
}

POINT DevicePoint(const ui::UiWindow& host, float x, float y) {
  return POINT{host.Scale().ToDevice(x), host.Scale().ToDevice(y)};
}

int FirstDeviceInside(const ui::UiWindow& host, float start) { return host.Scale().ToDevice(start); }

int LastDeviceInside(const ui::UiWindow& host, float start, float length) {
  return host.Scale().ToDevice(start) + host.Scale().SurfaceLength(length) - 1;
}

void ClickAt(HWND hwnd, POINT device) {
  const LPARAM at = AsLParam(device);
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

EventCounter::EventCounter(ui::UiElement& element, UINT message) {
  std::shared_ptr<int> count = count_;
  element.BindEvent(message, [count](const ui::ElementEvent&) { ++*count; });
}

}  // namespace scaletest
