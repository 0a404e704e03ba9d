// DisplayScale arithmetic: quarters from DPI values, clamping, rounding of
// lengths and coordinates, and where element surfaces land in device pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/host/display_scale.h"

using ui::DisplayScale;
using ui::RectF;

TEST(DisplayScaleArithmetic, QuartersComeFromTheNearestQuarterOfTheDpi) {
  const struct {
    UINT dpi;
    int quarters;
  } cases[] = {{96, 4}, {120, 5}, {144, 6}, {168, 7}, {192, 8}, {216, 9}, {240, 10}, {264, 11}, {288, 12},
               // between quarters: the nearest one, halves upwards
               {100, 4}, {107, 4}, {108, 5}, {131, 5}, {132, 6}, {150, 6}};
  for (const auto& c : cases) {
    const DisplayScale s = DisplayScale::FromDpi(c.dpi);
    EXPECT_EQ(s.Quarters(), c.quarters) << "dpi " << c.dpi;
  }
  for (int q = 4; q <= 12; ++q) {
    const DisplayScale s = DisplayScale::FromQuarters(q);
    EXPECT_EQ(DisplayScale::FromDpi(s.Dpi()).Quarters(), q);
    EXPECT_FLOAT_EQ(s.Factor(), q / 4.0f);
    EXPECT_EQ(s.IsUnit(), q == 4);
  }
}

TEST(DisplayScaleArithmetic, ScalesOutsideOneToThreeTimesAreClamped) {
  EXPECT_EQ(DisplayScale::FromDpi(0).Quarters(), 4);   // unknown: 100 %
  EXPECT_EQ(DisplayScale::FromDpi(48).Quarters(), 4);
  EXPECT_EQ(DisplayScale::FromDpi(72).Quarters(), 4);
  EXPECT_EQ(DisplayScale::FromDpi(312).Quarters(), 12);
  EXPECT_EQ(DisplayScale::FromDpi(480).Quarters(), 12);
  EXPECT_EQ(DisplayScale::FromDpi(0xFFFFFFFFu).Quarters(), 12);
  EXPECT_EQ(DisplayScale::FromQuarters(-3).Quarters(), 4);
  EXPECT_EQ(DisplayScale::FromQuarters(3).Quarters(), 4);
  EXPECT_EQ(DisplayScale::FromQuarters(13).Quarters(), 12);
  EXPECT_EQ(DisplayScale().Quarters(), 4);
}

TEST(DisplayScaleArithmetic, LengthsRoundHalfUp) {
  const DisplayScale s125 = DisplayScale::FromQuarters(5), s150 = DisplayScale::FromQuarters(6),
                     s175 = DisplayScale::FromQuarters(7), s200 = DisplayScale::FromQuarters(8);
  EXPECT_EQ(s125.ToDevice(438), 548);  // 547.5
  EXPECT_EQ(s125.ToDevice(588), 735);
  EXPECT_EQ(s150.ToDevice(438), 657);
  EXPECT_EQ(s150.ToDevice(588), 882);
  EXPECT_EQ(s150.ToDevice(7), 11);  // 10.5
  EXPECT_EQ(s175.ToDevice(3), 5);   // 5.25
  EXPECT_EQ(s175.ToDevice(2), 4);   // 3.5
  EXPECT_EQ(s200.ToDevice(438), 876);
  EXPECT_EQ(s150.ToDevice(10.4f), 16);  // 15.6
  EXPECT_EQ(s150.ToDevice(0), 0);
  EXPECT_EQ(s150.ToDevice(-4), -6);
  EXPECT_EQ(DisplayScale().ToDevice(437), 437);
  // Device back to logical is exact division.
  EXPECT_FLOAT_EQ(s150.ToLogical(657), 438.0f);
  EXPECT_FLOAT_EQ(s125.ToLogical(5), 4.0f);
  EXPECT_FLOAT_EQ(s200.ToLogical(3), 1.5f);
}

