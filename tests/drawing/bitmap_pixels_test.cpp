// Pixels written directly must be exactly what GDI+ draws: blends of every
// kind of source pixel over a premultiplied canvas, the pixel a fill leaves,
// and refusals that leave the destination untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/drawing/canvas.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/host/canvas.h"

using namespace ui;

namespace {

constexpr int kW = 64, kH = 24;

// A straight-alpha source with every kind of alpha, in runs (as text over a
// fill gives) and alone.
gp::Bitmap Source(Gdiplus::PixelFormat format, std::mt19937& random) {
  gp::Bitmap bitmap;
  gp::GdipCreateBitmapFromScan0(kW, kH, 0, format, nullptr, bitmap.put());
  const int alphas[] = {0, 1, 64, 128, 160, 200, 254, 255};
  Argb run = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      if (x % 7 == 0) {
        const int a = alphas[random() % 8];
        run = ArgbOf(a, random() & 0xFF, random() & 0xFF, random() & 0xFF);
      }
      gp::GdipBitmapSetPixel(bitmap.get(), x, y, run);
    }
  return bitmap;
}

// A window canvas (premultiplied DIB) filled with a mix of opaque and
// translucent colours.
void Paint(Canvas& canvas, unsigned seed) {
  std::mt19937 random(seed);
  const PixelRows rows = canvas.Pixels();
  for (int y = 0; y < rows.height; ++y)
    for (int x = 0; x < rows.width; ++x) {
      const std::uint32_t a = (x + y) % 3 == 0 ? 255 : random() & 0xFF;
      const auto premultiplied = [&] { return (random() & 0xFF) * a / 255; };
      reinterpret_cast<std::uint32_t*>(rows.Row(y))[x] = a << 24 | premultiplied() << 16 | premultiplied() << 8 |
                                                         premultiplied();
    }
}

std::vector<std::uint32_t> PixelsOf(const Canvas& canvas) {
  GdiFlush();
  std::vector<std::uint32_t> out;
  const PixelRows rows = canvas.Pixels();
  for (int y = 0; y < rows.height; ++y)
    for (int x = 0; x < rows.width; ++x) out.push_back(reinterpret_cast<const std::uint32_t*>(rows.Row(y))[x]);
  return out;
}

// A window canvas a little larger than the source.
struct WindowCanvas : Canvas {
  WindowCanvas() {
    HDC screen = GetDC(nullptr);
    Create(screen, kW + 10, kH + 6, true);
    ReleaseDC(nullptr, screen);
  }
};

}  // namespace

