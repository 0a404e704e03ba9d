// Window-free layout arithmetic: scroll-bar thumb and value mapping, the
// selected span of each line and the point-to-column search.
#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/edit_geometry.h"
#include "ui/controls/scroll_bar_geometry.h"

using namespace ui;

namespace {

ScrollBarGeometry VerticalBar(float height, int minimum, int maximum) {
  ScrollBarGeometry g;
  g.horizontal = false;
  g.minimum = minimum;
  g.maximum = maximum;
  g.minimumOffset = -minimum;
  g.Layout(10, height);
  return g;
}

}  // namespace

TEST(ScrollBarGeometry, ArrowsAndTrackOfBothOrientations) {
  ScrollBarGeometry h;
  h.Layout(200, 10);
  EXPECT_EQ(h.arrow1Rect.X, 0);
  EXPECT_EQ(h.arrow1Rect.Width, 9);
  EXPECT_EQ(h.arrow2Rect.X, 191);
  EXPECT_EQ(h.trackRect.X, 10);
  EXPECT_EQ(h.trackRect.Y, 1);
  EXPECT_EQ(h.trackRect.Width, 180);
  EXPECT_EQ(h.trackRect.Height, 8);
  EXPECT_EQ(h.thumbLength, 180 * 180 / 280);

  ScrollBarGeometry v = VerticalBar(100, 0, 100);
  EXPECT_EQ(v.arrow2Rect.Y, 91);
  EXPECT_EQ(v.arrow2Rect.Height, 9);
  EXPECT_EQ(v.trackRect.Y, 10);
  EXPECT_EQ(v.trackRect.Height, 80);
}

TEST(ScrollBarGeometry, ThumbLengthShrinksWithTheRangeDownToThirty) {
  EXPECT_EQ(VerticalBar(100, 0, 100).thumbLength, 35);  // trunc(80 * 80 / 180)
  EXPECT_EQ(VerticalBar(100, 0, 1000).thumbLength, 30);
  ScrollBarGeometry g = VerticalBar(100, 0, 100);
  g.maximum = 20;
  g.UpdateThumbLength();
  EXPECT_EQ(g.thumbLength, 64);
  g.maximum = 0;
  g.UpdateThumbLength();
  EXPECT_EQ(g.thumbLength, 0);
}

TEST(ScrollBarGeometry, EmptyOrNegativeRangesHaveNoThumbAndNeverDivideByZero) {
  // Maximum at or below minimum.
  for (auto [minimum, maximum] : std::vector<std::pair<int, int>>{{0, 0}, {10, 10}, {50, 20}}) {
    ScrollBarGeometry g = VerticalBar(100, minimum, maximum);
    EXPECT_EQ(g.thumbLength, 0) << minimum << ".." << maximum;
    g.UpdateThumbLength();
    EXPECT_EQ(g.thumbLength, 0);
    EXPECT_EQ(g.ThumbStart(15), g.TrackStart());
    EXPECT_EQ(g.PositionFromPoint(60), minimum);
  }
  // A track exactly as long as the negative maximum.
  ScrollBarGeometry g = VerticalBar(100, -200, -80);
  EXPECT_EQ(g.thumbLength, 0);
  EXPECT_EQ(g.PositionFromPoint(40), -200);
}

TEST(ScrollBarGeometry, ThumbStartAndPositionFromPointAreInverse) {
  ScrollBarGeometry g = VerticalBar(100, 0, 100);  // track 10..90, thumb 35
  EXPECT_EQ(g.ThumbStart(0), 10);
  EXPECT_EQ(g.ThumbStart(100), 10 + 45);
  EXPECT_FLOAT_EQ(g.ThumbStart(50), 10 + 22.5f);
  EXPECT_EQ(g.PositionFromPoint(32.5f), 50);
  // Past either end gives exactly the limits.
  EXPECT_EQ(g.PositionFromPoint(10), 0);
  EXPECT_EQ(g.PositionFromPoint(-40), 0);
  EXPECT_EQ(g.PositionFromPoint(55), 100);
  EXPECT_EQ(g.PositionFromPoint(400), 100);
  const Gdiplus::RectF thumb = g.ThumbRect(100);
  EXPECT_EQ(thumb.Y, 55);
  EXPECT_EQ(thumb.Height, 35);
  EXPECT_EQ(thumb.X, 1);
  EXPECT_EQ(thumb.Width, 8);
}

