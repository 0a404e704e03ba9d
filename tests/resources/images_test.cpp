// The artwork built into the installer: sizes, and where the caption glyphs
// stand in their strip.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/resources/resources.h"
#include "tests/support/test_env.h"
#include "tests/support/image_pixels.h"
#include "ui/core/image.h"
#include "ui/core/png_decode.h"

using namespace app::resources;
using qwtest::BitmapPixel;
using qwtest::ColorNear;

namespace {

struct Expected {
  const char* name;
  ui::ByteView (*bytes)();
  std::uint32_t width, height;
};

constexpr Expected kImages[] = {
    {"BackgroundImage", BackgroundImage, 590, 283},
    {"CloseNormalImage", CloseNormalImage, 30, 30},
    {"CloseHoverImage", CloseHoverImage, 30, 30},
    {"BigButtonNormalImage", BigButtonNormalImage, 220, 60},
    {"BigButtonHoverImage", BigButtonHoverImage, 220, 60},
    {"BrowseNormalImage", BrowseNormalImage, 152, 39},
    {"BrowseHoverImage", BrowseHoverImage, 152, 39},
};

std::uint32_t Alpha(ui::Argb c) { return c >> 24; }

Gdiplus::GpBitmap* AsBitmap(const ui::gp::Image& image) {
  return reinterpret_cast<Gdiplus::GpBitmap*>(image.get());
}

// True when every pixel of column x, rows y0..y1-1, is fully transparent.
bool ColumnEmpty(Gdiplus::GpBitmap* strip, int x, int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    if (Alpha(BitmapPixel(strip, x, y)) != 0) return false;
  }
  return true;
}

int OpaquePixelsIn(Gdiplus::GpBitmap* strip, int x0, int width) {
  int count = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = x0; x < x0 + width; ++x) count += Alpha(BitmapPixel(strip, x, y)) > 128;
  }
  return count;
}

ui::gp::Image DecodedStrip() { return ui::ImageFromMemory(LibraryGlyphStrip(), true); }

}  // namespace

TEST(Artwork, EveryImageDecodesToItsSize) {
  for (const Expected& e : kImages) {
    SCOPED_TRACE(e.name);
    ui::gp::Image image = ui::ImageFromMemory(e.bytes());
    ASSERT_TRUE(image);
    EXPECT_EQ(ui::ImageWidth(image.get()), e.width);
    EXPECT_EQ(ui::ImageHeight(image.get()), e.height);
  }
}

// Start-up decodes the artwork without the platform's codecs; the pixels
// must be the ones those codecs give, at every scale.
TEST(Artwork, EveryDrawingIsAPlainPngDecodedAsGdiplusDecodesIt) {
  struct Drawing {
    std::string name;
    ui::ByteView bytes;
    bool signatureLeftOut;
  };
  std::vector<Drawing> drawings = {{"glyph strip", LibraryGlyphStrip(), true},
                                   {"glyph strip 150", LibraryGlyphStrip150(), true},
                                   {"glyph strip 200", LibraryGlyphStrip200(), true}};
  int index = 0;
  for (const ArtworkDrawings& a : WindowArtwork()) {
    const std::string name = "artwork " + std::to_string(index++);
    drawings.push_back({name, a.base, false});
    drawings.push_back({name + " 150", a.x150, false});
    drawings.push_back({name + " 200", a.x200, false});
  }
  for (const Drawing& d : drawings) {
    SCOPED_TRACE(d.name);
    const std::optional<ui::DecodedPng> png = ui::DecodePlainPng(d.bytes, d.signatureLeftOut);
    ASSERT_TRUE(png);
    const std::vector<ui::Argb> viaGdiplus = qwtest::GdiplusDecodedPixels(d.bytes, d.signatureLeftOut);
    ASSERT_FALSE(viaGdiplus.empty());
    EXPECT_TRUE(png->pixels == viaGdiplus);
    ui::gp::Image image = ui::ImageFromMemory(d.bytes, d.signatureLeftOut);
    EXPECT_TRUE(qwtest::ImagePixels(image.get()) == qwtest::GdiplusCopiedPixels(d.bytes, d.signatureLeftOut));
  }
}

TEST(Artwork, ArraysLieInTableOrderInReadOnlyData) {
  const ui::ByteView order[] = {LibraryGlyphStrip(),    BackgroundImage(),     CloseNormalImage(),
                                CloseHoverImage(),      BigButtonNormalImage(), BigButtonHoverImage(),
                                BrowseNormalImage(),    BrowseHoverImage(),    PayloadArchive()};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_LE(order[i].data() + order[i].size(), order[i + 1].data()) << "array " << i;
  }
  MEMORY_BASIC_INFORMATION info = {};
  ASSERT_NE(VirtualQuery(PayloadArchive().data(), &info, sizeof info), 0u);
  EXPECT_EQ(info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE | PAGE_WRITECOPY), 0u)
      << "protection " << info.Protect;
}

