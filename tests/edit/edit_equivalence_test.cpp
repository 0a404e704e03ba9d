// Typing with incremental layout and summed widths against the reference
// path (every edit rebuilds the line table and measures every line with
// GDI+): the same key sequence typed into two edit boxes must leave the
// same lines, caret, selection, scrolling, scroll bars and pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"

using namespace ui;
using qwtest::HostedWindow;

namespace {

constexpr int kWidth = 260, kHeight = 150;

struct EditSetup {
  const char* name;
  bool multiLine;
  int scrollBars;
};

std::string Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    if (i) text += "\r\n";
    text += "line " + std::to_string(i) + " 青梧网游 " + std::string(static_cast<std::size_t>(i % 11) * 3, 'w');
  }
  return text;
}

// Pixels of the element bitmap, row by row (0xAARRGGBB).
std::vector<UINT32> Pixels(Gdiplus::GpBitmap* bitmap) {
  std::vector<UINT32> pixels;
  UINT w = 0, h = 0;
  gp::GdipGetImageWidth(bitmap, &w);
  gp::GdipGetImageHeight(bitmap, &h);
  Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
  Gdiplus::BitmapData data{};
  if (!gp::Ok(gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data)))
    return pixels;
  for (UINT y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const UINT32*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
    pixels.insert(pixels.end(), row, row + w);
  }
  gp::GdipBitmapUnlockBits(bitmap, &data);
  return pixels;
}

void ExpectSameState(UiEdit& fast, UiEdit& full, const std::string& step) {
  SCOPED_TRACE(step);
  const UiTextStore& a = fast.TextStore();
  const UiTextStore& b = full.TextStore();
  ASSERT_EQ(a.Text(), b.Text());
  ASSERT_EQ(a.LineCount(), b.LineCount());
  EXPECT_EQ(a.TotalHeight(), b.TotalHeight());
  EXPECT_EQ(a.MaxWidth(), b.MaxWidth());
  for (int n = 1; n <= a.LineCount(); ++n) {
    const Gdiplus::RectF ra = a.LineRect(n), rb = b.LineRect(n);
    ASSERT_EQ(a.LineStart(n), b.LineStart(n)) << "line " << n;
    ASSERT_TRUE(ra.X == rb.X && ra.Y == rb.Y && ra.Width == rb.Width && ra.Height == rb.Height) << "line " << n;
  }
  EXPECT_EQ(fast.Caret(), full.Caret());
  EXPECT_EQ(fast.Anchor(), full.Anchor());
  EXPECT_EQ(fast.ScrollX(), full.ScrollX());
  EXPECT_EQ(fast.ScrollY(), full.ScrollY());
  const Gdiplus::RectF ca = fast.CaretRect(), cb = full.CaretRect();
  EXPECT_TRUE(ca.X == cb.X && ca.Y == cb.Y && ca.Width == cb.Width && ca.Height == cb.Height);
  EXPECT_EQ(fast.FirstVisibleLine(), full.FirstVisibleLine());
  EXPECT_EQ(fast.LastDrawnLine(), full.LastDrawnLine());
  if (fast.MultiLine()) {
    EXPECT_EQ(fast.VerticalBar().Maximum(), full.VerticalBar().Maximum());
    EXPECT_EQ(fast.VerticalBar().Position(), full.VerticalBar().Position());
    EXPECT_EQ(fast.HorizontalBar().Maximum(), full.HorizontalBar().Maximum());
    EXPECT_EQ(fast.HorizontalBar().Position(), full.HorizontalBar().Position());
  }
  const std::vector<UINT32> pa = Pixels(fast.Bitmap()), pb = Pixels(full.Bitmap());
  ASSERT_EQ(pa.size(), static_cast<std::size_t>(kWidth * kHeight));
  EXPECT_TRUE(pa == pb) << "pixels differ";
}

}  // namespace

TEST(EditEquivalence, TypingMatchesFullRelayoutWithAndWithoutWrapping) {
  const EditSetup setups[] = {{"no wrap, both bars", true, 3}, {"wrap, vertical bar", true, 2}, {"single line", false, 0}};
  for (const EditSetup& setup : setups) {
    SCOPED_TRACE(setup.name);
    HostedWindow w{2 * kWidth + 30, kHeight + 20};
    UiEdit fast, full;
    UiEdit::Options o;
    o.multiLine = setup.multiLine;
    o.scrollBars = setup.scrollBars;
    o.text = setup.multiLine ? Text(60) : "C:\\Program Files\\青梧网游加速器";
    ASSERT_NE(fast.Create(w.hwnd(), 10, 10, kWidth, kHeight, o), 0u);
    ASSERT_NE(full.Create(w.hwnd(), 20 + kWidth, 10, kWidth, kHeight, o), 0u);
    full.SetLayoutStrategy({false, false});
    w.Settle();
    ExpectSameState(fast, full, "created");

    // One step on both edits.
    auto both = [&](const std::string& step, auto&& action) {
      action(fast);
      action(full);
      ExpectSameState(fast, full, step);
    };
    auto caretAt = [&](const char* where) {
      return [where](UiEdit& e) {
        const UiTextStore& s = e.TextStore();
        const int last = s.LineCount();
        TextPosition p{last, s.LineCharCount(last)};  // end
        if (std::string(where) == "start") p = TextPosition{1, 0};
        if (std::string(where) == "middle") p = TextPosition{(last + 1) / 2, s.LineCharCount((last + 1) / 2) / 2};
        e.Select(p, p);
      };
    };
    auto chars = [](const char* text) {
      return [text](UiEdit& e) {
        for (const char* c = text; *c; ++c) e.HandleEvent(WM_CHAR, static_cast<unsigned char>(*c), 0);
      };
    };
    auto key = [](int k, int times = 1) {
      return [k, times](UiEdit& e) {
        for (int i = 0; i < times; ++i) e.HandleKey(k);
      };
    };
    auto paste = [](const char* text) { return [text](UiEdit& e) { e.InsertText(text); }; };

    for (const char* where : {"end", "middle", "start"}) {
      const std::string at = std::string(" at the ") + where;
      both("caret" + at, caretAt(where));
      both("characters" + at, chars("abc wrapping text that is long enough to wrap 0123456789"));
      both("Enter" + at, key(VK_RETURN, 3));
      both("more characters" + at, chars("xyz"));
      both("Backspace" + at, key(VK_BACK, 5));
      both("Backspace joining lines" + at, key(VK_BACK, 60));
      both("paste of several lines" + at, paste("first\r\nsecond 青梧\r\n\r\nthird line of the paste"));
      both("a two-byte character" + at, paste("网"));
      both("lines pasted before a line" + at, [](UiEdit& e) {
        e.Select(TextPosition{e.Caret().line, 0}, TextPosition{e.Caret().line, 0});
        e.InsertText("pasted\r\n\r\n");
      });
      both("Delete of a selection" + at, [](UiEdit& e) {
        const TextPosition c = e.Caret();
        e.Select(TextPosition{std::max(1, c.line - 2), 1}, c);
        e.HandleKey(VK_DELETE);
      });
      both("Delete with nothing selected" + at, key(VK_DELETE));
      both("select all and type" + at, [](UiEdit& e) {
        if (e.TextStore().LineCount() > 200) return;
        e.SelectAll();
        e.Select(TextPosition{1, 2}, e.Caret());
      });
      both("type over the selection" + at, chars("Q"));
    }
    both("paste of many lines", paste(Text(30).c_str()));
    both("caret to the middle", caretAt("middle"));
    both("Enter in the middle", key(VK_RETURN, 2));
    both("Backspace in the middle", key(VK_BACK, 40));
  }
}