TEST(SelectedSpan, SingleLineSelectionInEitherDirection) {
  const TextPosition a{2, 1}, c{2, 4};
  auto s = SelectedSpanOnLine(2, 6, a, c);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->first, 1);
  EXPECT_EQ(s->length, 3);
  s = SelectedSpanOnLine(2, 6, c, a);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->first, 1);
  EXPECT_EQ(s->length, 3);
  EXPECT_FALSE(SelectedSpanOnLine(2, 6, a, a));
  EXPECT_FALSE(SelectedSpanOnLine(1, 6, a, c));
}

TEST(SelectedSpan, ThreeLinesDownwardsAndUpwards) {
  // Lines of 5, 4 and 6 characters; anchor at (1, 2), caret at (3, 3).
  const TextPosition anchor{1, 2}, caret{3, 3};
  for (bool reversed : {false, true}) {
    const TextPosition a = reversed ? caret : anchor, c = reversed ? anchor : caret;
    auto first = SelectedSpanOnLine(1, 5, a, c);
    auto middle = SelectedSpanOnLine(2, 4, a, c);
    auto last = SelectedSpanOnLine(3, 6, a, c);
    ASSERT_TRUE(first && middle && last) << reversed;
    EXPECT_EQ(first->first, 2);
    EXPECT_EQ(first->length, 3);
    EXPECT_EQ(middle->first, 0);
    EXPECT_EQ(middle->length, 4);
    EXPECT_EQ(last->first, 0);
    EXPECT_EQ(last->length, 3);
    EXPECT_FALSE(SelectedSpanOnLine(4, 6, a, c));
  }
  // Starting at the end of the first line selects nothing there.
  EXPECT_FALSE(SelectedSpanOnLine(1, 5, TextPosition{1, 5}, caret));
  // An empty middle line has nothing to highlight.
  EXPECT_FALSE(SelectedSpanOnLine(2, 0, anchor, caret));
}

TEST(ColumnAtPoint, FindsTheCharacterAndItsHalf) {
  // Ten characters of 8 px from x = 0 on one row (y 0..14).
  const auto bounds = [](int i, Gdiplus::RectF* r) {
    if (i < 0 || i >= 10) return false;
    *r = Gdiplus::RectF(8.0f * i, 0, 8, 14);
    return true;
  };
  EXPECT_EQ(ColumnAtPoint(10, 0, 7, bounds), 0);
  EXPECT_EQ(ColumnAtPoint(10, 3, 7, bounds), 0);   // left half of the first
  EXPECT_EQ(ColumnAtPoint(10, 5, 7, bounds), 1);   // right half of the first
  EXPECT_EQ(ColumnAtPoint(10, 42, 7, bounds), 5);  // right half of character 4
  EXPECT_EQ(ColumnAtPoint(10, 79, 7, bounds), 10);
  EXPECT_EQ(ColumnAtPoint(10, 500, 7, bounds), 10);  // right of the end
  EXPECT_EQ(ColumnAtPoint(10, 21, -4, bounds), 3);   // just above the row still hits it
  EXPECT_EQ(ColumnAtPoint(0, 20, 7, bounds), 0);
}

TEST(ColumnAtPoint, WrappedRowsAreSearchedByRowFirst) {
  // Twelve characters wrapped into two rows of six, 10 px wide, rows 16 px.
  const auto bounds = [](int i, Gdiplus::RectF* r) {
    if (i < 0 || i >= 12) return false;
    *r = Gdiplus::RectF(10.0f * (i % 6), 16.0f * (i / 6), 10, 16);
    return true;
  };
  EXPECT_EQ(ColumnAtPoint(12, 12, 24, bounds), 7);  // second row, left half of its second
  EXPECT_EQ(ColumnAtPoint(12, 58, 4, bounds), 6);   // first row, right half of its last
  EXPECT_EQ(ColumnAtPoint(12, 2, 30, bounds), 6);
}
