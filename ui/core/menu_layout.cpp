#include "ui/core/menu_layout.h"

#include <algorithm>

#include "ui/platform/gdi_handles.h"

namespace ui {

MenuSize MeasureMenu(const UiMenu& menu, const std::function<int(const std::wstring&)>& textWidth) {
  MenuSize size;
  size.width = menu.Width();
  if (size.width > 0 && size.width < 50) size.width = 50;
  for (const UiMenuItemRecord& item : menu.Items()) {
    if (item.state == 5) continue;
    if (item.kind == UiMenu::kSeparator) {
      size.height += 3;
      continue;
    }
    size.height += 22;
    if (menu.Width() == 0) {
      if (textWidth) size.width = std::max(size.width, textWidth(item.text) + 50);
      if (item.kind == UiMenu::kSubmenu) size.hasSubmenus = true;
    }
  }
  size.height += 16;
  if (size.hasSubmenus) size.width += 15;
  return size;
}

int ScreenTextWidth(const std::wstring& text) {
  gdi::WindowDc screen(nullptr);
  SIZE extent{};
  if (!screen || text.empty()) return 0;
  GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  // Taken as logical pixels at every display scale: where the system grows
  // the screen's font with the DPI the menu comes out wider, never clipped.
  return extent.cx;
}

POINT PlaceTopLevelMenu(POINT at, const MenuSize& size, const RECT& workArea) {
  if (at.x + size.width - 5 > workArea.right) at.x -= size.width;
  if (at.y + size.height > workArea.bottom) at.y = at.y - size.height + 5;
  return at;
}

SubmenuPlacement PlaceSubmenu(const RECT& parentWindow, const RECT& hotItem, const MenuSize& size,
                              const RECT& workArea) {
  SubmenuPlacement p;
  p.position.x = parentWindow.right - 10;
  p.position.y = parentWindow.top + hotItem.top - 7;
  if (p.position.x + size.width - 5 > workArea.right) {
    p.position.x = parentWindow.left - size.width + 10;
    p.opensLeft = true;
  }
  if (p.position.y + size.height > workArea.bottom)
    p.position.y = parentWindow.top + hotItem.bottom - size.height + 7;
  return p;
}

}  // namespace ui
