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
// Characters a line may have drawn alone for their stamps (each costs a
// GDI+ draw of its own).
constexpr int kMadeAlonePerLine = 4;
// Characters drawn together for their stamps, at most.
constexpr std::size_t kTogether = 48;

// Characters GDI+ draws alone as it draws them in a line: no combining
// marks (the kana sound marks and ideographic tone marks among them), soft
// hyphen, joining scripts, direction or format controls, tabs or surrogates.
bool Plain(wchar_t c) {
  return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0x2FF && c != 0xAD) || (c >= 0x2010 && c <= 0x2027) ||
         (c >= 0x2030 && c <= 0x205E) || (c >= 0x3000 && c <= 0x3029) || (c >= 0x3030 && c <= 0x3098) ||
         (c >= 0x309B && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
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
  if (!DrawsInDevicePixels(g)) return false;

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
  s->lineHeight = fontHeight;
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

bool GlyphStamps::MakeSurface(int width, int height, gp::Bitmap* bitmap, gp::Graphics* graphics) const {
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, bitmap->put())) ||
      !gp::Ok(gp::GdipGetImageGraphicsContext(bitmap->get(), graphics->put())))
    return false;
  Gdiplus::GpGraphics* g = graphics->get();
  const Settings& s = settings_;
  return gp::Ok(gp::GdipSetTextRenderingHint(g, s.hint)) && gp::Ok(gp::GdipSetTextContrast(g, s.contrast)) &&
         gp::Ok(gp::GdipSetSmoothingMode(g, s.smoothing)) && gp::Ok(gp::GdipSetCompositingMode(g, s.compositing)) &&
         gp::Ok(gp::GdipSetCompositingQuality(g, s.quality)) && gp::Ok(gp::GdipSetPixelOffsetMode(g, s.pixelOffset));
}

bool GlyphStamps::PrepareSurface() {
  if (surfaceGraphics_) return true;
  // Room for a character two lines wide, with a line's height around it.
  margin_ = static_cast<int>(std::ceil(settings_.lineHeight)) + 2;
  surfaceWidth_ = 5 * margin_;
  surfaceHeight_ = 3 * margin_;
  if (MakeSurface(surfaceWidth_, surfaceHeight_, &surface_, &surfaceGraphics_)) return true;
  surfaceGraphics_.reset();
  return false;
}

GlyphStamps::Stamp GlyphStamps::InkOf(const std::vector<Argb>& pixels, int width, const RECT& zone, int originX,
                                      int originY) const {
  LONG left = zone.right, top = zone.bottom, right = zone.left, bottom = zone.top;
  for (LONG y = zone.top; y < zone.bottom; ++y) {
    const Argb* row = &pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
    for (LONG x = zone.left; x < zone.right; ++x)
      if (row[x] != settings_.back) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  }
  Stamp stamp;
  stamp.usable = true;
  if (right <= left) return stamp;
  // Ink on the edge of its zone may have gone beyond it.
  stamp.usable = left > zone.left && top > zone.top && right < zone.right && bottom < zone.bottom;
  stamp.dx = left - originX;
  stamp.dy = top - originY;
  stamp.width = right - left;
  stamp.height = bottom - top;
  stamp.pixels.reserve(static_cast<std::size_t>(stamp.width) * static_cast<std::size_t>(stamp.height));
  for (LONG y = top; y < bottom; ++y) {
    const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
    stamp.pixels.insert(stamp.pixels.end(), row + left, row + right);
  }
  return stamp;
}

const GlyphStamps::Stamp* GlyphStamps::Keep(const Key& key, Stamp stamp) {
  keptPixels_ += stamp.pixels.size();
  return &stamps_.insert_or_assign(key, std::move(stamp)).first->second;
}

bool GlyphStamps::DrawOnBackground(Gdiplus::GpBitmap* bitmap, Gdiplus::GpGraphics* graphics, const RECT& whole,
                                   std::wstring_view text, Gdiplus::RectF box, Gdiplus::GpFont* font,
                                   Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush,
                                   std::vector<Argb>* pixels) const {
  return FillArgbPixels(bitmap, whole, settings_.back) &&
         gp::Ok(gp::GdipDrawString(graphics, text.data(), static_cast<INT>(text.size()), font, &box, format,
                                   reinterpret_cast<Gdiplus::GpBrush*>(brush))) &&
         gp::Ok(gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync)) && ReadArgbPixels(bitmap, whole, *pixels);
}

const GlyphStamps::Stamp* GlyphStamps::StampOf(wchar_t c, float fx, float fy, float boxWidth, Gdiplus::GpFont* font,
                                               Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush,
                                               int* madeAlone) {
  const Key key{c, std::bit_cast<std::uint32_t>(fx), std::bit_cast<std::uint32_t>(fy)};
  if (const auto found = stamps_.find(key); found != stamps_.end()) return &found->second;
  if (--*madeAlone < 0) return nullptr;

  // The character alone, on the background, where its origin falls within a pixel.
  const RECT whole{0, 0, surfaceWidth_, surfaceHeight_};
  std::vector<Argb> pixels;
  const wchar_t text[1] = {c};
  Gdiplus::RectF box(static_cast<float>(2 * margin_) + fx, static_cast<float>(margin_) + fy, boxWidth,
                     settings_.lineHeight);
  if (!DrawOnBackground(surface_.get(), surfaceGraphics_.get(), whole, std::wstring_view(text, 1), box, font, format,
                        brush, &pixels))
    return nullptr;
  return Keep(key, InkOf(pixels, surfaceWidth_, whole, 2 * margin_, margin_));
}

