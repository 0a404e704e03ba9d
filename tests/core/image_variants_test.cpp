// Larger drawings of images: which drawing a display scale gets, and what
// the decoded drawing reports to layout and drawing code.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_env.h"
#include "tests/support/test_png.h"
#include "ui/core/image.h"
#include "ui/core/image_variants.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

namespace {

constexpr Argb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

class ImageVariants : public testing::Test {
 protected:
  void SetUp() override { ClearImageVariants(); }
  void TearDown() override { ClearImageVariants(); }

  // A 10 x 6 image in red with its drawings at 150 % (15 x 9, green) and
  // 200 % (20 x 12, blue): the colour tells which one was decoded.
  const Bytes base = qwtest::SolidPng(10, 6, kRed);
  const Bytes x150 = qwtest::SolidPng(15, 9, kGreen);
  const Bytes x200 = qwtest::SolidPng(20, 12, kBlue);
};

bool Is(const ImageVariant& v, ByteView bytes, int quarters) {
  return v.bytes.data() == bytes.data() && v.bytes.size() == bytes.size() && v.quarters == quarters;
}

Argb Pixel(Gdiplus::GpImage* image, int x, int y) {
  return qwtest::BitmapPixel(reinterpret_cast<Gdiplus::GpBitmap*>(image), x, y);
}

}  // namespace

TEST_F(ImageVariants, EachScaleGetsTheSmallestDrawingAtOrAboveIt) {
  RegisterImageVariants(base, x150, x200);
  EXPECT_TRUE(Is(PickImageVariant(base, 4), base, 4));
  EXPECT_TRUE(Is(PickImageVariant(base, 5), x150, 6));   // 125 %: drawn down from 150 %
  EXPECT_TRUE(Is(PickImageVariant(base, 6), x150, 6));
  EXPECT_TRUE(Is(PickImageVariant(base, 7), x200, 8));   // 175 %
  EXPECT_TRUE(Is(PickImageVariant(base, 8), x200, 8));
  EXPECT_TRUE(Is(PickImageVariant(base, 12), x200, 8));  // above every drawing: the largest
  EXPECT_TRUE(Is(PickImageVariant(base, 0), base, 4));
}

TEST_F(ImageVariants, AMissingDrawingIsSkipped) {
  RegisterImageVariants(base, {}, x200);
  EXPECT_TRUE(Is(PickImageVariant(base, 5), x200, 8));
  EXPECT_TRUE(Is(PickImageVariant(base, 6), x200, 8));
  RegisterImageVariants(base, x150, {});  // replaces the registration above
  EXPECT_TRUE(Is(PickImageVariant(base, 8), x150, 6));
  EXPECT_TRUE(Is(PickImageVariant(base, 12), x150, 6));
  RegisterImageVariants(base, {}, {});
  EXPECT_TRUE(Is(PickImageVariant(base, 8), base, 4));
}

TEST_F(ImageVariants, ImagesAreFoundByTheirBytesNotTheirAddress) {
  RegisterImageVariants(base, x150, x200);
  const Bytes copy = base;  // elements keep copies of the bytes they are given
  EXPECT_TRUE(Is(PickImageVariant(copy, 8), x200, 8));

  // Unregistered: the image itself at 100 %, at any scale.
  const Bytes other = qwtest::SolidPng(10, 6, kGreen);
  EXPECT_TRUE(Is(PickImageVariant(other, 8), other, 4));
  EXPECT_TRUE(PickImageVariant({}, 8).bytes.empty());

  // Same size and same first and last bytes, one byte different in the
  // middle: not the registered image.
  Bytes longBase(400, 7), nearCopy(400, 7);
  nearCopy[200] = 8;
  RegisterImageVariants(longBase, x150, x200);
  EXPECT_TRUE(Is(PickImageVariant(longBase, 8), x200, 8));
  EXPECT_TRUE(Is(PickImageVariant(nearCopy, 8), nearCopy, 4));
}

