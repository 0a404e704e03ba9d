#include "ui/controls/glyph_stamps.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "ui/core/bitmap_pixels.h"
#include "ui/core/image.h"

namespace ui {

namespace {

// Lines checked against GDI+ for each set of settings.
constexpr int kChecks = 3;
// At most this many characters and pixels are kept; all go beyond them.
constexpr std::size_t kMaxStamps = 4096;
constexpr std::size_t kMaxKeptPixels = 1u << 20;

// Characters GDI+ draws alone as it draws them in a line: no combining
// marks, joining scripts, direction or format controls, tabs or surrogates.
bool Plain(wchar_t c) {
  return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0x2FF) || (c >= 0x2010 && c <= 0x2027) ||
         (c >= 0x2030 && c <= 0x205E) || (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

bool Intersect(const RECT& a, const RECT& b, RECT* out) {
  *out = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
  return out->left < out->right && out->top < out->bottom;
}

}  // namespace

bool GlyphStamps::ReadSettings(Gdiplus::GpGraphics* g, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                               Gdiplus::GpSolidFill* brush, Argb back, float boxHeight, Settings* s) const {
  // Stamps are placed on whole device pixels: nothing may scale or move them.
  Gdiplus::Unit pageUnit = Gdiplus::UnitWorld;
  float pageScale = 0;
  if (!gp::Ok(gp::GdipGetPageUnit(g, &pageUnit)) ||
      (pageUnit != Gdiplus::UnitPixel && pageUnit != Gdiplus::UnitDisplay) ||
      !gp::Ok(gp::GdipGetPageScale(g, &pageScale)) || pageScale != 1.0f)
    return false;
  gp::Matrix transform;
  BOOL identity = FALSE;
  if (!gp::Ok(gp::GdipCreateMatrix(transform.put())) || !gp::Ok(gp::GdipGetWorldTransform(g, transform.get())) ||
      !gp::Ok(gp::GdipIsMatrixIdentity(transform.get(), &identity)) || !identity)
    return false;

  Gdiplus::GpFontFamily* family = nullptr;
  if (!gp::Ok(gp::GdipGetFamily(font, &family)) || !family) return false;
  WCHAR name[LF_FACESIZE] = {};
  const bool named = gp::Ok(gp::GdipGetFamilyName(family, name, LANG_NEUTRAL));
  gp::GdipDeleteFontFamily(family);
  s->family = name;
  s->format = format;
  s->back = back;
  // A character is drawn alone in a box of a line's height; the line's own
  // box must hold a whole line (so no line limit leaves it out) and its
  // height changes nothing else.
  float fontHeight = 0;
  if (!gp::Ok(gp::GdipGetFontHeight(font, g, &fontHeight)) ||
      !(fontHeight > 0 && (boxHeight == 0 || boxHeight >= fontHeight)))
    return false;
  s->boxHeight = fontHeight;
  Gdiplus::ARGB colour = 0;
  const bool coloured = gp::Ok(gp::GdipGetSolidFillColor(brush, &colour));
  s->colour = colour;
  return named && coloured && gp::Ok(gp::GdipGetFontSize(font, &s->size)) && gp::Ok(gp::GdipGetFontStyle(font, &s->style)) &&
         gp::Ok(gp::GdipGetFontUnit(font, &s->unit)) &&
         gp::Ok(gp::GdipGetStringFormatFlags(format, &s->formatFlags)) &&
         gp::Ok(gp::GdipGetStringFormatAlign(format, &s->align)) &&
         gp::Ok(gp::GdipGetStringFormatLineAlign(format, &s->lineAlign)) &&
         gp::Ok(gp::GdipGetTextRenderingHint(g, &s->hint)) &&
         gp::Ok(gp::GdipGetTextContrast(g, &s->contrast)) && gp::Ok(gp::GdipGetSmoothingMode(g, &s->smoothing)) &&
         gp::Ok(gp::GdipGetCompositingMode(g, &s->compositing)) &&
         gp::Ok(gp::GdipGetCompositingQuality(g, &s->quality)) &&
         gp::Ok(gp::GdipGetPixelOffsetMode(g, &s->pixelOffset));
}

bool GlyphStamps::PrepareSurface(Gdiplus::GpGraphics* like, Gdiplus::GpFont* font) {
  if (surfaceGraphics_) return true;
  float height = 0;
  if (!gp::Ok(gp::GdipGetFontHeight(font, like, &height)) || !(height > 0 && height < 1000)) return false;
  // Room for a character two lines wide, with a line's height around it.
  margin_ = static_cast<int>(std::ceil(height)) + 2;
  surfaceWidth_ = 5 * margin_;
  surfaceHeight_ = 3 * margin_;
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(surfaceWidth_, surfaceHeight_, 0, PixelFormat32bppARGB, nullptr,
                                            surface_.put())) ||
      !gp::Ok(gp::GdipGetImageGraphicsContext(surface_.get(), surfaceGraphics_.put())))
    return false;
  Gdiplus::GpGraphics* g = surfaceGraphics_.get();
  const Settings& s = settings_;
  if (gp::Ok(gp::GdipSetTextRenderingHint(g, s.hint)) && gp::Ok(gp::GdipSetTextContrast(g, s.contrast)) &&
      gp::Ok(gp::GdipSetSmoothingMode(g, s.smoothing)) && gp::Ok(gp::GdipSetCompositingMode(g, s.compositing)) &&
      gp::Ok(gp::GdipSetCompositingQuality(g, s.quality)) && gp::Ok(gp::GdipSetPixelOffsetMode(g, s.pixelOffset)))
    return true;
  surfaceGraphics_.reset();
  return false;
}

