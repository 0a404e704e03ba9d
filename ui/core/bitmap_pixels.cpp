#include "ui/core/bitmap_pixels.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "ui/core/image.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

// The pixels of a rectangle of a bitmap, locked in the bitmap's own format
// (so the platform hands out its memory instead of converting a copy).
class LockedPixels {
 public:
  LockedPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, Gdiplus::PixelFormat format, UINT mode)
      : bitmap_(bitmap) {
    Gdiplus::Rect rect(area.left, area.top, area.right - area.left, area.bottom - area.top);
    locked_ = gp::Ok(gp::GdipBitmapLockBits(bitmap, &rect, mode, format, &data_));
  }
  LockedPixels(const LockedPixels&) = delete;
  LockedPixels& operator=(const LockedPixels&) = delete;
  ~LockedPixels() {
    if (locked_) gp::GdipBitmapUnlockBits(bitmap_, &data_);
  }
  bool Locked() const { return locked_; }
  std::uint32_t* Row(int y) const {
    return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(data_.Scan0) +
                                            static_cast<std::ptrdiff_t>(y) * data_.Stride);
  }

 private:
  Gdiplus::GpBitmap* bitmap_;
  Gdiplus::BitmapData data_{};
  bool locked_ = false;
};

Gdiplus::PixelFormat FormatOf(Gdiplus::GpBitmap* bitmap) {
  Gdiplus::PixelFormat format = 0;
  gp::GdipGetImagePixelFormat(reinterpret_cast<Gdiplus::GpImage*>(bitmap), &format);
  return format;
}

bool FitsIn(Gdiplus::GpBitmap* bitmap, const RECT& area) {
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(bitmap);
  const std::uint32_t w = ImageWidth(image), h = ImageHeight(image);
  return area.left >= 0 && area.top >= 0 && area.right > area.left && area.bottom > area.top &&
         area.right <= static_cast<LONG>(w) && area.bottom <= static_cast<LONG>(h);
}

// A graphics over rows of `count` pixels in caller's memory, composing as `like` does.
struct RowSurface {
  gp::Bitmap bitmap;
  gp::Graphics graphics;
  RowSurface(std::uint32_t* pixels, int count, Gdiplus::PixelFormat format, Gdiplus::GpGraphics* like,
             int rows = 1) {
    gp::GdipCreateBitmapFromScan0(count, rows, count * 4, format, reinterpret_cast<BYTE*>(pixels), bitmap.put());
    if (bitmap) gp::GdipGetImageGraphicsContext(bitmap.get(), graphics.put());
    if (!graphics || !like) return;
    Gdiplus::CompositingMode mode = Gdiplus::CompositingModeSourceOver;
    Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityDefault;
    Gdiplus::SmoothingMode smoothing = Gdiplus::SmoothingModeDefault;
    if (gp::Ok(gp::GdipGetCompositingMode(like, &mode))) gp::GdipSetCompositingMode(graphics.get(), mode);
    if (gp::Ok(gp::GdipGetCompositingQuality(like, &quality)))
      gp::GdipSetCompositingQuality(graphics.get(), quality);
    if (gp::Ok(gp::GdipGetSmoothingMode(like, &smoothing))) gp::GdipSetSmoothingMode(graphics.get(), smoothing);
  }
  // Ends the drawing: the pixels hold its result.
  bool Finish() {
    if (!graphics) return false;
    const bool flushed = gp::Ok(gp::GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync));
    graphics.reset();
    bitmap.reset();
    return flushed;
  }
};

}  // namespace

bool DrawsInDevicePixels(Gdiplus::GpGraphics* graphics) {
  Gdiplus::Unit unit = Gdiplus::UnitWorld;
  float pageScale = 0;
  if (!gp::Ok(gp::GdipGetPageUnit(graphics, &unit)) || (unit != Gdiplus::UnitPixel && unit != Gdiplus::UnitDisplay) ||
      !gp::Ok(gp::GdipGetPageScale(graphics, &pageScale)) || pageScale != 1.0f)
    return false;
  gp::Matrix transform;
  BOOL identity = FALSE;
  return gp::Ok(gp::GdipCreateMatrix(transform.put())) && gp::Ok(gp::GdipGetWorldTransform(graphics, transform.get())) &&
         gp::Ok(gp::GdipIsMatrixIdentity(transform.get(), &identity)) && identity;
}

