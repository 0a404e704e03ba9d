// Bound handlers, delivery through the host, state events and refresh requests.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "tests/support/image_pixels.h"
#include "ui/host/tickets.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
// Counts recomposite requests (message 10256) reaching the host.
struct InvalidateCounter {
  explicit InvalidateCounter(UiWindow& host) {
    host.SetOnMessage([this](HWND, UINT m, WPARAM wp, LPARAM) -> LRESULT {
      if (m == hostmsg::kInvalidate) modes.push_back(static_cast<int>(wp));
      return -1;
    });
  }
  std::vector<int> modes;
};
}  // namespace

TEST(ElementEvents, HandlersRunAfterTheClassAndAreReplacedInPlace) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  std::vector<std::string> calls;
  e.answers[WM_MOUSEMOVE] = 7;
  e.onEvent = [&](UINT m) {
    if (m == WM_MOUSEMOVE) calls.push_back("class");
  };
  e.BindEvent(WM_MOUSEMOVE, [&](const ElementEvent& ev) {
    calls.push_back("first");
    EXPECT_EQ(ev.parent, 0u);
    EXPECT_EQ(ev.element, e.GetHandle());
    EXPECT_EQ(ev.wParam, 3u);
    EXPECT_EQ(ev.lParam, 4);
  });
  EXPECT_EQ(e.SendEvent(WM_MOUSEMOVE, 3, 4), 7);
  EXPECT_EQ(calls, (std::vector<std::string>{"class", "first"}));
  calls.clear();
  e.BindEvent(WM_MOUSEMOVE, [&](const ElementEvent&) { calls.push_back("second"); });
  e.SendEvent(WM_MOUSEMOVE, 3, 4);
  EXPECT_EQ(calls, (std::vector<std::string>{"class", "second"}));
}

TEST(ElementEvents, DoubleClickBindingMatchesTheSecondPressOnly) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  std::vector<UINT> fired;
  e.BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent&) { fired.push_back(513); });
  e.BindEvent(WM_LBUTTONDBLCLK, [&](const ElementEvent&) { fired.push_back(515); });
  e.SendEvent(WM_LBUTTONDOWN, 0, 0);
  e.SendEvent(WM_LBUTTONDOWN, ev::kDoubleClickMark, 0);
  e.SendEvent(WM_LBUTTONDBLCLK, 0, 0);  // a delivered 515 matches nothing
  // The first entry that matches wins: 513 was bound first.
  EXPECT_EQ(fired, (std::vector<UINT>{513, 513}));

  Recorder f;
  f.Make(w.hwnd(), 0, 0, 20, 20);
  fired.clear();
  f.BindEvent(WM_LBUTTONDBLCLK, [&](const ElementEvent&) { fired.push_back(515); });
  f.BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent&) { fired.push_back(513); });
  f.SendEvent(WM_LBUTTONDOWN, 0, 0);
  f.SendEvent(WM_LBUTTONDOWN, ev::kDoubleClickMark, 0);
  EXPECT_EQ(fired, (std::vector<UINT>{513, 515}));
}

TEST(ElementEvents, ChildHandlersReceiveTheParentFirst) {
  HostedWindow w;
  Recorder p, c;
  p.Make(w.hwnd(), 0, 0, 50, 50);
  c.Make(p, 5, 5, 10, 10);
  ElementEvent got;
  c.BindEvent(ev::kClick, [&](const ElementEvent& e) { got = e; });
  c.SendEvent(ev::kClick, 1, 2);
  EXPECT_EQ(got.parent, p.GetHandle());
  EXPECT_EQ(got.element, c.GetHandle());
  EXPECT_EQ(got.message, ev::kClick);
}

TEST(ElementEvents, PostedEventsArriveInOrderAndForgedTicketsAreIgnored) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  e.ClearLog();
  e.PostEvent(WM_USER + 1, 1, 0);
  e.PostEvent(WM_USER + 2, 2, 0);
  EXPECT_TRUE(e.log.empty());
  w.Settle();
  EXPECT_EQ(e.Messages(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  // Element and ticket numbers are checked, never dereferenced.
  e.ClearLog();
  EXPECT_EQ(SendMessageW(w.hwnd(), hostmsg::kDeliverEvent, e.GetHandle(), 999999), 0);
  EXPECT_EQ(SendMessageW(w.hwnd(), hostmsg::kDeliverEvent, 0x1234, 1), 0);
  SendMessageW(w.hwnd(), hostmsg::kInvalidate, 1, 0x7777);
  SendMessageW(w.hwnd(), hostmsg::kElementMoved, 0x4444, 1);
  EXPECT_TRUE(e.log.empty());
  EXPECT_EQ(TicketCountForTest(), 0u);
}

TEST(ElementEvents, DisablingSendsFocusLostAndMouseLeft) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  w.host.SetFocusElement(&e, false);
  w.Settle();
  ASSERT_EQ(w.host.FocusedElement(), &e);
  e.ClearLog();
  EXPECT_TRUE(e.Disabled(true));
  EXPECT_EQ(w.host.FocusedElement(), nullptr);
  w.Settle();
  std::vector<UINT> seen;
  for (UINT m : e.Messages())
    if (m != ev::kDisabledLook) seen.push_back(m);  // the look query comes with the recomposite
  EXPECT_EQ(seen, (std::vector<UINT>{ev::kFocusLost, ev::kMouseLeave}));
  e.ClearLog();
  e.Disabled(true);  // unchanged: nothing
  w.Settle();
  EXPECT_TRUE(e.log.empty());
  // Hiding a focused element keeps the focus.
  Recorder f;
  f.Make(w.hwnd(), 30, 0, 20, 20);
  w.host.SetFocusElement(&f, false);
  w.Settle();
  f.ClearLog();
  f.Visible(false);
  EXPECT_EQ(w.host.FocusedElement(), &f);
  EXPECT_EQ(f.Messages(), (std::vector<UINT>{ev::kHidden}));
  f.Visible(true);
  EXPECT_EQ(f.Messages(), (std::vector<UINT>{ev::kHidden, ev::kShown}));
}

