// The scroll bar as an element of a real host window: thumb size, thumb
// dragging, arrow repeat on its timer, and what reaches the scroll handler.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/bitmap_pixels.h"

using namespace ui;
using qwtest::HostedWindow;

namespace {

LPARAM Point(float x, float y) { return MAKELPARAM(static_cast<int>(x), static_cast<int>(y)); }

// A vertical bar at (20, 10), 10 x 100, recording every report.
struct VerticalBarFixture {
  explicit VerticalBarFixture(int maximum = 100, bool notifyWhileDragging = true) {
    UiScrollBar::Options o;
    o.orientation = UiScrollBar::kVertical;
    o.maximum = maximum;
    o.notifyWhileDragging = notifyWhileDragging;
    bar.Create(w.hwnd(), 20, 10, 10, 100, o);
    bar.SetScrollHandler([this](ElementHandle parent, int position) {
      parents.push_back(parent);
      reports.push_back(position);
    });
  }
  // Window point of the thumb's middle.
  float ThumbMiddleY() const { return 10 + bar.ThumbRect().Y + bar.ThumbRect().Height / 2; }

  HostedWindow w{200, 150};
  UiScrollBar bar;
  std::vector<ElementHandle> parents;
  std::vector<int> reports;
};

}  // namespace

TEST(ScrollBar, ThumbLengthFollowsTheRange) {
  VerticalBarFixture f(100);
  ASSERT_NE(f.bar.GetHandle(), 0u);
  EXPECT_EQ(f.bar.Kind(), 19);
  EXPECT_EQ(f.bar.Geometry().trackRect.Height, 80);
  EXPECT_EQ(f.bar.ThumbLength(), 35);
  EXPECT_EQ(f.bar.Maximum(1000), 1000);
  EXPECT_EQ(f.bar.ThumbLength(), 30);
  // Nothing to scroll: no thumb and no reports.
  f.bar.Maximum(0);
  EXPECT_EQ(f.bar.ThumbLength(), 0);
  f.bar.NotifyScroll();
  EXPECT_TRUE(f.reports.empty());
  // A resize lays the parts out again.
  f.bar.Maximum(100);
  f.bar.Height(200);
  EXPECT_EQ(f.bar.Geometry().trackRect.Height, 180);
  EXPECT_EQ(f.bar.Geometry().arrow2Rect.Y, 191);
}

TEST(ScrollBar, PropertiesClampThePosition) {
  VerticalBarFixture f(100);
  EXPECT_EQ(f.bar.Position(), 0);
  EXPECT_EQ(f.bar.Position(150), 100);
  EXPECT_EQ(f.bar.Position(-5), 0);
  f.bar.Position(80);
  EXPECT_EQ(f.bar.Maximum(50), 50);
  EXPECT_EQ(f.bar.Position(), 50);
  EXPECT_EQ(f.bar.Minimum(60), 60);
  EXPECT_EQ(f.bar.Position(), 60);
  EXPECT_EQ(f.bar.LineStep(7), 7);
  EXPECT_EQ(f.bar.PageStep(), 10);
  // A bar whose maximum drops below its minimum shows no thumb and never
  // reports, whatever happens to it.
  f.bar.Maximum(40);
  EXPECT_EQ(f.bar.ThumbLength(), 0);
  f.bar.Deliver(WM_LBUTTONDOWN, 0, Point(25, 60));
  f.bar.Deliver(WM_MOUSEMOVE, f.bar.GetHandle(), Point(25, 90));
  f.bar.Deliver(WM_LBUTTONUP, 0, Point(25, 90));
  EXPECT_TRUE(f.reports.empty());
}

TEST(ScrollBar, DraggingTheThumbPastEitherEndGivesTheLimits) {
  VerticalBarFixture f(100);
  f.bar.Deliver(WM_LBUTTONDOWN, 0, Point(25, f.ThumbMiddleY()));
  ASSERT_EQ(f.bar.PressedPart(), UiScrollBar::kThumb);
  f.bar.Deliver(WM_MOUSEMOVE, f.bar.GetHandle(), Point(25, 300));
  EXPECT_EQ(f.bar.Position(), 100);
  f.bar.Deliver(WM_MOUSEMOVE, f.bar.GetHandle(), Point(25, 60));
  EXPECT_GT(f.bar.Position(), 0);
  EXPECT_LT(f.bar.Position(), 100);
  f.bar.Deliver(WM_MOUSEMOVE, f.bar.GetHandle(), Point(25, -200));
  EXPECT_EQ(f.bar.Position(), 0);
  f.bar.Deliver(WM_LBUTTONUP, 0, Point(25, -200));
  EXPECT_EQ(f.bar.PressedPart(), UiScrollBar::kNone);
  // Every change was reported while dragging, the last one being the minimum.
  ASSERT_EQ(f.reports.size(), 3u);
  EXPECT_EQ(f.reports.front(), 100);
  EXPECT_EQ(f.reports.back(), 0);
  EXPECT_EQ(f.parents.front(), 0u);  // a top-level bar has no parent
  // A move by someone else's press does not drag.
  f.bar.Deliver(WM_MOUSEMOVE, 0, Point(25, 90));
  EXPECT_EQ(f.bar.Position(), 0);
}

