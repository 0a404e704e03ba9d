#pragma once
// Images decoded from bytes in memory.
#include <cstdint>

#include "ui/core/bytes.h"
#include "ui/core/image_variants.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Images are decoded for a display scale (quarters of 100 %, see
// image_variants.h): the drawing of `bytes` registered for that scale is
// decoded instead of `bytes` when there is one. Every decoded image carries
// the scale it was drawn at as its resolution (96 DPI at 100 %, 144 at
// 150 %, 192 at 200 %), so that ImageLogicalWidth/Height give the size it
// takes in layout (the 100 % size), while ImageWidth/Height stay its pixels.

// Decodes `bytes` (any format GDI+ reads; with `addPngSignature` the eight
// PNG signature bytes are put in front first) and copies the result into a
// new 32bpp ARGB bitmap that depends on nothing else. Null on failure.
gp::Image ImageFromMemory(ByteView bytes, bool addPngSignature = false,
                          int scaleQuarters = kUnitScaleQuarters);

// The decoded image itself, kept together with the stream and memory it
// reads from (multi-frame images need them). Releases all three in order.
class KeptImage {
 public:
  KeptImage() = default;
  KeptImage(const KeptImage&) = delete;
  KeptImage& operator=(const KeptImage&) = delete;
  KeptImage(KeptImage&& o) noexcept;
  KeptImage& operator=(KeptImage&& o) noexcept;
  ~KeptImage();

  static KeptImage Decode(ByteView bytes, bool addPngSignature = false,
                          int scaleQuarters = kUnitScaleQuarters);
  Gdiplus::GpImage* get() const { return image_.get(); }
  // The scale (quarters) of the drawing that was decoded.
  int DrawnAt() const { return drawnAt_; }
  explicit operator bool() const { return static_cast<bool>(image_); }
  void reset();

 private:
  static KeptImage DecodeDrawing(const ImageVariant& variant, bool addPngSignature);

  gp::Image image_;
  IStream* stream_ = nullptr;
  HGLOBAL memory_ = nullptr;
  int drawnAt_ = kUnitScaleQuarters;
};

// Size in pixels (what source rectangles count in).
std::uint32_t ImageWidth(Gdiplus::GpImage* image);
std::uint32_t ImageHeight(Gdiplus::GpImage* image);
// Size in logical pixels: what the image covers when laid out (its 100 %
// size). Images decoded at 100 % and images with no resolution above
// 96 DPI give their pixel size.
std::uint32_t ImageLogicalWidth(Gdiplus::GpImage* image);
std::uint32_t ImageLogicalHeight(Gdiplus::GpImage* image);
// Pixels per logical pixel: the scale the image was drawn at (1 for an
// image decoded at 100 %).
float ImagePixelsPerLogical(Gdiplus::GpImage* image);
// True for an image drawn at a scale above 100 % (it is drawn down).
bool IsLargerDrawing(Gdiplus::GpImage* image);
// Marks a bitmap as drawn at `quarters` (its resolution, 24 DPI a quarter).
void TagImageScale(Gdiplus::GpImage* image, int quarters);

// While alive, `graphics` draws images with high-quality bicubic
// interpolation when `image` is a larger drawing; otherwise nothing
// changes (100 % images keep the graphics' own interpolation, pixel for
// pixel as before). The earlier mode comes back at the end.
class LargerDrawingInterpolation {
 public:
  LargerDrawingInterpolation(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image);
  ~LargerDrawingInterpolation();
  LargerDrawingInterpolation(const LargerDrawingInterpolation&) = delete;
  LargerDrawingInterpolation& operator=(const LargerDrawingInterpolation&) = delete;

 private:
  Gdiplus::GpGraphics* graphics_ = nullptr;  // null: nothing was changed
  Gdiplus::InterpolationMode saved_ = Gdiplus::InterpolationModeDefault;
};

// Copies `count` bytes when 0 < count < bytes.size(), otherwise all of them.
void CopyToMemory(void* destination, ByteView bytes, std::size_t count = 0);

// Committed read-write pages (nothing executes from them) for fixed-size buffers handed to the
// platform; FreePages releases them.
void* AllocPages(std::size_t size);
void FreePages(void* address);

}  // namespace ui
