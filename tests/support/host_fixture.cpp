#include "tests/support/host_fixture.h"

#include <algorithm>

namespace qwtest {

ui::Bytes MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour) {
  const int stride = (width * 3 + 3) & ~3;
  const int dataSize = stride * height;
  ui::Bytes out(14 + 40 + dataSize, 0);
  auto put32 = [&](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  out[26] = 1;
  out[28] = 24;
  put32(34, static_cast<std::uint32_t>(dataSize));
  for (int y = 0; y < height; ++y) {
    const int row = height - 1 - y;  // bottom-up
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);  // 0x00RRGGBB
      std::uint8_t* p = &out[54 + row * stride + x * 3];
      p[0] = static_cast<std::uint8_t>(c);
      p[1] = static_cast<std::uint8_t>(c >> 8);
      p[2] = static_cast<std::uint8_t>(c >> 16);
    }
  }
  return out;
}

int Recorder::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  log.push_back(Event{message, wParam, lParam});
  if (sharedOrder) sharedOrder->push_back(message);
  if (message == ui::ev::kDestroyed && destroyOrder) destroyOrder->push_back(this);
  if (message == ui::ev::kPaint) {
    ++paints;
    Paint([&](const ui::PaintContext& pc) {
      ui::gp::SolidBrush brush;
      ui::gp::GdipCreateSolidFill(fill_, brush.put());
      ui::gp::GdipFillRectangle(pc.graphics, reinterpret_cast<Gdiplus::GpBrush*>(brush.get()),
                                pc.area.x, pc.area.y, pc.area.width, pc.area.height);
    });
  }
  if (onEvent) onEvent(message);
  auto it = answers.find(message);
  return it == answers.end() ? -1 : it->second;
}

int Recorder::Count(UINT message) const {
  return static_cast<int>(std::count_if(log.begin(), log.end(),
                                        [&](const Event& e) { return e.message == message; }));
}

std::vector<UINT> Recorder::Messages() const {
  std::vector<UINT> out;
  for (const auto& e : log) out.push_back(e.message);
  return out;
}

ui::UiWindow::CreateOptions HostedWindow::Plain() {
  ui::UiWindow::CreateOptions o;
  o.captionStyle = 0;
  o.frameMode = 0;
  o.backgroundColor = RGB(0, 128, 0);
  o.blurBehind = false;
  return o;
}

HostedWindow::HostedWindow(int width, int height, ui::UiWindow::CreateOptions options, DWORD style)
    : window(40, 40, width, height, style) {
  // Not shown: hiding a shown window costs seconds under a bare X server,
  // and the canvas does not need the screen.
  attached = host.Create(window.hwnd(), options);
  Settle();
}

void HostedWindow::Settle() { PumpPending(); }

}  // namespace qwtest
