// UiProgressBar: fill length and rounding, track, bar, frames and the
// vertical direction, read back from the bar's bitmap.
#include <gtest/gtest.h>

#include <climits>

#include "tests/controls/control_test_util.h"
#include "ui/controls/progress_bar.h"

using namespace ui;
using ctltest::Px;
using qwtest::HostedWindow;

namespace {

// The bar's colours are blue to green; the track is white.
bool IsBar(Argb c) { return RedOf(c) < 60 && AlphaOf(c) > 150 && (BlueOf(c) > 90 || GreenOf(c) > 90); }
bool IsTrack(Argb c) { return RedOf(c) > 150 && GreenOf(c) > 150 && BlueOf(c) > 150 && AlphaOf(c) > 150; }

ProgressBarOptions Square(int position) {
  ProgressBarOptions o;
  o.position = position;
  o.rounded = false;
  return o;
}

}  // namespace

TEST(ProgressBar, FillLengthRoundsHalfUp) {
  struct Case {
    float inner;
    int position, minimum, maximum, expected;
  };
  const Case cases[] = {
      {520, 50, 0, 100, 260}, {520, 0, 0, 100, 0},      {520, 100, 0, 100, 520}, {3, 1, 0, 2, 2},
      {5, 1, 0, 10, 1},       {100, 1, 0, 3, 33},        {100, 2, 0, 3, 67},      {10, 15, 10, 20, 5},
      {520, -10, 0, 100, -52}, {520, 150, 0, 100, 780}, {520, 7, 7, 7, 0},       {520, 5, 100, 0, 494},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UiProgressBar::ComputeFillLength(c.inner, c.position, c.minimum, c.maximum), c.expected)
        << c.inner << " " << c.position << " " << c.minimum << ".." << c.maximum;
  // Far outside the range the length stays a sane integer.
  EXPECT_GT(UiProgressBar::ComputeFillLength(520, INT_MAX, INT_MIN, INT_MIN + 1), 0);
  EXPECT_LT(UiProgressBar::ComputeFillLength(520, INT_MIN, 0, 1), 0);
}

TEST(ProgressBar, HalfFilledInstallerBar) {
  HostedWindow w(600, 60);
  UiProgressBar bar;
  ASSERT_NE(bar.Create(w.hwnd(), 32, 10, 524, 18, Square(50)), 0u);
  EXPECT_EQ(bar.Kind(), kind::kProgressBar);
  EXPECT_FALSE(bar.Focusable());
  EXPECT_EQ(bar.FillLength(), 260);
  // The fill covers x = 2 .. 261 of the inner area; the track follows.
  EXPECT_TRUE(IsBar(Px(bar, 3, 9))) << qwtest::ColorText(Px(bar, 3, 9));
  EXPECT_TRUE(IsBar(Px(bar, 261, 9))) << qwtest::ColorText(Px(bar, 261, 9));
  EXPECT_TRUE(IsTrack(Px(bar, 263, 5))) << qwtest::ColorText(Px(bar, 263, 5));
  // One fixed gradient: blue at the left, greener to the right.
  EXPECT_GT(BlueOf(Px(bar, 3, 9)), BlueOf(Px(bar, 250, 9)));
  EXPECT_LT(GreenOf(Px(bar, 3, 9)), GreenOf(Px(bar, 250, 9)));
  // Shading darkens towards the bottom.
  EXPECT_GT(GreenOf(Px(bar, 100, 3)), GreenOf(Px(bar, 100, 14)));
  // Square frame: the corner pixel carries the frame colour.
  EXPECT_GT(AlphaOf(Px(bar, 0, 0)), 60);
}

TEST(ProgressBar, EmptyAndFullBars) {
  HostedWindow w(600, 60);
  UiProgressBar bar;
  bar.Create(w.hwnd(), 32, 10, 524, 18, Square(0));
  EXPECT_EQ(bar.FillLength(), 0);
  for (int x = 2; x < 522; x += 13) ASSERT_TRUE(IsTrack(Px(bar, x, 5))) << x;
  bar.Position(100);
  EXPECT_EQ(bar.FillLength(), 520);
  for (int x = 2; x < 522; x += 13) ASSERT_TRUE(IsBar(Px(bar, x, 9))) << x;
  EXPECT_TRUE(IsBar(Px(bar, 521, 9)));
  EXPECT_FALSE(IsBar(Px(bar, 522, 9)));  // the 2-pixel margin stays track
}

