// Summed advance widths against real GDI+ measuring: for a corpus of lines
// (CJK, ASCII, mixed, spaces, kerning and ligature pairs, lines near the
// box width) in several fonts, a line the measurer sums must give exactly
// the bounds GDI+ gives, and lines it cannot prove must go to GDI+.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/controls/text_line_measure.h"
#include "ui/controls/text_metrics.h"
#include "ui/core/font.h"
#include "ui/core/library.h"
#include "ui/core/string_format.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

namespace {

struct FontCase {
  const char* family;
  float size;
  int style;
};

// The installer's font, bold and large variants, and fonts with kerning
// tables, a fixed pitch and a serif.
const FontCase kFonts[] = {{"宋体", 12, 0},          {"宋体", 12, 1},      {"宋体", 20, 0},
                           {"DejaVu Sans", 13, 0},   {"DejaVu Serif", 15, 2}, {"DejaVu Sans Mono", 12, 0},
                           {"Tahoma", 11, 0},        {"微软雅黑", 14, 0}};

std::vector<std::wstring> Corpus() {
  std::vector<std::wstring> lines = {
      L"",
      L"a",
      L"C:\\Program Files (x86)\\\u9752\u68A7\u7F51\u6E38\u52A0\u901F\u5668",
      L"\u9752\u68A7\u7F51\u6E38\u52A0\u901F\u5668\u5B89\u88C5\u4F4D\u7F6E\uFF1A",
      L"line 42 \u9752\u68A7\u7F51\u6E38 abcdefghijklmnopqrstuvwxyz",
      L"AVATAR To Wa LT Yo P. F, r. y. Te Ty Av",
      L"office affine baffle ff fi fl ffi ffl",
      L"   three leading, two trailing  ",
      L"0123456789+-*/=<>()[]{}",
      L"\u3000\u3001\u3002\u300A\u300B\uFF08\uFF09\uFF0C\uFF1B\uFF01",
      L"iiiiiiiiiiiiiiiiiiiiiiii WWWWWWWWWWWW mmmmm",
      L"Mixed\u4E2D\u6587and English\u82F1\u6587 words \u5B57 x",
  };
  // Long lines that reach and pass a 200 px box.
  for (int n : {20, 28, 33, 40, 60}) {
    std::wstring line;
    for (int k = 0; k < n; ++k) line += (k % 3 == 0) ? L'\u68A7' : static_cast<wchar_t>(L'a' + k % 26);
    lines.push_back(line);
  }
  return lines;
}

class LineMeasure : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gp::Ok(gp::GdipCreateBitmapFromScan0(300, 100, 0, PixelFormat32bppARGB, nullptr, bitmap_.put())));
    ASSERT_TRUE(gp::Ok(gp::GdipGetImageGraphicsContext(bitmap_.get(), graphics_.put())));
    gp::GdipSetTextRenderingHint(graphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
  }
  // The edit box's format: wrapping lines (LineLimit) or not.
  UiStringFormat& Format(bool wrap) {
    format_.Create(0x400 | 0x800 | 0x4000 | (wrap ? 0x2000 : 0));
    const float stops[1] = {8.0f};
    gp::GdipSetStringFormatTabStops(format_.Handle(), 1.0f, 1, stops);
    return format_;
  }

  gp::Bitmap bitmap_;
  gp::Graphics graphics_;
  UiStringFormat format_;
};

bool Same(const Gdiplus::RectF& a, const Gdiplus::RectF& b) {
  return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

}  // namespace

TEST_F(LineMeasure, SummedBoundsEqualGdiplusForEveryFontAndBox) {
  const std::vector<std::wstring> corpus = Corpus();
  // Unbounded (horizontal bar), wrapping at 200 px (vertical bar only) and
  // the single-line box.
  struct Box {
    Gdiplus::RectF rect;
    bool wrap;
  };
  const Box boxes[] = {{{3, 3, 0, 0}, false}, {{3, 3, 200, 0}, true}, {{2, 7, 200, 15}, false}};
  int summedFonts = 0;
  for (const FontCase& f : kFonts) {
    gp::Font font(CreateFontByName(f.family, f.size, f.style));
    ASSERT_TRUE(font) << f.family;
    for (const Box& box : boxes) {
      Gdiplus::GpStringFormat* format = Format(box.wrap).Handle();
      LineMeasurer measurer;
      Gdiplus::RectF warmUp;
      for (int i = 0; i < LineMeasurer::kLinesBeforeProbing; ++i)
        ASSERT_TRUE(measurer.Measure(graphics_.get(), L"warm up", font.get(), box.rect, format, &warmUp));
      int summed = 0;
      for (const std::wstring& line : corpus) {
        Gdiplus::RectF fast, real;
        const int before = measurer.RealMeasures();
        ASSERT_TRUE(measurer.Measure(graphics_.get(), line, font.get(), box.rect, format, &fast));
        if (measurer.RealMeasures() == before) ++summed;
        ASSERT_TRUE(MeasureText(graphics_.get(), line, font.get(), box.rect, format, &real));
        EXPECT_TRUE(Same(fast, real)) << f.family << " " << f.size << " style " << f.style << " box width "
                                      << box.rect.Width << " line " << (&line - corpus.data()) << ": summed "
                                      << fast.X << "," << fast.Y << " " << fast.Width << "x" << fast.Height
                                      << ", GDI+ " << real.X << "," << real.Y << " " << real.Width << "x"
                                      << real.Height;
      }
      if (box.rect.Width == 0 && summed > 0) ++summedFonts;
      std::printf("line measure: %s %.0f px style %d, box width %.0f: sums exact %d, %d of %zu lines summed\n",
                  f.family, f.size, f.style, box.rect.Width, measurer.SumsExact() ? 1 : 0, summed, corpus.size());
    }
  }
  // Not a promise about every platform, but where the sums never apply the
  // fast layout is gone: say so.
  std::printf("line measure: %d of %zu fonts lay out by sums\n", summedFonts, std::size(kFonts));
}

