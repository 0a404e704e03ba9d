#include "tests/support/image_pixels.h"

#include <cstring>

#include "ui/core/image.h"

namespace qwtest {

std::vector<ui::Argb> ImagePixels(Gdiplus::GpImage* image) {
  if (!image) return {};
  const UINT w = ui::ImageWidth(image), h = ui::ImageHeight(image);
  std::vector<ui::Argb> pixels(std::size_t{w} * h);
  Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
  Gdiplus::BitmapData data{};
  auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(image);
  if (!ui::gp::Ok(ui::gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                             &data)))
    return {};
  for (UINT y = 0; y < h; ++y)
    std::memcpy(pixels.data() + std::size_t{y} * w, static_cast<const std::uint8_t*>(data.Scan0) + y * data.Stride,
                w * sizeof(ui::Argb));
  ui::gp::GdipBitmapUnlockBits(bitmap, &data);
  return pixels;
}

std::vector<ui::Argb> GdiplusDecodedPixels(ui::ByteView bytes, bool signatureLeftOut) {
  ui::KeptImage decoded = ui::KeptImage::Decode(bytes, signatureLeftOut);
  return ImagePixels(decoded.get());
}

std::vector<ui::Argb> GdiplusCopiedPixels(ui::ByteView bytes, bool signatureLeftOut) {
  ui::KeptImage decoded = ui::KeptImage::Decode(bytes, signatureLeftOut);
  if (!decoded) return {};
  const UINT w = ui::ImageWidth(decoded.get()), h = ui::ImageHeight(decoded.get());
  ui::gp::Bitmap copy;
  ui::gp::GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0, PixelFormat32bppARGB, nullptr,
                                    copy.put());
  {
    ui::gp::Graphics g;
    ui::gp::GdipGetImageGraphicsContext(copy.get(), g.put());
    ui::gp::GdipDrawImageRectI(g.get(), decoded.get(), 0, 0, static_cast<INT>(w), static_cast<INT>(h));
  }
  return ImagePixels(copy.get());
}

}  // namespace qwtest
