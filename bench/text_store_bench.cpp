// Line store speed: rebuilding and measuring 1,000 and 10,000 lines of 40
// characters, and one typed character at the end of the long text (insert,
// rebuild and measure again, as the edit box does for every keystroke).
// The cost must grow linearly with the number of lines.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/controls/text_store.h"
#include "ui/core/library.h"
#include "ui/core/string_format.h"
#include "ui/platform/gdiplus_handles.h"

namespace {

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Lines(int count) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 42);
  for (int i = 0; i < count; ++i) {
    if (i) text += "\r\n";
    std::string line = "line " + std::to_string(i) + " 青梧网游 ";
    while (line.size() < 40) line += static_cast<char>('a' + line.size() % 26);
    text += line.substr(0, 40);
  }
  return text;
}

struct Measuring {
  ui::gp::Bitmap bitmap;
  ui::gp::Graphics graphics;
  ui::UiStringFormat format;
  Gdiplus::RectF box{4, 4, 400, 300};
};

// Best of `runs`, to keep other processes' noise out of the figure.
template <class F>
double BestOf(int runs, F&& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double t0 = NowMs();
    work();
    best = std::min(best, NowMs() - t0);
  }
  return best;
}

}  // namespace

int main() {
  ui::InitLibrary();
  Measuring m;
  ui::gp::GdipCreateBitmapFromScan0(400, 300, 0, PixelFormat32bppARGB, nullptr, m.bitmap.put());
  ui::gp::GdipGetImageGraphicsContext(m.bitmap.get(), m.graphics.put());
  ui::gp::GdipSetTextRenderingHint(m.graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
  m.format.Create(0x400 | 0x800 | 0x4000);
  const float stops[1] = {8.0f};
  ui::gp::GdipSetStringFormatTabStops(m.format.Handle(), 1.0f, 1, stops);
  if (!ui::Library().defaultFont || !m.graphics) {
    std::printf("text_store: GDI+ or the default font is missing\n");
    return 1;
  }

  double perLine[2] = {};
  const int counts[2] = {1000, 10000};
  ui::UiTextStore store;
  for (int k = 0; k < 2; ++k) {
    const std::string text = Lines(counts[k]);
    double setText = 0;
    const double total = BestOf(3, [&] {
      const double t0 = NowMs();
      store.SetText(text, true, ui::EditMode::Normal, "*");
      setText = NowMs() - t0;
      store.Layout(m.graphics.get(), m.box, ui::Library().defaultFont, m.format.Handle(), 3);
    });
    perLine[k] = total / counts[k];
    std::printf("text_store: SetText+Layout %6d lines x 40 chars: %9.2f ms (SetText %.2f ms), %.4f ms/line\n",
                counts[k], total, setText, perLine[k]);
  }

  const double insertOnly = BestOf(3, [&] { store.InsertAt(store.Length() + 1, "x", true); });
  const double typed = BestOf(3, [&] {
    store.InsertAt(store.Length() + 1, "x", true);
    store.Layout(m.graphics.get(), m.box, ui::Library().defaultFont, m.format.Handle(), 3);
  });
  std::printf("text_store: one character at the end of 10000 lines: InsertAt %.3f ms, with Layout %.2f ms\n",
              insertOnly, typed);
  std::printf("text_store: growth 1000 -> 10000 lines: %.2fx per line (1.00 = linear)\n",
              perLine[1] / perLine[0]);
  return 0;
}
