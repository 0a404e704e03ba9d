#pragma once
// Writing the pixels of 32-bit GDI+ bitmaps directly, where that gives
// exactly what drawing them with GDI+ would, at a fraction of its cost.
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/core/color.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

// Rows of 32-bit pixels in memory: row y starts at `top + y * stride`
// (a negative stride for bottom-up rows).
struct PixelRows {
  BYTE* top = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0, height = 0;
  BYTE* Row(int y) const { return top + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Whether `v` is a whole pixel coordinate (finite, within a million).
inline bool IsWholePixel(float v) { return std::isfinite(v) && std::floor(v) == v && std::fabs(v) < 1e6f; }

// Whether `graphics` draws in device pixels as they are: page unit pixel
// (or display), page scale 1 and no world transform.
bool DrawsInDevicePixels(Gdiplus::GpGraphics* graphics);

// The pixels of the whole-pixel rectangle (x, y, width, height) that lie on
// `bitmap` (empty when none do).
RECT PixelsOnBitmap(Gdiplus::GpBitmap* bitmap, float x, float y, float width, float height);

// Whether `graphics` draws in device pixels as they are (above) and no clip
// cuts what it draws.
bool DrawsUnclippedInDevicePixels(Gdiplus::GpGraphics* graphics);

// Fills `rect` with the solid `colour`, exactly as GDI+ filling it on
// `graphics` would. Where the rectangle lies on whole pixels of `bitmap`
// (the 32bpp ARGB bitmap `graphics` draws on, unclipped, in device pixels)
// over pixels all alike (a freshly cleared element; any pixels for an
// opaque colour), and a probe fill with the graphics' settings shows GDI+
// turns exactly such a rectangle's pixels into one value, that value is
// written straight into them: GDI+ fills every pixel through its general
// path, at many times the cost. Otherwise GDI+ fills it.
void FillSolidRect(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap, const Gdiplus::RectF& rect,
                   Argb colour);

// Sets every pixel of `area` (bitmap pixels, inside the bitmap) of a 32bpp
// ARGB bitmap to `pixel`. False (nothing written) for another format or
// when the bitmap cannot be locked.
bool FillArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, Argb pixel);

// Copies the pixels of `area` (inside the bitmap) of a 32bpp ARGB bitmap
// into `out`, row after row / writes them from `in` (exactly the area's
// size). False (nothing copied) for another format or a lock failure.
bool ReadArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, std::vector<Argb>& out);
bool WriteArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, const std::vector<Argb>& in);

// The pixel GDI+ leaves when it fills a cleared pixel of a 32bpp ARGB
// bitmap with `colour` (with `like`'s compositing settings); nothing when
// it fails.
std::optional<Argb> FilledPixel(Argb colour, Gdiplus::GpGraphics* like);

// Draws images pixel for pixel onto premultiplied 32-bit rows as GDI+ does
// (source over, the settings of a given graphics), blending each pair of
// source and destination pixels the way GDI+ blended it: an opaque source
// pixel is itself, a clear one leaves the destination, and every other pair
// is blended by GDI+ once, in a batch, and remembered. Text and controls
// over a plain body repeat few pairs, so a strip of them costs a copy.
class PixelBlender {
 public:
  // Draws the pixels `part` of `bitmap` (32bpp ARGB or PARGB) onto `dest`
  // at (x, y), as `like` would draw over them. False (nothing written) when
  // `like` copies instead of drawing over, for another format, when the part or
  // its place does not fit, when most of its pairs are new (GDI+ is then
  // no slower), or when GDI+ fails.
  bool Draw(Gdiplus::GpBitmap* bitmap, const RECT& part, const PixelRows& dest, int x, int y,
            Gdiplus::GpGraphics* like);
  // Pairs blended by GDI+ and remembered.
  std::size_t Known() const { return count_ - forgotten_; }

 private:
  // Blends the pairs in `missing_` with GDI+ and remembers them.
  bool BlendMissing(Gdiplus::PixelFormat format, Gdiplus::GpGraphics* like);
  // The slot of `key` in the table: where it is, or the empty one where it goes.
  std::size_t Slot(std::uint64_t key) const;
  // Takes the pairs in `missing_` out of the table again.
  void Forget();
  void Clear();

  static constexpr std::size_t kMaxKnown = 1 << 13;
  static constexpr std::size_t kSlots = kMaxKnown * 2;  // open addressing, at most half full
  static constexpr std::uint64_t kEmpty = ~0ull;        // an opaque source: never blended
  static constexpr std::uint64_t kForgotten = ~1ull;    // the same, for a slot taken and given up
  static constexpr std::size_t kMaxBatch = 256;         // new pairs always worth a batch
  // The compositing quality the blends in the table were made with.
  Gdiplus::CompositingQuality quality_ = Gdiplus::CompositingQualityDefault;
  // Source << 32 | destination, and what they blend to.
  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> results_;
  std::size_t count_ = 0;      // slots taken
  std::size_t forgotten_ = 0;  // of them, given up
  std::vector<std::uint64_t> missing_;
};

}  // namespace ui
