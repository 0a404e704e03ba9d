// UiInputRouter: keys for the focused element, Tab order (both ways), focus
// cues, Enter / Space and accelerators.
#include <cwctype>

#include "ui/element/element.h"
#include "ui/host/input_router.h"
#include "ui/host/window.h"

namespace ui {

namespace {
// Bit 30 of a key message: the key was already down (auto-repeat).
bool KeyRepeats(LPARAM lp) { return (lp & (1L << 30)) != 0; }

bool IsTabStop(const UiElement* e) {
  return e->Visible() && e->Focusable() && e->Kind() != kind::kCaptionButton && !e->Disabled();
}
}  // namespace

void UiInputRouter::SendToFocused(UINT msg, WPARAM wp, LPARAM lp) {
  host_.SendTo(focusedElement_.get(), msg, wp, lp);
}

LRESULT UiInputRouter::OnKeyDown(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(&host_);
  // Moving around with the keyboard shows where the focus is from now on.
  if (wp == VK_TAB || (wp >= VK_LEFT && wp <= VK_DOWN)) {
    ShowFocusCues();
    if (!alive) return 0;
  }
  const WeakRef<UiElement> focusedRef(host_.Owned(focusedElement_));
  const LRESULT answer = host_.SendTo(focusedRef.get(), msg, wp, lp);
  if (!alive) return 0;
  UiElement* focused = host_.Owned(focusedRef);
  if (focused && answer != -1) return 0;

  switch (wp) {
    case VK_TAB:
      if (UiElement* next = NextTabStop(focused, GetKeyState(VK_SHIFT) < 0)) SetFocusElement(next, true);
      return 0;
    case VK_RETURN:
    case VK_SPACE:
      // A held key repeats: it activates once, as a held mouse button clicks once.
      if (KeyRepeats(lp)) return 0;
      if (focused && focused->Visible() && !focused->Disabled()) Activate(focused);
      return 0;
    default:
      return 0;
  }
}

UiElement* UiInputRouter::NextTabStop(UiElement* focused, bool backwards) const {
  // The walk's ring: the program's order, else the top-level elements.
  std::vector<UiElement*> ring;
  if (!tabOrder_.empty()) {
    for (ElementHandle handle : tabOrder_)
      if (UiElement* e = UiElement::FromHandle(handle); host_.Owns(e)) ring.push_back(e);
  } else {
    for (UiElement* e = host_.FirstElement(); e; e = e->NextSibling()) ring.push_back(e);
  }
  const int n = static_cast<int>(ring.size());
  if (n == 0) return nullptr;
  // Where the walk starts: the focused element or the ring's member that
  // holds it; without focus the first top-level element (Tab then goes on
  // from it), or, outside the ring, just before its first (after its last).
  UiElement* start = focused ? focused : host_.FirstElement();
  int at = -1;
  for (UiElement* e = start; e && at < 0; e = e->ParentElement()) {
    for (int i = 0; i < n; ++i)
      if (ring[i] == e) at = i;
  }
  if (at < 0) at = backwards ? 0 : n - 1;
  for (int step = 1; step <= n; ++step) {
    UiElement* e = ring[((at + (backwards ? -step : step)) % n + n) % n];
    if (IsTabStop(e)) return e == focused ? nullptr : e;
  }
  return nullptr;
}

void UiInputRouter::ShowFocusCues() {
  if (focusCuesShown_) return;
  focusCuesShown_ = true;
  RepaintFocusMark();
}

bool UiInputRouter::ShowsFocusMark(const UiElement* element) const {
  if (!focusCuesShown_ || !element || focusedElement_ != element || !host_.Window()) return false;
  return windowActive_ ? *windowActive_ : GetActiveWindow() == host_.Window();
}

void UiInputRouter::RepaintFocusMark() {
  if (UiElement* focused = host_.Owned(focusedElement_)) focused->Repaint();
}

// What a mouse click on the element's centre does, for the keyboard and for
// assistive technology: the element and its bound handlers see the button go
// down and up, then the click event and the click callback follow. Any of
// them may hide or destroy the element or the host.
void UiInputRouter::Activate(UiElement* element) {
  const WeakRef<UiWindow> alive(&host_);
  const WeakRef<UiElement> e(element);
  if (!host_.Owns(e)) return;
  const RectF b = element->Bounds();
  const auto half = [](float from, float length) { return static_cast<WORD>(static_cast<short>(from + length / 2)); };
  const LPARAM centre = MAKELPARAM(half(b.x, b.width), half(b.y, b.height));
  host_.SendTo(e.get(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  if (!alive) return;
  if (UiElement* down = host_.Owned(e)) host_.SendTo(down, WM_LBUTTONUP, down->Self(), centre);
  if (!alive) return;
  if (UiElement* up = host_.Owned(e)) host_.SendTo(up, ev::kClick, up->Self(), centre);
  if (!alive) return;
  host_.CallElementFn(callbacks_.click, host_.Owned(e), 0, centre);
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
    Activate(e.get());
    return true;
  }
  return false;
}

}  // namespace ui
