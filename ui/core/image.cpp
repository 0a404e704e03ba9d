#include "ui/core/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "ui/core/bilinear_scale.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/core/png_decode.h"

namespace ui {

namespace {
constexpr std::uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Fills movable global memory with (signature +) bytes; null on failure.
HGLOBAL FillGlobal(ByteView bytes, bool addPngSignature) {
  const SIZE_T size = bytes.size() + (addPngSignature ? sizeof kPngSignature : 0);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!mem) return nullptr;
  auto* p = static_cast<std::uint8_t*>(GlobalLock(mem));
  if (!p) {
    GlobalFree(mem);
    return nullptr;
  }
  if (addPngSignature) {
    std::memcpy(p, kPngSignature, sizeof kPngSignature);
    p += sizeof kPngSignature;
  }
  std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(mem);
  return mem;
}

// A new 32bpp ARGB bitmap with `decoded` drawn into it, marked as drawn at
// `drawnAt`; null on failure.
gp::Image CopyToArgbBitmap(Gdiplus::GpImage* decoded, int drawnAt) {
  const auto w = ImageWidth(decoded);
  const auto h = ImageHeight(decoded);
  gp::Bitmap copy;
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0,
                                            PixelFormat32bppARGB, nullptr, copy.put())))
    return {};
  {
    gp::Graphics g;
    gp::GdipGetImageGraphicsContext(copy.get(), g.put());
    gp::GdipDrawImageRectI(g.get(), decoded, 0, 0, static_cast<INT>(w), static_cast<INT>(h));
  }
  TagImageScale(copy.get(), drawnAt);
  return gp::Image(copy.release());
}

// Whether GDI+ draws a straight-alpha image onto a cleared bitmap of
// `bitmap`'s kind pixel for pixel as itself, its clear pixels cleared: where
// it scales plainly, its probe's same-size draw shows it does.
bool DrawsImagesAsThemselves(Gdiplus::GpBitmap* bitmap) {
  gp::Graphics g;
  return gp::Ok(gp::GdipGetImageGraphicsContext(bitmap, g.put())) && PlatformWeightRounding(g.get()).has_value();
}

// An opaque image drawn onto a cleared bitmap is itself, pixel for pixel,
// and so is any image where GDI+ draws it so (above), its clear pixels
// cleared: its pixels are written straight into the new bitmap. Null when
// GDI+ would not draw it so.
gp::Image CopiedBitmap(DecodedPng& png, bool opaque, int drawnAt) {
  gp::Bitmap bitmap;
  const INT w = static_cast<INT>(png.width), h = static_cast<INT>(png.height);
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, bitmap.put()))) return {};
  if (!opaque) {
    if (!DrawsImagesAsThemselves(bitmap.get())) return {};
    for (std::uint32_t& p : png.pixels)
      if ((p >> 24) == 0) p = 0;
  }
  if (!WriteArgbPixels(bitmap.get(), RECT{0, 0, w, h}, png.pixels)) return {};
  TagImageScale(bitmap.get(), drawnAt);
  return gp::Image(bitmap.release());
}

// The copy of the drawing GDI+ would decode, when that drawing is a plain
// PNG (png_decode.h); null otherwise. The pixels GDI+ would decode are
// copied the same way, so the result is the same bitmap.
gp::Image CopyOfPlainPng(ByteView bytes, bool addPngSignature, int scaleQuarters) {
  const ImageVariant variant = PickImageVariant(bytes, scaleQuarters);
  std::optional<DecodedPng> png = DecodePlainPng(variant.bytes, addPngSignature);
  if (!png) return {};
  const bool opaque = std::all_of(png->pixels.begin(), png->pixels.end(),
                                  [](std::uint32_t p) { return (p >> 24) == 0xFF; });
  if (gp::Image copy = CopiedBitmap(*png, opaque, variant.quarters)) return copy;
  gp::Bitmap source;
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(static_cast<INT>(png->width), static_cast<INT>(png->height),
                                            static_cast<INT>(png->width * 4), PixelFormat32bppARGB,
                                            reinterpret_cast<BYTE*>(png->pixels.data()), source.put())))
    return {};
  return CopyToArgbBitmap(source.get(), variant.quarters);
}
}  // namespace

gp::Image ImageFromMemory(ByteView bytes, bool addPngSignature, int scaleQuarters) {
  if (bytes.empty()) return {};
  if (gp::Image copy = CopyOfPlainPng(bytes, addPngSignature, scaleQuarters)) return copy;
  KeptImage decoded = KeptImage::Decode(bytes, addPngSignature, scaleQuarters);
  if (!decoded) return {};
  return CopyToArgbBitmap(decoded.get(), decoded.DrawnAt());
}

KeptImage KeptImage::Decode(ByteView bytes, bool addPngSignature, int scaleQuarters) {
  KeptImage out;
  if (bytes.empty()) return out;
  const ImageVariant variant = PickImageVariant(bytes, scaleQuarters);
  if (variant.quarters != kUnitScaleQuarters) {
    out = DecodeDrawing(variant, addPngSignature);
    if (out) return out;
    // A larger drawing that does not decode: the image itself is still shown.
  }
  return DecodeDrawing(ImageVariant{bytes, kUnitScaleQuarters}, addPngSignature);
}

