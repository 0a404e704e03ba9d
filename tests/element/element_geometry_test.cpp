// SetBounds and the coordinate properties: moves, resizes, descendants and
// what the host is told.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
UINT BitmapWidth(UiElement& e) {
  UINT w = 0;
  gp::GdipGetImageWidth(e.Bitmap(), &w);
  return w;
}
}  // namespace

TEST(ElementGeometry, PureMoveKeepsTheBitmapAndMovesDescendants) {
  HostedWindow w;
  Recorder p, c, g;
  p.Make(w.hwnd(), 10, 10, 60, 60);
  c.Make(p, 20, 20, 30, 30);
  g.Make(c, 25, 25, 5, 5);
  w.Settle();
  Gdiplus::GpBitmap* before = p.Bitmap();
  p.ClearLog();
  p.SetBounds(30, 40, {}, {});
  EXPECT_EQ(p.Bitmap(), before);
  EXPECT_EQ(p.Count(ev::kResized), 0);
  EXPECT_EQ(p.Count(ev::kPaint), 0);
  EXPECT_EQ(p.Count(ev::kMoved), 1);
  EXPECT_EQ(p.Bounds(), (RectF{30, 40, 60, 60}));
  EXPECT_EQ(c.Bounds(), (RectF{40, 50, 30, 30}));
  EXPECT_EQ(g.Bounds(), (RectF{45, 55, 5, 5}));
  ASSERT_TRUE(p.OldBounds().has_value());
  EXPECT_EQ(*p.OldBounds(), (RectF{10, 10, 60, 60}));
}

TEST(ElementGeometry, ResizeRecreatesTheBitmapThenResizedThenPaint) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 10, 10, 40, 20);
  e.ClearLog();
  e.SetBounds({}, {}, 70, 25);
  EXPECT_EQ(BitmapWidth(e), 70u);
  const auto m = e.Messages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(m[0], ev::kResized);
  EXPECT_EQ(e.log[0].wParam, 70u);
  EXPECT_EQ(e.log[0].lParam, 25);
  EXPECT_EQ(m[1], ev::kPaint);
  EXPECT_EQ(m[2], ev::kMoved);
  // Kind 21 keeps its 1 x 1 bitmap.
  Recorder small;
  small.Make(w.hwnd(), 0, 0, 40, 20, true, kind::kNoBitmap);
  small.ClearLog();
  small.Width(90);
  EXPECT_EQ(BitmapWidth(small), 1u);
  EXPECT_EQ(small.Count(ev::kResized), 0);
}

TEST(ElementGeometry, SettingACoordinateToItsValueDoesNothing) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 10, 10, 40, 20);
  w.Settle();
  e.ClearLog();
  int moves = 0;
  w.host.SetOnMessage([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == hostmsg::kElementMoved) ++moves;
    return -1;
  });
  EXPECT_EQ(e.Left(10), 10);
  EXPECT_EQ(e.Top(10), 10);
  EXPECT_EQ(e.Width(40), 40);
  e.SetBounds(10, 10, 40, 20);
  EXPECT_EQ(moves, 0);
  EXPECT_TRUE(e.log.empty());
  EXPECT_EQ(e.Left(15), 15);
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(e.Bounds(), (RectF{15, 10, 40, 20}));
  // Bounds() as a setter truncates.
  e.Bounds(RectF{1.9f, 2.9f, 30.5f, 10.2f});
  EXPECT_EQ(e.Bounds(), (RectF{1, 2, 30, 10}));
}

TEST(ElementGeometry, MoveWhileTheHostIsBusyIsBoundedAndRepairedLater) {
  HostedWindow w;
  Recorder e(0xFFFF0000);
  e.Make(w.hwnd(), 20, 20, 30, 30);
  w.Settle();
  ASSERT_TRUE(qwtest::ColorNear(w.Canvas(30, 30), 0xFFFF0000));
  // A host that always answers "busy" must not hang the caller.
  int asked = 0;
  w.host.SetOnMessage([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == hostmsg::kElementMoved) {
      ++asked;
      return 0;
    }
    return -1;
  });
  const DWORD start = GetTickCount();
  e.Left(25);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_GE(asked, 2);
  w.host.SetOnMessage(nullptr);
  // The host itself busy: the move is remembered and repaired when it clears.
  w.host.SetBusy(true);
  e.Left(100);
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(30, 30), 0xFFFF0000));  // not yet
  w.host.SetBusy(false);
  w.Settle();
  EXPECT_FALSE(qwtest::ColorNear(w.Canvas(30, 30), 0xFFFF0000));
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(110, 30), 0xFFFF0000));
}
