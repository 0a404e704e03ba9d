#include "ui/element/stretched_image.h"

#include <algorithm>
#include <vector>

#include "ui/core/bilinear_scale.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/core/image.h"

namespace ui {

namespace {

struct KeptDrawing {
  std::weak_ptr<const gp::Image> image;  // the entry goes with the image
  RECT place{};                          // bitmap pixels the image was drawn into
  ImageDrawSettings settings;
  std::vector<Argb> pixels;              // what GDI+ left there on cleared pixels
};

// A few button faces (2 MB at most); the oldest goes first beyond these.
constexpr std::size_t kMaxKept = 16;
constexpr std::size_t kMaxKeptPixels = 1u << 19;

std::vector<KeptDrawing>& Kept() {
  thread_local std::vector<KeptDrawing> kept;
  return kept;
}

void DropExpired(std::vector<KeptDrawing>& kept) {
  std::erase_if(kept, [](const KeptDrawing& k) { return k.image.expired(); });
}

bool SameImage(const std::weak_ptr<const gp::Image>& a, const std::shared_ptr<const gp::Image>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

// The graphics draws `dest` onto whole bitmap pixels with nothing between:
// no transform, page scale or clip. Reads the settings that shape the draw.
bool PlainTarget(const PaintContext& pc, const RectF& dest, RECT* place, ImageDrawSettings* settings) {
  Gdiplus::GpGraphics* g = pc.graphics;
  if (!g || !pc.bitmap || !IsWholePixel(dest.x) || !IsWholePixel(dest.y) || !IsWholePixel(dest.width) ||
      !IsWholePixel(dest.height) ||
      dest.width <= 0 || dest.height <= 0)
    return false;
  if (!DrawsUnclippedInDevicePixels(g)) return false;
  const std::optional<ImageDrawSettings> read = ImageDrawSettingsOf(g);
  if (!read) return false;
  *settings = *read;
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(pc.bitmap);
  const LONG left = static_cast<LONG>(dest.x), top = static_cast<LONG>(dest.y);
  *place = RECT{left, top, left + static_cast<LONG>(dest.width), top + static_cast<LONG>(dest.height)};
  return left >= 0 && top >= 0 && place->right <= static_cast<LONG>(ImageWidth(image)) &&
         place->bottom <= static_cast<LONG>(ImageHeight(image));
}

void Keep(std::vector<KeptDrawing>& kept, KeptDrawing drawing) {
  std::size_t total = drawing.pixels.size();
  for (const KeptDrawing& k : kept) total += k.pixels.size();
  while (!kept.empty() && (kept.size() >= kMaxKept || total > kMaxKeptPixels)) {
    total -= kept.front().pixels.size();
    kept.erase(kept.begin());
  }
  if (total <= kMaxKeptPixels) kept.push_back(std::move(drawing));
}

// What GDI+ would leave drawing `source` into `place` (at the bitmap's
// origin, over cleared pixels), computed directly where it scales plainly
// (ui/core/bilinear_scale.h); empty otherwise.
std::vector<Argb> ScaledDirectly(const PaintContext& pc, Gdiplus::GpImage* source, const RECT& place) {
  if (place.left != 0 || place.top != 0) return {};
  const auto width = static_cast<LONG>(ImageWidth(source)), height = static_cast<LONG>(ImageHeight(source));
  std::vector<Argb> pixels;
  if (width <= 0 || height <= 0 ||
      !ReadArgbPixels(reinterpret_cast<Gdiplus::GpBitmap*>(source), RECT{0, 0, width, height}, pixels))
    return {};
  const std::optional<WeightRounding> rounding = PlatformWeightRounding(pc.graphics);
  if (!rounding) return {};
  return ScaleBilinear(pixels, width, height, place.right, place.bottom, *rounding);
}

}  // namespace

void DrawImageStretched(const PaintContext& pc, const std::shared_ptr<const gp::Image>& image, const RectF& dest) {
  if (!image || !*image || !pc.graphics) return;
  Gdiplus::GpImage* source = image->get();
  const auto drawByGdiplus = [&] { gp::GdipDrawImageRect(pc.graphics, source, dest.x, dest.y, dest.width, dest.height); };
  RECT place{};
  ImageDrawSettings settings;
  std::vector<Argb> under;
  if (!PlainTarget(pc, dest, &place, &settings) ||
      !gp::Ok(gp::GdipFlush(pc.graphics, Gdiplus::FlushIntentionSync)) ||
      !ReadArgbPixels(pc.bitmap, place, under) ||
      !std::all_of(under.begin(), under.end(), [](Argb p) { return p == 0; })) {
    drawByGdiplus();
    return;
  }
  std::vector<KeptDrawing>& kept = Kept();
  DropExpired(kept);
  for (const KeptDrawing& k : kept) {
    if (SameImage(k.image, image) && EqualRect(&k.place, &place) && k.settings == settings &&
        WriteArgbPixels(pc.bitmap, place, k.pixels))
      return;
  }
  KeptDrawing drawing{image, place, settings, ScaledDirectly(pc, source, place)};
  if (!drawing.pixels.empty() && WriteArgbPixels(pc.bitmap, place, drawing.pixels)) {
    Keep(kept, std::move(drawing));
    return;
  }
  drawByGdiplus();
  if (gp::Ok(gp::GdipFlush(pc.graphics, Gdiplus::FlushIntentionSync)) &&
      ReadArgbPixels(pc.bitmap, place, drawing.pixels))
    Keep(kept, std::move(drawing));
}

std::size_t KeptStretchedDrawingCount() {
  std::vector<KeptDrawing>& kept = Kept();
  DropExpired(kept);
  return kept.size();
}

}  // namespace ui
