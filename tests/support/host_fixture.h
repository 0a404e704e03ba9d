#pragma once
// Helpers for host and element tests: a recorder element, a hosted test
// window, encoded test images and canvas pixel access.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "tests/support/test_env.h"
#include "ui/core/bytes.h"
#include "ui/element/element.h"
#include "ui/host/window.h"

namespace qwtest {

// A 24-bit BMP file of width x height, coloured by `colour(x, y)` (0x00RRGGBB).
ui::Bytes MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour);

// An element that paints itself in one colour and records every event.
class Recorder : public ui::UiElement {
 public:
  struct Event {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  explicit Recorder(ui::Argb fill = 0xFFFFFF00) : fill_(fill) {}

  ui::ElementHandle Make(ui::UiParent parent, float x, float y, float w, float h, bool visible = true,
                         int kind = 3) {
    return Create(parent, ui::RectF{x, y, w, h}, kind, visible);
  }
  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Re-renders (fresh) in a new colour.
  void Fill(ui::Argb colour) {
    fill_ = colour;
    Repaint();
  }

  int Count(UINT message) const;
  std::vector<UINT> Messages() const;
  void ClearLog() { log.clear(); }

  std::vector<Event> log;
  std::map<UINT, int> answers;  // what HandleEvent answers per message (default -1)
  std::function<void(UINT)> onEvent;  // runs after logging
  std::vector<UINT>* sharedOrder = nullptr;  // appends (message) for cross-element order checks
  std::vector<Recorder*>* destroyOrder = nullptr;
  int paints = 0;

 private:
  ui::Argb fill_;
};

// A popup window (not shown) of the given size with a host attached.
struct HostedWindow {
  explicit HostedWindow(int width = 200, int height = 150, ui::UiWindow::CreateOptions options = Plain(),
                        DWORD style = WS_POPUP);
  static ui::UiWindow::CreateOptions Plain();  // no caption parts, square frame
  HWND hwnd() const { return window.hwnd(); }
  // Pumps until the host's redraw work posted so far is done.
  void Settle();
  ui::Argb Canvas(int x, int y) const { return DcPixel(host.CanvasDc(), x, y); }

  TestWindow window;
  ui::UiWindow host;
  bool attached = false;
};

}  // namespace qwtest
