#pragma once
// Drawing a decoded image stretched into a rectangle of an element's bitmap.
//
// GDI+ scales an image pixel by pixel at a high cost (milliseconds for a
// button face), yet a button draws the same image into the same place on
// every change of state, and buttons with the same artwork share the image.
// What GDI+ leaves on cleared pixels depends only on the image, the
// rectangle and the graphics' settings: those pixels are kept with the
// image and set directly the next time the same draw lands on cleared
// pixels; the first time, where GDI+ scales plainly (ui/core/bilinear_scale.h),
// they are computed instead of drawn. Every other draw (pixels not cleared,
// a transform, a clip, a rectangle off whole pixels or off the bitmap) is
// GDI+'s.
#include <cstddef>
#include <memory>

#include "ui/element/element_types.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Draws `image` into `dest` of the paint's graphics, as GdipDrawImageRect.
void DrawImageStretched(const PaintContext& pc, const std::shared_ptr<const gp::Image>& image, const RectF& dest);

// How many kept drawings the calling thread holds (for tests).
std::size_t KeptStretchedDrawingCount();

}  // namespace ui