RECT PixelsOnBitmap(Gdiplus::GpBitmap* bitmap, float x, float y, float width, float height) {
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(bitmap);
  return RECT{std::max(0L, static_cast<LONG>(x)), std::max(0L, static_cast<LONG>(y)),
              std::min(static_cast<LONG>(ImageWidth(image)), static_cast<LONG>(x + width)),
              std::min(static_cast<LONG>(ImageHeight(image)), static_cast<LONG>(y + height))};
}

bool DrawsUnclippedInDevicePixels(Gdiplus::GpGraphics* graphics) {
  if (!DrawsInDevicePixels(graphics)) return false;
  gp::Region clip;
  BOOL infinite = FALSE;
  return gp::Ok(gp::GdipCreateRegion(clip.put())) && gp::Ok(gp::GdipGetClip(graphics, clip.get())) &&
         gp::Ok(gp::GdipIsInfiniteRegion(clip.get(), graphics, &infinite)) && infinite;
}

namespace {
// The pixel GDI+ leaves when `like` fills the whole-pixel square (1, 1)-(3, 3)
// of a 4 x 4 surface of `under` pixels with `colour`, provided it changes
// exactly those four pixels, all alike (no softened edge); nothing otherwise.
std::optional<Argb> CrispFillPixel(Argb colour, Argb under, Gdiplus::GpGraphics* like) {
  std::uint32_t pixels[16];
  std::fill(std::begin(pixels), std::end(pixels), under);
  RowSurface surface(pixels, 4, PixelFormat32bppARGB, like, 4);
  Gdiplus::PixelOffsetMode offset = Gdiplus::PixelOffsetModeDefault;
  gp::SolidBrush brush;
  if (!surface.graphics || !gp::Ok(gp::GdipGetPixelOffsetMode(like, &offset)) ||
      !gp::Ok(gp::GdipSetPixelOffsetMode(surface.graphics.get(), offset)) ||
      !gp::Ok(gp::GdipCreateSolidFill(colour, brush.put())) ||
      !gp::Ok(gp::GdipFillRectangle(surface.graphics.get(), brush.get(), 1, 1, 2, 2)) || !surface.Finish())
    return std::nullopt;
  for (int i = 0; i < 16; ++i) {
    const bool covered = (i / 4 == 1 || i / 4 == 2) && (i % 4 == 1 || i % 4 == 2);
    if (covered ? pixels[i] != pixels[5] : pixels[i] != under) return std::nullopt;
  }
  return pixels[5];
}

// Fills `area` (inside the bitmap) directly when its pixels are all alike
// (a cleared element, or any pixels under an opaque colour): each then
// becomes what the probe above leaves. False (nothing written) otherwise.
bool FillUniformArea(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap, const RECT& area, Argb colour) {
  if (!gp::Ok(gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync))) return false;
  const LockedPixels pixels(bitmap, area, PixelFormat32bppARGB,
                            Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite);
  if (!pixels.Locked()) return false;
  const int width = area.right - area.left, height = area.bottom - area.top;
  const Argb under = pixels.Row(0)[0];
  if ((colour >> 24) != 0xFF) {
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* row = pixels.Row(y);
      if (std::any_of(row, row + width, [under](std::uint32_t p) { return p != under; })) return false;
    }
  }
  const std::optional<Argb> pixel = CrispFillPixel(colour, under, graphics);
  if (!pixel) return false;
  for (int y = 0; y < height; ++y) std::fill_n(pixels.Row(y), width, *pixel);
  return true;
}
}  // namespace

void FillSolidRect(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap, const Gdiplus::RectF& rect,
                   Argb colour) {
  if (!graphics) return;
  if (bitmap && rect.Width > 0 && rect.Height > 0 && IsWholePixel(rect.X) && IsWholePixel(rect.Y) &&
      IsWholePixel(rect.Width) && IsWholePixel(rect.Height) && FormatOf(bitmap) == PixelFormat32bppARGB &&
      DrawsUnclippedInDevicePixels(graphics)) {
    // Only the part on the bitmap is drawn.
    const RECT area = PixelsOnBitmap(bitmap, rect.X, rect.Y, rect.Width, rect.Height);
    if (area.right <= area.left || area.bottom <= area.top) return;
    if (FillUniformArea(graphics, bitmap, area, colour)) return;
  }
  gp::SolidBrush brush;
  if (gp::Ok(gp::GdipCreateSolidFill(colour, brush.put())))
    gp::GdipFillRectangle(graphics, brush.get(), rect.X, rect.Y, rect.Width, rect.Height);
}

