// The edit box's line store: line breaking, line texts, byte positions,
// editing and layout with real GDI+ measuring.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "ui/controls/gap_bytes.h"
#include "ui/controls/text_store.h"
#include "ui/core/library.h"
#include "ui/core/string_format.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

namespace {

UiTextStore Store(std::string_view text, bool multiLine, EditMode mode = EditMode::Normal,
                  std::string_view mask = "*") {
  UiTextStore s;
  s.SetText(text, multiLine, mode, mask);
  return s;
}

}  // namespace

TEST(TextStoreLines, SingleLineKeepsOnlyTheTextBeforeTheFirstBreak) {
  UiTextStore s = Store("ab\r\nxy", false);
  EXPECT_EQ(s.Text(), "ab");
  EXPECT_EQ(s.Length(), 2);
  EXPECT_EQ(s.LineCount(), 1);
  EXPECT_EQ(s.LineStart(1), 1);
  EXPECT_EQ(Store("\r\nxy", false).Text(), "");
  EXPECT_EQ(Store("", false).LineCount(), 1);
}

TEST(TextStoreLines, MultiLineStartsALineAfterEachCrLf) {
  UiTextStore s = Store("ab\r\nxy", true);
  ASSERT_EQ(s.LineCount(), 2);
  EXPECT_EQ(s.LineStart(1), 1);
  EXPECT_EQ(s.LineStart(2), 5);
  EXPECT_EQ(s.LineText(1), "ab");
  EXPECT_EQ(s.LineText(2), "xy");
  EXPECT_EQ(s.LineByteLength(1), 2);
  EXPECT_EQ(s.LineByteLength(2), 2);

  // A final CR LF leaves an empty last line starting after the text.
  UiTextStore t = Store("a\r\n", true);
  ASSERT_EQ(t.LineCount(), 2);
  EXPECT_EQ(t.LineStart(2), 4);
  EXPECT_EQ(t.LineText(2), "");
  EXPECT_EQ(t.LineByteLength(2), 0);

  // Empty lines in a row, and a lone CR that stays inside its line.
  UiTextStore u = Store("\r\n\r\nq\rr", true);
  ASSERT_EQ(u.LineCount(), 3);
  EXPECT_EQ(u.LineText(1), "");
  EXPECT_EQ(u.LineText(2), "");
  EXPECT_EQ(u.LineText(3), "q\rr");
}

TEST(TextStoreLines, LoneLineFeedsAreDropped) {
  EXPECT_EQ(Store("a\nb", false).Text(), "ab");
  EXPECT_EQ(Store("a\nb", true).Text(), "ab");
  EXPECT_EQ(Store("a\nb", true).LineCount(), 1);
  EXPECT_EQ(Store("\n\na\r\n\nb\n", true).Text(), "a\r\nb");
}

TEST(TextStoreLines, InvalidLinesGiveEmptyResults) {
  UiTextStore s = Store("ab\r\ncd", true);
  for (int bad : {0, -1, 3, 1000}) {
    EXPECT_FALSE(s.IsValidLine(bad));
    EXPECT_EQ(s.LineText(bad), "");
    EXPECT_EQ(s.LineText(bad, true), "");
    EXPECT_EQ(s.LineStart(bad), 0);
    EXPECT_EQ(s.BytePosition(bad, 1), 0);
    const Gdiplus::RectF r = s.LineRect(bad);
    EXPECT_EQ(r.Width, 0);
    EXPECT_EQ(r.Height, 0);
  }
}

TEST(TextStoreDisplay, PasswordMasksEveryCharacter) {
  UiTextStore s = Store("a青b", false, EditMode::Password, "*");
  EXPECT_EQ(s.LineText(1, true), "***");
  EXPECT_EQ(s.LineText(1), "a青b");  // raw text stays for column arithmetic
  EXPECT_EQ(Store("abc", false, EditMode::Password, "●").LineText(1, true), "●●●");
}

