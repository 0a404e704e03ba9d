#include "ui/host/canvas.h"

#include <algorithm>
#include <memory>

#include "ui/core/lifetime.h"

namespace ui {

bool Canvas::Create(HDC reference, int width, int height, bool withGraphics) {
  Reset();
  width = std::max(width, 1);
  height = std::max(height, 1);
  dc_.reset(CreateCompatibleDC(reference));
  if (!dc_) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up rows, as GDI expects of a plain DIB
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  void* bits = nullptr;
  dib_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib_ || !bits) {
    Reset();
    return false;
  }
  oldBitmap_ = SelectObject(dc_.get(), dib_.get());
  bits_ = static_cast<BYTE*>(bits);
  width_ = width;
  height_ = height;
  if (withGraphics) {
    // Draw straight into the DIB's bits: premultiplied ARGB, alpha kept.
    // The rows are bottom-up, so the top row is the last one in memory.
    const INT stride = width * 4;
    BYTE* top = static_cast<BYTE*>(bits) + static_cast<size_t>(height - 1) * stride;
    gp::GdipCreateBitmapFromScan0(width, height, -stride, PixelFormat32bppPARGB, top, image_.put());
    if (image_) gp::GdipGetImageGraphicsContext(image_.get(), graphics_.put());
    if (graphics_) {
      gp::GdipSetSmoothingMode(graphics_.get(), Gdiplus::SmoothingModeAntiAlias);
      gp::GdipSetTextRenderingHint(graphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    }
  }
  return true;
}

void Canvas::Reset() {
  graphics_.reset();
  image_.reset();
  if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
  oldBitmap_ = nullptr;
  bits_ = nullptr;
  dib_.reset();
  dc_.reset();
  width_ = height_ = 0;
}

Canvas& ScratchCanvas() {
  // Process-wide and never released, like the library's other global values.
  static Canvas* scratch = new Canvas();
  return *scratch;
}

void GrowScratchCanvas(HDC reference, int width, int height) {
  Canvas& s = ScratchCanvas();
  if (s && width <= s.width() && height <= s.height()) return;
  if (s && DispatchDepth() > 0) {
    // A transition being drawn further up the stack may hold the old
    // scratch surface: it is released after the outermost message.
    auto old = std::make_shared<Canvas>();
    old->Swap(s);
    ReleaseLater([old] { old->Reset(); });
  }
  s.Create(reference, std::max(width, s.width()), std::max(height, s.height()), true);
}

}  // namespace ui
