#pragma once
// Image drawing primitives shared by the host and the controls.
#include <windows.h>

#include "ui/element/element_types.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

// Draws `image` whole into `dest` with an overall alpha (255 = as is;
// otherwise through a colour matrix with alpha / 255).
void DrawImageAlpha(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, int alpha);
// The same pixels where `dest` meets `area`, drawing only that part of the
// image when it is placed pixel for pixel (its own size, whole-pixel
// corner); otherwise the whole image. A partial redraw then costs what the
// repaired area costs, not what the element's whole bitmap costs.
void DrawImageAlphaWithin(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, int alpha,
                          const RectF& area);
// The whole image pixels of a `width` x `height` image placed at `dest`
// that `area` touches, in image coordinates (empty when none).
RectF ImagePartWithin(float width, float height, const RectF& dest, const RectF& area);

// Nine-grid drawing: `centre` {left, top, right, bottom} is the centre
// rectangle of the image in image pixels. Corners keep their size, edges
// stretch along their edge, the centre both ways. When `dest` is smaller
// than the margins, the margins shrink proportionally. `attributes` may be null.
void DrawNineGrid(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest,
                  const RECT& centre, Gdiplus::GpImageAttributes* attributes = nullptr);

}  // namespace ui