TEST(TextStoreDisplay, SpacesBecomeTabsAndCountCutsTheRawBytes) {
  UiTextStore s = Store("a b  c", false);
  EXPECT_EQ(s.LineText(1, true), "a\tb\t\tc");
  EXPECT_EQ(s.LineText(1), "a b  c");
  EXPECT_EQ(s.LineText(1, false, 3), "a b");
  EXPECT_EQ(s.LineText(1, true, 3), "a\tb");
  EXPECT_EQ(s.LineText(1, false, 100), "a b  c");
  EXPECT_EQ(s.LineText(1, false, -5), "");
  // Where the renderer gives TABs no width, spaces are shown as spaces.
  s.SetSpacesAsTabs(false);
  EXPECT_EQ(s.LineText(1, true), "a b  c");
  s.SetText("x y", false, EditMode::Normal, "*");
  EXPECT_EQ(s.LineText(1, true), "x y");
}

TEST(TextStorePositions, BytePositionCountsTwoBytesForDoubleByteCharacters) {
  UiTextStore s = Store("xy\r\n青a", true);
  ASSERT_EQ(s.LineStart(2), 5);
  EXPECT_EQ(s.BytePosition(2, 0), 5);
  EXPECT_EQ(s.BytePosition(2, 1), 7);
  EXPECT_EQ(s.BytePosition(2, 2), 5 + 3);
  EXPECT_EQ(s.BytePosition(1, 2), 3);
  EXPECT_EQ(s.LineCharCount(2), 2);
  // A column past the line stops at the line's end, never in the next line.
  EXPECT_EQ(s.BytePosition(1, 50), 3);
  EXPECT_EQ(s.BytePosition(2, 50), 8);
}

TEST(TextStorePositions, LoneLeadByteAtTheEndIsOneCharacterAndNeverReadPast) {
  // Cut input: the last byte leads a character whose trail byte is missing.
  const std::string cut = std::string("ab") + static_cast<char>(0xC7);
  UiTextStore s = Store(cut, false);
  EXPECT_EQ(s.LineCharCount(1), 3);
  EXPECT_EQ(s.BytePosition(1, 3), 4);
  EXPECT_EQ(s.BytePosition(1, 4), 4);
  EXPECT_EQ(s.WordEnd(1, 0), 2);
  EXPECT_EQ(s.WordStart(1, 3), 3);

  // The same inside a multi-line text: the lead byte before CR LF belongs to
  // its own line and the next line is untouched.
  const std::string mid = std::string("a") + static_cast<char>(0xC7) + "\r\nbc";
  UiTextStore m = Store(mid, true);
  ASSERT_EQ(m.LineCount(), 2);
  EXPECT_EQ(m.LineCharCount(1), 2);
  EXPECT_EQ(m.BytePosition(1, 2), 3);
  EXPECT_EQ(m.BytePosition(1, 9), 3);
  EXPECT_EQ(m.LineText(2), "bc");
}

TEST(TextStorePositions, WordBoundariesStopAtNonWordCharactersAndLineEnds) {
  UiTextStore s = Store("foo Bar9,青x", false);
  // Characters: f o o ' ' B a r 9 , 青 x
  EXPECT_EQ(s.WordStart(1, 6), 4);
  EXPECT_EQ(s.WordEnd(1, 6), 8);
  EXPECT_EQ(s.WordStart(1, 2), 0);
  EXPECT_EQ(s.WordEnd(1, 10), 11);
  EXPECT_EQ(s.WordStart(1, 10), 10);  // "青" is not a word character
  EXPECT_EQ(s.WordEnd(1, 99), 11);
  EXPECT_EQ(s.WordStart(1, -3), 0);
}

TEST(TextStoreEditing, RangeReturnsBytesAcrossLinesInEitherOrder) {
  UiTextStore s = Store("ab\r\ncd\r\nef", true);
  EXPECT_EQ(s.Range(2, 6), "b\r\nc");
  EXPECT_EQ(s.Range(6, 2), "b\r\nc");
  EXPECT_EQ(s.Range(3, 3), "");
  EXPECT_EQ(s.Range(1, 11), "ab\r\ncd\r\nef");
  // Positions outside the text are kept inside it.
  EXPECT_EQ(s.Range(-4, 3), "ab");
  EXPECT_EQ(s.Range(9, 500), "ef");
}

