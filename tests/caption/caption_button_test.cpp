// Caption buttons on real hosted windows: the glyph cell drawn for each
// state (compared with the installer's glyph strip), the window commands a
// click posts, and where the host creates them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/resources/resources.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/caption_button.h"
#include "ui/core/image.h"
#include "ui/core/library.h"
#include "ui/host/caption_parts.h"

using namespace ui;
using qwtest::HostedWindow;

namespace {

// Lends the installer's real glyph strip to the library for one test.
struct RealGlyphStrip {
  gp::Image strip = ImageFromMemory(app::resources::LibraryGlyphStrip(), true);
  Gdiplus::GpImage* saved = Library().glyphImage;
  RealGlyphStrip() { Library().glyphImage = strip.get(); }
  ~RealGlyphStrip() { Library().glyphImage = saved; }
  Gdiplus::GpBitmap* bitmap() const { return reinterpret_cast<Gdiplus::GpBitmap*>(strip.get()); }
};

UiWindow::CreateOptions WithCaption(int flags) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = flags;
  return o;
}

UiCaptionButton* ButtonOf(const UiWindow& host, int kind) {
  for (const auto& b : host.CaptionButtons()) {
    auto* button = dynamic_cast<UiCaptionButton*>(b.get());
    if (button && button->ButtonKind() == kind) return button;
  }
  return nullptr;
}

// Mean difference per channel between the button's bitmap and the strip
// cell at `cellX` (rows 2.., the cell's 18 rows that lie inside the strip).
double CellDistance(const RealGlyphStrip& strip, UiCaptionButton& button, int cellX) {
  const int width = button.Width();
  long total = 0, count = 0;
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < width; ++x) {
      // Compared premultiplied: the colour of a transparent pixel does not count.
      const Argb a = qwtest::BitmapPixel(button.Bitmap(), x, y);
      const Argb b = qwtest::BitmapPixel(strip.bitmap(), cellX + x, 2 + y);
      const int aa = static_cast<int>(a >> 24), ba = static_cast<int>(b >> 24);
      total += std::abs(aa - ba);
      for (int shift = 0; shift < 24; shift += 8)
        total += std::abs(static_cast<int>((a >> shift) & 0xFF) * aa / 255 -
                          static_cast<int>((b >> shift) & 0xFF) * ba / 255);
      count += 4;
    }
  }
  return static_cast<double>(total) / count;
}

// The cell among `candidates` that the button shows; -1 when none matches.
int DrawnCell(const RealGlyphStrip& strip, UiCaptionButton& button, std::vector<int> candidates) {
  int best = -1;
  double bestDistance = 1e9;
  for (int x : candidates) {
    const double d = CellDistance(strip, button, x);
    if (d < bestDistance) bestDistance = d, best = x;
  }
  return bestDistance < 3.0 ? best : -1;
}

// Takes the window command a click posted, if any.
bool TakePosted(HWND hwnd, UINT message, WPARAM* wParam = nullptr) {
  MSG msg;
  if (!PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) return false;
  if (wParam) *wParam = msg.wParam;
  return true;
}

}  // namespace

TEST(CaptionButton, StripCellsDifferSoTheComparisonMeansSomething) {
  RealGlyphStrip strip;
  ASSERT_TRUE(strip.strip);
  UINT w = 0, h = 0;
  gp::GdipGetImageWidth(strip.strip.get(), &w);
  gp::GdipGetImageHeight(strip.strip.get(), &h);
  EXPECT_EQ(w, 729u);
  EXPECT_EQ(h, 20u);
  HostedWindow win(400, 200, WithCaption(caption::kClose));
  UiCaptionButton* close = ButtonOf(win.host, 4);
  ASSERT_NE(close, nullptr);
  EXPECT_GT(CellDistance(strip, *close, 40), 3.0);
  EXPECT_GT(CellDistance(strip, *close, 80), 3.0);
}