TEST(Artwork, HoverImagesDifferFromNormalOnes) {
  auto differ = [](ui::ByteView a, ui::ByteView b, int x, int y) {
    ui::gp::Image ia = ui::ImageFromMemory(a), ib = ui::ImageFromMemory(b);
    return !ColorNear(BitmapPixel(AsBitmap(ia), x, y), BitmapPixel(AsBitmap(ib), x, y), 16);
  };
  EXPECT_TRUE(differ(CloseNormalImage(), CloseHoverImage(), 4, 15));  // beside the cross
  EXPECT_TRUE(differ(BigButtonNormalImage(), BigButtonHoverImage(), 110, 45));
  EXPECT_TRUE(differ(BrowseNormalImage(), BrowseHoverImage(), 76, 30));
}

TEST(Artwork, CloseImageIsAWhiteCrossOnTransparent) {
  ui::gp::Image image = ui::ImageFromMemory(CloseNormalImage());
  ASSERT_TRUE(image);
  EXPECT_TRUE(ColorNear(BitmapPixel(AsBitmap(image), 15, 15), 0xFFFFFFFF, 8));
  EXPECT_EQ(Alpha(BitmapPixel(AsBitmap(image), 1, 1)), 0u);
  EXPECT_EQ(Alpha(BitmapPixel(AsBitmap(image), 15, 3)), 0u);  // between the arms
}

TEST(GlyphStrip, IsStoredWithoutThePngSignature) {
  const ui::ByteView strip = LibraryGlyphStrip();
  ASSERT_GT(strip.size(), 16u);
  // It starts with the IHDR chunk: length 13, then the type.
  const std::uint8_t ihdr[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  EXPECT_TRUE(std::equal(std::begin(ihdr), std::end(ihdr), strip.begin()));
  EXPECT_FALSE(ui::ImageFromMemory(strip, false));
  ui::gp::Image image = DecodedStrip();
  ASSERT_TRUE(image);
  EXPECT_EQ(ui::ImageWidth(image.get()), 729u);
  EXPECT_EQ(ui::ImageHeight(image.get()), 20u);
}

TEST(GlyphStrip, CellsStandWhereTheCaptionButtonReadsThem) {
  ui::gp::Image image = DecodedStrip();
  ASSERT_TRUE(image);
  Gdiplus::GpBitmap* strip = AsBitmap(image);
  // Close cells: 39 wide at x 0, 40, 80; the cross passes through the centre.
  for (int x0 : {0, 40, 80}) {
    SCOPED_TRACE(x0);
    EXPECT_GE(Alpha(BitmapPixel(strip, x0 + 19, 11)), 200u);
    EXPECT_TRUE(ColumnEmpty(strip, x0 + 39, 0, 20));  // the 1-pixel gap
  }
  // Seven kinds of three cells each, 28 wide every 29 pixels from x 120.
  for (int cell = 0; cell < 21; ++cell) {
    SCOPED_TRACE(cell);
    const int x0 = 120 + cell * 29;
    EXPECT_GT(OpaquePixelsIn(strip, x0, 28), 8);
    if (x0 + 28 < 729) {
      EXPECT_TRUE(ColumnEmpty(strip, x0 + 28, 0, 20));
    }
  }
  // Glyph rows start at y 2: the two rows above every cell are empty.
  for (int x = 0; x < 729; ++x) {
    ASSERT_EQ(Alpha(BitmapPixel(strip, x, 0)) | Alpha(BitmapPixel(strip, x, 1)), 0u) << "x " << x;
  }
}

TEST(GlyphStrip, HoverAndPressedCellsDifferFromNormal) {
  ui::gp::Image image = DecodedStrip();
  Gdiplus::GpBitmap* strip = AsBitmap(image);
  // A corner of each cell: empty when normal, a state background otherwise.
  for (int normal : {0, 120, 207, 294, 381, 468, 555, 642}) {
    const int step = normal == 0 ? 40 : 29;
    SCOPED_TRACE(normal);
    EXPECT_EQ(Alpha(BitmapPixel(strip, normal + 3, 16)), 0u);
    EXPECT_GT(Alpha(BitmapPixel(strip, normal + step + 3, 16)), 0u);
    EXPECT_GT(Alpha(BitmapPixel(strip, normal + 2 * step + 3, 16)), 0u);
  }
}
