#include "ui/element/image_frames.h"

#include <algorithm>
#include <cstring>

#include "ui/core/image.h"
#include "ui/platform/gdi_handles.h"

namespace ui {

namespace {
// FrameDimensionTime {6AEDBD6D-3FB5-418A-83A6-7F45229DC872}
const GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr PROPID kFrameDelayTag = 0x5100;
constexpr WORD kTypeLong = 4;
constexpr WORD kTypeSLong = 9;
}  // namespace

FrameInfo ReadFrameInfo(Gdiplus::GpImage* image, bool fixZeroDelays, bool defaultDelay) {
  FrameInfo info;
  if (!image) return info;
  UINT count = 0;
  gp::GdipImageGetFrameCount(image, &kFrameDimensionTime, &count);
  info.frameCount = count > 0 ? static_cast<int>(count) : 1;

  UINT size = 0;
  if (gp::Ok(gp::GdipGetPropertyItemSize(image, kFrameDelayTag, &size)) && size >= sizeof(Gdiplus::PropertyItem)) {
    std::vector<std::uint8_t> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (gp::Ok(gp::GdipGetPropertyItem(image, kFrameDelayTag, size, item)) && item->value &&
        item->length > 0 && (item->type == kTypeLong || item->type == kTypeSLong)) {
      // Never read beyond what GDI+ handed back.
      const auto* valueEnd = buffer.data() + buffer.size();
      const auto* value = static_cast<const std::uint8_t*>(item->value);
      std::size_t n = item->length / 4;
      if (value < buffer.data() || value > valueEnd) n = 0;
      else n = std::min<std::size_t>(n, static_cast<std::size_t>(valueEnd - value) / 4);
      info.delays.resize(n);
      for (std::size_t i = 0; i < n; ++i) {
        std::int32_t d;
        std::memcpy(&d, value + 4 * i, 4);
        info.delays[i] = d;
      }
    }
  }
  if (info.delays.empty() && defaultDelay) info.delays.push_back(10);
  if (fixZeroDelays)
    for (int& d : info.delays)
      if (d == 0) d = 10;
  return info;
}

bool SelectFrame(Gdiplus::GpImage* image, int index) {
  return image && gp::Ok(gp::GdipImageSelectActiveFrame(image, &kFrameDimensionTime, index));
}

gp::Bitmap BitmapFromIcon(HICON icon) {
  gp::Bitmap result;
  ICONINFO ii{};
  if (!icon || !GetIconInfo(icon, &ii)) return result;
  gdi::Bitmap color(ii.hbmColor), mask(ii.hbmMask);  // released on every path
  BITMAP bm{};
  if (!color || !GetObjectW(color.get(), sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
    // Monochrome icon: let GDI+ convert it.
    Gdiplus::GpBitmap* converted = nullptr;
    gp::GdipCreateBitmapFromHICON(icon, &converted);
    result.reset(converted);
    return result;
  }
  const int w = bm.bmWidth, h = bm.bmHeight;
  // Copy the colour bitmap into 32-bit top-down pixels.
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  gdi::WindowDc screen(nullptr);
  const bool read = GetDIBits(screen.get(), color.get(), 0, h, pixels.data(), &bi, DIB_RGB_COLORS) == h;
  bool hasAlpha = false;
  if (read)
    for (std::uint32_t p : pixels)
      if (p >> 24) {
        hasAlpha = true;
        break;
      }
  gp::Bitmap source;
  if (hasAlpha) {
    gp::GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels.data()), source.put());
  } else {
    Gdiplus::GpBitmap* converted = nullptr;
    gp::GdipCreateBitmapFromHICON(icon, &converted);
    source.reset(converted);
  }
  if (!source) return result;
  // Draw into a bitmap of our own so the result does not borrow `pixels`.
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, result.put()))) return result;
  gp::Graphics g;
  if (gp::Ok(gp::GdipGetImageGraphicsContext(result.get(), g.put()))) {
    gp::GdipSetCompositingMode(g.get(), Gdiplus::CompositingModeSourceCopy);
    gp::GdipDrawImageRectI(g.get(), source.get(), 0, 0, w, h);
  }
  return result;
}

}  // namespace ui
