#pragma once
// Scaling an image the way the platform's GDI+ does, computed directly.
//
// GDI+ draws a stretched image by interpolating every destination pixel
// through general code: milliseconds for one button face where the
// platform's build of it rounds through the x87 unit, while the image, the
// size and the graphics' settings alone decide the result. Where a probe
// shows that GDI+ scales by plain bilinear interpolation (the four nearest
// source pixels, their colours weighted by alpha, each weight rounded to a
// step of 1/255, the source's edges fading into transparent), the same
// pixels are computed here. Anywhere else GDI+ keeps drawing them.
#include <optional>
#include <vector>

#include "ui/core/color.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

// The settings of a graphics that shape how it draws an image.
struct ImageDrawSettings {
  Gdiplus::InterpolationMode interpolation = Gdiplus::InterpolationModeDefault;
  Gdiplus::PixelOffsetMode pixelOffset = Gdiplus::PixelOffsetModeDefault;
  Gdiplus::CompositingMode compositing = Gdiplus::CompositingModeSourceOver;
  Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityDefault;
  bool operator==(const ImageDrawSettings&) const = default;
};

// `graphics`' settings; nothing when they cannot be read.
std::optional<ImageDrawSettings> ImageDrawSettingsOf(Gdiplus::GpGraphics* graphics);

// How the weight of a position between two source pixels is rounded to a
// step of 1/255: from the position times 255 rounded to single precision
// first, or from the exact product. Builds of GDI+ differ in this.
enum class WeightRounding { kSingle, kExact };

// The pixels GDI+ leaves when it draws `source` (straight ARGB, `width` x
// `height`, row after row) stretched to `destWidth` x `destHeight` at the
// origin of a cleared 32bpp ARGB bitmap, when it scales as described above
// with `rounding`.
std::vector<Argb> ScaleBilinear(const std::vector<Argb>& source, int width, int height, int destWidth,
                                int destHeight, WeightRounding rounding);

// How GDI+ rounds the weights when it draws a stretched 32bpp ARGB image
// onto a cleared 32bpp ARGB bitmap with the interpolation, pixel offset and
// compositing settings of `like`, found by probe draws (once per thread and
// settings); nothing when it does not scale as described above.
std::optional<WeightRounding> PlatformWeightRounding(Gdiplus::GpGraphics* like);

}  // namespace ui