KeptImage KeptImage::DecodeDrawing(const ImageVariant& variant, bool addPngSignature) {
  KeptImage out;
  out.memory_ = FillGlobal(variant.bytes, addPngSignature);
  if (!out.memory_) return out;
  if (FAILED(CreateStreamOnHGlobal(out.memory_, FALSE, &out.stream_))) {
    out.stream_ = nullptr;
    out.reset();
    return out;
  }
  if (!gp::Ok(gp::GdipLoadImageFromStream(out.stream_, out.image_.put()))) {
    out.reset();
    return out;
  }
  TagImageScale(out.image_.get(), variant.quarters);
  out.drawnAt_ = variant.quarters;
  return out;
}

KeptImage::KeptImage(KeptImage&& o) noexcept
    : image_(std::move(o.image_)), stream_(o.stream_), memory_(o.memory_), drawnAt_(o.drawnAt_) {
  o.stream_ = nullptr;
  o.memory_ = nullptr;
}

KeptImage& KeptImage::operator=(KeptImage&& o) noexcept {
  if (this != &o) {
    reset();
    image_ = std::move(o.image_);
    stream_ = o.stream_;
    memory_ = o.memory_;
    drawnAt_ = o.drawnAt_;
    o.stream_ = nullptr;
    o.memory_ = nullptr;
  }
  return *this;
}

KeptImage::~KeptImage() { reset(); }

void KeptImage::reset() {
  image_.reset();  // the image reads from the stream: release it first
  if (stream_) stream_->Release();
  stream_ = nullptr;
  if (memory_) GlobalFree(memory_);
  memory_ = nullptr;
  drawnAt_ = kUnitScaleQuarters;
}

std::uint32_t ImageWidth(Gdiplus::GpImage* image) {
  UINT w = 0;
  if (image) gp::GdipGetImageWidth(image, &w);
  return w;
}

std::uint32_t ImageHeight(Gdiplus::GpImage* image) {
  UINT h = 0;
  if (image) gp::GdipGetImageHeight(image, &h);
  return h;
}

namespace {
constexpr float kUnitDpi = 96.0f;

// Logical length of `pixels` at resolution `dpi`: pixels unless the image
// is marked as drawn above 96 DPI.
std::uint32_t LogicalLength(std::uint32_t pixels, float dpi) {
  if (!(dpi > kUnitDpi + 0.5f)) return pixels;
  return static_cast<std::uint32_t>(std::floor(pixels * kUnitDpi / dpi + 0.5f));
}

float HorizontalDpi(Gdiplus::GpImage* image) {
  Gdiplus::REAL dpi = 0;
  if (!image || !gp::Ok(gp::GdipGetImageHorizontalResolution(image, &dpi))) return 0;
  return dpi;
}

float VerticalDpi(Gdiplus::GpImage* image) {
  Gdiplus::REAL dpi = 0;
  if (!image || !gp::Ok(gp::GdipGetImageVerticalResolution(image, &dpi))) return 0;
  return dpi;
}
}  // namespace

std::uint32_t ImageLogicalWidth(Gdiplus::GpImage* image) {
  return LogicalLength(ImageWidth(image), HorizontalDpi(image));
}

std::uint32_t ImageLogicalHeight(Gdiplus::GpImage* image) {
  return LogicalLength(ImageHeight(image), VerticalDpi(image));
}

float ImagePixelsPerLogical(Gdiplus::GpImage* image) {
  // The scale the image was drawn at (exactly 1.5 or 2), not the ratio of
  // its rounded sizes: cell coordinates multiply by it.
  const float dpi = HorizontalDpi(image);
  return dpi > kUnitDpi + 0.5f ? dpi / kUnitDpi : 1.0f;
}

bool IsLargerDrawing(Gdiplus::GpImage* image) { return HorizontalDpi(image) > kUnitDpi + 0.5f; }

void TagImageScale(Gdiplus::GpImage* image, int quarters) {
  if (!image || quarters <= 0) return;
  const float dpi = kUnitDpi * static_cast<float>(quarters) / kUnitScaleQuarters;
  gp::GdipBitmapSetResolution(reinterpret_cast<Gdiplus::GpBitmap*>(image), dpi, dpi);
}

LargerDrawingInterpolation::LargerDrawingInterpolation(Gdiplus::GpGraphics* graphics, Gdiplus::GpImage* image) {
  if (!graphics || !IsLargerDrawing(image)) return;
  if (!gp::Ok(gp::GdipGetInterpolationMode(graphics, &saved_))) return;
  if (gp::Ok(gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic)))
    graphics_ = graphics;
}

LargerDrawingInterpolation::~LargerDrawingInterpolation() {
  if (graphics_) gp::GdipSetInterpolationMode(graphics_, saved_);
}

void CopyToMemory(void* destination, ByteView bytes, std::size_t count) {
  if (!destination) return;
  const std::size_t n = (count > 0 && count < bytes.size()) ? count : bytes.size();
  if (n) std::memcpy(destination, bytes.data(), n);
}

void* AllocPages(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* address) {
  if (address) VirtualFree(address, 0, MEM_RELEASE);
}

}  // namespace ui
