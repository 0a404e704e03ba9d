// Typing moves the composed rows of the scrolled text on the host's canvas
// instead of composing them again, where that gives the same pixels. After
// every step the canvas under the edit must equal a fresh composition of
// that area: on a plain body, with the caret drawn on the canvas, with an
// element overlapping the text, and over a background image whose rows
// differ (the last two must fall back to composing). The area must also
// equal a composition of the whole window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"

using namespace ui;
using qwtest::HostedWindow;

namespace {

constexpr int kLeft = 10, kTop = 10, kWidth = 240, kHeight = 150;

std::string Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    if (i) text += "\r\n";
    text += "row " + std::to_string(i) + " 青梧 gjpq " + std::string(static_cast<std::size_t>(i % 5) * 2, 'y');
  }
  return text;
}

// The canvas pixels of the edit's rectangle, row by row, except column
// `skipX` (the caret drawn now, which a fresh composition does not hold).
std::vector<UINT32> EditArea(HDC canvas, int skipX) {
  std::vector<UINT32> out;
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(canvas, OBJ_BITMAP));
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return out;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = info.bmWidth;
  bi.bmiHeader.biHeight = -info.bmHeight;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<UINT32> all(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
  GdiFlush();
  if (GetDIBits(canvas, bitmap, 0, info.bmHeight, all.data(), &bi, DIB_RGB_COLORS) != info.bmHeight) return out;
  for (int y = kTop; y < kTop + kHeight; ++y)
    for (int x = kLeft; x < kLeft + kWidth; ++x)
      if (x != skipX) out.push_back(all[static_cast<std::size_t>(y) * info.bmWidth + x]);
  return out;
}

enum class Scene { kPlain, kFocused, kOverlapped, kImageBehind };

void TypeAndCompare(Scene scene) {
  HostedWindow w{kWidth + 40, kHeight + 40};
  if (scene == Scene::kImageBehind) {
    // Every row of the body a different colour.
    w.host.Redraw(qwtest::MakeBmp(kWidth + 40, kHeight + 40, [](int x, int y) {
      return RGB(static_cast<BYTE>(y * 3), static_cast<BYTE>(x), 90);
    }));
  }
  UiEdit edit;
  UiEdit::Options o;
  o.multiLine = true;
  o.text = Text(40);
  ASSERT_NE(edit.Create(w.hwnd(), kLeft, kTop, kWidth, kHeight, o), 0u);
  qwtest::Recorder cover(0x80FF0000);
  if (scene == Scene::kOverlapped) {
    ASSERT_NE(cover.Make(w.hwnd(), kLeft + 30, kTop + 40, 60, 50), 0u);
  }
  if (scene == Scene::kFocused) w.host.SetFocusElement(&edit, true);
  w.Settle();

  auto expectComposed = [&](const std::string& step) {
    SCOPED_TRACE(step);
    w.Settle();
    const int caretX = scene == Scene::kFocused ? kLeft + static_cast<int>(edit.CaretRect().X) : -1;
    const std::vector<UINT32> typed = EditArea(w.host.CanvasDc(), caretX);
    w.host.RedrawRect(RectF{float(kLeft), float(kTop), float(kWidth), float(kHeight)}, false);
    const std::vector<UINT32> composed = EditArea(w.host.CanvasDc(), caretX);
    ASSERT_FALSE(typed.empty());
    EXPECT_TRUE(typed == composed) << "the canvas differs from a fresh composition";
    // The whole window composed by GDI+ alone (a partial redraw may blend
    // pixels itself).
    w.host.Redraw({}, std::nullopt, 0, true);
    EXPECT_TRUE(typed == EditArea(w.host.CanvasDc(), caretX)) << "the canvas differs from a full composition";
  };
  auto chars = [&](const char* text) {
    for (const char* c = text; *c; ++c) edit.HandleEvent(WM_CHAR, static_cast<unsigned char>(*c), 0);
  };
  auto keys = [&](int key, int times) {
    for (int i = 0; i < times; ++i) edit.HandleKey(key);
  };

  const int last = edit.TextStore().LineCount();
  for (const TextPosition at : {TextPosition{last, edit.TextStore().LineCharCount(last)}, TextPosition{20, 3},
                                TextPosition{2, 0}}) {
    const std::string where = " at line " + std::to_string(at.line);
    edit.Select(at, at);
    expectComposed("caret" + where);
    chars("abc");
    expectComposed("characters" + where);
    keys(VK_RETURN, 1);
    expectComposed("Enter" + where);
    keys(VK_RETURN, 4);
    expectComposed("more Enter" + where);
    chars("gy");
    expectComposed("characters on a new line" + where);
    keys(VK_BACK, 3);
    expectComposed("Backspace joining lines" + where);
    keys(VK_BACK, 8);
    expectComposed("more Backspace" + where);
    edit.InsertText("one\r\ntwo\r\nthree");
    expectComposed("paste of lines" + where);
  }
  edit.Destroy();
}

}  // namespace

TEST(EditCompose, MovedRowsMatchAFreshCompositionOnAPlainBody) { TypeAndCompare(Scene::kPlain); }

TEST(EditCompose, MovedRowsMatchAFreshCompositionWithTheCaretOnTheCanvas) { TypeAndCompare(Scene::kFocused); }

TEST(EditCompose, AnOverlappingElementIsComposedAgainNotMoved) { TypeAndCompare(Scene::kOverlapped); }

TEST(EditCompose, RowsOverADifferingBackgroundAreComposedAgainNotMoved) { TypeAndCompare(Scene::kImageBehind); }

// Made and given a long text while the host holds redraws (as the
// installer builds its window), an edit draws once, in the held frame, and
// shows what one made without the hold shows: the text laid out and
// scrolled to its end, where the caret went.
TEST(EditCompose, MadeAndFilledWhileHeldDrawsOnceAsWithoutTheHold) {
  struct CountingEdit : UiEdit {
    int draws = 0;
    int OnBeforeDrawText() override {
      ++draws;
      return 0;
    }
  };
  std::vector<UINT32> area[2];
  int draws[2] = {};
  for (int held = 0; held < 2; ++held) {
    HostedWindow w{kWidth + 40, kHeight + 40};
    w.Settle();
    if (held) w.host.HoldRedraws();
    CountingEdit edit;
    UiEdit::Options o;
    o.multiLine = true;
    edit.Create(w.hwnd(), kLeft, kTop, kWidth, kHeight, o);
    edit.Text(Text(40), true);
    if (held) {
      EXPECT_EQ(edit.draws, 0) << "drawn while held";
      w.host.ReleaseRedraws();
    }
    w.Settle();
    area[held] = EditArea(w.host.CanvasDc(), -1);
    draws[held] = edit.draws;
    edit.Destroy();
  }
  EXPECT_EQ(draws[1], 1);
  ASSERT_FALSE(area[0].empty());
  EXPECT_EQ(area[1], area[0]);
}
