#pragma once
// Showing a UiMenu: a top-most popup host window with one UiMenuItem per
// item, and the local message loop that runs while it exists. The menu is
// marked open (UiMenu::IsOpen) for as long as its loop runs.
//
// A callout made while the loop runs (an item's routine, the owner's
// WM_COMMAND or element notice handling, the menu's handlers) may change the
// menu's items or destroy the menu or its submenus: the shown rows keep
// copies of their items, and the menu object is not touched once it is gone.
#include <windows.h>

namespace ui {

class UiMenu;

// Shows `menu` as a top-level popup at the screen point (x, y), or at the
// cursor when both are 0, and runs a local message loop until the menu
// window is gone. A chosen item sends WM_COMMAND to `owner` or calls its
// routine. Does nothing while `menu` is already open.
void ShowMenu(UiMenu& menu, HWND owner, int x = 0, int y = 0);

// Shows `menu` as a submenu beside the hot row of the menu window
// `parentMenuWindow`; returns when it is closed. Does nothing while `menu`
// is already open or when `parentMenuWindow` is no window.
void PopupSubmenu(UiMenu& menu, HWND parentMenuWindow);

}  // namespace ui