TEST(TextStoreEditing, DeleteRangeJoinsLinesAndKeepsModeAndMask) {
  UiTextStore s = Store("ab\r\ncd\r\nef", true, EditMode::Password, "#");
  s.DeleteRange(6, 2, true);  // "b\r\nc"
  EXPECT_EQ(s.Text(), "ad\r\nef");
  EXPECT_EQ(s.LineCount(), 2);
  EXPECT_EQ(s.LineStart(2), 5);
  EXPECT_EQ(s.LineText(1, true), "##");

  s.DeleteRange(3, 5, true);  // the CR LF
  EXPECT_EQ(s.Text(), "adef");
  EXPECT_EQ(s.LineCount(), 1);
  s.DeleteRange(0, 100, true);
  EXPECT_EQ(s.Text(), "");
  EXPECT_EQ(s.LineCount(), 1);
}

TEST(TextStoreEditing, InsertAtStartMiddleAndEnd) {
  UiTextStore s = Store("ac", true);
  s.InsertAt(2, "b", true);
  EXPECT_EQ(s.Text(), "abc");
  s.InsertAt(1, ">", true);
  EXPECT_EQ(s.Text(), ">abc");
  s.InsertAt(s.Length() + 1, "\r\nend", true);
  EXPECT_EQ(s.Text(), ">abc\r\nend");
  EXPECT_EQ(s.LineCount(), 2);
  EXPECT_EQ(s.LineStart(2), 7);
  // Out-of-range positions insert at the nearest end.
  s.InsertAt(0, "[", true);
  s.InsertAt(999, "]", true);
  EXPECT_EQ(s.Text(), "[>abc\r\nend]");
  // Single-line insertion of a break inserts only the part before it and
  // keeps the text after the insertion point.
  UiTextStore one = Store("xy", false);
  one.InsertAt(2, "1\r\n2", false);
  EXPECT_EQ(one.Text(), "x1y");
  // An LF cannot join a CR before the insertion point into a break.
  UiTextStore cr = Store("a\rb", false);
  cr.InsertAt(3, "\nz", false);
  EXPECT_EQ(cr.Text(), "a\rzb");
}

TEST(TextStoreEditing, TenThousandLinesRoundTrip) {
  std::string text;
  for (int i = 0; i < 10000; ++i) {
    if (i) text += "\r\n";
    text += "line " + std::to_string(i) + " 青梧";
  }
  UiTextStore s = Store(text, true);
  ASSERT_EQ(s.LineCount(), 10000);
  EXPECT_EQ(s.Text(), text);
  EXPECT_EQ(s.LineText(1), "line 0 青梧");
  EXPECT_EQ(s.LineText(10000), "line 9999 青梧");
  EXPECT_EQ(s.Range(s.LineStart(5000), s.LineStart(5001) - 2), s.LineText(5000));
  int bytes = 0;
  for (int n = 1; n <= s.LineCount(); ++n) bytes += s.LineByteLength(n);
  EXPECT_EQ(bytes + 2 * (s.LineCount() - 1), s.Length());
}

