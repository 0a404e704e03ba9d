// Text effects, border styles and the darkness tests.
#include <gtest/gtest.h>

#include "tests/drawing/canvas.h"
#include "ui/core/library.h"
#include "ui/core/string_format.h"
#include "ui/element/text_drawing.h"

using namespace ui;

namespace {
int CountVisible(const TestCanvas& c, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (AlphaOf(c.At(x, y)) > 0) ++n;
  return n;
}

struct TextBox {
  UiStringFormat format;
  TextBox() { format.Create(0x1000); }
};
}  // namespace

TEST(DarkColor, LuminanceThresholdIs192) {
  EXPECT_FALSE(IsDarkColor(0xFFC0C0C0u));  // 192
  EXPECT_TRUE(IsDarkColor(0xFFBFBFBFu));   // 191
  EXPECT_TRUE(IsDarkColor(0xFF0000FFu));   // pure blue is dark
  EXPECT_FALSE(IsDarkColor(0xFFFFFF00u));  // yellow is light
  EXPECT_TRUE(IsDarkColor(0x00000000u));
  // Exactly 192 (76, 254, 177) and just below it (76, 254, 176): a
  // floating-point sum of the three products lands on either side.
  EXPECT_FALSE(IsDarkColor(0xFF4CFEB1u));
  EXPECT_TRUE(IsDarkColor(0xFF4CFEB0u));
}

TEST(TextEffect, GlowAndOutlineDrawAHaloAroundTheText) {
  TextBox tb;
  const Gdiplus::RectF box(10, 10, 80, 30);
  TestCanvas plain(100, 50), glow(100, 50), outline(100, 50);
  DrawTextWithEffect(plain.g(), box, L"青梧", Library().defaultFont, 0xFF000000u, tb.format.Handle(), 0);
  DrawTextWithEffect(glow.g(), box, L"青梧", Library().defaultFont, 0xFF000000u, tb.format.Handle(),
                     kEffectGlow);
  DrawTextWithEffect(outline.g(), box, L"青梧", Library().defaultFont, 0xFF000000u, tb.format.Handle(),
                     kEffectOutline, 0xFFFF0000u);
  const int plainCount = CountVisible(plain, 100, 50);
  ASSERT_GT(plainCount, 20) << "the text itself must be drawn";
  EXPECT_GT(CountVisible(glow, 100, 50), plainCount + 20);
  EXPECT_GT(CountVisible(outline, 100, 50), plainCount + 20);

  // Black text gets a light halo automatically; the outline uses the given red.
  bool whiteHalo = false, redHalo = false;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      if (AlphaOf(plain.At(x, y)) != 0) continue;
      const Argb g = glow.At(x, y), o = outline.At(x, y);
      if (AlphaOf(g) > 0 && RedOf(g) > 200 && BlueOf(g) > 200) whiteHalo = true;
      if (AlphaOf(o) > 0 && RedOf(o) > 200 && BlueOf(o) < 60) redHalo = true;
    }
  EXPECT_TRUE(whiteHalo);
  EXPECT_TRUE(redHalo);
}

TEST(TextEffect, EmptyTextDrawsNothing) {
  TextBox tb;
  TestCanvas c(40, 20);
  DrawTextWithEffect(c.g(), Gdiplus::RectF(0, 0, 40, 20), L"", Library().defaultFont, 0xFF000000u,
                     tb.format.Handle(), kEffectGlow);
  EXPECT_EQ(CountVisible(c, 40, 20), 0);
}

TEST(BorderStyle, SunkenRaisedFlatDashedAndColour) {
  const Gdiplus::RectF r(0, 0, 20, 10);
  {
    TestCanvas c(20, 10);
    DrawBorderStyle(c.g(), r, 1);
    EXPECT_TRUE(IsDarkColor(c.At(5, 0)));     // dark top edge
    EXPECT_GT(AlphaOf(c.At(5, 0)), 100);
    EXPECT_FALSE(IsDarkColor(c.At(5, 9)));    // light bottom edge
    EXPECT_GT(AlphaOf(c.At(5, 9)), 60);
    EXPECT_EQ(AlphaOf(c.At(10, 5)), 0);
  }
  {
    TestCanvas c(20, 10);
    DrawBorderStyle(c.g(), r, 2);
    EXPECT_FALSE(IsDarkColor(c.At(5, 0)));    // light top edge
    EXPECT_TRUE(IsDarkColor(c.At(5, 9)));     // dark bottom edge
  }
  {
    TestCanvas c(20, 10);
    DrawBorderStyle(c.g(), r, 3);
    const Argb p = c.At(5, 0);
    EXPECT_NEAR(RedOf(p), 0x64, 20);
    EXPECT_GT(AlphaOf(p), 100);
  }
  {
    TestCanvas c(40, 10);
    DrawBorderStyle(c.g(), Gdiplus::RectF(0, 0, 40, 10), 4);
    int drawn = 0, gaps = 0;
    for (int x = 2; x < 38; ++x) (AlphaOf(c.At(x, 0)) > 30 ? drawn : gaps)++;
    EXPECT_GT(drawn, 5);
    EXPECT_GT(gaps, 5) << "a dashed line has gaps";
  }
  {
    TestCanvas c(20, 10);
    DrawBorderStyle(c.g(), r, 0xFF00FF00u);
    EXPECT_GT(GreenOf(c.At(5, 0)), 200);
    EXPECT_EQ(AlphaOf(c.At(10, 5)), 0);
  }
  {
    TestCanvas c(20, 10);
    DrawBorderStyle(c.g(), r, 0);
    EXPECT_EQ(CountVisible(c, 20, 10), 0);
  }
}

TEST(BackgroundDarkness, NineSamplesDecideForAnImage) {
  TestCanvas img(100, 100);
  img.Fill(0, 0, 100, 100, 0xFFFFFFFFu);
  img.Fill(0, 0, 60, 100, 0xFF000000u);  // columns at 20 % and 50 % dark: six samples
  auto* image = reinterpret_cast<Gdiplus::GpImage*>(img.bitmap.get());
  EXPECT_TRUE(IsBackgroundDark(image, RGB(255, 255, 255), Gdiplus::RectF(0, 0, 100, 100)));
  // Only the 20 % column is dark inside this element: three samples.
  EXPECT_FALSE(IsBackgroundDark(image, RGB(0, 0, 0), Gdiplus::RectF(30, 0, 60, 100)));
  // Samples outside the image do not count as dark.
  EXPECT_FALSE(IsBackgroundDark(image, RGB(0, 0, 0), Gdiplus::RectF(500, 500, 50, 50)));
}

TEST(BackgroundDarkness, BodyColourDecidesWithoutAnImage) {
  EXPECT_TRUE(IsBackgroundDark(nullptr, RGB(20, 30, 40), Gdiplus::RectF(0, 0, 10, 10)));
  EXPECT_FALSE(IsBackgroundDark(nullptr, RGB(250, 250, 250), Gdiplus::RectF(0, 0, 10, 10)));
}
