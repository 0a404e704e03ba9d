#include "ui/core/shapes.h"

namespace ui {

gp::Path RoundedRectPath(float x, float y, float w, float h, float r) {
  gp::Path path;
  if (!gp::Ok(gp::GdipCreatePath(Gdiplus::FillModeAlternate, path.put()))) return path;
  if (r <= 0.0f) {
    gp::GdipAddPathRectangle(path.get(), x, y, w - 1.0f, h - 1.0f);
    return path;
  }
  gp::GdipAddPathArc(path.get(), x, y, r, r, 180.0f, 90.0f);
  gp::GdipAddPathArc(path.get(), x + w - r - 1.0f, y, r, r, 270.0f, 90.0f);
  gp::GdipAddPathArc(path.get(), x + w - r - 1.0f, y + h - r - 1.0f, r, r, 0.0f, 90.0f);
  gp::GdipAddPathArc(path.get(), x, y + h - r - 1.0f, r, r, 90.0f, 90.0f);
  gp::GdipClosePathFigure(path.get());
  return path;
}

void FillRoundedRect(Gdiplus::GpGraphics* g, float x, float y, float w, float h, float r, Argb color) {
  if (!g) return;
  gp::Path path = RoundedRectPath(x, y, w, h, r);
  gp::SolidBrush brush;
  if (path && gp::Ok(gp::GdipCreateSolidFill(color, brush.put())))
    gp::GdipFillPath(g, brush.get(), path.get());
}

void DrawRoundedRect(Gdiplus::GpGraphics* g, float x, float y, float w, float h, float r, Argb color,
                     float penWidth) {
  if (!g) return;
  gp::Path path = RoundedRectPath(x, y, w, h, r);
  gp::Pen pen;
  if (path && gp::Ok(gp::GdipCreatePen1(color, penWidth, Gdiplus::UnitWorld, pen.put()))) {
    gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleSolid);
    gp::GdipDrawPath(g, pen.get(), path.get());
  }
}

}  // namespace ui