// Layout with real GDI+ measuring: a graphics on a bitmap like an element's,
// the default font and the edit box's string format.
class TextStoreLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Library().defaultFont, nullptr);
    ASSERT_TRUE(gp::Ok(gp::GdipCreateBitmapFromScan0(200, 200, 0, PixelFormat32bppARGB, nullptr, bitmap_.put())));
    ASSERT_TRUE(gp::Ok(gp::GdipGetImageGraphicsContext(bitmap_.get(), graphics_.put())));
    gp::GdipSetSmoothingMode(graphics_.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(graphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
  }
  Gdiplus::GpStringFormat* Format(int scrollBars) {
    int flags = 0x400 | 0x800 | 0x4000;
    if (scrollBars == 2) flags |= 0x2000;
    format_.Create(flags);
    const float stops[1] = {8.0f};
    gp::GdipSetStringFormatTabStops(format_.Handle(), 1.0f, 1, stops);
    return format_.Handle();
  }
  void Layout(UiTextStore& s, float width, int scrollBars) {
    s.Layout(graphics_.get(), Gdiplus::RectF(2, 3, width, 20), Library().defaultFont, Format(scrollBars),
             scrollBars);
  }

  gp::Bitmap bitmap_;
  gp::Graphics graphics_;
  UiStringFormat format_;
};

TEST_F(TextStoreLayout, LineRectsAreStackedAndMaxWidthIsTheWidestLine) {
  UiTextStore s = Store("ab\r\nabcdefgh\r\n\r\n青梧", true);
  Layout(s, 100, 3);
  ASSERT_GT(s.LineHeight(), 8);
  ASSERT_GT(s.CharWidth(), 4);
  int y = 0, widest = 0;
  for (int n = 1; n <= s.LineCount(); ++n) {
    const Gdiplus::RectF r = s.LineRect(n);
    EXPECT_EQ(r.X, 0) << n;
    EXPECT_EQ(r.Y, y) << n;
    EXPECT_EQ(r.Height, s.LineHeight()) << n;
    y += static_cast<int>(r.Height);
    widest = std::max(widest, static_cast<int>(r.Width));
  }
  EXPECT_EQ(s.TotalHeight(), 4 * s.LineHeight());
  EXPECT_EQ(s.MaxWidth(), widest);
  EXPECT_GT(s.LineRect(2).Width, s.LineRect(1).Width);
  // With a horizontal bar lines never wrap: a long line grows past the box.
  UiTextStore wide = Store(std::string(60, 'w'), true);
  Layout(wide, 100, 3);
  EXPECT_GT(wide.MaxWidth(), 100);
  EXPECT_EQ(wide.TotalHeight(), wide.LineHeight());
}

TEST_F(TextStoreLayout, EmptyTextMeasuresOnlyTheReferenceGlyph) {
  UiTextStore s = Store("", true);
  Layout(s, 100, 3);
  EXPECT_GT(s.LineHeight(), 0);
  EXPECT_EQ(s.TotalHeight(), 0);
  EXPECT_EQ(s.MaxWidth(), 0);
}

TEST_F(TextStoreLayout, SingleLineNeverGrowsWiderThanTheBox) {
  UiTextStore s = Store(std::string(80, 'm'), false);
  Layout(s, 100, 0);
  EXPECT_LE(s.MaxWidth(), 100);
  EXPECT_LE(s.LineRect(1).Width, 100);
  EXPECT_EQ(s.LineRect(1).Height, s.LineHeight());
  EXPECT_EQ(s.TotalHeight(), s.LineHeight());
}

TEST_F(TextStoreLayout, OnlyAVerticalBarWrapsLongLinesAtTheBoxWidth) {
  UiTextStore s = Store(std::string("short\r\n") + std::string(80, 'm') + "\r\n\r\nend", true);
  Layout(s, 100, 2);
  const Gdiplus::RectF shortLine = s.LineRect(1), longLine = s.LineRect(2), empty = s.LineRect(3);
  EXPECT_EQ(static_cast<int>(shortLine.Height), s.LineHeight());
  EXPECT_GE(longLine.Height, 3 * s.LineHeight());  // 80 glyphs need several rows of 100 px
  EXPECT_LE(longLine.Width, 100);
  EXPECT_EQ(longLine.Y, shortLine.Height);
  // An empty line still takes one line of space.
  EXPECT_EQ(static_cast<int>(empty.Height), s.LineHeight());
  EXPECT_EQ(empty.Y, longLine.Y + static_cast<int>(longLine.Height));
  EXPECT_EQ(s.TotalHeight(), static_cast<int>(s.LineRect(4).Y + s.LineRect(4).Height));
}

