#include "ui/element/text_drawing.h"

#include "ui/core/image.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {
constexpr Argb kLightHalo = ArgbOf(85, 255, 255, 255);
constexpr Argb kDarkShadow = ArgbOf(75, 0, 0, 0);

void DrawPlainText(Gdiplus::GpGraphics* g, const Gdiplus::RectF& rect, std::wstring_view text,
                   Gdiplus::GpFont* font, Argb color, Gdiplus::GpStringFormat* format) {
  gp::SolidBrush brush;
  if (!gp::Ok(gp::GdipCreateSolidFill(color, brush.put()))) return;
  gp::GdipDrawString(g, text.data(), static_cast<INT>(text.size()), font, &rect, format, brush.get());
}

gp::Bitmap NewArgbBitmap(int w, int h) {
  gp::Bitmap bmp;
  if (w > 0 && h > 0)
    gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, bmp.put());
  return bmp;
}

void Line(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, float x1, float y1, float x2, float y2) {
  gp::GdipDrawLine(g, pen, x1, y1, x2, y2);
}

gp::Pen MakePen(Argb color, float width, Gdiplus::DashStyle dash = Gdiplus::DashStyleSolid) {
  gp::Pen pen;
  if (gp::Ok(gp::GdipCreatePen1(color, width, Gdiplus::UnitWorld, pen.put())))
    gp::GdipSetPenDashStyle(pen.get(), dash);
  return pen;
}
}  // namespace

bool IsDarkColor(Argb color) {
  // Luminance 0.299 R + 0.587 G + 0.114 B below 192, in thousandths and
  // integers: exact at the threshold, whatever the floating-point unit.
  const unsigned luminance = 299u * RedOf(color) + 587u * GreenOf(color) + 114u * BlueOf(color);
  return luminance < 192000u;
}

