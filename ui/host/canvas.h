#pragma once
// An off-screen canvas: a memory DC with a top-down 32-bit DIB section
// selected into it and, optionally, a GDI+ graphics that draws straight
// into the DIB's premultiplied pixels (what UpdateLayeredWindow expects).
// Releases, in order: graphics, GDI+ bitmap over the bits, old bitmap
// selected back, DIB, DC.
#include <windows.h>

#include <utility>

#include "ui/core/bitmap_pixels.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

class Canvas {
 public:
  Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() { Reset(); }
  // Exchanges the contents (each keeps releasing what it holds afterwards).
  void Swap(Canvas& other) {
    std::swap(dc_, other.dc_);
    std::swap(dib_, other.dib_);
    std::swap(oldBitmap_, other.oldBitmap_);
    std::swap(bits_, other.bits_);
    std::swap(image_, other.image_);
    std::swap(graphics_, other.graphics_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
  }

  // Re-creates the canvas at width x height (each at least 1). The DC is
  // compatible with `reference`. False when the DC or DIB failed; the canvas
  // is then empty.
  bool Create(HDC reference, int width, int height, bool withGraphics);
  void Reset();

  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return dib_.get(); }
  // 32bpp PARGB GDI+ bitmap sharing the DIB's memory (null without graphics).
  Gdiplus::GpBitmap* image() const { return image_.get(); }
  Gdiplus::GpGraphics* graphics() const { return graphics_.get(); }
  // The DIB's rows, top row first (they lie bottom-up in memory). Before
  // reading or writing them after GDI drew, call GdiFlush.
  PixelRows Pixels() const {
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(width_) * 4;
    return bits_ ? PixelRows{bits_ + (height_ - 1) * stride, -stride, width_, height_} : PixelRows{};
  }
  int width() const { return width_; }
  int height() const { return height_; }
  explicit operator bool() const { return static_cast<bool>(dc_); }

 private:
  gdi::MemoryDc dc_;
  gdi::Bitmap dib_;
  HGDIOBJ oldBitmap_ = nullptr;  // selected in dc_ before dib_; not owned
  BYTE* bits_ = nullptr;         // dib_'s memory
  gp::Bitmap image_;
  gp::Graphics graphics_;
  int width_ = 0;
  int height_ = 0;
};

// The process-wide scratch canvas lent to elements while they paint and to
// the default cross-fade; at least as large as the largest host. Never shrinks.
Canvas& ScratchCanvas();
void GrowScratchCanvas(HDC reference, int width, int height);

}  // namespace ui
