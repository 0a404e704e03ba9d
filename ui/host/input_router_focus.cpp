// UiInputRouter: hit testing and focus set by the program.
#include "ui/element/element.h"
#include "ui/host/input_router.h"
#include "ui/host/window.h"

namespace ui {

namespace {
bool Contains(const RectF& r, float x, float y) {
  return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

UiElement* HitFrom(UiElement* start, float x, float y) {
  for (UiElement* e = start; e; e = e->PrevSibling()) {
    if (!e->Visible() || e->Disabled() || !Contains(e->Bounds(), x, y)) continue;
    if (UiElement* deeper = HitFrom(e->LastChild(), x, y)) return deeper;
    return e;
  }
  return nullptr;
}
}  // namespace

void UiInputRouter::SetHoverElement(UiElement* element) { hoverElement_ = element; }
void UiInputRouter::SetFocusedElementDirect(UiElement* element) { focusedElement_ = element; }

UiElement* UiInputRouter::HitTest(float x, float y) const { return HitFrom(host_.LastElement(), x, y); }

void UiInputRouter::SetFocusElement(UiElement* element, bool fromKeyboard) {
  if (!host_.Owns(element)) return;
  if (element->Disabled() || !element->Visible() || !element->Focusable() ||
      element->Kind() == kind::kCaptionButton || focusedElement_ == element)
    return;
  UiElement* old = host_.Owned(focusedElement_);
  focusedElement_ = element;
  keyboardFocus_ = fromKeyboard ? WeakRef<UiElement>(element) : WeakRef<UiElement>();
  if (old) old->PostEvent(ev::kFocusLost, 0, static_cast<LPARAM>(element->Self()));
  element->PostEvent(ev::kFocusGained, 0, static_cast<LPARAM>(old ? old->Self() : 0));
}

}  // namespace ui