TEST(ElementEvents, HiddenOrSuspendedElementsDoNotAskForRecomposites) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  w.Settle();
  InvalidateCounter counter(w.host);
  e.Repaint();
  w.Settle();
  EXPECT_EQ(counter.modes, (std::vector<int>{0}));  // queued recomposite from the end of paint

  counter.modes.clear();
  e.Visible(false);
  w.Settle();
  EXPECT_EQ(counter.modes, (std::vector<int>{1}));  // the Refresh of Visible
  counter.modes.clear();
  const int paints = e.paints;
  e.Repaint();
  w.Settle();
  EXPECT_EQ(e.paints, paints + 1);  // the bitmap is still rendered
  EXPECT_TRUE(counter.modes.empty());

  e.Visible(true);
  w.Settle();
  counter.modes.clear();
  e.SuspendRefresh();
  e.Repaint();
  w.Settle();
  EXPECT_TRUE(counter.modes.empty());
  e.Refresh();
  w.Settle();
  EXPECT_EQ(counter.modes, (std::vector<int>{1}));
  e.ResumeRefresh();
}

TEST(ElementEvents, PropertiesStoreAndReport) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 0, 0, 20, 20);
  EXPECT_EQ(e.Tag("abc"), "abc");
  EXPECT_EQ(e.Tag(), "abc");
  EXPECT_EQ(e.Cursor(32649 /* IDC_HAND */), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_FALSE(e.Focusable(false));
  e.ClearLog();
  EXPECT_EQ(e.Opacity(128), 128);
  ASSERT_EQ(e.Count(ev::kOpacityChanged), 1);
  EXPECT_EQ(e.log[0].lParam, 128);
  e.Opacity(128);
  EXPECT_EQ(e.Count(ev::kOpacityChanged), 1);
  // HasFocus: the class decides unless it answers -1.
  EXPECT_FALSE(e.HasFocus());
  e.answers[ev::kFocusQuery] = 1;
  EXPECT_TRUE(e.HasFocus());
  EXPECT_EQ(e.Transition(4, 60), 4);
  EXPECT_EQ(e.TransitionInterval(), 60);
  EXPECT_EQ(e.TransitionEffect(3), 3);
  w.Settle();
}

namespace {
// Paints its bitmap with a pattern, or (fresh, in a part) clears and draws nothing.
class Painter : public UiElement {
 public:
  void Make(HWND parent, float x, float y, float w, float h) { Create(parent, RectF{x, y, w, h}, 3, true); }
  void Pattern() {
    Paint(
        [](const PaintContext& pc) {
          Gdiplus::Rect all(0, 0, 40, 30);
          Gdiplus::BitmapData data{};
          gp::GdipBitmapLockBits(pc.bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data);
          for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
              reinterpret_cast<Argb*>(static_cast<BYTE*>(data.Scan0) + y * data.Stride)[x] =
                  ArgbOf(static_cast<std::uint8_t>(40 + x * 5), static_cast<std::uint8_t>(x * 6),
                         static_cast<std::uint8_t>(y * 8), 99);
          gp::GdipBitmapUnlockBits(pc.bitmap, &data);
        },
        false);
  }
  void FreshPart(RectF part) {
    Paint([](const PaintContext&) {}, true, part);
  }
};

}  // namespace

// A fresh paint clears the part it paints, exactly as a GDI+ clear under a
// clip of that part would, whole pixels or not, inside the bitmap or not.
TEST(ElementPaint, AFreshPaintClearsItsPartAsGdiplusWould) {
  HostedWindow w;
  Painter e;
  e.Make(w.hwnd(), 5, 5, 40, 30);
  const RectF parts[] = {{0, 0, 40, 30},  {3, 4, 10, 7},     {-5, -5, 12, 9}, {30, 20, 20, 20},
                         {50, 50, 5, 5},  {2.5f, 3, 10, 7.25f}, {0, 0, 0, 0}};
  for (const RectF& part : parts) {
    e.Pattern();
    gp::Bitmap expected;
    gp::GdipCloneBitmapAreaI(0, 0, 40, 30, PixelFormat32bppARGB, e.Bitmap(), expected.put());
    ASSERT_TRUE(expected);
    {
      gp::Graphics g;
      gp::GdipGetImageGraphicsContext(expected.get(), g.put());
      gp::GdipSetSmoothingMode(g.get(), Gdiplus::SmoothingModeAntiAlias);
      gp::GdipSetClipRect(g.get(), part.x, part.y, part.width, part.height, Gdiplus::CombineModeReplace);
      gp::GdipGraphicsClear(g.get(), 0);
    }
    e.FreshPart(part);
    EXPECT_EQ(qwtest::ImagePixels(reinterpret_cast<Gdiplus::GpImage*>(e.Bitmap())),
              qwtest::ImagePixels(reinterpret_cast<Gdiplus::GpImage*>(expected.get())))
        << "part " << part.x << "," << part.y << " " << part.width << "x" << part.height;
  }
}
