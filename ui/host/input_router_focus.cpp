// UiInputRouter: hit testing and focus set by the program.
#include <cmath>

#include "ui/element/element.h"
#include "ui/host/input_router.h"
#include "ui/host/window.h"

namespace ui {

namespace {
bool Contains(const RectF& r, float x, float y) {
  return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

// Whether the element shows at the logical point: at 100 % its rectangle;
// scaled, the device pixels its surface is copied to (origin and size
// rounded on their own), so that every pixel showing an element hits it
// and no pixel of a neighbour does.
bool Shows(const UiElement* e, DisplayScale scale, float x, float y) {
  if (scale.IsUnit()) return Contains(e->Bounds(), x, y);
  const RECT d = scale.ToDevice(e->Bounds());
  // The device pixel holding the point (a device position made logical
  // comes back to itself despite the division's rounding).
  const float f = scale.Factor();
  const float px = std::floor(x * f + 1e-3f), py = std::floor(y * f + 1e-3f);
  return px >= d.left && px < d.right && py >= d.top && py < d.bottom;
}

UiElement* HitFrom(UiElement* start, DisplayScale scale, float x, float y) {
  for (UiElement* e = start; e; e = e->PrevSibling()) {
    if (!e->Visible() || e->Disabled() || !Shows(e, scale, x, y)) continue;
    if (UiElement* deeper = HitFrom(e->LastChild(), scale, x, y)) return deeper;
    return e;
  }
  return nullptr;
}
}  // namespace

void UiInputRouter::SetHoverElement(UiElement* element) { hoverElement_ = element; }
void UiInputRouter::SetFocusedElementDirect(UiElement* element) { focusedElement_ = element; }

UiElement* UiInputRouter::HitTest(float x, float y) const {
  return HitFrom(host_.LastElement(), host_.Scale(), x, y);
}

void UiInputRouter::SetFocusElement(UiElement* element, bool fromKeyboard) {
  if (!host_.Owns(element)) return;
  if (element->Disabled() || !element->Visible() || !element->Focusable() ||
      element->Kind() == kind::kCaptionButton || focusedElement_ == element)
    return;
  UiElement* old = host_.Owned(focusedElement_);
  focusedElement_ = element;
  keyboardFocus_ = fromKeyboard ? WeakRef<UiElement>(element) : WeakRef<UiElement>();
  element->NotifyAccessibility(EVENT_OBJECT_FOCUS);
  if (old) old->PostEvent(ev::kFocusLost, 0, static_cast<LPARAM>(element->Self()));
  element->PostEvent(ev::kFocusGained, 0, static_cast<LPARAM>(old ? old->Self() : 0));
}

}  // namespace ui
