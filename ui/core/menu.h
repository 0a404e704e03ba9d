#pragma once
// UiMenu: the library's popup menu. This file holds its item list; showing
// a menu (a popup host window with one item element per item) is done by
// ShowMenu and PopupSubmenu in ui/controls/menu_show.h, which mark the menu
// open through UiMenu::OpenGuard.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/bytes.h"
#include "ui/core/color.h"
#include "ui/core/lifetime.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

class UiMenu;

struct UiMenuItemRecord {
  std::wstring text;          // caption; may hold an "&" mnemonic marker
  Bytes image;                // optional item image (encoded)
  int state = 0;              // -1 disabled; 0, 1 enabled; 4 check mark; 5 left out of sizing
  int kind = 0;               // 0 command, 1 separator, 2 submenu
  int notify = 0;             // 1: a click sends WM_COMMAND(identifier); 0: calls `routine`
  int identifier = 0;         // command identifier
  Argb textColour = 0xD2000000;
  int extra1 = 0;             // text effect passed to the item's text drawing
  int extra2 = 0;             // effect colour passed to the item's text drawing
  Argb hotColour = 0xE63086C6;
  std::function<void()> routine;  // called on a click when notify is 0
  // kind 2: the menu it opens; not owned. Reads null once that menu is
  // destroyed, so a row never opens a menu that is gone.
  WeakRef<UiMenu> submenu;
};

class UiMenu {
 public:
  static constexpr int kCommand = 0;
  static constexpr int kSeparator = 1;
  static constexpr int kSubmenu = 2;
  static constexpr Argb kDefaultTextColour = 0xD2000000;  // MakeArgb(0, 210)
  static constexpr Argb kDefaultHotColour = 0xE63086C6;   // MakeArgb(0xC68630, 230)

  // Paints a menu's background: (graphics, width, height).
  using PaintHandler = std::function<void(Gdiplus::GpGraphics*, int, int)>;
  // Called once the menu window exists: (menu window, top level).
  using PopupHandler = std::function<void(HWND, bool)>;

  UiMenu() { life_.Begin(this); }
  // A copy takes the items, width and handlers; it has a life of its own
  // and is not open. Assigning leaves the target's life and open state.
  UiMenu(const UiMenu& other);
  UiMenu& operator=(const UiMenu& other);
  ~UiMenu() = default;

  // Clears width and handlers and releases every item.
  void Destroy();

  // Appends an item; `text` is code-page text. Indices are 1-based.
  void AddItem(std::string_view text, ByteView image = {}, int state = 0, int kind = kCommand,
               int notify = 0, int identifier = 0, Argb textColour = kDefaultTextColour,
               int extra1 = 0, int extra2 = 0, Argb hotColour = kDefaultHotColour);
  // Appends a command item that calls `routine` when chosen.
  void AddRoutineItem(std::string_view text, std::function<void()> routine, int state = 0);
  // Appends an item that opens `submenu` (not owned).
  void AddSubmenuItem(std::string_view text, UiMenu* submenu, int state = 0);

  bool RemoveItem(int index);
  void Clear();
  bool IsValidIndex(int index) const;
  int ItemCount() const { return static_cast<int>(items_.size()); }

  // Each accessor sets when a value is given and returns the current value;
  // an invalid index returns 0 or an empty value and changes nothing.
  int ItemState(int index) const;
  int ItemState(int index, int value);
  std::string ItemText(int index) const;
  std::string ItemText(int index, std::string_view text);
  std::wstring ItemTextBytes(int index) const;
  std::wstring ItemTextBytes(int index, std::wstring_view text);
  Bytes ItemImage(int index) const;
  Bytes ItemImage(int index, ByteView image);

  const UiMenuItemRecord* Item(int index) const;
  const std::vector<UiMenuItemRecord>& Items() const { return items_; }

  void SetWidth(int value) { width_ = value; }
  int Width() const { return width_; }
  void SetPopupHandler(PopupHandler handler) { popupHandler_ = std::move(handler); }
  void SetPaintHandler(PaintHandler handler) { paintHandler_ = std::move(handler); }
  const PopupHandler& GetPopupHandler() const { return popupHandler_; }
  const PaintHandler& GetPaintHandler() const { return paintHandler_; }
  UiMenu* Self() { return this; }

  // True while the menu's window exists (its local loop runs).
  bool IsOpen() const { return open_; }

  // For WeakRef<UiMenu>: a callout made while the menu is shown (an item's
  // routine, the owner's WM_COMMAND handling, a handler) may destroy it.
  const LifeAnchor& Life() const { return life_; }

  // Marks `menu` open for the guard's lifetime; the code that shows menus
  // holds one around its local loop. It refers to the menu weakly: when the
  // menu is destroyed meanwhile, Menu() reads null and the guard's end
  // touches nothing. A guard for a menu that is open already does nothing
  // and reports !Acquired().
  class OpenGuard {
   public:
    explicit OpenGuard(UiMenu& menu);
    ~OpenGuard();
    OpenGuard(const OpenGuard&) = delete;
    OpenGuard& operator=(const OpenGuard&) = delete;
    bool Acquired() const { return acquired_; }
    UiMenu* Menu() const { return menu_.get(); }
    const WeakRef<UiMenu>& Ref() const { return menu_; }

   private:
    WeakRef<UiMenu> menu_;
    bool acquired_ = false;
  };

 private:
  UiMenuItemRecord* At(int index);

  std::vector<UiMenuItemRecord> items_;
  int width_ = 0;  // requested width in pixels; 0 = measure the texts
  PopupHandler popupHandler_;
  PaintHandler paintHandler_;
  bool open_ = false;  // a show of this menu is running; not copied
  // Last member, so references read null before anything else is released.
  LifeAnchor life_;
};

}  // namespace ui
