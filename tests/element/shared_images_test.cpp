// Decoded images shared by equal bytes: who gets the same image, who gets
// a new one, and that the table keeps nothing alive.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/test_env.h"
#include "tests/support/test_png.h"
#include "ui/core/image.h"
#include "ui/element/shared_images.h"

using namespace ui;

namespace {
constexpr Argb kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

Argb Pixel(const std::shared_ptr<const gp::Image>& image, int x, int y) {
  return qwtest::BitmapPixel(reinterpret_cast<Gdiplus::GpBitmap*>(image->get()), x, y);
}
}  // namespace

TEST(SharedImages, EqualBytesAtOneScaleShareOneDecodedImage) {
  const Bytes red = qwtest::SolidPng(12, 8, kRed);
  const Bytes redAgain = red;  // equal bytes at another address
  const Bytes blue = qwtest::SolidPng(12, 8, kBlue);

  auto first = SharedDecodedImage(red, kUnitScaleQuarters);
  ASSERT_TRUE(first && *first);
  EXPECT_EQ(Pixel(first, 3, 3), kRed);
  EXPECT_EQ(ImageWidth(first->get()), 12u);

  auto second = SharedDecodedImage(redAgain, kUnitScaleQuarters);
  EXPECT_EQ(second, first);

  // Other bytes, or the same bytes for another scale, are decoded apart.
  auto other = SharedDecodedImage(blue, kUnitScaleQuarters);
  ASSERT_TRUE(other && *other);
  EXPECT_NE(other, first);
  EXPECT_EQ(Pixel(other, 3, 3), kBlue);
  auto larger = SharedDecodedImage(red, 6);
  ASSERT_TRUE(larger && *larger);
  EXPECT_NE(larger, first);
}

TEST(SharedImages, TheTableKeepsNothingAliveAndDecodesAgainAfterwards) {
  const std::size_t before = LiveSharedImageCount();
  const Bytes red = qwtest::SolidPng(5, 5, kRed);
  {
    auto held = SharedDecodedImage(red, kUnitScaleQuarters);
    ASSERT_TRUE(held);
    EXPECT_EQ(LiveSharedImageCount(), before + 1);
  }
  EXPECT_EQ(LiveSharedImageCount(), before);
  auto again = SharedDecodedImage(red, kUnitScaleQuarters);
  ASSERT_TRUE(again && *again);
  EXPECT_EQ(Pixel(again, 4, 4), kRed);
}

TEST(SharedImages, EmptyAndUndecodableBytesGiveNothing) {
  const std::size_t before = LiveSharedImageCount();
  EXPECT_EQ(SharedDecodedImage({}, kUnitScaleQuarters), nullptr);
  const Bytes garbage{0x89, 'P', 'N', 'G', 0, 1, 2, 3};
  EXPECT_EQ(SharedDecodedImage(garbage, kUnitScaleQuarters), nullptr);
  EXPECT_EQ(LiveSharedImageCount(), before);
}