TEST(CaptionButton, CloseButtonFollowsHoverPressReleaseAndLeave) {
  RealGlyphStrip strip;
  HostedWindow win(400, 200, WithCaption(caption::kClose));
  UiCaptionButton* close = ButtonOf(win.host, 4);
  ASSERT_NE(close, nullptr);
  close->Repaint();  // created before the real strip was lent
  EXPECT_EQ(close->Kind(), kind::kCaptionButton);
  EXPECT_FALSE(close->Focusable());
  EXPECT_EQ(close->Deliver(ev::kPressQuery, 0, 0), 0);
  const std::vector<int> cells{0, 40, 80};
  EXPECT_EQ(DrawnCell(strip, *close, cells), 0);
  // The 19-row cell reaches one row past the strip: that row stays empty.
  EXPECT_EQ(qwtest::BitmapPixel(close->Bitmap(), 20, 18) >> 24, 0u);

  close->Deliver(ev::kMouseEnter, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 40);
  EXPECT_EQ(close->LastState(), UiCaptionButton::kHot);
  EXPECT_EQ(close->Transition(), UiCaptionButton::kEnterSteps);
  EXPECT_TRUE(close->TransitionRunning());
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !close->TransitionRunning(); }));

  close->Deliver(WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 80);
  EXPECT_EQ(close->Transition(), 0);  // a press shows at once
  close->Deliver(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 40);

  close->Deliver(ev::kMouseLeave, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 0);
  EXPECT_EQ(close->Transition(), UiCaptionButton::kLeaveSteps);
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !close->TransitionRunning(); }));

  // The composed window shows the normal cell once the fade is over.
  win.Settle();
  const int x = close->Left(), y = close->Top();
  EXPECT_TRUE(qwtest::ColorNear(win.Canvas(x + 20, y + 9) | 0xFF000000u,
                                qwtest::BitmapPixel(strip.bitmap(), 20, 2 + 9) | 0xFF000000u, 40))
      << qwtest::ColorText(win.Canvas(x + 20, y + 9));

  close->Destroy();
  EXPECT_EQ(close->ButtonKind(), 0);
}

TEST(CaptionButton, MouseInputThroughTheHostHoversPressesAndCloses) {
  RealGlyphStrip strip;
  HostedWindow win(400, 200, WithCaption(caption::kClose));
  UiCaptionButton* close = ButtonOf(win.host, 4);
  ASSERT_NE(close, nullptr);
  close->Repaint();
  const std::vector<int> cells{0, 40, 80};
  const LPARAM on = MAKELPARAM(close->Left() + 10, close->Top() + 5);
  SendMessageW(win.hwnd(), WM_MOUSEMOVE, 0, on);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 40);
  SendMessageW(win.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, on);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 80);
  EXPECT_FALSE(TakePosted(win.hwnd(), WM_CLOSE));  // the click is the release
  SendMessageW(win.hwnd(), WM_LBUTTONUP, 0, on);
  EXPECT_EQ(DrawnCell(strip, *close, cells), 40);
  EXPECT_TRUE(TakePosted(win.hwnd(), WM_CLOSE));
  SendMessageW(win.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(DrawnCell(strip, *close, cells), 0);
  // Caption buttons are pressable but never take the keyboard focus.
  EXPECT_EQ(win.host.FocusedElement(), nullptr);
}

TEST(CaptionButton, RepeatedStateIsNotRedrawnUnlessForced) {
  RealGlyphStrip strip;
  HostedWindow win(400, 200, WithCaption(caption::kClose));
  UiCaptionButton* close = ButtonOf(win.host, 4);
  ASSERT_NE(close, nullptr);
  close->Deliver(ev::kMouseEnter, 0, 0);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !close->TransitionRunning(); }));
  close->Deliver(ev::kMouseEnter, 0, 0);  // same state: no new fade
  EXPECT_FALSE(close->TransitionRunning());
  close->SetState(UiCaptionButton::kHot, true, 0);
  EXPECT_EQ(DrawnCell(strip, *close, {0, 40, 80}), 40);
  // Unknown states draw nothing; 3 and -1 draw the normal cell.
  close->SetState(7, false, 0);
  EXPECT_EQ(qwtest::BitmapPixel(close->Bitmap(), 20, 9) >> 24, 0u);
  close->SetState(3, false, 0);
  EXPECT_EQ(DrawnCell(strip, *close, {0, 40, 80}), 0);
}

TEST(CaptionButton, MaximiseButtonOfAMaximisedWindowShowsRestoreAndPostsRestore) {
  RealGlyphStrip strip;
  HostedWindow win(400, 200, WithCaption(caption::kClose | caption::kMaximize));
  UiCaptionButton* max = ButtonOf(win.host, 8);
  ASSERT_NE(max, nullptr);
  max->Repaint();
  const std::vector<int> cells{120, 149, 178, 207, 236, 265};
  EXPECT_EQ(DrawnCell(strip, *max, cells), 120);
  max->Deliver(ev::kClick, 0, 0);
  WPARAM command = 0;
  ASSERT_TRUE(TakePosted(win.hwnd(), WM_SYSCOMMAND, &command));
  EXPECT_EQ(command, static_cast<WPARAM>(SC_MAXIMIZE));

  // Maximising moves the caption buttons; the move redraws the maximise
  // button with the restore glyph.
  ShowWindow(win.hwnd(), SW_SHOWMAXIMIZED);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return IsZoomed(win.hwnd()) != FALSE; }));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return DrawnCell(strip, *max, cells) == 207; }))
      << DrawnCell(strip, *max, cells);
  max->Deliver(ev::kMouseEnter, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *max, cells), 236);
  max->Deliver(WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *max, cells), 265);
  max->Deliver(ev::kClick, 0, 0);
  ASSERT_TRUE(TakePosted(win.hwnd(), WM_SYSCOMMAND, &command));
  EXPECT_EQ(command, static_cast<WPARAM>(SC_RESTORE));

  ShowWindow(win.hwnd(), SW_RESTORE);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !IsZoomed(win.hwnd()); }));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return DrawnCell(strip, *max, cells) == 120; }));
  ShowWindow(win.hwnd(), SW_HIDE);
}

