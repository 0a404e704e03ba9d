// UiWindow: hit testing, keyboard focus, accelerators and tooltips.
#include <windows.h>
#include <commctrl.h>

#include <cctype>

#include "ui/core/text.h"
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

int UiWindow::SetAccelerator(UiElement* element, int key) {
  if (!Owns(element)) return 1;
  const ElementHandle h = element->Self();
  for (auto it = accelerators_.begin(); it != accelerators_.end(); ++it) {
    if (it->first != h) continue;
    if (key == 0)
      accelerators_.erase(it);
    else
      it->second = key;
    return 1;
  }
  if (key != 0) accelerators_.emplace_back(h, key);
  return 1;
}

void UiWindow::SetTooltip(UiElement* element, std::optional<std::string_view> text) {
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.hinst = GetModuleHandleW(nullptr);
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (!Owns(element)) return;
  const std::string chosen = text ? std::string(*text) : element->TipText();
  if (chosen.empty()) return;
  std::wstring wide = ToWide(chosen);
  const RectF b = element->Bounds();
  ti.rect = RECT{static_cast<LONG>(b.x), static_cast<LONG>(b.y), static_cast<LONG>(b.x + b.width),
                 static_cast<LONG>(b.y + b.height)};
  ti.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  tipText_ = chosen;
}

}  // namespace ui
