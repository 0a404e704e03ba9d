#pragma once
// UiMenuItem: one row of a popup menu window (see ShowMenu). It draws
// its item (caption, image or check mark, hot bar, submenu arrow, or a
// separator line), registers the caption's "&" mnemonic with the host,
// highlights on hover, opens its submenu 500 ms after the mouse entered
// (at once on a click) and closes it again once the cursor has left both
// the submenu and this row, and performs the item's command on a click.
//
// Coordinates: Bounds() in client pixels of the menu window; all drawing
// is element-relative ((0, 0) = the row's top-left corner).
#include <windows.h>

#include "ui/core/menu.h"
#include "ui/core/string_format.h"
#include "ui/element/element.h"

namespace ui {

// Window properties of menu windows (values are pointer-sized).
inline constexpr wchar_t kMenuFlagsProperty[] = L"Zq_Wnd_Flags";       // 1 on menu windows
inline constexpr wchar_t kMenuRootProperty[] = L"Zq_DirectUI_Host";    // root menu window
inline constexpr wchar_t kMenuEventProperty[] = L"Zq_DirectUI_Event";  // owner's element under the cursor
inline constexpr wchar_t kMenuSubProperty[] = L"Zq_DirectUI_Sub";      // open submenu window
inline constexpr wchar_t kMenuActProperty[] = L"Zq_DirectUI_Act";      // row whose submenu is open

class UiMenuItem : public UiElement {
 public:
  static constexpr UINT kSubmenuDelayMs = 500;  // hover time before a submenu opens
  static constexpr UINT kCloseCheckMs = 300;    // repeat of the close check

  // Copies `item`; returns the element handle, 0 on failure. Focusable,
  // no own cursor.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height,
                       const UiMenuItemRecord& item, bool visible = true);

  const UiMenuItemRecord& Item() const { return item_; }
  void SetItem(const UiMenuItemRecord& item);
  // The hot flag last drawn.
  bool LastHot() const { return lastHot_; }

  // Opens or closes the submenu according to where the cursor is; with
  // `immediate` a close is followed by the open check at once.
  void UpdateSubmenu(bool immediate);
  void Draw(bool hot);

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

 private:
  void RegisterMnemonic();
  void Activate();
  void DrawRow(const PaintContext& pc, bool hot);

  UiMenuItemRecord item_;
  bool lastHot_ = false;
  UiStringFormat textFormat_;  // owned
};

}  // namespace ui
