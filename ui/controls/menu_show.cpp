// ShowMenu and PopupSubmenu: a top-most popup host window with one
// UiMenuItem per item, and the local message loop that runs while it exists.
#include "ui/controls/menu_show.h"

#include <memory>
#include <vector>

#include "ui/controls/menu_item.h"
#include "ui/controls/menu_keys.h"
#include "ui/controls/menu_window.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/core/menu_layout.h"
#include "ui/host/show_effects.h"
#include "ui/host/window.h"

namespace ui {

namespace {

constexpr wchar_t kMenuTitle[] = L"Zq_DirectUI_Menu";
constexpr DWORD kMenuExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;  // 0x88
constexpr LONG_PTR kStrippedStyles = 0x000804B0;                  // WS_SYSMENU among them
constexpr UINT kOwnerElementMessage = 10240;
constexpr int kMenuAlpha = 240;
constexpr int kSubmenuEffectMs = 100;
constexpr int kFirstRowY = 8;
constexpr int kRowHeight = 22;
constexpr int kSeparatorHeight = 3;
// Effects: 3 and 4 wipe from the left and from the right.
constexpr int kWipeFromLeft = 3;
constexpr int kWipeFromRight = 4;

HANDLE AsProp(const void* value) { return const_cast<HANDLE>(value); }

// The owner's element under the cursor; 0 when the owner has no host.
ElementHandle OwnerElementUnderCursor(HWND owner) {
  UiWindow* host = UiWindow::FromWindow(owner);
  if (!host) return 0;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(owner, &p);
  UiElement* e = host->HitTest(host->Scale().ToLogical(static_cast<int>(p.x)),
                               host->Scale().ToLogical(static_cast<int>(p.y)));
  return e ? e->Self() : 0;
}

// Runs the thread's messages until `menuWindow` is gone. A quit request
// closes the menu and is posted again for the program's own loop; a menu
// whose owner has gone is closed.
void RunMenuLoop(HWND menuWindow, HWND owner) {
  MSG msg;
  while (IsWindow(menuWindow)) {
    if (owner && !IsWindow(owner)) {
      DestroyWindow(menuWindow);
      break;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      DestroyWindow(menuWindow);
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Destroys a menu window that will not be shown, and the parent menu's
// handle to it.
void AbandonMenuWindow(HWND hwnd, HWND parentMenu) {
  if (parentMenu && GetPropW(parentMenu, kMenuSubProperty) == hwnd)
    RemovePropW(parentMenu, kMenuSubProperty);
  DestroyWindow(hwnd);
}

// The scale a menu is drawn at: its parent menu's, else its owner's, else
// the screen's.
DisplayScale MenuScale(HWND owner, HWND parentMenu) {
  if (UiWindow* host = UiWindow::FromWindow(parentMenu ? parentMenu : owner)) return host->Scale();
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return DisplayScale::FromDpi(static_cast<UINT>(dpi));
}

struct Placement {
  POINT position{};
  MenuSize size;
  int showEffect = 0;
  int closeEffect = 0;
};

// Shows the menu `menu` refers to; `parentMenu` is null for a top-level
// menu. The owner's element notice, the paint and popup handlers and every
// message the loop pumps may change or destroy the menu, so it is looked at
// again through `menu` after each of them, and the rows take copies of the
// items.
void ShowMenuWindow(const WeakRef<UiMenu>& menu, HWND owner, POINT at, HWND parentMenu) {
  if (!menu) return;
  const bool topLevel = parentMenu == nullptr;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Placement place;
  place.size = MeasureMenu(*menu.get(), ScreenTextWidth);  // logical pixels
  // Placed on the screen at the size it will have there; the window is
  // created at its logical size and its host scales it.
  const DisplayScale scale = MenuScale(owner, parentMenu);
  const MenuSize onScreen{scale.ToDevice(place.size.width), scale.ToDevice(place.size.height)};

  if (topLevel) {
    if (at.x == 0 && at.y == 0) GetCursorPos(&at);
    place.position = PlaceTopLevelMenu(at, onScreen, work, scale.Quarters());
  } else {
    UiWindow* parentHost = UiWindow::FromWindow(parentMenu);
    if (!parentHost) return;
    UiElement* hot = parentHost->FocusedElement();
    if (!hot) hot = UiElement::FromHandle(
        reinterpret_cast<ElementHandle>(GetPropW(parentMenu, kMenuActProperty)));
    RECT parentRect{};
    GetWindowRect(parentMenu, &parentRect);
    const RECT hotRect = hot ? parentHost->Scale().ToDevice(hot->Bounds()) : RECT{};
    const SubmenuPlacement sub = PlaceSubmenu(parentRect, hotRect, onScreen, work, scale.Quarters());
    place.position = sub.position;
    place.showEffect = sub.opensLeft ? kWipeFromRight : kWipeFromLeft;
    place.closeEffect = sub.opensLeft ? kWipeFromLeft : kWipeFromRight;
  }

  const HWND hwnd = CreateWindowExW(kMenuExStyle, kWindowClassName, kMenuTitle, WS_POPUP,
                                    place.position.x, place.position.y, place.size.width,
                                    place.size.height, owner, nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
  if (!hwnd) return;

  SetPropW(hwnd, kMenuFlagsProperty, AsProp(reinterpret_cast<void*>(kMenuWindowFlags)));
  if (topLevel) {
    SetPropW(hwnd, kMenuRootProperty, hwnd);
    if (owner) {
      const ElementHandle element = OwnerElementUnderCursor(owner);
      SetPropW(hwnd, kMenuEventProperty, AsProp(reinterpret_cast<void*>(element)));
      SendMessageW(owner, kOwnerElementMessage, 0, static_cast<LPARAM>(element));
    }
  } else {
    SetPropW(hwnd, kMenuRootProperty, GetPropW(parentMenu, kMenuRootProperty));
    SetPropW(parentMenu, kMenuSubProperty, hwnd);
  }
  if (!IsWindow(hwnd)) return;
  if (!menu) {  // destroyed by the owner's notice: nothing left to show
    AbandonMenuWindow(hwnd, parentMenu);
    return;
  }

  // Declared before the rows: the rows are released first.
  auto host = std::make_unique<UiWindow>();
  if (UiMenu::PaintHandler paint = menu->GetPaintHandler()) {
    host->SetOnPaintBackground(
        [paint = std::move(paint)](HWND, Gdiplus::GpGraphics* g, int w, int h) { paint(g, w, h); });
  } else {
    host->SetOnPaintBackground(
        [](HWND, Gdiplus::GpGraphics* g, int w, int h) { PaintDefaultMenuBackground(g, w, h); });
  }
  host->SetOnMessage(MenuMessageHook);
  UiWindow::CreateOptions options;
  options.backgroundColor = RGB(255, 255, 255);
  options.captionStyle = 0;
  options.windowAlpha = kMenuAlpha;
  options.frameMode = 1;
  options.startupHold = 0;
  options.resizable = false;
  options.dragToMove = false;
  if (!host->Create(hwnd, options)) {
    AbandonMenuWindow(hwnd, parentMenu);
    return;
  }
  // The host took the scale the system reports for the new window; the
  // menu was measured and placed at its owner's. Told that scale the way
  // the system tells a window, the host rebuilds at it and the window
  // takes its placed rectangle.
  if (!(host->Scale() == scale)) {
    RECT placed{place.position.x, place.position.y, place.position.x + onScreen.width,
                place.position.y + onScreen.height};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(scale.Dpi(), scale.Dpi()), reinterpret_cast<LPARAM>(&placed));
    if (!IsWindow(hwnd)) return;
  }
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~kStrippedStyles);
  if (!menu) {  // destroyed by the paint handler
    AbandonMenuWindow(hwnd, parentMenu);
    return;
  }

  // A copy: making the rows paints them, and nothing that runs meanwhile
  // may pull the list from under this loop.
  const std::vector<UiMenuItemRecord> items = menu->Items();
  std::vector<std::unique_ptr<UiMenuItem>> rows;
  int y = kFirstRowY;
  for (const UiMenuItemRecord& item : items) {
    if (item.state == 5) continue;  // left out of the size, so left out of the window
    auto row = std::make_unique<UiMenuItem>();
    if (item.kind == UiMenu::kSeparator) {
      row->Create(hwnd, 33, y, place.size.width - 40, kSeparatorHeight, item);
      y += kSeparatorHeight;
    } else {
      row->Create(hwnd, 8, y, place.size.width - 16, kRowHeight, item);
      y += kRowHeight;
    }
    if (item.state == -1) row->Disabled(true);
    rows.push_back(std::move(row));
  }

  // A submenu opened from the keyboard starts with its first row lit.
  if (!topLevel && GetPropW(parentMenu, kMenuKeyOpenProperty)) {
    RemovePropW(parentMenu, kMenuKeyOpenProperty);
    MoveMenuHighlight(*host, 1);
  }
  const WeakRef<UiWindow> live(host.get());
  if (UiMenu::PopupHandler handler = menu ? menu->GetPopupHandler() : nullptr) {
    handler(hwnd, topLevel);  // a copy: it may destroy the menu
  }
  if (IsWindow(hwnd) && live) {
    if (topLevel) {
      host->Show(0);
    } else {
      host->SetCloseEffect(place.closeEffect);
      host->Show(place.showEffect, kSubmenuEffectMs);
    }
  }
  if (IsWindow(hwnd)) {
    NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, hwnd, OBJID_CLIENT, CHILDID_SELF);
    SetForegroundWindow(hwnd);
  }
  RunMenuLoop(hwnd, owner);
  // A top-level menu closed with nothing else taking its place hands the
  // keyboard back to its owner.
  if (topLevel && owner && IsWindow(owner) && !GetForegroundWindow()) SetForegroundWindow(owner);
  rows.clear();
  host.reset();
}

}  // namespace

void ShowMenu(UiMenu& menu, HWND owner, int x, int y) {
  if (menu.IsOpen()) return;
  // What the local loop destroys is released once the menu has returned.
  DispatchScope scope;
  const UiMenu::OpenGuard open(menu);
  ShowMenuWindow(open.Ref(), owner, POINT{x, y}, nullptr);
}

void PopupSubmenu(UiMenu& menu, HWND parentMenuWindow) {
  if (menu.IsOpen() || !parentMenuWindow || !IsWindow(parentMenuWindow)) return;
  DispatchScope scope;
  const UiMenu::OpenGuard open(menu);
  ShowMenuWindow(open.Ref(), parentMenuWindow, POINT{0, 0}, parentMenuWindow);
}

}  // namespace ui