TEST(CaptionButton, MinimiseButtonOfAMinimisedWindowPostsNothing) {
  HostedWindow win(400, 200, WithCaption(caption::kMinimize));
  UiCaptionButton* min = ButtonOf(win.host, 16);
  ASSERT_NE(min, nullptr);
  ShowWindow(win.hwnd(), SW_SHOWNOACTIVATE);
  min->Deliver(ev::kClick, 0, 0);
  WPARAM command = 0;
  ASSERT_TRUE(TakePosted(win.hwnd(), WM_SYSCOMMAND, &command));
  EXPECT_EQ(command, static_cast<WPARAM>(SC_MINIMIZE));

  ShowWindow(win.hwnd(), SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return IsIconic(win.hwnd()) != FALSE; }));
  min->Deliver(ev::kClick, 0, 0);
  EXPECT_FALSE(TakePosted(win.hwnd(), WM_SYSCOMMAND));
  ShowWindow(win.hwnd(), SW_HIDE);
}

TEST(CaptionButton, DisabledCloseButtonDoesNotClose) {
  HostedWindow win(400, 200, WithCaption(caption::kClose));
  UiCaptionButton* close = ButtonOf(win.host, 4);
  ASSERT_NE(close, nullptr);
  close->Disabled(true);
  close->Deliver(ev::kClick, 0, 0);
  EXPECT_FALSE(TakePosted(win.hwnd(), WM_CLOSE));
  qwtest::PumpFor(50);
  EXPECT_TRUE(IsWindow(win.hwnd()));

  close->Disabled(false);
  close->Deliver(ev::kClick, 0, 0);
  EXPECT_TRUE(TakePosted(win.hwnd(), WM_CLOSE));
}

TEST(CaptionButton, FurtherKindsDrawTheirCellsAndPostNothing) {
  RealGlyphStrip strip;
  HostedWindow win(400, 200, WithCaption(32 | 256));
  UiCaptionButton* b32 = ButtonOf(win.host, 32);
  UiCaptionButton* b256 = ButtonOf(win.host, 256);
  ASSERT_NE(b32, nullptr);
  ASSERT_NE(b256, nullptr);
  b32->Repaint();
  b256->Deliver(ev::kMouseEnter, 0, 0);
  EXPECT_EQ(DrawnCell(strip, *b32, {381, 410, 439, 642}), 381);
  EXPECT_EQ(DrawnCell(strip, *b256, {381, 642, 671, 700}), 671);
  b32->Deliver(ev::kClick, 0, 0);
  EXPECT_FALSE(TakePosted(win.hwnd(), WM_SYSCOMMAND));
  EXPECT_FALSE(TakePosted(win.hwnd(), WM_CLOSE));
}

TEST(CaptionButton, HostCreatesRealButtonsFromTheRight) {
  // Where each button stands the moment the factory made it.
  struct Made {
    int kind;
    RectF bounds;
  };
  std::vector<Made> made;
  CaptionPartFactory f = DefaultCaptionParts();
  auto makeButton = f.button;
  f.button = [&made, makeButton](HWND h, const RectF& r, int kind) {
    auto button = makeButton(h, r, kind);
    if (button) made.push_back({kind, button->Bounds()});
    return button;
  };
  SetCaptionParts(f);
  {
    HostedWindow win(400, 200, WithCaption(caption::kClose | caption::kMaximize | caption::kMinimize));
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0].kind, 4);
    EXPECT_EQ(made[0].bounds, (RectF{349, 7, 39, 19}));
    EXPECT_EQ(made[1].kind, 8);
    EXPECT_EQ(made[1].bounds, (RectF{321, 7, 28, 19}));
    EXPECT_EQ(made[2].kind, 16);
    EXPECT_EQ(made[2].bounds, (RectF{293, 7, 28, 19}));
    ASSERT_EQ(win.host.CaptionButtons().size(), 3u);
    for (const auto& b : win.host.CaptionButtons()) {
      EXPECT_NE(dynamic_cast<UiCaptionButton*>(b.get()), nullptr);
      EXPECT_EQ(b->Kind(), kind::kCaptionButton);
    }
  }
  SetCaptionParts(DefaultCaptionParts());
}
