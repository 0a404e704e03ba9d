// UiWindow: keys for the focused element, Tab order, Enter / Space and
// accelerators.
#include <cwctype>

#include "ui/element/element.h"
#include "ui/host/window.h"

namespace ui {

namespace {
bool IsTabStop(const UiElement* e) {
  return e->Visible() && e->Focusable() && e->Kind() != kind::kCaptionButton && !e->Disabled();
}
}  // namespace

LRESULT UiWindow::OnKeyDown(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(this);
  const WeakRef<UiElement> focusedRef(Owned(focusedElement_));
  const LRESULT answer = SendTo(focusedRef.get(), msg, wp, lp);
  if (!alive) return 0;
  UiElement* focused = Owned(focusedRef);
  if (focused && answer != -1) return 0;

  switch (wp) {
    case VK_TAB: {
      UiElement* start = focused ? focused : elements_.first;
      if (!start) return 0;
      while (start->ParentElement()) start = start->ParentElement();
      UiElement* from = (start == elements_.last || !start->NextSibling()) ? elements_.first : start->NextSibling();
      UiElement* e = from;
      do {
        if (IsTabStop(e)) {
          if (e != focused) SetFocusElement(e, true);
          break;
        }
        e = e->NextSibling() ? e->NextSibling() : elements_.first;
      } while (e && e != from);
      return 0;
    }
    case VK_RETURN:
    case VK_SPACE:
      if (focused && focused->Visible() && !focused->Disabled()) {
        SendTo(focused, ev::kClick, 0, 0);
        if (!alive) return 0;
        CallElementFn(onClick_, Owned(focusedRef), 0, 0);
      }
      return 0;
    default:
      return 0;
  }
}

bool UiWindow::OnSysChar(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(this);
  SendTo(focusedElement_.get(), msg, wp, lp);
  if (!alive) return false;
  const auto typed = static_cast<wint_t>(std::towlower(static_cast<wint_t>(wp)));
  const auto records = Accelerators();  // handlers may change the list
  for (const auto& [handle, key] : records) {
    const WeakRef<UiElement> e(UiElement::FromHandle(handle));
    if (!Owns(e) || static_cast<wint_t>(std::towlower(static_cast<wint_t>(key))) != typed) continue;
    if (!e->Visible() || e->Disabled()) continue;
    SendTo(e.get(), ev::kClick, 0, 0);
    if (!alive) return true;
    CallElementFn(onClick_, Owned(e), wp, lp);
    return true;
  }
  return false;
}

}  // namespace ui