bool FillArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, Argb pixel) {
  if (!bitmap || FormatOf(bitmap) != PixelFormat32bppARGB || !FitsIn(bitmap, area)) return false;
  const LockedPixels pixels(bitmap, area, PixelFormat32bppARGB, Gdiplus::ImageLockModeWrite);
  if (!pixels.Locked()) return false;
  const int width = area.right - area.left;
  for (int y = 0; y < area.bottom - area.top; ++y) {
    std::uint32_t* row = pixels.Row(y);
    for (int x = 0; x < width; ++x) row[x] = pixel;
  }
  return true;
}

bool ReadArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, std::vector<Argb>& out) {
  if (!bitmap || FormatOf(bitmap) != PixelFormat32bppARGB || !FitsIn(bitmap, area)) return false;
  const LockedPixels pixels(bitmap, area, PixelFormat32bppARGB, Gdiplus::ImageLockModeRead);
  if (!pixels.Locked()) return false;
  const int width = area.right - area.left, height = area.bottom - area.top;
  out.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    std::memcpy(&out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)], pixels.Row(y),
                static_cast<std::size_t>(width) * 4);
  return true;
}

bool WriteArgbPixels(Gdiplus::GpBitmap* bitmap, const RECT& area, const std::vector<Argb>& in) {
  if (!bitmap || FormatOf(bitmap) != PixelFormat32bppARGB || !FitsIn(bitmap, area)) return false;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (in.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
  const LockedPixels pixels(bitmap, area, PixelFormat32bppARGB, Gdiplus::ImageLockModeWrite);
  if (!pixels.Locked()) return false;
  for (int y = 0; y < height; ++y)
    std::memcpy(pixels.Row(y), &in[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)],
                static_cast<std::size_t>(width) * 4);
  return true;
}

std::optional<Argb> FilledPixel(Argb colour, Gdiplus::GpGraphics* like) {
  std::uint32_t pixel = 0;
  RowSurface surface(&pixel, 1, PixelFormat32bppARGB, like);
  gp::SolidBrush brush;
  if (!surface.graphics || !gp::Ok(gp::GdipCreateSolidFill(colour, brush.put())) ||
      !gp::Ok(gp::GdipFillRectangle(surface.graphics.get(), brush.get(), -1, -1, 3, 3)) || !surface.Finish())
    return std::nullopt;
  return pixel;
}

