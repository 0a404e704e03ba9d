#pragma once
// Helpers for the display-scale tests: putting a hosted window at a DPI the
// way the system does (WM_DPICHANGED with a suggested rectangle), sizes of
// element bitmaps, device points of logical positions, and the mouse
// messages a user's pointer sends at a device position.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/element/element.h"
#include "ui/host/window.h"

namespace scaletest {

RECT WindowRect(HWND hwnd);
SIZE WindowSize(HWND hwnd);

// Sends WM_DPICHANGED for `dpi` with the rectangle the system suggests:
// the host's logical size at the new scale, about the window's top-left.
void ChangeDpi(HWND hwnd, UINT dpi);

// Width and height of the element's bitmap (0 x 0 without one).
SIZE BitmapSize(const ui::UiElement& element);

// The device pixel (in the hosted window's client area) that shows the
// logical point (x, y): the scale's rounding, as the host places things.
POINT DevicePoint(const ui::UiWindow& host, float x, float y);
inline LPARAM AsLParam(POINT p) { return MAKELPARAM(p.x, p.y); }

// First and last device column (or row) of an element's surface placed at
// `start` with `length` logical pixels: the pixels that show it, and so
// the pixels hit testing counts as the element.
int FirstDeviceInside(const ui::UiWindow& host, float start);
int LastDeviceInside(const ui::UiWindow& host, float start, float length);

// Move, press and release at one device point.
void ClickAt(HWND hwnd, POINT device);

// Counts how often the host sent an event to an element (bound handlers
// run after the class's own, so the element behaves as usual).
class EventCounter {
 public:
  EventCounter(ui::UiElement& element, UINT message);
  int count() const { return *count_; }
  void reset() { *count_ = 0; }

 private:
  std::shared_ptr<int> count_ = std::make_shared<int>(0);
};

}  // namespace scaletest
