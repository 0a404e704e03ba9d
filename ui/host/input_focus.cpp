// UiWindow: hit testing and keyboard focus.
#include <windows.h>

#include "ui/element/element.h"
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

void UiWindow::SetHoverElement(UiElement* element) { hoverElement_ = element; }
void UiWindow::SetFocusedElementDirect(UiElement* element) { focusedElement_ = element; }

UiElement* UiWindow::HitTest(float x, float y) const { return HitFrom(elements_.last, x, y); }

void UiWindow::SetFocusElement(UiElement* element, bool fromKeyboard) {
  if (!Owns(element)) return;
  if (element->Disabled() || !element->Visible() || !element->Focusable() ||
      element->Kind() == kind::kCaptionButton || focusedElement_ == element)
    return;
  UiElement* old = Owned(focusedElement_);
  focusedElement_ = element;
  keyboardFocus_ = fromKeyboard ? WeakRef<UiElement>(element) : WeakRef<UiElement>();
  if (old) old->PostEvent(ev::kFocusLost, 0, static_cast<LPARAM>(element->Self()));
  element->PostEvent(ev::kFocusGained, 0, static_cast<LPARAM>(old ? old->Self() : 0));
}

}  // namespace ui
