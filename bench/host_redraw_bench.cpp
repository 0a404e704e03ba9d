// Full recomposition against a partial one: a 588 x 438 host with a
// background image and 8 elements; prints the mean time of a full Redraw and
// of a RedrawRect of one 200 x 50 element, both presented, and their ratio.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "ui/core/library.h"
#include "ui/element/element.h"
#include "ui/host/window.h"
#include "ui/platform/gdiplus_handles.h"

namespace {

std::vector<std::uint8_t> Bmp(int w, int h) {
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
      std::uint8_t* p = &out[54 + y * stride + x * 3];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x ^ y);
    }
  return out;
}

class Block : public ui::UiElement {
 public:
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    if (message != ui::ev::kPaint) return -1;
    Paint([&](const ui::PaintContext& pc) {
      ui::gp::SolidBrush brush;
      ui::gp::GdipCreateSolidFill(0xC08040E0, brush.put());
      ui::gp::GdipFillRectangle(pc.graphics, reinterpret_cast<Gdiplus::GpBrush*>(brush.get()), pc.area.x,
                                pc.area.y, pc.area.width, pc.area.height);
    });
    return 0;
  }
};

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int main() {
  ui::InitLibrary();
  HWND hwnd = CreateWindowExW(0, ui::kWindowClassName, L"bench", WS_POPUP, 0, 0, 588, 438, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ui::UiWindow host;
  auto image = Bmp(578, 428);
  ui::UiWindow::CreateOptions o;
  o.image = image;
  if (!host.Create(hwnd, o)) {
    std::printf("host could not attach\n");
    return 1;
  }
  std::vector<std::unique_ptr<Block>> blocks;
  const ui::RectF places[8] = {{40, 60, 200, 50},  {300, 60, 200, 50},  {40, 140, 120, 120},
                               {200, 140, 300, 80}, {40, 300, 500, 40},  {60, 360, 80, 30},
                               {200, 360, 80, 30},  {340, 360, 180, 50}};
  for (const auto& r : places) {
    blocks.push_back(std::make_unique<Block>());
    blocks.back()->Create(hwnd, r, ui::kind::kLabel, true);
  }
  Pump();

  const int fullRuns = 40, partialRuns = 400;
  host.Redraw({}, std::nullopt, 0, true);  // warm-up
  double t0 = NowMs();
  for (int i = 0; i < fullRuns; ++i) host.Redraw({}, std::nullopt, 0, true);
  const double full = (NowMs() - t0) / fullRuns;

  const ui::RectF target = blocks[0]->Bounds();
  host.RedrawRect(target, true);
  t0 = NowMs();
  for (int i = 0; i < partialRuns; ++i) host.RedrawRect(target, true);
  const double partial = (NowMs() - t0) / partialRuns;

  std::printf("host 588x438, 8 elements, background image\n");
  std::printf("full redraw:            %8.3f ms\n", full);
  std::printf("partial redraw 200x50:  %8.3f ms\n", partial);
  std::printf("partial / full:         %8.3f\n", partial / full);
  DestroyWindow(hwnd);
  return 0;
}