TEST_F(ImageVariants, ADecodedDrawingKeepsItsLogicalSize) {
  RegisterImageVariants(base, x150, x200);
  struct Case {
    int scale;
    std::uint32_t pixelWidth, pixelHeight;
    Argb colour;
    float factor;
  };
  for (const Case& c : {Case{4, 10, 6, kRed, 1.0f}, Case{6, 15, 9, kGreen, 1.5f}, Case{8, 20, 12, kBlue, 2.0f}}) {
    SCOPED_TRACE(c.scale);
    gp::Image copy = ImageFromMemory(base, false, c.scale);
    KeptImage kept = KeptImage::Decode(base, false, c.scale);
    for (Gdiplus::GpImage* image : {copy.get(), kept.get()}) {
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(ImageWidth(image), c.pixelWidth);  // source rectangles count pixels
      EXPECT_EQ(ImageHeight(image), c.pixelHeight);
      EXPECT_EQ(ImageLogicalWidth(image), 10u);     // layout counts the 100 % size
      EXPECT_EQ(ImageLogicalHeight(image), 6u);
      EXPECT_FLOAT_EQ(ImagePixelsPerLogical(image), c.factor);
      EXPECT_EQ(IsLargerDrawing(image), c.scale != 4);
      EXPECT_EQ(Pixel(image, 1, 1), c.colour);
    }
    EXPECT_EQ(kept.DrawnAt(), c.scale);
  }
  // An image never registered: its own pixels at every scale.
  gp::Image plain = ImageFromMemory(qwtest::SolidPng(7, 3, kGreen), false, 8);
  ASSERT_TRUE(plain);
  EXPECT_EQ(ImageLogicalWidth(plain.get()), 7u);
  EXPECT_EQ(ImageWidth(plain.get()), 7u);
  EXPECT_FALSE(IsLargerDrawing(plain.get()));
}

TEST_F(ImageVariants, StripsWithoutSignatureAndBrokenDrawings) {
  // Registered and decoded without the PNG signature, as the glyph strip is.
  const ByteView bare = ByteView(base).subspan(8), bare200 = ByteView(x200).subspan(8);
  RegisterImageVariants(bare, {}, bare200);
  gp::Image strip = ImageFromMemory(bare, true, 8);
  ASSERT_TRUE(strip);
  EXPECT_EQ(ImageWidth(strip.get()), 20u);
  EXPECT_EQ(ImageLogicalWidth(strip.get()), 10u);

  // A larger drawing that does not decode: the image itself is shown.
  const Bytes broken(64, 0x5A);
  RegisterImageVariants(base, broken, {});
  gp::Image shown = ImageFromMemory(base, false, 6);
  ASSERT_TRUE(shown);
  EXPECT_EQ(ImageWidth(shown.get()), 10u);
  EXPECT_EQ(Pixel(shown.get(), 1, 1), kRed);
  KeptImage kept = KeptImage::Decode(base, false, 6);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept.DrawnAt(), 4);
  EXPECT_FALSE(IsLargerDrawing(kept.get()));
}

TEST_F(ImageVariants, OnlyLargerDrawingsChangeTheInterpolation) {
  RegisterImageVariants(base, x150, x200);
  gp::Bitmap target;
  ASSERT_TRUE(gp::Ok(gp::GdipCreateBitmapFromScan0(16, 16, 0, PixelFormat32bppARGB, nullptr, target.put())));
  gp::Graphics g;
  ASSERT_TRUE(gp::Ok(gp::GdipGetImageGraphicsContext(target.get(), g.put())));
  ASSERT_TRUE(gp::Ok(gp::GdipSetInterpolationMode(g.get(), Gdiplus::InterpolationModeNearestNeighbor)));
  auto mode = [&g] {
    Gdiplus::InterpolationMode m = Gdiplus::InterpolationModeInvalid;
    gp::GdipGetInterpolationMode(g.get(), &m);
    return m;
  };
  gp::Image unit = ImageFromMemory(base, false, 4);
  gp::Image twice = ImageFromMemory(base, false, 8);
  {
    const LargerDrawingInterpolation keep(g.get(), unit.get());
    EXPECT_EQ(mode(), Gdiplus::InterpolationModeNearestNeighbor);
  }
  {
    const LargerDrawingInterpolation smooth(g.get(), twice.get());
    EXPECT_EQ(mode(), Gdiplus::InterpolationModeHighQualityBicubic);
  }
  EXPECT_EQ(mode(), Gdiplus::InterpolationModeNearestNeighbor);
  const LargerDrawingInterpolation none(nullptr, twice.get());  // no graphics: nothing to do
}