TEST(TextStoreEditing, ReplaceRangeReportsWhereTheInsertedTextEnds) {
  UiTextStore s = Store("ab\r\ncd", true);
  const int after = s.ReplaceRange(2, 2, "X\r\nY", true);
  EXPECT_EQ(s.Text(), "aX\r\nYb\r\ncd");
  EXPECT_EQ(after, 6);
  int line = 0, column = 0;
  s.LineColumnAt(after, &line, &column);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(column, 1);
  // A stray LF is dropped, and the end follows what was kept.
  EXPECT_EQ(s.ReplaceRange(1, 1, "\nQ", true), 2);
  EXPECT_EQ(s.Text(), "QaX\r\nYb\r\ncd");
  // Replacing across a break joins the lines.
  EXPECT_EQ(s.ReplaceRange(3, 7, "-", true), 4);
  EXPECT_EQ(s.Text(), "Qa-b\r\ncd");
  // Positions inside a two-byte character or a break count as after it;
  // positions outside the text are clamped.
  UiTextStore g = Store("a\xC7\xE0z\r\nq", true);
  g.LineColumnAt(3, &line, &column);
  EXPECT_EQ(column, 2);
  g.LineColumnAt(6, &line, &column);  // the LF
  EXPECT_EQ(line, 1);
  EXPECT_EQ(column, 3);
  g.LineColumnAt(99, &line, &column);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(column, 1);
  g.LineColumnAt(-3, &line, &column);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(column, 0);
}

namespace {
// Every line rect and the totals of two stores are the same.
void ExpectSameLayout(const UiTextStore& a, const UiTextStore& b) {
  ASSERT_EQ(a.LineCount(), b.LineCount());
  EXPECT_EQ(a.TotalHeight(), b.TotalHeight());
  EXPECT_EQ(a.MaxWidth(), b.MaxWidth());
  for (int n = 1; n <= a.LineCount(); ++n) {
    const Gdiplus::RectF ra = a.LineRect(n), rb = b.LineRect(n);
    EXPECT_TRUE(ra.X == rb.X && ra.Y == rb.Y && ra.Width == rb.Width && ra.Height == rb.Height) << "line " << n;
  }
}
}  // namespace

TEST_F(TextStoreLayout, AnEditMeasuresOnlyTheLinesItTouched) {
  std::string text;
  for (int i = 0; i < 50; ++i) text += (i ? "\r\n" : "") + std::string(static_cast<std::size_t>(i % 7 + 1), 'w');
  Gdiplus::GpStringFormat* format = Format(2);  // wrapping: heights depend on the text
  const Gdiplus::RectF box(2, 3, 60, 20);
  auto layout = [&](UiTextStore& s) { s.Layout(graphics_.get(), box, Library().defaultFont, format, 2); };
  auto fresh = [&](const UiTextStore& s) {
    UiTextStore f = Store(s.Text(), true);
    layout(f);
    return f;
  };
  UiTextStore s = Store(text, true);
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 50);

  s.InsertAt(s.BytePosition(20, 2), std::string(30, 'm'), true);  // line 20 now wraps
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 1);
  ExpectSameLayout(s, fresh(s));

  s.InsertAt(s.BytePosition(10, 3), "\r\n", true);  // a break: two lines
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 2);
  ExpectSameLayout(s, fresh(s));

  s.DeleteRange(s.LineStart(30) - 2, s.LineStart(30), true);  // a join: one line
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 1);
  ExpectSameLayout(s, fresh(s));

  s.DeleteRange(1, s.Length() + 1, true);
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 0);
  ExpectSameLayout(s, fresh(s));

  // Other settings or a new text measure every line again.
  s.SetText(text, true, EditMode::Normal, "*");
  layout(s);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 50);
  s.Layout(graphics_.get(), Gdiplus::RectF(2, 3, 90, 20), Library().defaultFont, format, 2);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 50);
  s.InvalidateLayout();
  s.Layout(graphics_.get(), Gdiplus::RectF(2, 3, 90, 20), Library().defaultFont, format, 2);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 50);
}

