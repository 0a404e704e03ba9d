// The installer's artwork drawn at 150 % and 200 %: sizes, that the drawings
// show the same picture as the 100 % image, and that the installer's
// registration makes decoding for a scale pick them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/resources/resources.h"
#include "tests/support/test_env.h"
#include "ui/controls/menu_tick_png.h"
#include "ui/core/image.h"
#include "ui/core/image_variants.h"

using namespace app::resources;

namespace {

std::uint32_t RoundedOneAndAHalf(std::uint32_t length) {
  return static_cast<std::uint32_t>(std::floor(length * 1.5 + 0.5));
}

Gdiplus::GpBitmap* AsBitmap(const ui::gp::Image& image) {
  return reinterpret_cast<Gdiplus::GpBitmap*>(image.get());
}

// `image` drawn down (high-quality) to `width` x `height`.
ui::gp::Image Reduced(const ui::gp::Image& image, std::uint32_t width, std::uint32_t height) {
  ui::gp::Bitmap out;
  ui::gp::GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, PixelFormat32bppARGB,
                                    nullptr, out.put());
  if (!out) return {};
  {
    ui::gp::Graphics g;
    ui::gp::GdipGetImageGraphicsContext(out.get(), g.put());
    ui::gp::GdipSetInterpolationMode(g.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    ui::gp::GdipSetPixelOffsetMode(g.get(), Gdiplus::PixelOffsetModeHalf);
    ui::gp::GdipDrawImageRect(g.get(), image.get(), 0, 0, static_cast<float>(width), static_cast<float>(height));
  }
  return ui::gp::Image(out.release());
}

// Mean difference per pixel of premultiplied channels (0..255) between the
// 100 % image and a larger drawing brought down to its size: small when the
// drawing shows the same picture, large for another image of that size.
double MeanDifference(const ui::gp::Image& base, const ui::gp::Image& larger) {
  const std::uint32_t w = ui::ImageWidth(base.get()), h = ui::ImageHeight(base.get());
  ui::gp::Image reduced = Reduced(larger, w, h);
  if (!reduced) return 255;
  double sum = 0;
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      const ui::Argb p = qwtest::BitmapPixel(AsBitmap(base), static_cast<int>(x), static_cast<int>(y));
      const ui::Argb q = qwtest::BitmapPixel(AsBitmap(reduced), static_cast<int>(x), static_cast<int>(y));
      const double pa = (p >> 24) / 255.0, qa = (q >> 24) / 255.0;
      sum += std::abs(static_cast<double>(p >> 24) - static_cast<double>(q >> 24));
      for (int shift : {16, 8, 0})
        sum += std::abs(pa * ((p >> shift) & 0xFF) - qa * ((q >> shift) & 0xFF));
    }
  }
  return sum / (4.0 * w * h);
}

void ExpectSamePicture(const ui::gp::Image& base, const ui::gp::Image& larger) {
  EXPECT_LT(MeanDifference(base, larger), 12.0);
}

// Every image with its larger drawings, and how it decodes.
struct Drawings {
  const char* name;
  ui::ByteView base, x150, x200;
  bool withoutSignature;
};

std::vector<Drawings> AllDrawings() {
  std::vector<Drawings> all{{"glyph strip", LibraryGlyphStrip(), LibraryGlyphStrip150(), LibraryGlyphStrip200(), true},
                            {"menu tick", ui::MenuTickPng(), ui::MenuTickPng150(), ui::MenuTickPng200(), false}};
  int i = 0;
  for (const ArtworkDrawings& a : WindowArtwork()) {
    static const char* const kNames[] = {"background", "close normal", "close hover", "big button normal",
                                         "big button hover", "browse normal", "browse hover"};
    all.push_back({kNames[i++], a.base, a.x150, a.x200, false});
  }
  return all;
}

}  // namespace

TEST(LargerArtwork, EveryImageIsDrawnAtOneAndAHalfAndTwiceItsSize) {
  const std::vector<Drawings> all = AllDrawings();
  ASSERT_EQ(all.size(), 9u);
  for (const Drawings& d : all) {
    SCOPED_TRACE(d.name);
    // Decoded as they are (never through the registry: scale 100 %).
    ui::gp::Image base = ui::ImageFromMemory(d.base, d.withoutSignature);
    ui::gp::Image x150 = ui::ImageFromMemory(d.x150, d.withoutSignature);
    ui::gp::Image x200 = ui::ImageFromMemory(d.x200, d.withoutSignature);
    ASSERT_TRUE(base && x150 && x200);
    const std::uint32_t w = ui::ImageWidth(base.get()), h = ui::ImageHeight(base.get());
    EXPECT_EQ(ui::ImageWidth(x150.get()), RoundedOneAndAHalf(w));
    EXPECT_EQ(ui::ImageHeight(x150.get()), RoundedOneAndAHalf(h));
    EXPECT_EQ(ui::ImageWidth(x200.get()), 2 * w);
    EXPECT_EQ(ui::ImageHeight(x200.get()), 2 * h);
    // The same picture, not another image of that size.
    ExpectSamePicture(base, x150);
    ExpectSamePicture(base, x200);
  }
}

TEST(LargerArtwork, TheComparisonTellsAnotherPictureApart) {
  // The check above must fail for a drawing of another image of the size.
  ui::gp::Image normal = ui::ImageFromMemory(CloseNormalImage());
  ui::gp::Image hover200 = ui::ImageFromMemory(WindowArtwork()[2].x200);
  ASSERT_TRUE(normal && hover200);
  EXPECT_GT(MeanDifference(normal, hover200), 12.0);
}

TEST(LargerArtwork, TheInstallersRegistrationPicksThemByScale) {
  ui::ClearImageVariants();
  RegisterArtworkVariants();
  for (const ArtworkDrawings& a : WindowArtwork()) {
    ui::gp::Image unit = ui::ImageFromMemory(a.base);
    const ui::Bytes copy(a.base.begin(), a.base.end());  // as an element keeps it
    for (int scale : {4, 5, 6, 7, 8, 12}) {
      SCOPED_TRACE(scale);
      ui::gp::Image scaled = ui::ImageFromMemory(copy, false, scale);
      ASSERT_TRUE(scaled);
      const std::uint32_t w = ui::ImageWidth(unit.get());
      const std::uint32_t expected = scale == 4 ? w : scale <= 6 ? RoundedOneAndAHalf(w) : 2 * w;
      EXPECT_EQ(ui::ImageWidth(scaled.get()), expected);
      EXPECT_EQ(ui::ImageLogicalWidth(scaled.get()), w);
      EXPECT_EQ(ui::ImageLogicalHeight(scaled.get()), ui::ImageHeight(unit.get()));
    }
  }
  ui::ClearImageVariants();
}

TEST(LargerArtwork, LargerDrawingsAreAppendedAfterTheOriginalData) {
  // The 100 % arrays keep their order and places; the new ones follow the archive.
  const ui::ByteView archive = PayloadArchive();
  EXPECT_GE(LibraryGlyphStrip150().data(), archive.data() + archive.size());
  for (const ArtworkDrawings& a : WindowArtwork()) {
    EXPECT_GE(a.x150.data(), archive.data() + archive.size());
    EXPECT_GE(a.x200.data(), archive.data() + archive.size());
  }
}
