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

namespace {
// A menu's fixed overlaps are logical pixels: in device pixels at `quarters`
// (4 = 100 %), rounded half up.
int Scaled(int logical, int quarters) { return (logical * quarters + 2) / 4; }
}  // namespace

POINT PlaceTopLevelMenu(POINT at, const MenuSize& size, const RECT& workArea, int quarters) {
  const int overlap = Scaled(5, quarters);
  if (at.x + size.width - overlap > workArea.right) at.x -= size.width;
  if (at.y + size.height > workArea.bottom) at.y = at.y - size.height + overlap;
  return at;
}

SubmenuPlacement PlaceSubmenu(const RECT& parentWindow, const RECT& hotItem, const MenuSize& size,
                              const RECT& workArea, int quarters) {
  const int across = Scaled(10, quarters), up = Scaled(7, quarters), edge = Scaled(5, quarters);
  SubmenuPlacement p;
  p.position.x = parentWindow.right - across;
  p.position.y = parentWindow.top + hotItem.top - up;
  if (p.position.x + size.width - edge > workArea.right) {
    p.position.x = parentWindow.left - size.width + across;
    p.opensLeft = true;
  }
  if (p.position.y + size.height > workArea.bottom)
    p.position.y = parentWindow.top + hotItem.bottom - size.height + up;
  return p;
}

}  // namespace ui