void DrawTextWithEffect(Gdiplus::GpGraphics* g, const Gdiplus::RectF& rect, std::wstring_view text,
                        Gdiplus::GpFont* font, Argb color, Gdiplus::GpStringFormat* format, int effect,
                        Argb effectColor) {
  if (!g || text.empty()) return;
  if (effectColor == 0) effectColor = IsDarkColor(color) ? kLightHalo : kDarkShadow;
  const Gdiplus::RectF box(static_cast<float>(static_cast<int>(rect.X)),
                           static_cast<float>(static_cast<int>(rect.Y)),
                           static_cast<float>(static_cast<int>(rect.Width)),
                           static_cast<float>(static_cast<int>(rect.Height)));
  if ((effect == kEffectGlow || effect == kEffectOutline) && box.Width > 0 && box.Height > 0) {
    const int w = static_cast<int>(box.Width) + 7;
    const int h = static_cast<int>(box.Height) + 7;
    gp::Bitmap halo = NewArgbBitmap(w, h);
    gp::Graphics hg;
    if (halo && gp::Ok(gp::GdipGetImageGraphicsContext(halo.get(), hg.put()))) {
      gp::GdipSetSmoothingMode(hg.get(), Gdiplus::SmoothingModeAntiAlias);
      gp::GdipSetTextRenderingHint(hg.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
      // The text five times around its place makes a thick halo.
      static constexpr float kOffsets[5][2] = {{5, 4}, {3, 4}, {4, 3}, {4, 5}, {4, 4}};
      for (const auto& o : kOffsets)
        DrawPlainText(hg.get(), Gdiplus::RectF(o[0], o[1], box.Width, box.Height), text, font,
                      effectColor, format);
      hg.reset();
      // Scaling down by three and back up blurs the glow; the outline keeps its scale.
      const int scale = effect == kEffectGlow ? 3 : 1;
      gp::Bitmap small = NewArgbBitmap(w / scale, h / scale);
      gp::Graphics sg;
      if (small && gp::Ok(gp::GdipGetImageGraphicsContext(small.get(), sg.put()))) {
        gp::GdipSetSmoothingMode(sg.get(), Gdiplus::SmoothingModeAntiAlias);
        gp::GdipSetCompositingQuality(sg.get(), Gdiplus::CompositingQualityGammaCorrected);
        gp::GdipSetInterpolationMode(sg.get(), Gdiplus::InterpolationModeHighQualityBilinear);
        gp::GdipDrawImageRectI(sg.get(), halo.get(), 0, 0, w / scale, h / scale);
        sg.reset();
        gp::GdipDrawImageRect(g, small.get(), box.X - 4, box.Y - 4, box.Width + 7, box.Height + 7);
      }
    }
  }
  DrawPlainText(g, box, text, font, color, format);
}

void DrawBorderStyle(Gdiplus::GpGraphics* g, const Gdiplus::RectF& rect, Argb style, Argb color,
                     float penWidth) {
  if (!g || style == 0) return;
  const float x = rect.X, y = rect.Y, w = rect.Width, h = rect.Height;
  switch (style) {
    case 1: {  // sunken
      gp::Pen dark = MakePen(ArgbOf(160, 0, 0, 0), penWidth);
      gp::Pen light = MakePen(ArgbOf(245, 255, 255, 255), penWidth / 2);
      Line(g, dark.get(), x, y, x + w - 1, y);
      Line(g, dark.get(), x, y, x, y + h - 1);
      Line(g, light.get(), x, y + h - 1, x + w - 1, y + h - 1);
      Line(g, light.get(), x + w - 1, y, x + w - 1, y + h - 1);
      return;
    }
    case 2: {  // raised
      gp::Pen light = MakePen(ArgbOf(245, 255, 255, 255), penWidth / 2);
      gp::Pen dark = MakePen(ArgbOf(168, 0, 0, 0), penWidth);
      Line(g, light.get(), x, y, x + w - 2, y);
      Line(g, light.get(), x, y, x, y + h - 2);
      Line(g, dark.get(), x, y + h - 1, x + w - 1, y + h - 1);
      Line(g, dark.get(), x + w - 1, y, x + w - 1, y + h - 1);
      return;
    }
    case 3: {
      gp::Pen pen = MakePen(color ? color : MakeArgb(0x646464), penWidth);
      gp::GdipDrawRectangle(g, pen.get(), x, y, w - 1, h - 1);
      return;
    }
    case 4: {
      gp::Pen pen = MakePen(color ? color : MakeArgb(0, 120), penWidth, Gdiplus::DashStyleDash);
      gp::GdipDrawRectangle(g, pen.get(), x, y, w - 1, h - 1);
      return;
    }
    default: {
      gp::Pen pen = MakePen(style, penWidth);
      gp::GdipDrawRectangle(g, pen.get(), x, y, w - 1, h - 1);
      return;
    }
  }
}

bool IsBackgroundDark(Gdiplus::GpImage* backgroundImage, COLORREF backgroundColor,
                      const Gdiplus::RectF& bounds) {
  if (!backgroundImage) return IsDarkColor(MakeArgb(backgroundColor));
  auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(backgroundImage);
  const int width = static_cast<int>(ImageWidth(backgroundImage));
  const int height = static_cast<int>(ImageHeight(backgroundImage));
  // Bounds are logical; a larger drawing holds more pixels per logical pixel.
  const float f = ImagePixelsPerLogical(backgroundImage);
  static constexpr float kFractions[3] = {0.2f, 0.5f, 0.8f};
  int dark = 0;
  for (float fy : kFractions) {
    for (float fx : kFractions) {
      const int px = static_cast<int>((bounds.X + fx * bounds.Width) * f);
      const int py = static_cast<int>((bounds.Y + fy * bounds.Height) * f);
      // A sample outside the image cannot be read and does not count as dark.
      if (px < 0 || py < 0 || px >= width || py >= height) continue;
      Gdiplus::ARGB c = 0;
      if (gp::Ok(gp::GdipBitmapGetPixel(bitmap, px, py, &c)) && IsDarkColor(c)) ++dark;
    }
  }
  return dark > 4;
}

}  // namespace ui