TEST(ScrollBar, WithoutNotifyWhileDraggingTheHandlerRunsOnceOnRelease) {
  VerticalBarFixture f(100, false);
  f.bar.Deliver(WM_LBUTTONDOWN, 0, Point(25, f.ThumbMiddleY()));
  for (int y : {40, 60, 80, 300}) f.bar.Deliver(WM_MOUSEMOVE, f.bar.GetHandle(), Point(25, float(y)));
  EXPECT_TRUE(f.reports.empty());
  f.bar.Deliver(WM_LBUTTONUP, 0, Point(25, 300));
  EXPECT_EQ(f.reports, std::vector<int>{100});
}

TEST(ScrollBar, HoldingTheDownArrowStepsOnTheTimerAndStopsAtTheMaximum) {
  VerticalBarFixture f(100);
  f.bar.Position(98);
  const ElementHandle handle = f.bar.GetHandle();
  f.bar.Deliver(WM_LBUTTONDOWN, 0, Point(25, 10 + 95));  // bottom arrow
  ASSERT_EQ(f.bar.PressedPart(), UiScrollBar::kArrow2);
  EXPECT_EQ(f.bar.Position(), 98);  // the first step comes with the first tick
  ASSERT_TRUE(qwtest::PumpUntil([&] { return f.reports.size() >= 2; }, 5000));
  EXPECT_EQ(f.reports, (std::vector<int>{99, 100}));
  EXPECT_EQ(f.bar.Position(), 100);
  // The timer is gone: killing it again finds nothing.
  EXPECT_FALSE(KillTimer(f.w.hwnd(), handle));

  // The up arrow after a release: the next tick only stops the timer.
  f.bar.Deliver(WM_LBUTTONUP, 0, Point(25, 105));
  f.bar.Deliver(WM_LBUTTONDOWN, 0, Point(25, 10 + 4));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return f.reports.size() >= 3; }, 5000));
  EXPECT_EQ(f.reports.back(), 99);
  f.bar.Deliver(WM_LBUTTONUP, 0, Point(25, 14));
  qwtest::PumpFor(350);
  EXPECT_EQ(f.reports.size(), 3u);
  EXPECT_FALSE(KillTimer(f.w.hwnd(), handle));
}

TEST(ScrollBar, ChildBarReportsToItsParentFirst) {
  HostedWindow w{200, 150};
  qwtest::Recorder parent;
  parent.Make(w.hwnd(), 0, 0, 100, 100);
  UiScrollBar bar;
  UiScrollBar::Options o;
  o.orientation = UiScrollBar::kHorizontal;
  bar.Create(parent, 0, 90, 100, 10, o);
  ElementHandle got = 0;
  int position = -1;
  bar.SetScrollHandler([&](ElementHandle p, int pos) {
    got = p;
    position = pos;
  });
  bar.Position(40);
  bar.NotifyScroll();
  EXPECT_EQ(got, parent.GetHandle());
  EXPECT_EQ(position, 40);
}

TEST(ScrollBar, IdleBarShowsOnlyAFaintThumbAndHoverShowsTheArrows) {
  VerticalBarFixture f(100);
  f.bar.TransitionInterval(0);  // no hover fade: the bitmap changes at once
  f.bar.Repaint();
  // Faint thumb in the idle look; no arrow drawn.
  const Argb thumbIdle = qwtest::BitmapPixel(f.bar.Bitmap(), 5, 27);
  EXPECT_GT(AlphaOf(thumbIdle), 20);
  EXPECT_LT(AlphaOf(thumbIdle), 60);
  EXPECT_EQ(AlphaOf(qwtest::BitmapPixel(f.bar.Bitmap(), 4, 95)), 0);
  // Over the bar the arrows and a darker thumb appear.
  f.bar.Deliver(WM_MOUSEMOVE, 0, Point(25, 50));
  EXPECT_GT(AlphaOf(qwtest::BitmapPixel(f.bar.Bitmap(), 5, 27)), 90);
  EXPECT_GT(AlphaOf(qwtest::BitmapPixel(f.bar.Bitmap(), 4, 95)), 50);
}

TEST(ScrollBar, AThumbMovedByPartOfAPixelShowsWhatARepaintDraws) {
  // The range grows a line at a time with the position kept in the middle
  // (Enter typed mid-text), then the position jumps: after each step the
  // bar must show what a repaint from scratch draws, in both looks.
  for (const bool hovered : {false, true}) {
    SCOPED_TRACE(hovered ? "arrows shown" : "idle");
    VerticalBarFixture f(20000);
    f.bar.TransitionInterval(0);
    f.bar.FadeWhenIdle(!hovered);
    f.bar.Position(10000);
    const auto shown = [&] {
      std::vector<Argb> pixels;
      ReadArgbPixels(f.bar.Bitmap(), RECT{0, 0, 10, 100}, pixels);
      return pixels;
    };
    int moved = 0;
    for (int step = 0; step < 80; ++step) {
      const float before = f.bar.ThumbRect().Y;
      if (step < 60)
        f.bar.Arrange(20000 + 14 * step, 10000);
      else
        f.bar.Arrange(20840, 10000 + 700 * (step - 59));
      if (f.bar.ThumbRect().Y != before) ++moved;
      const std::vector<Argb> after = shown();
      f.bar.Repaint();
      ASSERT_TRUE(after == shown()) << "step " << step;
    }
    EXPECT_GT(moved, 20);  // the recorded thumb follows the range, repainted or not
  }
}
