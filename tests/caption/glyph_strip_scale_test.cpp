// The caption glyph strip at a display scale: the library decodes the
// strip's larger drawing once per scale and keeps 100 % on the strip itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/resources/resources.h"
#include "ui/core/image.h"
#include "ui/core/image_variants.h"
#include "ui/core/library.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

namespace {

// Makes the installer's strip and its drawings the library's for one test
// (the test programs start with a small test strip).
class InstallerStrip {
 public:
  InstallerStrip() : savedBytes_(Library().glyphStripBytes), savedImage_(Library().glyphImage) {
    LibraryState& lib = Library();
    const ByteView strip = app::resources::LibraryGlyphStrip();
    lib.glyphStripBytes.assign(strip.begin(), strip.end());
    unit_ = ImageFromMemory(strip, true);
    lib.glyphImage = unit_.get();
    for (Gdiplus::GpImage*& larger : lib.largerGlyphImages) larger = nullptr;
    RegisterImageVariants(lib.glyphStripBytes, app::resources::LibraryGlyphStrip150(),
                          app::resources::LibraryGlyphStrip200());
  }
  ~InstallerStrip() {
    LibraryState& lib = Library();
    for (Gdiplus::GpImage*& larger : lib.largerGlyphImages) {
      gp::Image owned(larger);  // decoded for this test: released with it
      larger = nullptr;
    }
    lib.glyphStripBytes = savedBytes_;
    lib.glyphImage = savedImage_;
  }

 private:
  std::vector<std::uint8_t> savedBytes_;
  Gdiplus::GpImage* savedImage_;
  gp::Image unit_;
};

}  // namespace

TEST(GlyphStripScale, EachScaleGetsTheStripsDrawingForIt) {
  InstallerStrip strip;
  EXPECT_EQ(GlyphImageFor(4), Library().glyphImage);

  Gdiplus::GpImage* at150 = GlyphImageFor(6);
  ASSERT_NE(at150, nullptr);
  EXPECT_EQ(ImageWidth(at150), 1094u);
  EXPECT_EQ(ImageHeight(at150), 30u);
  EXPECT_EQ(ImageLogicalWidth(at150), 729u);
  EXPECT_FLOAT_EQ(ImagePixelsPerLogical(at150), 1.5f);
  EXPECT_EQ(GlyphImageFor(5), at150);  // 125 %: the 150 % drawing, decoded once

  Gdiplus::GpImage* at200 = GlyphImageFor(8);
  ASSERT_NE(at200, nullptr);
  EXPECT_EQ(ImageWidth(at200), 1458u);
  EXPECT_EQ(ImageHeight(at200), 40u);
  EXPECT_EQ(ImageLogicalHeight(at200), 20u);
  EXPECT_FLOAT_EQ(ImagePixelsPerLogical(at200), 2.0f);
  EXPECT_EQ(GlyphImageFor(12), at200);  // above 200 %: the largest drawing
}

TEST(GlyphStripScale, AStripWithoutLargerDrawingsServesEveryScale) {
  // The test programs' own strip has none registered.
  EXPECT_EQ(GlyphImageFor(8), Library().glyphImage);
  EXPECT_EQ(GlyphImageFor(6), Library().glyphImage);
}
