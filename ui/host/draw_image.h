#pragma once
// Image drawing primitives shared by the host and the controls.
#include <windows.h>

#include "ui/element/element_types.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

// Draws `image` whole into `dest` with an overall alpha (255 = as is;
// otherwise through a colour matrix with alpha / 255).
void DrawImageAlpha(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, int alpha);

// Nine-grid drawing: `centre` {left, top, right, bottom} is the centre
// rectangle of the image in image pixels. Corners keep their size, edges
// stretch along their edge, the centre both ways. When `dest` is smaller
// than the margins, the margins shrink proportionally. `attributes` may be null.
void DrawNineGrid(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest,
                  const RECT& centre, Gdiplus::GpImageAttributes* attributes = nullptr);

}  // namespace ui
