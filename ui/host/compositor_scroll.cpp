// UiCompositor: moving composed rows on the canvas instead of composing
// them again, where that gives the same pixels.
//
// A composed pixel is the background's pixel with the elements above it
// blended on, one by one. When an element's bitmap rows moved (text that
// scrolled) and nothing but the background lies under or over those rows,
// and the background is the same at the rows' old and new places, the
// composed rows moved with them: copying them on the canvas yields what a
// composition would, at a fraction of its cost.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/element/element.h"
#include "ui/host/compositor.h"
#include "ui/host/window.h"

namespace ui {

namespace {

bool Whole(float v) { return static_cast<float>(static_cast<int>(v)) == v; }

bool Overlaps(const RectF& a, const RECT& b) {
  return a.x < b.right && b.left < a.Right() && a.y < b.bottom && b.top < a.Bottom();
}

}  // namespace

bool UiCompositor::MoveComposedRows(const UiElement* element, int left, int right,
                                    const std::vector<RowShift>& shifts) {
  if (shifts.empty()) return true;
  if (busy_ || !host_.IsAttached() || !canvas_ || !background_ || !canvas_.graphics()) return false;
  // Work queued, held or put off may leave stale pixels where rows come from.
  if (RedrawsHeld() || redrawQueue_.Pending() != 0 || !redrawQueue_.Idle() || !deferredDirty_.empty() ||
      fadeTimerId_ != 0 || onPaintOverlay_)
    return false;
  if (!host_.Scale().IsUnit() || !element || !host_.Owns(element) || element->ParentElement() ||
      !element->Visible() || element->Disabled() || element->TransitionRunning())
    return false;
  // The element lands pixel for pixel on the canvas (no resampling).
  const RectF b = element->Bounds();
  Gdiplus::GpImage* image = reinterpret_cast<Gdiplus::GpImage*>(element->Bitmap());
  UINT iw = 0, ih = 0;
  if (!image || !gp::Ok(gp::GdipGetImageWidth(image, &iw)) || !gp::Ok(gp::GdipGetImageHeight(image, &ih)) ||
      !Whole(b.x) || !Whole(b.y) || static_cast<float>(iw) != b.width || static_cast<float>(ih) != b.height)
    return false;

  // Every row read or written.
  RECT all{left, 0, right, 0};
  bool first = true;
  for (const RowShift& s : shifts) {
    if (s.bottom <= s.top) continue;
    const LONG top = std::min(s.top, s.top - s.delta), bottom = std::max(s.bottom, s.bottom - s.delta);
    all.top = first ? top : std::min(all.top, top);
    all.bottom = first ? bottom : std::max(all.bottom, bottom);
    first = false;
  }
  if (first) return true;
  const SIZE size = host_.ClientSize();
  if (all.left < b.x || all.top < b.y || all.right > b.Right() || all.bottom > b.Bottom() || all.left < 0 ||
      all.top < 0 || all.right > size.cx || all.bottom > size.cy || all.right <= all.left)
    return false;

  // Nothing else is composed there: no other element, no child of this one.
  for (const UiElement* e = host_.FirstElement(); e; e = e->NextSibling())
    if (e != element && e->Visible() && Overlaps(e->Bounds(), all)) return false;
  for (const UiElement* c = element->FirstChild(); c; c = c->NextSibling())
    if (c->Visible() && Overlaps(c->Bounds(), all)) return false;
  // Inside the body's clip: nothing of the rows is left once it is cut away.
  if (!InsideBodyClip(all)) return false;
  // The background is the same where the rows come from and where they go.
  GdiFlush();
  const PixelRows back = background_.Pixels();
  if (!back.top || back.width < size.cx || back.height < size.cy) return false;
  const std::size_t offset = static_cast<std::size_t>(left) * 4, bytes = static_cast<std::size_t>(right - left) * 4;
  for (const RowShift& s : shifts)
    for (int y = s.top; y < s.bottom; ++y)
      if (std::memcmp(back.Row(y) + offset, back.Row(y - s.delta) + offset, bytes) != 0) return false;

  // Every move reads the rows as they were: from a copy.
  Canvas& scratch = ScratchCanvas();
  if (!scratch || scratch.width() < all.right || scratch.height() < all.bottom) return false;
  const int width = right - left;
  if (!BitBlt(scratch.dc(), left, all.top, width, all.bottom - all.top, canvas_.dc(), left, all.top, SRCCOPY))
    return false;
  for (const RowShift& s : shifts)
    if (s.bottom > s.top)
      BitBlt(canvas_.dc(), left, s.top, width, s.bottom - s.top, scratch.dc(), left, s.top - s.delta, SRCCOPY);
  GdiFlush();
  if (!IsLayered()) {
    for (const RowShift& s : shifts) {
      if (s.bottom <= s.top) continue;
      const RECT moved{left, s.top, right, s.bottom};
      Present(&moved);
    }
  }
  return true;
}

}  // namespace ui