namespace {

// The line table of two stores is the same: starts, byte lengths and texts.
void ExpectSameLines(const UiTextStore& a, const UiTextStore& b) {
  ASSERT_EQ(a.Text(), b.Text());
  ASSERT_EQ(a.LineCount(), b.LineCount());
  for (int n = 1; n <= a.LineCount(); ++n) {
    ASSERT_EQ(a.LineStart(n), b.LineStart(n)) << "line " << n;
    ASSERT_EQ(a.LineByteLength(n), b.LineByteLength(n)) << "line " << n;
  }
}

// Deterministic pseudo-random numbers for edit sequences.
struct Lcg {
  unsigned state;
  int Next(int bound) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 8) % static_cast<unsigned>(bound));
  }
};

}  // namespace

TEST(TextStoreEditing, InPlaceEditsMakeTheLinesAFullRebuildMakes) {
  // Breaks made and broken at the edges of an edit: an LF after a CR
  // before the position, a CR before an LF after it, text put between CR
  // and LF, lone CRs and LFs, two-byte characters.
  const char* const pieces[] = {"x", "\r\n", "\n", "\r", "\r\n\r\n", "青梧", "ab\r\ncd\r\n", "\n\n", "z\r", ""};
  for (bool multiLine : {true, false}) {
    UiTextStore fast = Store("ab\r\ncd\r\n\r\nef", multiLine);
    UiTextStore full = Store("ab\r\ncd\r\n\r\nef", multiLine);
    full.SetStrategy({false, false});
    Lcg random{multiLine ? 7u : 11u};
    for (int step = 0; step < 600; ++step) {
      const int a = 1 + random.Next(fast.Length() + 1);
      const int b = random.Next(3) == 0 ? 1 + random.Next(fast.Length() + 1) : a;
      const char* piece = pieces[random.Next(static_cast<int>(std::size(pieces)))];
      const int fastEnd = fast.ReplaceRange(a, b, piece, multiLine);
      const int fullEnd = full.ReplaceRange(a, b, piece, multiLine);
      ASSERT_EQ(fastEnd, fullEnd) << "step " << step;
      ExpectSameLines(fast, full);
      if (HasFailure()) return;
      for (int p : {1, a, fastEnd, fast.Length() + 1}) {
        int lf = 0, cf = 0, lr = 0, cr = 0;
        fast.LineColumnAt(p, &lf, &cf);
        full.LineColumnAt(p, &lr, &cr);
        ASSERT_EQ(lf, lr);
        ASSERT_EQ(cf, cr);
      }
    }
  }
}

TEST(TextStoreEditing, GapBytesReadAndEditLikeAPlainString) {
  // Edits far apart and close together, insertions larger than the spare
  // room, deletions that leave a gap larger than the text, reads across
  // the gap and of the whole text, each checked against a plain string.
  GapBytes gap;
  std::string model(300000, 'a');
  for (std::size_t i = 0; i < model.size(); ++i) model[i] = static_cast<char>('a' + i % 26);
  gap.Assign(model);
  Lcg random{5u};
  for (int step = 0; step < 400; ++step) {
    const std::size_t pos = static_cast<std::size_t>(random.Next(static_cast<int>(model.size()) + 1));
    std::size_t count = 0;
    std::string text;
    switch (random.Next(4)) {
      case 0: count = 1; break;                                               // Backspace
      case 1: text = "x"; break;                                              // a typed character
      case 2: text.assign(static_cast<std::size_t>(random.Next(20000)), 'N'); break;  // a paste
      default: count = static_cast<std::size_t>(random.Next(150000)); break;  // a large deletion
    }
    count = std::min(count, model.size() - pos);
    model.replace(pos, count, text);
    gap.Replace(pos, count, text);
    ASSERT_EQ(gap.size(), model.size()) << "step " << step;
    const std::size_t at = static_cast<std::size_t>(random.Next(static_cast<int>(model.size()) + 1));
    const std::size_t n = static_cast<std::size_t>(random.Next(5000));
    ASSERT_EQ(gap.View(at, n), std::string_view(model).substr(at, n)) << "step " << step;
    if (pos < model.size()) {
      ASSERT_EQ(gap[pos], model[pos]) << "step " << step;
    }
    if (step % 50 == 49) {
      ASSERT_EQ(gap.Str(), model) << "step " << step;
    }
  }
  EXPECT_EQ(gap.Str(), model);
}

