// UiCompositor: element pixels composed straight onto the canvas where that
// gives exactly what drawing them with GDI+ would. A partial redraw (a typed
// character, a scroll bar's thumb) composes elements placed pixel for pixel
// over a plain body: the platform's blending of a strip costs many times
// more than looking its few distinct blends up (see PixelBlender).
#include <algorithm>
#include <cstring>

#include "ui/core/image.h"
#include "ui/element/element.h"
#include "ui/host/compositor.h"
#include "ui/host/window.h"

namespace ui {

namespace {
// Before the canvas's pixels are read or written: GDI (the background's
// blit) and GDI+ may still hold drawing back.
void SyncPixels(const Canvas& canvas) {
  gp::GdipFlush(canvas.graphics(), Gdiplus::FlushIntentionSync);
  GdiFlush();
}
}  // namespace

bool UiCompositor::InsideBodyClip(const RECT& r) const {
  if (!clipRegion_) return true;
  if (!clipShape_ || r.right <= r.left || r.bottom <= r.top) return false;
  // The body's clip is a rounded (or square) rectangle: convex, so a
  // rectangle lies inside it when its four corner pixels do.
  return PtInRegion(clipShape_.get(), r.left, r.top) && PtInRegion(clipShape_.get(), r.right - 1, r.top) &&
         PtInRegion(clipShape_.get(), r.left, r.bottom - 1) && PtInRegion(clipShape_.get(), r.right - 1, r.bottom - 1);
}

bool UiCompositor::ComposeDirect(UiElement* element, const RECT& area) {
  if (element->Opacity() < 255 || element->Disabled() || element->TransitionRunning()) return false;
  Gdiplus::GpBitmap* bitmap = element->Bitmap();
  if (!bitmap) return false;
  const RectF placed = host_.Scale().PlaceSurface(element->Bounds());
  const auto whole = [](float v) { return static_cast<float>(static_cast<int>(v)) == v; };
  if (!whole(placed.x) || !whole(placed.y) || !whole(placed.width) || !whole(placed.height)) return false;
  const std::uint32_t w = ImageWidth(reinterpret_cast<Gdiplus::GpImage*>(bitmap));
  const std::uint32_t h = ImageHeight(reinterpret_cast<Gdiplus::GpImage*>(bitmap));
  if (static_cast<float>(w) != placed.width || static_cast<float>(h) != placed.height) return false;
  const int x = static_cast<int>(placed.x), y = static_cast<int>(placed.y);
  const RECT target{std::max<LONG>(area.left, x), std::max<LONG>(area.top, y),
                    std::min<LONG>(area.right, x + static_cast<LONG>(w)),
                    std::min<LONG>(area.bottom, y + static_cast<LONG>(h))};
  if (target.right <= target.left || target.bottom <= target.top) return true;  // nothing of it shows there
  SyncPixels(canvas_);
  const RECT part{target.left - x, target.top - y, target.right - x, target.bottom - y};
  return blender_.Draw(bitmap, part, canvas_.Pixels(), target.left, target.top, canvas_.graphics());
}

bool UiCompositor::CanvasUnclipped() const {
  Gdiplus::GpGraphics* g = canvas_.graphics();
  const SIZE size = host_.ClientSize();
  Gdiplus::RectF clip;
  return g && gp::Ok(gp::GdipGetClipBounds(g, &clip)) && clip.X <= 0 && clip.Y <= 0 &&
         clip.X + clip.Width >= static_cast<float>(size.cx) && clip.Y + clip.Height >= static_cast<float>(size.cy);
}

bool UiCompositor::ClearCanvasDirect() {
  const PixelRows rows = canvas_.Pixels();
  if (!rows.top) return false;
  SyncPixels(canvas_);
  for (int y = 0; y < rows.height; ++y) std::memset(rows.Row(y), 0, static_cast<std::size_t>(rows.width) * 4);
  return true;
}

bool UiCompositor::ComposeBackgroundDirect(Gdiplus::GpImage* image) {
  if (IsLargerDrawing(image)) return false;
  const SIZE size = host_.ClientSize();
  const RECT part{0, 0, std::min<LONG>(static_cast<LONG>(ImageWidth(image)), size.cx),
                  std::min<LONG>(static_cast<LONG>(ImageHeight(image)), size.cy)};
  if (part.right <= 0 || part.bottom <= 0) return false;
  SyncPixels(canvas_);
  return blender_.Draw(reinterpret_cast<Gdiplus::GpBitmap*>(image), part, canvas_.Pixels(), 0, 0,
                       canvas_.graphics());
}

}  // namespace ui
