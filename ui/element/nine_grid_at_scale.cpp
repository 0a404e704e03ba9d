#include "ui/element/nine_grid_at_scale.h"

#include <cmath>

#include "ui/core/image.h"
#include "ui/host/draw_image.h"

namespace ui {

void DrawNineGridAtScale(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, const RECT& centre) {
  if (!g || !image) return;
  if (!IsLargerDrawing(image)) {
    DrawNineGrid(g, image, dest, centre);
    return;
  }
  const float f = ImagePixelsPerLogical(image);
  auto scaled = [f](LONG v) { return static_cast<LONG>(std::lround(static_cast<float>(v) * f)); };
  const RECT pixelCentre{scaled(centre.left), scaled(centre.top), scaled(centre.right), scaled(centre.bottom)};
  Gdiplus::GraphicsState state = 0;
  if (!gp::Ok(gp::GdipSaveGraphics(g, &state))) return;
  gp::GdipScaleWorldTransform(g, 1.0f / f, 1.0f / f, Gdiplus::MatrixOrderPrepend);
  gp::GdipSetInterpolationMode(g, Gdiplus::InterpolationModeHighQualityBicubic);
  DrawNineGrid(g, image, RectF{dest.x * f, dest.y * f, dest.width * f, dest.height * f}, pixelCentre);
  gp::GdipRestoreGraphics(g, state);
}

}  // namespace ui
