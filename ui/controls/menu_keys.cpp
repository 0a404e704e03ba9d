// Keyboard use of a shown menu window.
#include "ui/controls/menu_keys.h"

#include <vector>

#include "ui/controls/menu_item.h"
#include "ui/core/menu.h"
#include "ui/host/window.h"

namespace ui {

namespace {

UiMenuItem* AsRow(UiElement* e) {
  return e && e->Kind() == kind::kMenuItem ? static_cast<UiMenuItem*>(e) : nullptr;
}

bool Selectable(const UiMenuItem* row) {
  return row->Visible() && !row->Disabled() && row->Item().kind != UiMenu::kSeparator;
}

// The lit row: the one under the mouse or moved to with the keys, else the
// row whose submenu is (or was last) open.
UiMenuItem* LitRow(UiWindow& host) {
  if (UiMenuItem* row = AsRow(host.HoverElement())) return row;
  return AsRow(host.FocusedElement());
}

bool IsSubmenuWindow(HWND hwnd) { return GetPropW(hwnd, kMenuRootProperty) != hwnd; }

// Back to the parent menu, which takes the keys again; its row stays lit.
void CloseToParent(HWND hwnd) {
  if (HWND parent = ::GetParent(hwnd); parent && IsWindow(parent)) SetForegroundWindow(parent);
  if (IsWindow(hwnd)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

// Performs the lit row: a command runs (and the menu family closes), a
// submenu opens with its first row lit and runs until it is closed.
void PerformLitRow(HWND hwnd, UiWindow& host, bool submenusOnly) {
  UiMenuItem* row = LitRow(host);
  if (!row || !Selectable(row)) return;
  const bool submenu = row->Item().kind == UiMenu::kSubmenu;
  if (submenusOnly && !submenu) return;
  if (submenu) SetPropW(hwnd, kMenuKeyOpenProperty, reinterpret_cast<HANDLE>(1));
  row->SendEvent(ev::kClick);
  if (IsWindow(hwnd)) RemovePropW(hwnd, kMenuKeyOpenProperty);
}

}  // namespace

void MoveMenuHighlight(UiWindow& host, int step) {
  std::vector<UiMenuItem*> rows;
  for (UiElement* e = host.FirstElement(); e; e = e->NextSibling())
    if (UiMenuItem* row = AsRow(e)) rows.push_back(row);
  const int n = static_cast<int>(rows.size());
  if (n == 0) return;
  UiMenuItem* lit = LitRow(host);
  int at = step > 0 ? -1 : n;
  for (int i = 0; i < n; ++i)
    if (rows[i] == lit) at = i;
  UiMenuItem* next = nullptr;
  for (int k = 1; k <= n && !next; ++k) {
    UiMenuItem* row = rows[((at + step * k) % n + n) % n];
    if (Selectable(row)) next = row;
  }
  if (!next || next == lit) return;
  const WeakRef<UiElement> nextRef(next);
  // The row of a submenu that was open stays lit through its focus: it
  // gives that up, as it does when the mouse moves to another row.
  if (host.FocusedElement() && host.FocusedElement() != next) host.SetFocusedElementDirect(nullptr);
  if (lit) lit->Draw(false);
  if (!nextRef) return;
  host.SetHoverElement(next);
  next->Draw(true);
  if (nextRef) next->NotifyAccessibility(EVENT_OBJECT_FOCUS);
}

bool HandleMenuKey(HWND hwnd, WPARAM key) {
  UiWindow* host = UiWindow::FromWindow(hwnd);
  if (!host) return false;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
      MoveMenuHighlight(*host, key == VK_DOWN ? 1 : -1);
      return true;
    case VK_RETURN:
    case VK_SPACE:
    case VK_RIGHT:
      PerformLitRow(hwnd, *host, key == VK_RIGHT);
      return true;
    case VK_LEFT:
      if (IsSubmenuWindow(hwnd)) CloseToParent(hwnd);
      return true;
    case VK_ESCAPE:
      if (IsSubmenuWindow(hwnd))
        CloseToParent(hwnd);
      else
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return true;
    default:
      return false;
  }
}

}  // namespace ui
