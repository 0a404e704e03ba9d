#pragma once
// Size and placement of a popup menu window.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/core/menu.h"

namespace ui {

struct MenuSize {
  int width = 0;
  int height = 0;
  bool hasSubmenus = false;
};

// Separators take 3 pixels, other items 22, plus 16 of margin. A requested
// width below 50 becomes 50; a width of 0 takes the widest text + 50
// (`textWidth` measures a caption in pixels). Items of state 5 are left out.
// A menu with submenus is 15 pixels wider for the arrows.
MenuSize MeasureMenu(const UiMenu& menu, const std::function<int(const std::wstring&)>& textWidth);

// Caption width on the screen DC, as the menu window measures it.
int ScreenTextWidth(const std::wstring& text);

// Screen positions and sizes below are device pixels; `quarters` is the
// menu's display scale (4 = 100 %), which sizes the fixed overlaps.
//
// Top-level position: (x, y), moved to the left of / above the point when
// the menu would leave the work area on the right / at the bottom.
POINT PlaceTopLevelMenu(POINT at, const MenuSize& size, const RECT& workArea, int quarters = 4);

struct SubmenuPlacement {
  POINT position{};
  bool opensLeft = false;
};
// Beside the parent menu window's hot item (item rectangle in the parent's
// coordinates): to the right, or to the left when there is no room; moved
// up when it would leave the work area at the bottom.
SubmenuPlacement PlaceSubmenu(const RECT& parentWindow, const RECT& hotItem, const MenuSize& size,
                              const RECT& workArea, int quarters = 4);

}  // namespace ui