void GlyphStamps::StampTogether(const std::vector<std::pair<wchar_t, float>>& chars, float fx, float fy,
                                wchar_t gapChar, float gapAdvance, Gdiplus::GpFont* font,
                                Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush) {
  // One draw of the characters in a row, inkless gap characters between
  // them and the first one again at the end. Each character's ink is looked
  // for within half the gap on either side of its cell; the repeated one
  // must leave the same stamp as the first, which shows the advances placed
  // them. The gap character's own stamp must show it leaves no ink.
  const int count = static_cast<int>(chars.size());
  if (count < 2 || !(gapAdvance >= 1) || gapAdvance != std::floor(gapAdvance)) return;
  int drawAlone = 1;
  const Stamp* gapStamp = StampOf(gapChar, fx, fy, 0, font, format, brush, &drawAlone);
  if (!gapStamp || !gapStamp->usable || !gapStamp->pixels.empty()) return;
  // Ink reaching more than a quarter of a line beyond a cell touches the
  // edge of its zone and is not kept.
  const int spaces = static_cast<int>(std::ceil(0.5f * static_cast<float>(margin_) / gapAdvance));
  const int gap = spaces * static_cast<int>(gapAdvance), half = gap / 2;
  std::wstring text;
  std::vector<int> origins;  // each character's origin from the surface's left edge
  int x = 2 * margin_;
  for (int j = 0; j <= count; ++j) {
    const auto& [c, advance] = chars[static_cast<std::size_t>(j % count)];
    if (!(advance >= 0) || advance != std::floor(advance) || advance > 4.0f * static_cast<float>(margin_)) return;
    if (j) {
      text.append(static_cast<std::size_t>(spaces), gapChar);
      x += gap;
    }
    text += c;
    origins.push_back(x);
    x += static_cast<int>(advance);
  }
  const int width = x + 2 * margin_, height = surfaceHeight_;
  if (width > 4096) return;
  gp::Bitmap bitmap;
  gp::Graphics graphics;
  std::vector<Argb> pixels;
  const RECT whole{0, 0, width, height};
  Gdiplus::RectF box(static_cast<float>(2 * margin_) + fx, static_cast<float>(margin_) + fy, 0, 0);
  if (!MakeSurface(width, height, &bitmap, &graphics) ||
      !DrawOnBackground(bitmap.get(), graphics.get(), whole, text, box, font, format, brush, &pixels))
    return;
  const auto inkOf = [&](int j) {
    const int origin = origins[static_cast<std::size_t>(j)];
    const int advance = static_cast<int>(chars[static_cast<std::size_t>(j % count)].second);
    const LONG left = j ? origin - half : 0, right = j < count ? origin + advance + gap - half : width;
    return InkOf(pixels, width, RECT{left, 0, right, height}, origin, margin_);
  };
  const Stamp first = inkOf(0), again = inkOf(count);
  if (!first.usable || first.pixels.empty() || first.dx != again.dx || first.dy != again.dy ||
      first.width != again.width || first.pixels != again.pixels)
    return;
  for (int j = 0; j < count; ++j) {
    Stamp stamp = inkOf(j);
    if (stamp.usable)
      Keep(Key{chars[static_cast<std::size_t>(j)].first, std::bit_cast<std::uint32_t>(fx),
               std::bit_cast<std::uint32_t>(fy)},
           std::move(stamp));
  }
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
      surfaceGraphics_.reset();
      surface_.reset();
    }
    stamps_.clear();
    keptPixels_ = 0;
  }
  if (failed_ || !PrepareSurface()) return false;

  // Each character's ink, placed where its origin falls.
  struct Piece {
    const Stamp* stamp;
    RECT place;  // the whole stamp on the bitmap
    RECT shown;  // the part of it inside the clip
  };
  std::vector<Piece> pieces;
  const float y = line.box.Y, fy = y - std::floor(y);
  // Characters not kept yet are drawn together, by where they fall within
  // a pixel; a few more may be drawn alone, the rest leave the line to GDI+.
  std::vector<std::pair<float, std::vector<std::pair<wchar_t, float>>>> missing;
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    const float x = line.box.X + (*line.starts)[i], fx = x - std::floor(x);
    const wchar_t c = line.text[i];
    if (stamps_.contains(Key{c, std::bit_cast<std::uint32_t>(fx), std::bit_cast<std::uint32_t>(fy)})) continue;
    auto group = std::find_if(missing.begin(), missing.end(), [&](const auto& m) { return m.first == fx; });
    if (group == missing.end()) group = missing.insert(missing.end(), {fx, {}});
    auto& chars = group->second;
    if (std::none_of(chars.begin(), chars.end(), [&](const auto& k) { return k.first == c; }))
      chars.push_back({c, (*line.starts)[i + 1] - (*line.starts)[i]});
  }
  for (const auto& [fx, chars] : missing) {
    for (std::size_t at = 0; at < chars.size(); at += kTogether) {
      const std::vector<std::pair<wchar_t, float>> part(chars.begin() + static_cast<std::ptrdiff_t>(at),
                                                         chars.begin() + static_cast<std::ptrdiff_t>(
                                                                             std::min(chars.size(), at + kTogether)));
      StampTogether(part, fx, fy, line.gap, line.gapAdvance, font, format, brush);
    }
  }
  int madeAlone = kMadeAlonePerLine;
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    const float start = (*line.starts)[i], x = line.box.X + start, fx = x - std::floor(x);
    // A character draws alone as in its line only where it fits the rest of the box.
    const float rest = line.box.Width > 0 ? line.box.Width - start : 0;
    if (line.box.Width > 0 && !(rest >= (*line.starts)[i + 1] - start)) return false;
    const Stamp* stamp = StampOf(line.text[i], fx, fy, rest, font, format, brush, &madeAlone);
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
  if (checked_ >= kChecks) return true;

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