TEST(DisplayScaleArithmetic, SurfacesKeepTheirOriginAndTheirOwnSize) {
  const DisplayScale s150 = DisplayScale::FromQuarters(6);
  const RECT r = s150.ToDevice(RectF{11, 11, 100, 50});
  EXPECT_EQ(r.left, 17);  // 16.5
  EXPECT_EQ(r.top, 17);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 75);
  // The size is the surface's, whatever the origin's rounding did.
  EXPECT_EQ(s150.ToDevice(RectF{1, 0, 1, 1}).right - s150.ToDevice(RectF{1, 0, 1, 1}).left, s150.SurfaceLength(1));
  // A fractional logical size counts its whole pixels, but never below one.
  EXPECT_EQ(s150.SurfaceLength(10.9f), 15);
  EXPECT_EQ(s150.SurfaceLength(1.0f), 2);
  EXPECT_EQ(s150.SurfaceLength(0.5f), 0);
  EXPECT_EQ(s150.SurfaceLength(0), 0);
  EXPECT_EQ(s150.SurfaceLength(-3), 0);
  const RectF f = s150.ToDeviceF(RectF{11, 11, 100, 50});
  EXPECT_FLOAT_EQ(f.x, 17);
  EXPECT_FLOAT_EQ(f.width, 150);
  // 100 %: nothing moves.
  const RECT unit = DisplayScale().ToDevice(RectF{3, 4, 5, 6});
  EXPECT_EQ(unit.left, 3);
  EXPECT_EQ(unit.top, 4);
  EXPECT_EQ(unit.right, 8);
  EXPECT_EQ(unit.bottom, 10);
}

TEST(DisplayScaleArithmetic, CoverAreaHoldsEverySurfacePixelAtEveryQuarter) {
  // For any placement, the pixels a surface is copied to lie inside the
  // area a redraw of its logical rectangle restores (else a stale edge).
  for (int q = 4; q <= 12; ++q) {
    const DisplayScale s = DisplayScale::FromQuarters(q);
    for (int x = 0; x < 12; ++x) {
      for (float fraction : {0.0f, 0.25f, 0.5f, 0.75f}) {
        for (int w = 1; w < 9; ++w) {
          const RectF logical{x + fraction, 2 * x + fraction, float(w), float(w + 1)};
          const RECT placed = s.ToDevice(logical);
          // The whole pixels the redraw restores (partly covered ones included).
          const RectF cover = s.CoverDevice(logical);
          const float left = std::floor(cover.x), top = std::floor(cover.y);
          const float right = std::ceil(cover.x + cover.width), bottom = std::ceil(cover.y + cover.height);
          EXPECT_LE(left, placed.left) << q << " " << x << " " << w;
          EXPECT_LE(top, placed.top);
          EXPECT_GE(right, placed.right) << q << " " << x << " " << w;
          EXPECT_GE(bottom, placed.bottom);
          // ... and the exact scaled rectangle too (what a logical drawing touches).
          EXPECT_LE(left, std::floor(logical.x * s.Factor()));
          EXPECT_GE(right, std::ceil((logical.x + logical.width) * s.Factor()));
        }
      }
    }
  }
}

TEST(DisplayScaleArithmetic, NeighboursThatTouchDoNotOverlapOrGap) {
  // Two elements side by side in logical pixels: their surfaces meet in
  // device pixels at every quarter (whole logical coordinates).
  for (int q = 4; q <= 12; ++q) {
    const DisplayScale s = DisplayScale::FromQuarters(q);
    for (int x = 0; x < 20; ++x) {
      for (int w = 1; w < 20; ++w) {
        const RECT left = s.ToDevice(RectF{float(x), 0, float(w), 10});
        const RECT right = s.ToDevice(RectF{float(x + w), 0, 10, 10});
        EXPECT_LE(std::abs(left.right - right.left), 1) << "q " << q << " x " << x << " w " << w;
      }
    }
  }
}
