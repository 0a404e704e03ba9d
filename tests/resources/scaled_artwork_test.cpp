// The installer's button faces scaled into their buttons: where the
// library computes the scaled pixels itself, they must be exactly the ones
// GDI+ draws, for every drawing of every face at every size a display
// scale gives the buttons (and the settings a larger drawing is drawn with).
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "app/resources/resources.h"
#include "ui/core/bilinear_scale.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/core/image.h"
#include "ui/platform/gdiplus_handles.h"

using namespace app::resources;

namespace {

struct Drawn {
  std::vector<ui::Argb> pixels;
  std::optional<ui::WeightRounding> rounding;  // the platform's, with the same settings
};

// `image` drawn by GDI+ stretched to `width` x `height` onto a cleared bitmap.
Drawn DrawnByGdiplus(Gdiplus::GpImage* image, int width, int height, bool smooth) {
  Drawn out;
  ui::gp::Bitmap target;
  ui::gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, target.put());
  if (!target) return out;
  {
    ui::gp::Graphics g;
    ui::gp::GdipGetImageGraphicsContext(target.get(), g.put());
    if (smooth) {  // as a larger drawing is drawn down
      ui::gp::GdipSetInterpolationMode(g.get(), Gdiplus::InterpolationModeHighQualityBicubic);
      ui::gp::GdipSetPixelOffsetMode(g.get(), Gdiplus::PixelOffsetModeHalf);
    }
    out.rounding = ui::PlatformWeightRounding(g.get());
    ui::gp::GdipDrawImageRect(g.get(), image, 0, 0, static_cast<float>(width), static_cast<float>(height));
  }
  ui::ReadArgbPixels(target.get(), RECT{0, 0, width, height}, out.pixels);
  return out;
}

}  // namespace

TEST(ScaledArtwork, ComputedFacesAreExactlyWhatGdiplusDraws) {
  RegisterArtworkVariants();
  struct Face {
    ui::ByteView bytes;
    int width, height;  // the button's logical size
  };
  const Face faces[] = {{BigButtonNormalImage(), 200, 50}, {BigButtonHoverImage(), 200, 50},
                        {BrowseNormalImage(), 58, 28},     {BrowseHoverImage(), 58, 28},
                        {CloseNormalImage(), 30, 30},      {CloseHoverImage(), 30, 30}};
  int compared = 0;
  for (const Face& face : faces) {
    for (const int quarters : {4, 5, 6, 7, 8}) {
      const ui::gp::Image image = ui::ImageFromMemory(face.bytes, false, quarters);
      ASSERT_TRUE(image);
      const int iw = static_cast<int>(ui::ImageWidth(image.get())), ih = static_cast<int>(ui::ImageHeight(image.get()));
      std::vector<ui::Argb> source;
      ASSERT_TRUE(ui::ReadArgbPixels(reinterpret_cast<Gdiplus::GpBitmap*>(image.get()), RECT{0, 0, iw, ih}, source));
      const double w = face.width * quarters / 4.0, h = face.height * quarters / 4.0;
      for (const int dw : {static_cast<int>(std::floor(w)), static_cast<int>(std::ceil(w))}) {
        for (const int dh : {static_cast<int>(std::floor(h)), static_cast<int>(std::ceil(h))}) {
          for (const bool smooth : {false, true}) {
            const Drawn drawn = DrawnByGdiplus(image.get(), dw, dh, smooth);
            ASSERT_EQ(drawn.pixels.size(), static_cast<std::size_t>(dw) * dh);
            // Under Wine's GDI+ the probe recognises its scaling with either settings.
            ASSERT_TRUE(drawn.rounding.has_value()) << dw << " x " << dh << (smooth ? " smooth" : "");
            const std::vector<ui::Argb> computed = ui::ScaleBilinear(source, iw, ih, dw, dh, *drawn.rounding);
            std::size_t differing = 0;
            for (std::size_t i = 0; i < computed.size() && i < drawn.pixels.size(); ++i)
              differing += computed[i] != drawn.pixels[i];
            EXPECT_EQ(computed.size(), drawn.pixels.size());
            EXPECT_EQ(differing, 0u) << iw << " x " << ih << " to " << dw << " x " << dh << (smooth ? " smooth" : "");
            ++compared;
          }
        }
      }
    }
  }
  EXPECT_EQ(compared, 6 * 5 * 2 * 2 * 2);
}
