#include "ui/core/bilinear_scale.h"

#include <cstdint>

#include "ui/core/bitmap_pixels.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

// The step (0-255) of the weight of `position` (0 <= position < 1). The
// values are never negative: truncation is their floor.
int WeightStep(float position, WeightRounding rounding) {
  if (rounding == WeightRounding::kExact) return static_cast<int>(static_cast<double>(position) * 255.0 + 0.5);
  const float product = position * 255.0f;
  return static_cast<int>(static_cast<float>(static_cast<double>(product) + 0.5));
}

// `start` and `end` mixed at weight `step` of `end`, their colours weighted
// by their alpha; clear when the mixed alpha is under one step.
Argb Mix(Argb start, Argb end, int step) {
  const int startWeight = static_cast<int>(start >> 24) * (step ^ 0xFF);
  const int endWeight = static_cast<int>(end >> 24) * step;
  const int total = startWeight + endWeight;
  if (total < 0xFF) return 0;
  const auto channel = [&](int shift) {
    const int a = static_cast<int>((start >> shift) & 0xFF), b = static_cast<int>((end >> shift) & 0xFF);
    return static_cast<Argb>((a * startWeight + b * endWeight) / total) << shift;
  };
  return static_cast<Argb>(total / 0xFF) << 24 | channel(16) | channel(8) | channel(0);
}

// Where a destination column or row falls on the source: the pixels on
// either side and the weight step of the second. `inside` is false past
// the source's end.
struct Sample {
  bool inside = false;
  int first = 0, second = 0, step = 0;
};

Sample SampleAt(float position, int extent, WeightRounding rounding) {
  Sample s;
  s.inside = position >= 0 && position < static_cast<float>(extent);
  if (!s.inside) return s;
  s.first = static_cast<int>(position);  // not negative: truncation is the floor
  const float below = static_cast<float>(s.first);
  s.second = position > below ? s.first + 1 : s.first;
  s.step = WeightStep(position - below, rounding);
  return s;
}

// A source position per destination step along each axis, as GDI+ maps the
// destination back onto the source: through the inverse of the scaling,
// inverted by GDI+ itself so the steps are its own to the last bit.
struct BackMapping {
  Gdiplus::PointF origin, alongX, alongY;
};

std::optional<BackMapping> MapBack(int width, int height, int destWidth, int destHeight) {
  gp::Matrix matrix;
  const float scaleX = static_cast<float>(destWidth) / static_cast<float>(width);
  const float scaleY = static_cast<float>(destHeight) / static_cast<float>(height);
  Gdiplus::PointF points[3] = {{0, 0}, {1, 0}, {0, 1}};
  if (!gp::Ok(gp::GdipCreateMatrix2(scaleX, 0, 0, scaleY, 0, 0, matrix.put())) ||
      !gp::Ok(gp::GdipInvertMatrix(matrix.get())) ||
      !gp::Ok(gp::GdipTransformMatrixPoints(matrix.get(), points, 3)))
    return std::nullopt;
  return BackMapping{points[0],
                     {points[1].X - points[0].X, points[1].Y - points[0].Y},
                     {points[2].X - points[0].X, points[2].Y - points[0].Y}};
}

// ---- the probe ----------------------------------------------------------------------

// What GDI+ leaves drawing `source` stretched onto a cleared bitmap with `settings`.
std::optional<std::vector<Argb>> DrawnByGdiplus(std::vector<Argb> source, int width, int height, int destWidth,
                                                int destHeight, const ImageDrawSettings& settings) {
  gp::Bitmap image, target;
  gp::Graphics g;
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                            reinterpret_cast<BYTE*>(source.data()), image.put())) ||
      !gp::Ok(gp::GdipCreateBitmapFromScan0(destWidth, destHeight, 0, PixelFormat32bppARGB, nullptr, target.put())) ||
      !gp::Ok(gp::GdipGetImageGraphicsContext(target.get(), g.put())) ||
      !gp::Ok(gp::GdipSetInterpolationMode(g.get(), settings.interpolation)) ||
      !gp::Ok(gp::GdipSetPixelOffsetMode(g.get(), settings.pixelOffset)) ||
      !gp::Ok(gp::GdipSetCompositingMode(g.get(), settings.compositing)) ||
      !gp::Ok(gp::GdipSetCompositingQuality(g.get(), settings.quality)) ||
      !gp::Ok(gp::GdipDrawImageRect(g.get(), image.get(), 0, 0, static_cast<float>(destWidth),
                                    static_cast<float>(destHeight))) ||
      !gp::Ok(gp::GdipFlush(g.get(), Gdiplus::FlushIntentionSync)))
    return std::nullopt;
  g.reset();
  std::vector<Argb> pixels;
  if (!ReadArgbPixels(target.get(), RECT{0, 0, destWidth, destHeight}, pixels)) return std::nullopt;
  return pixels;
}

struct ProbeDraw {
  std::vector<Argb> source;
  int width, height, destWidth, destHeight;
};