TEST(PixelBlender, DrawsEveryKindOfPixelExactlyAsGdiplusAndRemembersItsBlends) {
  for (const Gdiplus::PixelFormat format : {PixelFormat32bppARGB, PixelFormat32bppPARGB}) {
    SCOPED_TRACE(format == PixelFormat32bppARGB ? "straight source" : "premultiplied source");
    std::mt19937 random(7);
    const gp::Bitmap source = Source(format, random);
    WindowCanvas drawn, blended;
    ASSERT_TRUE(drawn && blended && drawn.graphics());
    Paint(drawn, 3);
    Paint(blended, 3);
    // GDI+ draws the part (4, 2)-(28, 12) of the source at (9, 5): few
    // enough pixels over a random canvas to be blended in one batch.
    const RECT part{4, 2, 28, 12};
    gp::GdipDrawImageRectRectI(drawn.graphics(), reinterpret_cast<Gdiplus::GpImage*>(source.get()), 9, 5, 24, 10, 4, 2,
                               24, 10, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    gp::GdipFlush(drawn.graphics(), Gdiplus::FlushIntentionSync);
    PixelBlender blender;
    ASSERT_TRUE(blender.Draw(source.get(), part, blended.Pixels(), 9, 5, blended.graphics()));
    EXPECT_TRUE(PixelsOf(drawn) == PixelsOf(blended)) << "a blended pixel differs from GDI+'s";
    EXPECT_GT(blender.Known(), 0u);

    // The same part again over the same pixels: every blend is known.
    Paint(drawn, 3);
    Paint(blended, 3);
    const std::size_t known = blender.Known();
    ASSERT_TRUE(blender.Draw(source.get(), part, blended.Pixels(), 9, 5, blended.graphics()));
    EXPECT_EQ(blender.Known(), known);
    gp::GdipDrawImageRectRectI(drawn.graphics(), reinterpret_cast<Gdiplus::GpImage*>(source.get()), 9, 5, 24, 10, 4, 2,
                               24, 10, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    gp::GdipFlush(drawn.graphics(), Gdiplus::FlushIntentionSync);
    EXPECT_TRUE(PixelsOf(drawn) == PixelsOf(blended));
  }
}

TEST(PixelBlender, FollowsTheCanvasCompositingSettings) {
  std::mt19937 random(11);
  const gp::Bitmap source = Source(PixelFormat32bppARGB, random);
  const RECT part{0, 0, 24, 10};
  PixelBlender blender;
  {
    WindowCanvas canvas;
    ASSERT_TRUE(canvas);
    Paint(canvas, 9);
    ASSERT_TRUE(blender.Draw(source.get(), part, canvas.Pixels(), 0, 0, canvas.graphics()));
  }
  // The same pairs under another quality are blended again, as GDI+ blends them then.
  WindowCanvas drawn, blended;
  ASSERT_TRUE(drawn && blended);
  Paint(drawn, 9);
  Paint(blended, 9);
  gp::GdipSetCompositingQuality(drawn.graphics(), Gdiplus::CompositingQualityGammaCorrected);
  gp::GdipSetCompositingQuality(blended.graphics(), Gdiplus::CompositingQualityGammaCorrected);
  gp::GdipDrawImageRectRectI(drawn.graphics(), reinterpret_cast<Gdiplus::GpImage*>(source.get()), 0, 0, 24, 10, 0, 0,
                             24, 10, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
  gp::GdipFlush(drawn.graphics(), Gdiplus::FlushIntentionSync);
  ASSERT_TRUE(blender.Draw(source.get(), part, blended.Pixels(), 0, 0, blended.graphics()));
  EXPECT_TRUE(PixelsOf(drawn) == PixelsOf(blended));
  // A canvas that copies instead of drawing over is left to GDI+.
  gp::GdipSetCompositingMode(blended.graphics(), Gdiplus::CompositingModeSourceCopy);
  const std::vector<std::uint32_t> before = PixelsOf(blended);
  EXPECT_FALSE(blender.Draw(source.get(), part, blended.Pixels(), 0, 0, blended.graphics()));
  EXPECT_TRUE(PixelsOf(blended) == before);
}

TEST(PixelBlender, RefusesWhatItCannotDrawAndLeavesTheCanvasAlone) {
  WindowCanvas canvas;
  ASSERT_TRUE(canvas);
  Paint(canvas, 5);
  const std::vector<std::uint32_t> before = PixelsOf(canvas);
  PixelBlender blender;
  gp::Bitmap rgb24;
  gp::GdipCreateBitmapFromScan0(kW, kH, 0, PixelFormat24bppRGB, nullptr, rgb24.put());
  EXPECT_FALSE(blender.Draw(rgb24.get(), RECT{0, 0, 8, 8}, canvas.Pixels(), 0, 0, canvas.graphics()));
  std::mt19937 random(1);
  const gp::Bitmap source = Source(PixelFormat32bppARGB, random);
  EXPECT_FALSE(blender.Draw(source.get(), RECT{0, 0, kW + 1, 8}, canvas.Pixels(), 0, 0, canvas.graphics()))
      << "a part beyond the source";
  EXPECT_FALSE(blender.Draw(source.get(), RECT{0, 0, 8, 8}, canvas.Pixels(), kW + 5, 0, canvas.graphics()))
      << "a place beyond the canvas";
  EXPECT_FALSE(blender.Draw(nullptr, RECT{0, 0, 8, 8}, canvas.Pixels(), 0, 0, canvas.graphics()));
  EXPECT_FALSE(blender.Draw(source.get(), RECT{0, 0, kW, kH}, canvas.Pixels(), 0, 0, canvas.graphics()))
      << "translucent pixels over a canvas of random colours: nearly every pair is new";
  EXPECT_EQ(blender.Known(), 0u);
  EXPECT_TRUE(PixelsOf(canvas) == before);
}

TEST(FilledPixel, IsThePixelAGdiplusFillLeavesOnACleanedBitmap) {
  TestCanvas like(4, 4);
  for (const Argb colour : {ArgbOf(160, 255, 255, 255), ArgbOf(255, 12, 200, 99), ArgbOf(1, 90, 80, 70),
                            ArgbOf(77, 251, 3, 128)}) {
    TestCanvas c(6, 6);
    gp::GdipGraphicsClear(c.g(), 0);
    c.Fill(0, 0, 6, 6, colour);
    const std::optional<Argb> pixel = FilledPixel(colour, like.g());
    ASSERT_TRUE(pixel.has_value());
    EXPECT_EQ(*pixel, c.At(3, 3));
  }
}

TEST(FillArgbPixels, SetsTheAreaOnlyAndOnlyOnStraightBitmaps) {
  TestCanvas c(8, 6);
  ASSERT_TRUE(FillArgbPixels(c.bitmap.get(), RECT{2, 1, 5, 4}, 0x80102030u));
  EXPECT_EQ(c.At(2, 1), 0x80102030u);
  EXPECT_EQ(c.At(4, 3), 0x80102030u);
  EXPECT_EQ(c.At(5, 3), 0u);
  EXPECT_EQ(c.At(2, 4), 0u);
  EXPECT_FALSE(FillArgbPixels(c.bitmap.get(), RECT{6, 0, 9, 2}, 0xFFFFFFFFu)) << "beyond the bitmap";
  gp::Bitmap premultiplied;
  gp::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppPARGB, nullptr, premultiplied.put());
  EXPECT_FALSE(FillArgbPixels(premultiplied.get(), RECT{0, 0, 2, 2}, 0xFFFFFFFFu));
}

// Whatever the settings, rectangle, colour, clip, transform or pixels under
// it, the fill leaves exactly GDI+'s pixels.
TEST(FillSolidRect, LeavesExactlyWhatAGdiplusFillLeaves) {
  constexpr int w = 16, h = 12;
  // Under the fill: a picture, a cleared element, one colour all over.
  const auto paint = [](TestCanvas& c, int under) {
    std::mt19937 random(5);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Argb picture = (x + y) % 4 == 0 ? 0u : static_cast<Argb>(random());
        gp::GdipBitmapSetPixel(c.bitmap.get(), x, y, under == 0 ? picture : under == 1 ? 0u : 0x80402010u);
      }
  };
  const Gdiplus::RectF rects[] = {{2, 1, 9, 5}, {-3, -2, 8, 6}, {10, 4, 20, 20}, {2.5f, 1, 5, 3}, {0, 0, w, h}};
  const Argb colours[] = {ArgbOf(255, 12, 200, 99), ArgbOf(254, 255, 255, 255), ArgbOf(160, 255, 255, 255),
                          ArgbOf(1, 40, 50, 60)};
  for (const Gdiplus::SmoothingMode smoothing : {Gdiplus::SmoothingModeAntiAlias, Gdiplus::SmoothingModeNone})
    for (const Gdiplus::PixelOffsetMode offset : {Gdiplus::PixelOffsetModeDefault, Gdiplus::PixelOffsetModeHalf})
      for (const Gdiplus::CompositingMode mode : {Gdiplus::CompositingModeSourceOver, Gdiplus::CompositingModeSourceCopy})
        for (int under = 0; under < 3; ++under)
          for (int variant = 0; variant < 3; ++variant)  // plain, clipped, scaled
            for (const Gdiplus::RectF& rect : rects)
              for (const Argb colour : colours) {
                SCOPED_TRACE(testing::Message() << "smoothing " << smoothing << " offset " << offset << " mode "
                                                << mode << " under " << under << " variant " << variant << " rect "
                                                << rect.X << "," << rect.Y << " " << rect.Width << "x"
                                                << rect.Height << " colour " << std::hex << colour);
                TestCanvas byGdiplus(w, h), direct(w, h);
                for (TestCanvas* c : {&byGdiplus, &direct}) {
                  paint(*c, under);
                  gp::GdipSetSmoothingMode(c->g(), smoothing);
                  gp::GdipSetPixelOffsetMode(c->g(), offset);
                  gp::GdipSetCompositingMode(c->g(), mode);
                  if (variant == 1) gp::GdipSetClipRect(c->g(), 3, 2, 6, 7, Gdiplus::CombineModeReplace);
                  if (variant == 2) gp::GdipScaleWorldTransform(c->g(), 1.5f, 1.5f, Gdiplus::MatrixOrderPrepend);
                }
                byGdiplus.Fill(rect.X, rect.Y, rect.Width, rect.Height, colour);
                FillSolidRect(direct.g(), direct.bitmap.get(), rect, colour);
                for (int y = 0; y < h; ++y)
                  for (int x = 0; x < w; ++x) ASSERT_EQ(direct.At(x, y), byGdiplus.At(x, y)) << x << "," << y;
              }
}