const GlyphStamps::Stamp* GlyphStamps::StampOf(wchar_t c, float fx, float fy, float boxWidth, Gdiplus::GpFont* font,
                                               Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush) {
  const Key key{c, std::bit_cast<std::uint32_t>(fx), std::bit_cast<std::uint32_t>(fy)};
  if (const auto found = stamps_.find(key); found != stamps_.end()) return &found->second;

  // The character alone, on the background, where its origin falls within a pixel.
  const RECT whole{0, 0, surfaceWidth_, surfaceHeight_};
  std::vector<Argb> pixels;
  const wchar_t text[2] = {c, 0};
  Gdiplus::RectF box(static_cast<float>(2 * margin_) + fx, static_cast<float>(margin_) + fy, boxWidth,
                     settings_.boxHeight);
  if (!FillArgbPixels(surface_.get(), whole, settings_.back) ||
      !gp::Ok(gp::GdipDrawString(surfaceGraphics_.get(), text, 1, font, &box, format,
                                 reinterpret_cast<Gdiplus::GpBrush*>(brush))) ||
      !gp::Ok(gp::GdipFlush(surfaceGraphics_.get(), Gdiplus::FlushIntentionSync)) ||
      !ReadArgbPixels(surface_.get(), whole, pixels))
    return nullptr;

  int left = surfaceWidth_, top = surfaceHeight_, right = 0, bottom = 0;
  for (int y = 0; y < surfaceHeight_; ++y)
    for (int x = 0; x < surfaceWidth_; ++x)
      if (pixels[static_cast<std::size_t>(y * surfaceWidth_ + x)] != settings_.back) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  Stamp stamp;
  stamp.usable = true;
  if (right > left) {
    // Ink on the surface's edge may have gone beyond it.
    stamp.usable = left > 0 && top > 0 && right < surfaceWidth_ && bottom < surfaceHeight_;
    stamp.dx = left - 2 * margin_;
    stamp.dy = top - margin_;
    stamp.width = right - left;
    stamp.height = bottom - top;
    stamp.pixels.reserve(static_cast<std::size_t>(stamp.width * stamp.height));
    for (int y = top; y < bottom; ++y)
      stamp.pixels.insert(stamp.pixels.end(), pixels.begin() + y * surfaceWidth_ + left,
                          pixels.begin() + y * surfaceWidth_ + right);
  }
  keptPixels_ += stamp.pixels.size();
  return &stamps_.emplace(key, std::move(stamp)).first->second;
}