TEST_F(LineMeasure, LinesItCannotProveAreMeasuredByGdiplus) {
  Gdiplus::GpStringFormat* format = Format(false).Handle();
  Gdiplus::GpFont* font = Library().defaultFont;
  ASSERT_NE(font, nullptr);
  const Gdiplus::RectF box(3, 3, 0, 0);
  LineMeasurer measurer;
  Gdiplus::RectF r;
  for (int i = 0; i <= LineMeasurer::kLinesBeforeProbing; ++i)
    ASSERT_TRUE(measurer.Measure(graphics_.get(), L"warm up abc \u9752", font, box, format, &r));
  const bool sums = measurer.SumsExact();
  // Anything without a proven advance: TABs (tab stops), a combining mark,
  // a surrogate pair, a Greek letter, a circled digit, a control character.
  for (std::wstring line : {L"a\tb", L"e\u0301", L"x\U0001F600y", L"\u03B1\u03B2", L"\u2460", L"a\x01"}) {
    const int before = measurer.RealMeasures();
    ASSERT_TRUE(measurer.Measure(graphics_.get(), line, font, box, format, &r));
    EXPECT_EQ(measurer.RealMeasures(), before + 1) << "line with U+" << std::hex << static_cast<int>(line[1]);
  }
  // Summing switched off: every line goes to GDI+.
  measurer.SetSumming(false);
  const int before = measurer.RealMeasures();
  ASSERT_TRUE(measurer.Measure(graphics_.get(), L"abc", font, box, format, &r));
  EXPECT_EQ(measurer.RealMeasures(), before + 1);
  // Where sums are exact, a plain line is summed once its width's binade
  // has been checked against GDI+ (at most one real measurement).
  if (sums) {
    measurer.SetSumming(true);
    const int again = measurer.RealMeasures();
    ASSERT_TRUE(measurer.Measure(graphics_.get(), L"plain \u9752\u68A7 line", font, box, format, &r));
    ASSERT_TRUE(measurer.Measure(graphics_.get(), L"other \u9752\u68A7 text", font, box, format, &r));
    EXPECT_LE(measurer.RealMeasures(), again + 1);
  }
}

TEST_F(LineMeasure, AShortTextIsMeasuredByGdiplusWithoutProbing) {
  Gdiplus::GpStringFormat* format = Format(false).Handle();
  Gdiplus::GpFont* font = Library().defaultFont;
  ASSERT_NE(font, nullptr);
  const Gdiplus::RectF box(3, 3, 0, 0);
  const std::vector<std::wstring> corpus = Corpus();
  LineMeasurer measurer;
  Gdiplus::RectF fast, real;
  for (int i = 0; i < LineMeasurer::kLinesBeforeProbing; ++i) {
    const std::wstring& line = corpus[static_cast<std::size_t>(i) % corpus.size()];
    ASSERT_TRUE(measurer.Measure(graphics_.get(), line, font, box, format, &fast));
    ASSERT_TRUE(MeasureText(graphics_.get(), line, font, box, format, &real));
    EXPECT_TRUE(Same(fast, real)) << "line " << i;
    EXPECT_FALSE(measurer.SumsExact()) << "probed at line " << i;
  }
  EXPECT_EQ(measurer.RealMeasures(), LineMeasurer::kLinesBeforeProbing);
  // The next line starts the probes; where the platform's sums are exact,
  // lines are summed from then on.
  ASSERT_TRUE(measurer.Measure(graphics_.get(), L"plain \u9752\u68A7 line", font, box, format, &fast));
  if (measurer.SumsExact()) {
    const int before = measurer.RealMeasures();
    for (int i = 0; i < 4; ++i)
      ASSERT_TRUE(measurer.Measure(graphics_.get(), L"other \u9752\u68A7 text", font, box, format, &fast));
    EXPECT_LE(measurer.RealMeasures(), before + 1);
  }
  // New settings start the count again.
  measurer.Reset();
  ASSERT_TRUE(measurer.Measure(graphics_.get(), L"abc", font, box, format, &fast));
  EXPECT_FALSE(measurer.SumsExact());
}
