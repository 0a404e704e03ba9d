// Keyboard navigation of a host: Tab and Shift+Tab through the top-level
// elements or a program-given order, and the focus mark of buttons, which
// stays hidden until the keyboard is used and only shows while the window
// is active, at the display's scale.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "ui/element/button.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {

// Shift held (in the thread's key state GetKeyState reads) while alive.
class ShiftHeld {
 public:
  ShiftHeld() { Set(0x80); }
  ~ShiftHeld() { Set(0); }

 private:
  static void Set(BYTE value) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = value;
    keys[VK_LSHIFT] = value;
    SetKeyboardState(keys);
  }
};

UiElement* Tab(HostedWindow& w) {
  SendMessageW(w.hwnd(), WM_KEYDOWN, VK_TAB, 0);
  qwtest::PumpPending();
  return w.host.FocusedElement();
}

// Device columns of a bitmap row that hold any drawing (alpha above 0).
struct RowInk {
  int count = 0, first = -1, last = -1;
};
// Rows y - 1 to y + 1 together: a line between two pixel rows may fall on
// either.
RowInk InkOnRow(const UiElement& e, int y) {
  RowInk ink;
  UINT width = 0;
  Gdiplus::GpBitmap* bitmap = e.Bitmap();
  gp::GdipGetImageWidth(reinterpret_cast<Gdiplus::GpImage*>(bitmap), &width);
  for (int x = 0; x < static_cast<int>(width); ++x) {
    bool inked = false;
    for (int row = y - 1; row <= y + 1; ++row) inked = inked || (qwtest::BitmapPixel(bitmap, x, row) >> 24) != 0;
    if (!inked) continue;
    ++ink.count;
    if (ink.first < 0) ink.first = x;
    ink.last = x;
  }
  return ink;
}

void Activate(HostedWindow& w, bool active) {
  SendMessageW(w.hwnd(), WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
  qwtest::PumpPending();
}

}  // namespace

TEST(HostKeyboard, ShiftTabWalksBackwardsOverTheSameStopsAndWraps) {
  HostedWindow w;
  Recorder a, notFocusable, b, hidden, c;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  notFocusable.Make(w.hwnd(), 0, 0, 10, 10);
  notFocusable.Focusable(false);
  b.Make(w.hwnd(), 0, 0, 10, 10);
  hidden.Make(w.hwnd(), 0, 0, 10, 10, false);
  c.Make(w.hwnd(), 0, 0, 10, 10);
  Recorder child;
  child.Make(b, 1, 1, 5, 5);
  {
    const ShiftHeld shift;
    EXPECT_EQ(Tab(w), &c);  // nothing focused: from the end
    EXPECT_EQ(w.host.KeyboardFocus(), &c);
    EXPECT_EQ(Tab(w), &b);
    EXPECT_EQ(Tab(w), &a);
    EXPECT_EQ(Tab(w), &c);  // wraps
    // From a child the walk starts at its top-level ancestor.
    w.host.SetFocusElement(&child, false);
    qwtest::PumpPending();
    EXPECT_EQ(Tab(w), &a);
  }
  // Forward again retraces the same stops.
  EXPECT_EQ(Tab(w), &b);
  EXPECT_EQ(Tab(w), &c);
  EXPECT_EQ(Tab(w), &a);
}

TEST(HostKeyboard, TabFollowsTheProgramsOrderBothWays) {
  HostedWindow w;
  Recorder close, field, browse, install, run, gone;
  close.Make(w.hwnd(), 0, 0, 10, 10);
  install.Make(w.hwnd(), 0, 0, 10, 10);
  field.Make(w.hwnd(), 0, 0, 10, 10);
  browse.Make(w.hwnd(), 0, 0, 10, 10);
  run.Make(w.hwnd(), 0, 0, 10, 10, false);
  gone.Make(w.hwnd(), 0, 0, 10, 10);
  const ElementHandle goneHandle = gone.GetHandle();
  gone.Destroy();
  w.host.SetTabOrder({field.GetHandle(), goneHandle, browse.GetHandle(), install.GetHandle(), run.GetHandle()});
  // Nothing focused (the first element is outside the order): the first stop.
  EXPECT_EQ(Tab(w), &field);
  EXPECT_EQ(Tab(w), &browse);  // the stale handle is passed over
  EXPECT_EQ(Tab(w), &install);
  EXPECT_EQ(Tab(w), &field);  // the hidden one too; then it wraps
  {
    const ShiftHeld shift;
    EXPECT_EQ(Tab(w), &install);
    EXPECT_EQ(Tab(w), &browse);
  }
  // Once shown, the last button is a stop; the element outside the order never is.
  run.Visible(true);
  w.host.SetFocusElement(&install, false);
  qwtest::PumpPending();
  EXPECT_EQ(Tab(w), &run);
  EXPECT_EQ(Tab(w), &field);
  w.host.SetFocusElement(&close, false);
  qwtest::PumpPending();
  EXPECT_EQ(Tab(w), &field);
  {
    const ShiftHeld shift;
    w.host.SetFocusElement(&close, false);
    qwtest::PumpPending();
    EXPECT_EQ(Tab(w), &run);
  }
}