TEST_F(TextStoreLayout, IncrementalLayoutMatchesMeasuringEveryLine) {
  // Typing, breaking, joining and pasting at the end, in the middle and at
  // the start, with and without wrapping and single-line: every line rect
  // and the totals match a store that measures everything with GDI+.
  const char* const pieces[] = {"x", "\r\n", "青", "a long piece of text that wraps 青梧网游加速器", "\r\nq\r\n", "  "};
  for (int scrollBars : {3, 2, 0}) {
    const bool multiLine = scrollBars != 0;
    std::string text;
    for (int i = 0; i < 40; ++i) text += (i ? "\r\n" : "") + std::string(static_cast<std::size_t>(i % 9), 'w') + "青";
    UiTextStore fast = Store(text, multiLine), full = Store(text, multiLine);
    full.SetStrategy({false, false});
    Gdiplus::GpStringFormat* format = Format(scrollBars);
    const Gdiplus::RectF box(2, 3, 120, 20);
    auto layout = [&](UiTextStore& s) { s.Layout(graphics_.get(), box, Library().defaultFont, format, scrollBars); };
    layout(fast);
    layout(full);
    Lcg random{static_cast<unsigned>(scrollBars) + 3u};
    for (int step = 0; step < 120; ++step) {
      int a = 1 + random.Next(fast.Length() + 1);
      if (step % 3 == 0) a = fast.Length() + 1;  // at the end
      if (step % 7 == 0) a = 1;                  // at the start
      const int b = random.Next(4) == 0 ? 1 + random.Next(fast.Length() + 1) : a;
      const char* piece = pieces[random.Next(static_cast<int>(std::size(pieces)))];
      fast.ReplaceRange(a, b, piece, multiLine);
      full.ReplaceRange(a, b, piece, multiLine);
      layout(fast);
      layout(full);
      ExpectSameLines(fast, full);
      ExpectSameLayout(fast, full);
      EXPECT_EQ(fast.LineHeight(), full.LineHeight());
      EXPECT_EQ(fast.CharWidth(), full.CharWidth());
      if (HasFailure()) {
        ADD_FAILURE() << "scroll bars " << scrollBars << ", step " << step;
        return;
      }
      EXPECT_LE(fast.LinesMeasuredByLastLayout(), 4);
    }
  }
}

TEST_F(TextStoreLayout, SummingCanBeRefusedAndThenEveryLineIsMeasured) {
  // A display scale makes measured widths device widths over the scale,
  // which no sum reproduces: the edit then refuses sums.
  std::string text;
  for (int i = 0; i < 20; ++i) text += (i ? "\r\n" : "") + std::string("plain 青梧 line");
  UiTextStore s = Store(text, true);
  s.SetSpacesAsTabs(false);
  Layout(s, 100, 3);
  ASSERT_EQ(s.LinesMeasuredByLastLayout(), 20);
  const int summedRun = s.RealMeasuresByLastLayout();
  s.SetSummingAllowed(false);
  Layout(s, 100, 3);
  EXPECT_EQ(s.LinesMeasuredByLastLayout(), 20);
  EXPECT_EQ(s.RealMeasuresByLastLayout(), 20);
  s.SetSummingAllowed(true);
  Layout(s, 100, 3);
  EXPECT_EQ(s.RealMeasuresByLastLayout(), summedRun);
}
