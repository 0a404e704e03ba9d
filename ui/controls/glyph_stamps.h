#pragma once
// Drawing a line of text from the pixels each of its characters leaves.
//
// GDI+ draws text at tens of microseconds a glyph on some platforms, and an
// edit box draws the same characters over the same background again and
// again. Where a line's characters stand at their summed advances (nothing
// kerns or shapes them) and no two of them put ink on the same pixel, the
// line GDI+ draws over a plain background is made of the pixels each
// character leaves when GDI+ draws it alone at its place. Those pixels are
// kept per character and position within a pixel, and copied.
//
// The first lines drawn for a set of settings are drawn both ways and must
// come out the same; one difference sends every later line drawn with those
// settings to GDI+.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/core/color.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

class GlyphStamps {
 public:
  struct Line {
    std::wstring_view text;
    // text.size() + 1 summed advances from box.X: where each character and
    // the end of the text start.
    const std::vector<float>* starts = nullptr;
    Gdiplus::RectF box;  // the layout box GdipDrawString gets
    RECT clip{};         // the bitmap pixels drawn (the graphics is clipped to them)
    // A character without ink (a space) and its advance, summed as
    // `starts` are, to space out new characters drawn together for their
    // stamps; an advance of 0 where none is known (new characters are then
    // drawn alone, a few a line).
    wchar_t gap = L' ';
    float gapAdvance = 0;
  };

  // Draws `line` onto the 32bpp ARGB `bitmap` of `graphics` as
  // GdipDrawString(graphics, text, font, &box, format, brush) does, where
  // the pixels under its ink hold `back` (the pixel the background's fill
  // left). False when it drew nothing: a character outside the plain
  // scripts, ink that meets other ink (another glyph's or anything drawn
  // before), settings the stamps cannot follow (a transform, page scale,
  // another pixel format) or a GDI+ failure. The caller draws the line with
  // GDI+ then.
  bool Draw(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap, Gdiplus::GpFont* font,
            Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush, Argb back, const Line& line);

  // Whether a check against GDI+ found a difference for the current settings.
  bool Failed() const { return failed_; }
  // Changes one kept pixel of ink (for tests: a check must catch it).
  void SpoilOnePixelForTest();

 private:
  // Everything the pixels of a drawn character depend on besides the character.
  struct Settings {
    std::wstring family;
    float size = 0;
    INT style = 0;
    Gdiplus::Unit unit = Gdiplus::UnitWorld;
    Gdiplus::GpStringFormat* format = nullptr;
    INT formatFlags = 0;
    Gdiplus::StringAlignment align = Gdiplus::StringAlignmentNear, lineAlign = Gdiplus::StringAlignmentNear;
    Argb colour = 0, back = 0;
    Gdiplus::TextRenderingHint hint = Gdiplus::TextRenderingHintSystemDefault;
    UINT contrast = 0;
    Gdiplus::SmoothingMode smoothing = Gdiplus::SmoothingModeDefault;
    Gdiplus::CompositingMode compositing = Gdiplus::CompositingModeSourceOver;
    Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityDefault;
    Gdiplus::PixelOffsetMode pixelOffset = Gdiplus::PixelOffsetModeDefault;
    float lineHeight = 0;  // the font's: a character is drawn alone in a box of it
    bool operator==(const Settings&) const = default;
  };
  // A character at a position within a pixel.
  struct Key {
    wchar_t c;
    std::uint32_t x, y;  // the bits of the fractions of its origin
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<std::uint64_t>()((static_cast<std::uint64_t>(k.x) << 32 | k.y) * 31 + k.c);
    }
  };
  // The ink of a character: the pixels that differ from the background,
  // within a rectangle placed relative to the whole pixel of its origin.
  struct Stamp {
    bool usable = false;  // false: its ink reached the edge of the drawing surface
    int dx = 0, dy = 0, width = 0, height = 0;
    std::vector<Argb> pixels;  // width * height, `back` where there is no ink
  };

  bool ReadSettings(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                    Gdiplus::GpSolidFill* brush, Argb back, float boxHeight, Settings* settings) const;
  // A surface of the given size with the settings' rendering.
  bool MakeSurface(int width, int height, gp::Bitmap* bitmap, gp::Graphics* graphics) const;
  bool PrepareSurface();
  // Fills `whole` (all of `bitmap`) with the background, draws `text` in
  // `box` on it and reads the pixels back.
  bool DrawOnBackground(Gdiplus::GpBitmap* bitmap, Gdiplus::GpGraphics* graphics, const RECT& whole,
                        std::wstring_view text, Gdiplus::RectF box, Gdiplus::GpFont* font,
                        Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush,
                        std::vector<Argb>* pixels) const;
  // The ink in rows [top, bottom) of `pixels` (rows `width` wide), placed
  // relative to the pixel (originX, originY).
  Stamp InkOf(const std::vector<Argb>& pixels, int width, const RECT& zone, int originX, int originY) const;
  const Stamp* Keep(const Key& key, Stamp stamp);
  // The stamp of `c` with its origin at the fractions (fx, fy) of a pixel:
  // a kept one, or one made by drawing it alone while `madeAlone` (counted
  // down) allows; null otherwise or on failure.
  const Stamp* StampOf(wchar_t c, float fx, float fy, float boxWidth, Gdiplus::GpFont* font,
                       Gdiplus::GpStringFormat* format, Gdiplus::GpSolidFill* brush, int* madeAlone);
  // Makes the stamps of `chars` (none kept; each with its advance) at
  // (fx, fy) with one GDI+ draw; where that cannot be trusted, nothing is kept.
  void StampTogether(const std::vector<std::pair<wchar_t, float>>& chars, float fx, float fy, wchar_t gap,
                     float gapAdvance, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                     Gdiplus::GpSolidFill* brush);

  Settings settings_;
  bool haveSettings_ = false;
  bool failed_ = false;
  int checked_ = 0;
  std::unordered_map<Key, Stamp, KeyHash> stamps_;
  std::size_t keptPixels_ = 0;
  // Where single characters are drawn: `margin_` pixels around the cell of
  // the widest character expected.
  gp::Bitmap surface_;
  gp::Graphics surfaceGraphics_;
  int margin_ = 0, surfaceWidth_ = 0, surfaceHeight_ = 0;
};

}  // namespace ui