bool PixelBlender::Draw(Gdiplus::GpBitmap* bitmap, const RECT& part, const PixelRows& dest, int x, int y,
                        Gdiplus::GpGraphics* like) {
  if (!bitmap || !dest.top || !FitsIn(bitmap, part)) return false;
  const int width = part.right - part.left, height = part.bottom - part.top;
  if (x < 0 || y < 0 || x + width > dest.width || y + height > dest.height) return false;
  const Gdiplus::PixelFormat format = FormatOf(bitmap);
  if (format != PixelFormat32bppARGB && format != PixelFormat32bppPARGB) return false;
  const LockedPixels source(bitmap, part, format, Gdiplus::ImageLockModeRead);
  if (!source.Locked()) return false;
  // An opaque pixel is itself in premultiplied form; a clear straight
  // (not premultiplied) one adds nothing.
  const bool straight = format == PixelFormat32bppARGB;
  const auto kind = [straight](std::uint32_t s) {
    const std::uint32_t alpha = s >> 24;
    return alpha == 0xFF ? 1 : (straight && alpha == 0) ? 0 : 2;  // 1 copy, 0 keep, 2 blend
  };
  const auto destRow = [&](int row) {
    return reinterpret_cast<std::uint32_t*>(dest.Row(y + row)) + x;
  };

  // Only drawing over (not copying onto) the destination keeps or copies
  // pixels as above; and a blend holds for the quality it was made with.
  Gdiplus::CompositingMode mode = Gdiplus::CompositingModeSourceOver;
  Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityDefault;
  if (like && (!gp::Ok(gp::GdipGetCompositingMode(like, &mode)) ||
               !gp::Ok(gp::GdipGetCompositingQuality(like, &quality))))
    return false;
  if (mode != Gdiplus::CompositingModeSourceOver) return false;
  if (keys_.empty() || count_ > kMaxKnown || quality != quality_) {
    Clear();
    quality_ = quality;
  }
  missing_.clear();
  // Mostly new pairs (translucent pixels over an image) save nothing:
  // GDI+ would blend as many itself. The pairs a refused draw added are
  // forgotten again.
  const std::size_t tooMany = std::min(
      kSlots / 4, std::max<std::size_t>(kMaxBatch, static_cast<std::size_t>(width) * height / 8));
  std::uint64_t last = 0;
  bool haveLast = false;
  for (int row = 0; row < height; ++row) {
    const std::uint32_t* s = source.Row(row);
    const std::uint32_t* d = destRow(row);
    for (int col = 0; col < width; ++col) {
      if (kind(s[col]) != 2) continue;
      const std::uint64_t key = (static_cast<std::uint64_t>(s[col]) << 32) | d[col];
      if (haveLast && key == last) continue;
      last = key;
      haveLast = true;
      const std::size_t slot = Slot(key);
      if (keys_[slot] != kEmpty) continue;
      keys_[slot] = key;  // its result comes with the batch
      ++count_;
      missing_.push_back(key);
      if (missing_.size() > tooMany) {
        Forget();
        return false;
      }
    }
  }
  // At most kMaxKnown + kSlots / 4 pairs: the table stays three quarters
  // full at most, so every probe ends.
  if (!missing_.empty() && !BlendMissing(format, like)) {
    Forget();
    return false;
  }

  haveLast = false;
  std::uint32_t lastResult = 0;
  for (int row = 0; row < height; ++row) {
    const std::uint32_t* s = source.Row(row);
    std::uint32_t* d = destRow(row);
    for (int col = 0; col < width; ++col) {
      switch (kind(s[col])) {
        case 1:
          d[col] = s[col];
          break;
        case 2: {
          const std::uint64_t key = (static_cast<std::uint64_t>(s[col]) << 32) | d[col];
          if (!haveLast || key != last) {
            last = key;
            haveLast = true;
            lastResult = results_[Slot(key)];
          }
          d[col] = lastResult;
          break;
        }
        default:
          break;
      }
    }
  }
  return true;
}

bool PixelBlender::BlendMissing(Gdiplus::PixelFormat format, Gdiplus::GpGraphics* like) {
  const int count = static_cast<int>(missing_.size());
  std::vector<std::uint32_t> sources(missing_.size()), results(missing_.size());
  for (std::size_t i = 0; i < missing_.size(); ++i) {
    sources[i] = static_cast<std::uint32_t>(missing_[i] >> 32);
    results[i] = static_cast<std::uint32_t>(missing_[i]);
  }
  {
    RowSurface from(sources.data(), count, format, nullptr);
    RowSurface onto(results.data(), count, PixelFormat32bppPARGB, like);
    if (!from.bitmap || !onto.graphics ||
        !gp::Ok(gp::GdipDrawImageRectRectI(onto.graphics.get(), reinterpret_cast<Gdiplus::GpImage*>(from.bitmap.get()),
                                           0, 0, count, 1, 0, 0, count, 1, Gdiplus::UnitPixel, nullptr, nullptr,
                                           nullptr)) ||
        !onto.Finish())
      return false;
  }
  for (std::size_t i = 0; i < missing_.size(); ++i) results_[Slot(missing_[i])] = results[i];
  return true;
}

std::size_t PixelBlender::Slot(std::uint64_t key) const {
  std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
  std::size_t slot = static_cast<std::size_t>(h >> 40) & (kSlots - 1);
  while (keys_[slot] != kEmpty && keys_[slot] != key) slot = (slot + 1) & (kSlots - 1);
  return slot;
}

void PixelBlender::Forget() {
  // A slot once taken stays taken until the table is cleared, so that no
  // probe that passed it stops short.
  for (const std::uint64_t key : missing_) keys_[Slot(key)] = kForgotten;
  forgotten_ += missing_.size();
}

void PixelBlender::Clear() {
  keys_.assign(kSlots, kEmpty);
  results_.assign(kSlots, 0);
  count_ = forgotten_ = 0;
}

}  // namespace ui
