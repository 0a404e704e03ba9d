#pragma once
// Nine-grid drawing of an image that may be a larger drawing (ui/core/image.h).
#include <windows.h>

#include "ui/element/element_types.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

// DrawNineGrid with `centre` given in the image's 100 % pixels: for an
// image decoded at 100 % exactly DrawNineGrid; for a larger drawing the
// centre is scaled to its pixels and the drawing is made at that scale and
// reduced back with high-quality interpolation, so that corners keep their
// logical size and stay as sharp as the drawing.
void DrawNineGridAtScale(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, const RECT& centre);

}  // namespace ui
