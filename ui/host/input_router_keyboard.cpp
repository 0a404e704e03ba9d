// UiInputRouter: keys for the focused element, Tab order, Enter / Space
// and accelerators.
#include <cwctype>

#include "ui/element/element.h"
#include "ui/host/input_router.h"
#include "ui/host/window.h"

namespace ui {

namespace {
bool IsTabStop(const UiElement* e) {
  return e->Visible() && e->Focusable() && e->Kind() != kind::kCaptionButton && !e->Disabled();
}
}  // namespace

void UiInputRouter::SendToFocused(UINT msg, WPARAM wp, LPARAM lp) {
  host_.SendTo(focusedElement_.get(), msg, wp, lp);
}

LRESULT UiInputRouter::OnKeyDown(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(&host_);
  const WeakRef<UiElement> focusedRef(host_.Owned(focusedElement_));
  const LRESULT answer = host_.SendTo(focusedRef.get(), msg, wp, lp);
  if (!alive) return 0;
  UiElement* focused = host_.Owned(focusedRef);
  if (focused && answer != -1) return 0;

  switch (wp) {
    case VK_TAB: {
      UiElement* start = focused ? focused : host_.FirstElement();
      if (!start) return 0;
      while (start->ParentElement()) start = start->ParentElement();
      UiElement* from =
          (start == host_.LastElement() || !start->NextSibling()) ? host_.FirstElement() : start->NextSibling();
      UiElement* e = from;
      do {
        if (IsTabStop(e)) {
          if (e != focused) SetFocusElement(e, true);
          break;
        }
        e = e->NextSibling() ? e->NextSibling() : host_.FirstElement();
      } while (e && e != from);
      return 0;
    }
    case VK_RETURN:
    case VK_SPACE:
      if (focused && focused->Visible() && !focused->Disabled()) {
        host_.SendTo(focused, ev::kClick, 0, 0);
        if (!alive) return 0;
        host_.CallElementFn(callbacks_.click, host_.Owned(focusedRef), 0, 0);
      }
      return 0;
    default:
      return 0;
  }
}

void UiInputRouter::Activate(UiElement* element) {
  const WeakRef<UiWindow> alive(&host_);
  const WeakRef<UiElement> e(element);
  host_.SendTo(element, ev::kClick, 0, 0);
  if (!alive) return;
  host_.CallElementFn(callbacks_.click, host_.Owned(e), 0, 0);
}

bool UiInputRouter::OnSysChar(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(&host_);
  host_.SendTo(focusedElement_.get(), msg, wp, lp);
  if (!alive) return false;
  const auto typed = static_cast<wint_t>(std::towlower(static_cast<wint_t>(wp)));
  const auto records = host_.Accelerators();  // handlers may change the list
  for (const auto& [handle, key] : records) {
    const WeakRef<UiElement> e(UiElement::FromHandle(handle));
    if (!host_.Owns(e) || static_cast<wint_t>(std::towlower(static_cast<wint_t>(key))) != typed) continue;
    if (!e->Visible() || e->Disabled()) continue;
    host_.SendTo(e.get(), ev::kClick, 0, 0);
    if (!alive) return true;
    host_.CallElementFn(callbacks_.click, host_.Owned(e), wp, lp);
    return true;
  }
  return false;
}

}  // namespace ui
