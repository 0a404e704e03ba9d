// Text is rasterised at device resolution: the glyphs of "极速安装" grow
// with the scale, and their edges stay as steep as at 100 % (measured, not
// looked at), which an enlarged 100 % rendering does not achieve.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tests/scale/scale_support.h"
#include "tests/support/host_fixture.h"
#include "ui/element/button.h"
#include "ui/element/label.h"

using namespace ui;
using qwtest::HostedWindow;

namespace {

// Coverage (alpha) of a rendering, row by row.
struct Coverage {
  int width = 0, height = 0;
  std::vector<int> alpha;
  int at(int x, int y) const { return alpha[static_cast<size_t>(y) * width + x]; }
};

Coverage CoverageOf(const UiElement& e) {
  const SIZE size = scaletest::BitmapSize(e);
  Coverage c{size.cx, size.cy, {}};
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x) c.alpha.push_back(static_cast<int>(AlphaOf(qwtest::BitmapPixel(e.Bitmap(), x, y))));
  return c;
}

// The 100 % rendering enlarged `factor` times with bilinear interpolation:
// what a host that stretched its 96-DPI pixels would show.
Coverage Bilinear(const Coverage& src, double factor) {
  Coverage out;
  out.width = static_cast<int>(std::lround(src.width * factor));
  out.height = static_cast<int>(std::lround(src.height * factor));
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const double sx = std::clamp((x + 0.5) / factor - 0.5, 0.0, src.width - 1.0);
      const double sy = std::clamp((y + 0.5) / factor - 0.5, 0.0, src.height - 1.0);
      const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
      const int x1 = std::min(x0 + 1, src.width - 1), y1 = std::min(y0 + 1, src.height - 1);
      const double fx = sx - x0, fy = sy - y0;
      const double top = src.at(x0, y0) * (1 - fx) + src.at(x1, y0) * fx;
      const double bottom = src.at(x0, y1) * (1 - fx) + src.at(x1, y1) * fx;
      out.alpha.push_back(static_cast<int>(std::lround(top * (1 - fy) + bottom * fy)));
    }
  }
  return out;
}

struct GlyphMeasure {
  RECT box{};              // pixels with real ink (alpha > 96)
  double gradient = 0;     // mean |dx| + |dy| of alpha over the box, per logical pixel
  double decisive = 0;     // share of box pixels that are nearly clear or nearly solid
};

GlyphMeasure Measure(const Coverage& c, double factor) {
  GlyphMeasure m;
  m.box = RECT{c.width, c.height, -1, -1};
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (c.at(x, y) > 96) {
        m.box.left = std::min<LONG>(m.box.left, x);
        m.box.top = std::min<LONG>(m.box.top, y);
        m.box.right = std::max<LONG>(m.box.right, x + 1);
        m.box.bottom = std::max<LONG>(m.box.bottom, y + 1);
      }
  if (m.box.right <= m.box.left) return m;
  double sum = 0;
  int decisive = 0, n = 0;
  for (int y = m.box.top; y < m.box.bottom; ++y) {
    for (int x = m.box.left; x < m.box.right; ++x) {
      const int a = c.at(x, y);
      if (x + 1 < c.width) sum += std::abs(c.at(x + 1, y) - a);
      if (y + 1 < c.height) sum += std::abs(c.at(x, y + 1) - a);
      decisive += (a <= 24 || a >= 231);
      ++n;
    }
  }
  // Steep edges keep a constant gradient per logical pixel of outline:
  // the mean over the box falls as 1 / factor, so it is scaled back.
  m.gradient = sum / n * factor;
  m.decisive = static_cast<double>(decisive) / n;
  return m;
}

int Height(const RECT& r) { return r.bottom - r.top; }

LabelOptions TextOptions() {
  LabelOptions o;
  o.textColor = 0xFF000000;
  o.fontSize = 20;
  return o;
}

// A label with the text, in a window at `dpi` (the label is made before
// the change when `beforeChange`, so it is rebuilt by it).
Coverage RenderLabel(UINT dpi, bool beforeChange = false) {
  HostedWindow w(300, 120);
  UiLabel label;
  if (beforeChange) label.Create(w.hwnd(), 10, 10, 200, 40, "极速安装", TextOptions());
  if (dpi != 96) scaletest::ChangeDpi(w.hwnd(), dpi);
  if (!beforeChange) label.Create(w.hwnd(), 10, 10, 200, 40, "极速安装", TextOptions());
  w.Settle();
  return CoverageOf(label);
}

}  // namespace

TEST(ScaleText, GlyphsGrowWithTheScaleAndKeepTheirSharpness) {
  const Coverage at100 = RenderLabel(96);
  const GlyphMeasure m100 = Measure(at100, 1.0);
  ASSERT_GT(Height(m100.box), 10) << "the text rendered at all";
  for (const auto& [dpi, factor] : {std::pair<UINT, double>{144, 1.5}, {192, 2.0}}) {
    SCOPED_TRACE(dpi);
    const Coverage scaled = RenderLabel(dpi);
    ASSERT_EQ(scaled.width, static_cast<int>(200 * factor));
    const GlyphMeasure m = Measure(scaled, factor);
    const GlyphMeasure blurred = Measure(Bilinear(at100, factor), factor);
    std::printf("dpi %u: height %d (100 %%: %d), gradient %.1f (100 %%: %.1f, enlarged: %.1f), decisive %.3f "
                "(100 %%: %.3f, enlarged: %.3f)\n",
                dpi, Height(m.box), Height(m100.box), m.gradient, m100.gradient, blurred.gradient, m.decisive,
                m100.decisive, blurred.decisive);
    const double growth = static_cast<double>(Height(m.box)) / Height(m100.box);
    EXPECT_NEAR(growth, factor, 0.2 * factor);
    EXPECT_NEAR(static_cast<double>(m.box.right - m.box.left) / (m100.box.right - m100.box.left), factor, 0.15 * factor);
    // As sharp as at 100 % ...
    EXPECT_GE(m.gradient, 0.9 * m100.gradient);
    EXPECT_GE(m.decisive, m100.decisive - 0.02);
    // ... and clearly sharper than the 100 % pixels enlarged.
    EXPECT_LT(blurred.gradient, 0.85 * m.gradient);
    EXPECT_LT(blurred.decisive, m.decisive - 0.05);
  }
}

TEST(ScaleText, TextRebuiltByADpiChangeEqualsTextMadeAtThatScale) {
  const Coverage fresh = RenderLabel(144, false);
  const Coverage rebuilt = RenderLabel(144, true);
  ASSERT_EQ(fresh.width, rebuilt.width);
  ASSERT_EQ(fresh.height, rebuilt.height);
  EXPECT_EQ(fresh.alpha, rebuilt.alpha);
}

TEST(ScaleText, ButtonCaptionsGrowToo) {
  auto captionHeight = [](UINT dpi) {
    HostedWindow w(300, 120);
    if (dpi != 96) scaletest::ChangeDpi(w.hwnd(), dpi);
    UiButton button;
    ButtonOptions o;
    o.textColor = 0xFF000000;
    o.fontSize = 20;
    button.Create(w.hwnd(), 10, 10, 160, 40, "极速安装", o);
    w.Settle();
    return Height(Measure(CoverageOf(button), 1.0).box);
  };
  const int h100 = captionHeight(96);
  ASSERT_GT(h100, 10);
  EXPECT_NEAR(static_cast<double>(captionHeight(192)) / h100, 2.0, 0.4);
}
