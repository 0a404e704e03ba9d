#pragma once
// Keyboard use of a shown menu window: Up and Down move the highlighted row
// (over separators and disabled rows, wrapping), Enter and Space perform it,
// Right and Enter open a submenu with its first row highlighted, Left and
// Escape close a submenu back to its parent menu, Escape closes a top-level
// menu. The highlighted row is the host's hover element, the same one the
// mouse moves, so mouse and keys take turns on one highlight.
#include <windows.h>

namespace ui {

class UiWindow;

// Window property a menu window carries while one of its rows opens a
// submenu from the keyboard: the submenu starts with its first row lit.
inline constexpr wchar_t kMenuKeyOpenProperty[] = L"Zq_DirectUI_KeyOpen";

// Handles a navigation key pressed in the menu window `hwnd`; false for
// keys it leaves to the mnemonics.
bool HandleMenuKey(HWND hwnd, WPARAM key);

// Lights the next selectable row after the lit one (`step` 1) or before it
// (-1), wrapping; with none lit, the first (last). Tells assistive
// technology which row is lit.
void MoveMenuHighlight(UiWindow& host, int step);

}  // namespace ui
