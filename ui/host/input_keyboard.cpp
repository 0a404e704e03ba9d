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
  const std::shared_ptr<bool> alive = alive_;
  UiElement* focused = Owns(focusedElement_) ? focusedElement_ : nullptr;
  const LRESULT answer = SendTo(focused, msg, wp, lp);
  if (!*alive || !IsAttached()) return 0;
  if (!Owns(focused)) focused = nullptr;
  if (focused && answer != -1) return 0;

  switch (wp) {
    case VK_TAB: {
      UiElement* start = focused ? focused : firstElement_;
      if (!start) return 0;
      while (start->ParentElement()) start = start->ParentElement();
      UiElement* from = (start == lastElement_ || !start->NextSibling()) ? firstElement_ : start->NextSibling();
      UiElement* e = from;
      do {
        if (IsTabStop(e)) {
          if (e != focused) SetFocusElement(e, true);
          break;
        }
        e = e->NextSibling() ? e->NextSibling() : firstElement_;
      } while (e && e != from);
      return 0;
    }
    case VK_RETURN:
    case VK_SPACE:
      if (focused && focused->Visible() && !focused->Disabled()) {
        SendTo(focused, ev::kClick, 0, 0);
        if (!*alive || !IsAttached()) return 0;
        CallElementFn(onClick_, focused, 0, 0);
      }
      return 0;
    default:
      return 0;
  }
}

bool UiWindow::OnSysChar(UINT msg, WPARAM wp, LPARAM lp) {
  const std::shared_ptr<bool> alive = alive_;
  SendTo(Owns(focusedElement_) ? focusedElement_ : nullptr, msg, wp, lp);
  if (!*alive || !IsAttached()) return false;
  const auto typed = static_cast<wint_t>(std::towlower(static_cast<wint_t>(wp)));
  const auto records = accelerators_;  // handlers may change the list
  for (const auto& [handle, key] : records) {
    UiElement* e = UiElement::FromHandle(handle);
    if (!Owns(e) || static_cast<wint_t>(std::towlower(static_cast<wint_t>(key))) != typed) continue;
    if (!e->Visible() || e->Disabled()) continue;
    SendTo(e, ev::kClick, 0, 0);
    if (!*alive || !IsAttached()) return true;
    CallElementFn(onClick_, e, wp, lp);
    return true;
  }
  return false;
}

}  // namespace ui