// Draws that tell plain bilinear scaling from anything else, and one way of
// rounding the weights from the other: black to white across 2 pixels drawn
// 20 wide puts a position just under 0.7 on one pixel, just under 178.5
// steps exactly but 178.5 once rounded to single precision.
std::vector<ProbeDraw> ProbeDraws() {
  std::vector<Argb> mixed(20);
  std::uint32_t seed = 0x2545F491u;
  for (std::size_t i = 0; i < mixed.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    Argb p = seed;
    if (i % 3 == 0) p |= 0xFF000000u;  // opaque
    if (i % 7 == 2) p &= 0x00FFFFFFu;  // clear, with a colour
    mixed[i] = p;
  }
  return {
      {{0xFF000000u, 0xFFFFFFFFu}, 2, 1, 20, 1},
      {mixed, 5, 4, 7, 3},
      {mixed, 5, 4, 3, 6},
      {mixed, 5, 4, 5, 4},
  };
}

std::optional<WeightRounding> Probe(const ImageDrawSettings& settings) {
  bool matches[2] = {true, true};
  for (const ProbeDraw& d : ProbeDraws()) {
    const auto drawn = DrawnByGdiplus(d.source, d.width, d.height, d.destWidth, d.destHeight, settings);
    if (!drawn) return std::nullopt;
    for (int r = 0; r < 2; ++r) {
      const auto rounding = static_cast<WeightRounding>(r);
      if (matches[r] && ScaleBilinear(d.source, d.width, d.height, d.destWidth, d.destHeight, rounding) != *drawn)
        matches[r] = false;
    }
  }
  if (matches[0] == matches[1]) return std::nullopt;  // neither, or the probe could not tell
  return matches[0] ? WeightRounding::kSingle : WeightRounding::kExact;
}

}  // namespace

std::vector<Argb> ScaleBilinear(const std::vector<Argb>& source, int width, int height, int destWidth,
                                int destHeight, WeightRounding rounding) {
  if (width <= 0 || height <= 0 || destWidth <= 0 || destHeight <= 0 ||
      source.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return {};
  const std::optional<BackMapping> map = MapBack(width, height, destWidth, destHeight);
  if (!map) return {};
  const auto at = [&](int x, int y) -> Argb {
    return x >= width || y >= height ? 0 : source[static_cast<std::size_t>(y) * width + x];
  };
  // Each axis maps on its own (the origin maps to 0, the axes do not mix),
  // so every column and row is placed once. In single precision, as GDI+
  // sums it; an x87 build keeps the sum exact until it stores it, which is
  // the same here.
  if (map->origin.X != 0 || map->origin.Y != 0 || map->alongX.Y != 0 || map->alongY.X != 0) return {};
  std::vector<Sample> columns(destWidth), rows(destHeight);
  for (int x = 0; x < destWidth; ++x) columns[x] = SampleAt(static_cast<float>(x) * map->alongX.X, width, rounding);
  for (int y = 0; y < destHeight; ++y) rows[y] = SampleAt(static_cast<float>(y) * map->alongY.Y, height, rounding);
  std::vector<Argb> out(static_cast<std::size_t>(destWidth) * destHeight, 0);
  for (int y = 0; y < destHeight; ++y) {
    const Sample& row = rows[y];
    if (!row.inside) continue;
    Argb* line = out.data() + static_cast<std::size_t>(y) * destWidth;
    for (int x = 0; x < destWidth; ++x) {
      const Sample& column = columns[x];
      if (!column.inside) continue;
      Argb pixel;
      if (column.first == column.second && row.first == row.second) {
        pixel = at(column.first, row.first);
      } else {
        const Argb upper = Mix(at(column.first, row.first), at(column.second, row.first), column.step);
        const Argb lower = Mix(at(column.first, row.second), at(column.second, row.second), column.step);
        pixel = Mix(upper, lower, row.step);
      }
      // Drawn over a cleared pixel: a clear result leaves it cleared.
      line[x] = (pixel >> 24) ? pixel : 0;
    }
  }
  return out;
}

std::optional<ImageDrawSettings> ImageDrawSettingsOf(Gdiplus::GpGraphics* g) {
  ImageDrawSettings s;
  if (!g || !gp::Ok(gp::GdipGetInterpolationMode(g, &s.interpolation)) ||
      !gp::Ok(gp::GdipGetPixelOffsetMode(g, &s.pixelOffset)) ||
      !gp::Ok(gp::GdipGetCompositingMode(g, &s.compositing)) ||
      !gp::Ok(gp::GdipGetCompositingQuality(g, &s.quality)))
    return std::nullopt;
  return s;
}

std::optional<WeightRounding> PlatformWeightRounding(Gdiplus::GpGraphics* like) {
  const std::optional<ImageDrawSettings> settings = ImageDrawSettingsOf(like);
  if (!settings) return std::nullopt;
  struct Verdict {
    ImageDrawSettings settings;
    std::optional<WeightRounding> rounding;
  };
  thread_local std::vector<Verdict> verdicts;
  for (const Verdict& v : verdicts)
    if (v.settings == *settings) return v.rounding;
  const std::optional<WeightRounding> rounding = Probe(*settings);
  verdicts.push_back(Verdict{*settings, rounding});
  return rounding;
}

}  // namespace ui
