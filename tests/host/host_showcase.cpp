// A hosted window with a background image, caption parts and a few plain
// elements, kept on screen for a while: for looking at the result
// (screenshot under Xvfb). Not a test.
// Usage: host_showcase.exe [seconds [window alpha]]
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "ui/core/library.h"
#include "ui/element/element.h"
#include "ui/host/window.h"
#include "ui/platform/gdiplus_handles.h"

namespace {

std::vector<std::uint8_t> GradientBmp(int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<std::uint8_t> out(54 + stride * h, 0);
  auto put32 = [&](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  out[26] = 1;
  out[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &out[54 + (h - 1 - y) * stride + x * 3];
      const bool stripe = ((x + y) / 24) % 2 == 0;
      p[0] = static_cast<std::uint8_t>(120 + 100 * y / h);         // blue
      p[1] = static_cast<std::uint8_t>(60 + 80 * x / w);           // green
      p[2] = static_cast<std::uint8_t>(stripe ? 40 : 20);          // red
    }
  return out;
}

class Block : public ui::UiElement {
 public:
  explicit Block(ui::Argb colour) : colour_(colour) {}
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    if (message != ui::ev::kPaint) return -1;
    Paint([&](const ui::PaintContext& pc) {
      ui::gp::SolidBrush brush;
      ui::gp::GdipCreateSolidFill(colour_, brush.put());
      ui::gp::GdipFillRectangle(pc.graphics, reinterpret_cast<Gdiplus::GpBrush*>(brush.get()), pc.area.x,
                                pc.area.y, pc.area.width, pc.area.height);
      ui::gp::Pen pen;
      ui::gp::GdipCreatePen1(0xFFFFFFFF, 2.0f, Gdiplus::UnitPixel, pen.put());
      ui::gp::GdipDrawRectangle(pc.graphics, pen.get(), pc.area.x + 1, pc.area.y + 1, pc.area.width - 2,
                                pc.area.height - 2);
    });
    return 0;
  }

 private:
  ui::Argb colour_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ui::InitLibrary();
  const int seconds = __argc > 1 ? std::atoi(__argv[1]) : 20;
  HWND hwnd = CreateWindowExW(0, ui::kWindowClassName, L"宿主窗口 Host", WS_POPUP | WS_MINIMIZEBOX,
                              40, 40, 588, 438, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ui::UiWindow host;
  auto image = GradientBmp(578, 300);
  ui::UiWindow::CreateOptions o;
  o.image = image;
  o.backgroundColor = RGB(30, 40, 60);
  if (__argc > 2) o.windowAlpha = std::atoi(__argv[2]);  // layered, with this overall alpha
  host.Create(hwnd, o);

  Block a(0xFFE04040), b(0xC040C040), c(0xFF4060E0), d(0xFFFFC000), child(0xFF202020), dis(0xFFFFFFFF);
  a.Create(hwnd, ui::RectF{40, 60, 200, 50}, ui::kind::kLabel, true);
  b.Create(hwnd, ui::RectF{180, 90, 160, 90}, ui::kind::kLabel, true);
  c.Create(hwnd, ui::RectF{60, 220, 120, 120}, ui::kind::kLabel, true);
  child.Create(c, ui::RectF{150, 250, 60, 40}, ui::kind::kLabel, true);  // clipped by its parent
  d.Create(hwnd, ui::RectF{380, 330, 170, 60}, ui::kind::kLabel, true);
  d.Opacity(128);
  dis.Create(hwnd, ui::RectF{380, 220, 170, 60}, ui::kind::kLabel, true);
  dis.Disabled(true);
  host.Show(0);

  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG msg;
  while (GetTickCount() < end && IsWindow(hwnd)) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return 0;
}