TEST(HostKeyboard, FocusMarkWaitsForTheKeyboardAndAnActiveWindow) {
  HostedWindow w;
  UiButton button, other;
  ButtonOptions o;
  o.textColor = 0xFF000000;
  button.Create(w.hwnd(), 20, 20, 80, 30, "OK", o);
  other.Create(w.hwnd(), 20, 60, 80, 30, "No", o);
  Activate(w, true);
  const RowInk plain = InkOnRow(button, 3);
  EXPECT_EQ(plain.count, 0);

  // Focus by the program or the mouse: no mark, the same pixels.
  w.host.SetFocusElement(&button, false);
  qwtest::PumpPending();
  EXPECT_FALSE(w.host.FocusCuesShown());
  EXPECT_FALSE(w.host.ShowsFocusMark(&button));
  EXPECT_EQ(InkOnRow(button, 3).count, 0);

  // An arrow key shows the cues: the focused button is marked, a dotted
  // line 3 pixels inside its edge.
  SendMessageW(w.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  qwtest::PumpPending();
  EXPECT_TRUE(w.host.FocusCuesShown());
  EXPECT_TRUE(w.host.ShowsFocusMark(&button));
  const RowInk marked = InkOnRow(button, 3);
  EXPECT_GT(marked.count, 20);
  EXPECT_NEAR(marked.first, 3, 1);
  EXPECT_NEAR(marked.last, 76, 1);
  EXPECT_EQ(InkOnRow(button, 0).count, 0);
  EXPECT_EQ(InkOnRow(other, 3).count, 0);

  // The mark follows the focus.
  EXPECT_EQ(Tab(w), &other);
  EXPECT_EQ(InkOnRow(button, 3).count, 0);
  EXPECT_GT(InkOnRow(other, 3).count, 20);

  // Inactive: hidden; active again: back.
  Activate(w, false);
  EXPECT_FALSE(w.host.ShowsFocusMark(&other));
  EXPECT_EQ(InkOnRow(other, 3).count, 0);
  Activate(w, true);
  EXPECT_GT(InkOnRow(other, 3).count, 20);
  button.Destroy();
  other.Destroy();
}

TEST(HostKeyboard, FocusMarkIsDrawnAtTheDisplayScale) {
  HostedWindow w;
  UiButton button;
  ButtonOptions o;
  o.textColor = 0xFF000000;
  button.Create(w.hwnd(), 20, 20, 80, 30, "OK", o);
  Activate(w, true);
  w.host.SetFocusElement(&button, false);
  w.host.ShowFocusCues();
  qwtest::PumpPending();
  const struct {
    UINT dpi;
    int row, last;  // the mark's top row and its last column, in device pixels
  } scales[] = {{144, 5, 114}, {192, 6, 152}, {96, 3, 76}};
  for (const auto& s : scales) {
    SCOPED_TRACE(s.dpi);
    RECT r{};
    GetWindowRect(w.hwnd(), &r);
    const int width = MulDiv(200, static_cast<int>(s.dpi), 96), height = MulDiv(150, static_cast<int>(s.dpi), 96);
    RECT suggested{r.left, r.top, r.left + width, r.top + height};
    SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(s.dpi, s.dpi), reinterpret_cast<LPARAM>(&suggested));
    w.Settle();
    const RowInk top = InkOnRow(button, s.row);
    EXPECT_GT(top.count, 20);
    EXPECT_NEAR(top.first, s.row, 2);
    EXPECT_NEAR(top.last, s.last, 2);
    EXPECT_EQ(InkOnRow(button, s.row - 3).count, 0);
  }
  button.Destroy();
}
