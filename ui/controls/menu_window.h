#pragma once
// The popup window of a UiMenu: its default background and the message hook
// every menu window's host runs before its own handling. ShowMenu and
// PopupSubmenu (menu_show.h) build the window.
#include <windows.h>

#include "ui/platform/gdiplus_api.h"

namespace ui {

// Value of the kMenuFlagsProperty window property on a menu window.
inline constexpr INT_PTR kMenuWindowFlags = 1;

// Rounded white body at (6, 6) with four shadow rings and the icon column;
// the corners outside the rings stay transparent.
void PaintDefaultMenuBackground(Gdiplus::GpGraphics* g, int width, int height);

// Tells assistive technology the menu window's popup ended, once per
// window: before it hides (the system drops events of hidden windows), or
// at the latest when it is destroyed.
void AnnouncePopupEnd(HWND hwnd);

// Closes the menu family when a window outside it is activated, takes the
// navigation keys (menu_keys.h; answers 0 for those), turns other key
// presses into mnemonics, closes a menu on Escape, and when the window is
// destroyed announces the popup's end and removes its menu properties.
// Every other message is passed on (-1).
LRESULT MenuMessageHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace ui
