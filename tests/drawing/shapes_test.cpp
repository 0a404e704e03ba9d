// Rounded rectangles.
#include <gtest/gtest.h>

#include "tests/drawing/canvas.h"
#include "ui/core/shapes.h"

using namespace ui;

TEST(RoundedRect, FillLeavesCornersAndStaysInside) {
  TestCanvas c(40, 30);
  FillRoundedRect(c.g(), 0, 0, 40, 30, 12, 0xFF0000FFu);
  EXPECT_EQ(AlphaOf(c.At(0, 0)), 0) << "corner must stay clear";
  EXPECT_EQ(AlphaOf(c.At(39, 29)), 0);
  EXPECT_EQ(c.At(20, 15), 0xFF0000FFu);
  EXPECT_EQ(c.At(20, 0) & 0x00FFFFFFu, 0x0000FFu);  // top edge reached between the corners
  // Right and bottom arcs stand one pixel inside the area.
  EXPECT_EQ(AlphaOf(c.At(39, 15)), 0);
}

TEST(RoundedRect, ZeroCornerIsAPlainRectangleOutline) {
  TestCanvas c(20, 10);
  DrawRoundedRect(c.g(), 0, 0, 20, 10, 0, 0xFFFF0000u);
  EXPECT_GT(AlphaOf(c.At(0, 0)), 100);
  EXPECT_GT(AlphaOf(c.At(19, 9)), 100);
  EXPECT_EQ(AlphaOf(c.At(10, 5)), 0);
}

TEST(RoundedRect, NullGraphicsIsIgnored) {
  FillRoundedRect(nullptr, 0, 0, 10, 10, 4, 0xFFFFFFFFu);
  DrawRoundedRect(nullptr, 0, 0, 10, 10, 4, 0xFFFFFFFFu);
  EXPECT_TRUE(RoundedRectPath(0, 0, 10, 10, 4));
}