bool GlyphStamps::Draw(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap, Gdiplus::GpFont* font,
                       Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush, Argb back, const Line& line) {
  // A box of no width or height has no bound there; a negative one is GDI+'s to judge.
  if (!graphics || !bitmap || !font || !format || !brush || !line.starts ||
      line.starts->size() != line.text.size() + 1 || line.text.empty() || !(line.box.Width >= 0) ||
      !(line.box.Height >= 0))
    return false;
  if (!std::all_of(line.text.begin(), line.text.end(), Plain)) return false;
  Gdiplus::PixelFormat pixelFormat = 0;
  if (!gp::Ok(gp::GdipGetImagePixelFormat(reinterpret_cast<Gdiplus::GpImage*>(bitmap), &pixelFormat)) ||
      pixelFormat != PixelFormat32bppARGB)
    return false;
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(bitmap);
  RECT clip{};
  if (!Intersect(line.clip, RECT{0, 0, static_cast<LONG>(ImageWidth(image)), static_cast<LONG>(ImageHeight(image))},
                 &clip))
    return false;

  Settings settings;
  if (!ReadSettings(graphics, font, format, brush, back, line.box.Height, &settings)) return false;
  if (!haveSettings_ || !(settings == settings_) || stamps_.size() > kMaxStamps || keptPixels_ > kMaxKeptPixels) {
    if (!haveSettings_ || !(settings == settings_)) {
      settings_ = settings;
      haveSettings_ = true;
      failed_ = false;
      checked_ = 0;
      linesStamped_ = 0;
      surfaceGraphics_.reset();
      surface_.reset();
    }
    stamps_.clear();
    keptPixels_ = 0;
  }
  if (failed_ || !PrepareSurface(graphics, font)) return false;

  // Each character's ink, placed where its origin falls.
  struct Piece {
    const Stamp* stamp;
    RECT place;  // the whole stamp on the bitmap
    RECT shown;  // the part of it inside the clip
  };
  std::vector<Piece> pieces;
  const float y = line.box.Y, fy = y - std::floor(y);
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    const float start = (*line.starts)[i], x = line.box.X + start, fx = x - std::floor(x);
    // A character draws alone as in its line only where it fits the rest of the box.
    const float rest = line.box.Width > 0 ? line.box.Width - start : 0;
    if (line.box.Width > 0 && !(rest >= (*line.starts)[i + 1] - start)) return false;
    const Stamp* stamp = StampOf(line.text[i], fx, fy, rest, font, format, brush);
    if (!stamp || !stamp->usable) return false;
    if (stamp->pixels.empty()) continue;
    const LONG left = static_cast<LONG>(std::floor(x)) + stamp->dx, top = static_cast<LONG>(std::floor(y)) + stamp->dy;
    Piece piece{stamp, RECT{left, top, left + stamp->width, top + stamp->height}, {}};
    if (Intersect(piece.place, clip, &piece.shown)) pieces.push_back(piece);
  }
  std::vector<Argb> before, pixels;
  if (!gp::Ok(gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync)) || !ReadArgbPixels(bitmap, clip, before))
    return false;
  pixels = before;
  // Ink goes only onto the background: where a glyph's ink meets other ink
  // (another glyph's, or anything drawn before), GDI+ blends the two and a
  // copy would show only one.
  const LONG clipWidth = clip.right - clip.left;
  for (const Piece& p : pieces) {
    for (LONG py = p.shown.top; py < p.shown.bottom; ++py) {
      const Argb* from = &p.stamp->pixels[static_cast<std::size_t>((py - p.place.top) * p.stamp->width +
                                                                    (p.shown.left - p.place.left))];
      Argb* to = &pixels[static_cast<std::size_t>((py - clip.top) * clipWidth + (p.shown.left - clip.left))];
      for (LONG px = p.shown.left; px < p.shown.right; ++px, ++from, ++to) {
        if (*from == settings_.back) continue;
        if (*to != settings_.back) return false;
        *to = *from;
      }
    }
  }
  if (!WriteArgbPixels(bitmap, clip, pixels)) return false;
  if (checked_ >= kChecks) {
    ++linesStamped_;
    return true;
  }

  // One of the first lines: drawn again by GDI+ over the pixels as they
  // were, which must give the same. Either way the pixels are GDI+'s now.
  std::vector<Argb> drawn;
  const std::wstring text(line.text);
  Gdiplus::RectF box = line.box;
  if (!WriteArgbPixels(bitmap, clip, before) ||
      !gp::Ok(gp::GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &box, format,
                                 reinterpret_cast<Gdiplus::GpBrush*>(brush)))) {
    failed_ = true;
    return false;
  }
  if (gp::Ok(gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync)) && ReadArgbPixels(bitmap, clip, drawn) &&
      drawn == pixels) {
    ++checked_;
  } else {
    failed_ = true;
  }
  return true;
}

void GlyphStamps::SpoilOnePixelForTest() {
  for (auto& [key, stamp] : stamps_)
    for (Argb& pixel : stamp.pixels)
      if (pixel != settings_.back) {
        pixel ^= 0x00010101;
        return;
      }
}

}  // namespace ui