TEST(ProgressBar, VerticalBarFillsFromTheBottom) {
  HostedWindow w(100, 160);
  UiProgressBar bar;
  ProgressBarOptions o = Square(25);
  o.vertical = true;
  bar.Create(w.hwnd(), 10, 10, 18, 104, o);
  EXPECT_EQ(bar.FillLength(), 25);  // inner height 100
  // Rows 77 .. 101 are filled.
  EXPECT_TRUE(IsBar(Px(bar, 9, 101))) << qwtest::ColorText(Px(bar, 9, 101));
  EXPECT_TRUE(IsBar(Px(bar, 9, 78)));
  EXPECT_TRUE(IsTrack(Px(bar, 4, 75))) << qwtest::ColorText(Px(bar, 4, 75));
  EXPECT_TRUE(IsTrack(Px(bar, 4, 10)));
  // Vertical gradient: colour 2 at the top, colour 1 at the bottom (over the whole element).
  bar.Position(100);
  EXPECT_GT(GreenOf(Px(bar, 9, 4)), GreenOf(Px(bar, 9, 99)));
}

TEST(ProgressBar, TrackColourZeroKeepsShadingAndFrame) {
  HostedWindow w(300, 60);
  UiProgressBar bar;
  ProgressBarOptions o = Square(0);
  o.trackColor = 0;
  bar.Create(w.hwnd(), 10, 10, 200, 20, o);
  EXPECT_EQ(bar.BackColor(), 0u);
  const Argb shade = Px(bar, 100, 17);
  EXPECT_GT(AlphaOf(shade), 10) << qwtest::ColorText(shade);
  EXPECT_LT(RedOf(shade), 10);
  EXPECT_LT(AlphaOf(Px(bar, 100, 3)), AlphaOf(shade));  // transparent at the top, darker below
  EXPECT_GT(AlphaOf(Px(bar, 100, 0)), 60);             // frame
  EXPECT_GT(AlphaOf(Px(bar, 0, 10)), 60);
  // Setting a track colour fills it again.
  bar.BackColor(MakeArgb(RGB(255, 255, 255), 210));
  EXPECT_TRUE(IsTrack(Px(bar, 100, 5)));
}

TEST(ProgressBar, EqualMinimumAndMaximumDrawAnEmptyBar) {
  HostedWindow w(300, 60);
  UiProgressBar bar;
  ProgressBarOptions o = Square(5);
  o.minimum = 5;
  o.maximum = 5;
  ASSERT_NE(bar.Create(w.hwnd(), 10, 10, 200, 20, o), 0u);
  EXPECT_EQ(bar.FillLength(), 0);
  for (int x = 2; x < 198; x += 11) ASSERT_TRUE(IsTrack(Px(bar, x, 5))) << x;
  bar.Position(9);
  EXPECT_EQ(bar.FillLength(), 0);
}

TEST(ProgressBar, NegativePositionDrawsNoBar) {
  HostedWindow w(300, 60);
  UiProgressBar bar;
  bar.Create(w.hwnd(), 10, 10, 200, 20, Square(-30));
  EXPECT_LT(bar.FillLength(), 0);
  for (int x = 0; x < 200; x += 3) ASSERT_FALSE(IsBar(Px(bar, x, 9))) << x;
}

TEST(ProgressBar, RoundedFrameLeavesTheCornersOpen) {
  HostedWindow w(300, 60);
  UiProgressBar bar;
  ProgressBarOptions o;
  o.position = 100;
  o.rounded = true;
  bar.Create(w.hwnd(), 10, 10, 200, 20, o);
  EXPECT_TRUE(bar.Rounded());
  EXPECT_LT(AlphaOf(Px(bar, 0, 0)), 40) << qwtest::ColorText(Px(bar, 0, 0));
  EXPECT_GT(AlphaOf(Px(bar, 100, 0)), 60);
  EXPECT_TRUE(IsBar(Px(bar, 100, 10)));
  EXPECT_FALSE(IsBar(Px(bar, 2, 2)));  // the bar's corner is rounded off too
  // Without a given value the host's frame mode decides (0 here: square).
  UiProgressBar byHost;
  byHost.Create(w.hwnd(), 10, 35, 200, 20);
  EXPECT_FALSE(byHost.Rounded());
}

TEST(ProgressBar, HooksCanReplaceTheDefaultDrawing) {
  class OwnBar : public UiProgressBar {
   public:
    RectF fill;
    int before = 0;

   protected:
    bool OnDrawBackground(const PaintContext&, const RectF&) override { return true; }
    bool OnDrawBar(const PaintContext&, const RectF&, const RectF& f) override {
      fill = f;
      return true;
    }
    void OnBeforeDraw(const PaintContext&, const RectF&) override { ++before; }
  };
  HostedWindow w(300, 60);
  OwnBar bar;
  bar.Create(w.hwnd(), 10, 10, 204, 20, Square(50));
  EXPECT_GE(bar.before, 1);
  EXPECT_EQ(bar.fill.x, 2);
  EXPECT_EQ(bar.fill.width, 100);
  for (int x = 0; x < 204; x += 5) ASSERT_EQ(AlphaOf(Px(bar, x, 10)), 0) << x;
}
