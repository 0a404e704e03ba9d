// Scaling computed as the platform's GDI+ scales: random images of every
// kind of pixel, drawn larger and smaller, must come out exactly as GDI+
// draws them; the probe must tell the two ways of rounding apart and
// refuse a scaling that is not plain bilinear.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ui/core/bilinear_scale.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

namespace {

// `source` (width x height) drawn by GDI+ to dw x dh on a cleared bitmap
// with `interpolation`; the probe's verdict for the same settings.
std::vector<Argb> Drawn(std::vector<Argb> source, int width, int height, int dw, int dh,
                        Gdiplus::InterpolationMode interpolation, std::optional<WeightRounding>* verdict) {
  gp::Bitmap image, target;
  gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                reinterpret_cast<BYTE*>(source.data()), image.put());
  gp::GdipCreateBitmapFromScan0(dw, dh, 0, PixelFormat32bppARGB, nullptr, target.put());
  {
    gp::Graphics g;
    gp::GdipGetImageGraphicsContext(target.get(), g.put());
    gp::GdipSetInterpolationMode(g.get(), interpolation);
    if (verdict) *verdict = PlatformWeightRounding(g.get());
    gp::GdipDrawImageRect(g.get(), image.get(), 0, 0, static_cast<float>(dw), static_cast<float>(dh));
  }
  std::vector<Argb> out;
  ReadArgbPixels(target.get(), RECT{0, 0, dw, dh}, out);
  return out;
}

std::vector<Argb> RandomImage(int width, int height, std::mt19937& random) {
  const int alphas[] = {0, 0, 1, 3, 64, 128, 200, 254, 255, 255, 255};
  std::vector<Argb> pixels(static_cast<std::size_t>(width) * height);
  for (Argb& p : pixels)
    p = ArgbOf(alphas[random() % std::size(alphas)], random() & 0xFF, random() & 0xFF, random() & 0xFF);
  return pixels;
}

}  // namespace

TEST(BilinearScale, RandomImagesComeOutAsGdiplusDrawsThemLargerAndSmaller) {
  std::mt19937 random(20261210);
  std::optional<WeightRounding> rounding;
  Drawn(RandomImage(4, 4, random), 4, 4, 7, 3, Gdiplus::InterpolationModeDefault, &rounding);
  ASSERT_TRUE(rounding.has_value()) << "the probe does not recognise the platform's scaling";
  // Small images drawn many times larger put pixels at positions where the
  // two roundings of a weight part.
  const SIZE sources[] = {{37, 23}, {3, 2}, {2, 3}};
  int cases = 0;
  for (const SIZE& size : sources) {
    const std::vector<Argb> source = RandomImage(size.cx, size.cy, random);
    for (int dw = 1; dw <= 80; dw += size.cx > 10 ? 3 : 1) {
      for (const int dh : {1, 9, 23, 50}) {
        const std::vector<Argb> expected =
            Drawn(source, size.cx, size.cy, dw, dh, Gdiplus::InterpolationModeDefault, nullptr);
        const std::vector<Argb> computed = ScaleBilinear(source, size.cx, size.cy, dw, dh, *rounding);
        ASSERT_EQ(computed.size(), expected.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.size(); ++i) differing += computed[i] != expected[i];
        EXPECT_EQ(differing, 0u) << size.cx << " x " << size.cy << " to " << dw << " x " << dh;
        ++cases;
      }
    }
  }
  EXPECT_EQ(cases, (27 + 80 + 80) * 4);
}

TEST(BilinearScale, TheProbeTellsRoundingsApartAndRefusesOtherScaling) {
  // Black to white across two pixels drawn 20 wide: one pixel sits at 0.7,
  // 178.5 steps, where the two roundings part.
  const std::vector<Argb> ramp = {0xFF000000u, 0xFFFFFFFFu};
  EXPECT_NE(ScaleBilinear(ramp, 2, 1, 20, 1, WeightRounding::kSingle),
            ScaleBilinear(ramp, 2, 1, 20, 1, WeightRounding::kExact));

  std::optional<WeightRounding> nearest = WeightRounding::kSingle;
  Drawn(ramp, 2, 1, 20, 1, Gdiplus::InterpolationModeNearestNeighbor, &nearest);
  EXPECT_FALSE(nearest.has_value()) << "nearest-neighbour scaling taken for bilinear";

  // Bad sizes: nothing computed.
  EXPECT_TRUE(ScaleBilinear(ramp, 3, 1, 20, 1, WeightRounding::kSingle).empty());
  EXPECT_TRUE(ScaleBilinear(ramp, 2, 1, 0, 1, WeightRounding::kSingle).empty());
  EXPECT_TRUE(ScaleBilinear({}, 0, 0, 5, 5, WeightRounding::kSingle).empty());
}
