// Lines drawn from glyph stamps against GDI+ drawing them: for lines of
// CJK, ASCII, kerning pairs and glyphs whose ink meets, in several fonts and
// at whole and half pixel places, the pixels must be GDI+'s; and a wrong
// stamp must be caught by the first lines' checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/controls/glyph_stamps.h"
#include "ui/controls/text_line_measure.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/core/font.h"
#include "ui/core/string_format.h"

using namespace ui;

namespace {

constexpr int kWidth = 420, kHeight = 40;
constexpr Argb kBack = 0xFFFFFFFF, kText = 0xFF202020;
const RECT kAll{0, 0, kWidth, kHeight};

// A bitmap filled with the background, drawn on as an element bitmap is.
struct Canvas {
  gp::Bitmap bitmap;
  gp::Graphics graphics;
  Canvas() {
    gp::GdipCreateBitmapFromScan0(kWidth, kHeight, 0, PixelFormat32bppARGB, nullptr, bitmap.put());
    gp::GdipGetImageGraphicsContext(bitmap.get(), graphics.put());
    gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    FillArgbPixels(bitmap.get(), kAll, kBack);
  }
  std::vector<Argb> Pixels() {
    std::vector<Argb> pixels;
    gp::GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
    ReadArgbPixels(bitmap.get(), kAll, pixels);
    return pixels;
  }
};

struct Drawing {
  gp::Font font;
  UiStringFormat format;
  gp::SolidBrush brush;
  LineMeasurer measurer;
  Gdiplus::RectF box;
  Canvas measuring;

  Drawing(const char* family, float size, Gdiplus::RectF layoutBox) : box(layoutBox) {
    font.reset(CreateFontByName(family, size, 0));
    format.Create(0x400 | 0x800 | 0x4000);
    gp::GdipCreateSolidFill(kText, brush.put());
    Gdiplus::RectF r;
    for (int i = 0; i <= LineMeasurer::kLinesBeforeProbing; ++i)
      measurer.Measure(measuring.graphics.get(), L"warm up abc \u9752", font.get(), box, format.Handle(), &r);
  }
  void ByGdiplus(Canvas& c, const std::wstring& text) {
    gp::GdipSetClipRectI(c.graphics.get(), 0, 0, kWidth, kHeight, Gdiplus::CombineModeReplace);
    gp::GdipDrawString(c.graphics.get(), text.c_str(), -1, font.get(), &box, format.Handle(),
                       reinterpret_cast<Gdiplus::GpBrush*>(brush.get()));
  }
  // Stamps where they draw, GDI+ where they do not; whether stamps drew.
  bool ByStamps(GlyphStamps& stamps, Canvas& c, const std::wstring& text) {
    std::vector<float> starts;
    Gdiplus::RectF r;
    measurer.Measure(measuring.graphics.get(), text, font.get(), box, format.Handle(), &r);
    gp::GdipSetClipRectI(c.graphics.get(), 0, 0, kWidth, kHeight, Gdiplus::CombineModeReplace);
    const float gapAdvance = measurer.SummedAdvance(L'\u3000').value_or(0.0f);
    const bool stamped = measurer.PrefixAdvances(text, box, &starts) &&
                         stamps.Draw(c.graphics.get(), c.bitmap.get(), font.get(), format.Handle(), brush.get(),
                                     kBack, GlyphStamps::Line{text, &starts, box, kAll, L'\u3000', gapAdvance});
    if (!stamped) ByGdiplus(c, text);
    return stamped;
  }
};

}  // namespace

TEST(GlyphStamps, LinesDrawnFromStampsAreWhatGdiplusDraws) {
  const std::wstring lines[] = {
      L"line 5000 \u9752\u68A7\u7F51\u6E38 abcdefghijklmnopqrstuvwxyz",
      L"AVATAR To Wa LT Yo P. F, r. y. ff fi fl ffi ffl jjj",
      L"\u9752\u68A7\u7F51\u6E38\u52A0\u901F\u5668\u3002\uFF0C\u3001\uFF08\uFF09abc",
      L"WWWWMMMM iiiilll fjfjfj ,;:'\"[]{}",
      L"C:\\Program Files\\\u9752\u68A7 _-=+*&^%$#@!~`|/?<>",
      L"e\u0301 \u05D0\u05D1 a\tb",  // a combining mark, Hebrew and a TAB: GDI+'s
  };
  int stamped = 0, drawn = 0;
  for (const char* family : {"宋体", "DejaVu Sans"}) {
    for (const float x : {3.0f, 3.5f}) {
      SCOPED_TRACE(std::string(family) + (x == 3.0f ? " at a whole pixel" : " at half a pixel"));
      Drawing d(family, family[0] == 'D' ? 13.0f : 12.0f, Gdiplus::RectF(x, 4, 0, 0));
      ASSERT_TRUE(d.font);
      GlyphStamps stamps;
      // Twice over: the second round draws from stamps without checks.
      for (int round = 0; round < 2; ++round) {
        for (const std::wstring& line : lines) {
          Canvas expected, got;
          d.ByGdiplus(expected, line);
          if (d.ByStamps(stamps, got, line)) ++stamped;
          ++drawn;
          EXPECT_TRUE(got.Pixels() == expected.Pixels()) << "line " << (&line - lines) << " round " << round;
        }
      }
      EXPECT_FALSE(stamps.Failed());
      // Ink meeting what was drawn before is left to GDI+.
      Canvas expected, got;
      for (Canvas* c : {&expected, &got}) {
        gp::SolidBrush bar;
        gp::GdipCreateSolidFill(0xFF3060C0, bar.put());
        gp::GdipFillRectangleI(c->graphics.get(), bar.get(), 0, 10, kWidth, 1);
      }
      d.ByGdiplus(expected, lines[0]);
      EXPECT_FALSE(d.ByStamps(stamps, got, lines[0]));
      EXPECT_TRUE(got.Pixels() == expected.Pixels());
    }
  }
  std::printf("glyph stamps: %d of %d lines drawn from stamps\n", stamped, drawn);
  // Where GDI+ places glyphs by summed advances (it does here), many lines come from stamps.
  EXPECT_GT(stamped, drawn / 4);
}

TEST(GlyphStamps, AWrongStampIsCaughtByTheFirstChecks) {
  Drawing d("宋体", 12, Gdiplus::RectF(3, 4, 0, 0));
  ASSERT_TRUE(d.font);
  const std::wstring line = L"line 42 \u9752\u68A7 abc";
  GlyphStamps stamps;
  Canvas first;
  ASSERT_TRUE(d.ByStamps(stamps, first, line));
  stamps.SpoilOnePixelForTest();
  Canvas expected, got;
  d.ByGdiplus(expected, line);
  EXPECT_TRUE(d.ByStamps(stamps, got, line));  // drawn, by GDI+ after the check
  EXPECT_TRUE(stamps.Failed());
  EXPECT_TRUE(got.Pixels() == expected.Pixels());
  Canvas after;
  EXPECT_FALSE(d.ByStamps(stamps, after, line));
}
