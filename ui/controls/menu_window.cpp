// UiMenu::Show and PopupSub: a top-most popup host window with one
// UiMenuItem per item, and the local message loop that runs while it exists.
#include "ui/controls/menu_window.h"

#include <memory>
#include <vector>

#include "ui/controls/menu_item.h"
#include "ui/core/menu.h"
#include "ui/core/library.h"
#include "ui/core/menu_layout.h"
#include "ui/core/shapes.h"
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

constexpr INT_PTR kFlagsMenu = 1;
constexpr INT_PTR kFlagsPopup = 2;
constexpr INT_PTR kFlagsMessageBox = 3;

HANDLE AsProp(const void* value) { return const_cast<HANDLE>(value); }
HWND PropWindow(HWND hwnd, const wchar_t* name) { return static_cast<HWND>(GetPropW(hwnd, name)); }

// The owner's element under the cursor; 0 when the owner has no host.
ElementHandle OwnerElementUnderCursor(HWND owner) {
  UiWindow* host = UiWindow::FromWindow(owner);
  if (!host) return 0;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(owner, &p);
  UiElement* e = host->HitTest(static_cast<float>(p.x), static_cast<float>(p.y));
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

struct Placement {
  POINT position{};
  MenuSize size;
  int showEffect = 0;
  int closeEffect = 0;
};

}  // namespace

void PaintDefaultMenuBackground(Gdiplus::GpGraphics* g, int width, int height) {
  if (!g) return;
  gp::GdipGraphicsClear(g, MakeArgb(0xFFFFFF, 0));
  float x = 6, y = 6, w = static_cast<float>(width - 12), h = static_cast<float>(height - 12);
  FillRoundedRect(g, x, y, w, h, 4, MakeArgb(0xFFFFFF, 234));
  // Shadow rings, fainter and rounder outwards.
  struct Ring {
    float corner;
    Argb colour;
  };
  const Ring rings[] = {{4, 0x7D000000}, {7, 0x23000000}, {10, 0x0F000000}, {13, 0x05000000}};
  bool first = true;
  for (const Ring& ring : rings) {
    if (!first) {
      x -= 1, y -= 1, w += 2, h += 2;
    }
    first = false;
    DrawRoundedRect(g, x, y, w, h, ring.corner, ring.colour);
  }
  // Icon column.
  const Argb column = MakeArgb(0xECE4D1);
  FillRoundedRect(g, 8, 8, 24, static_cast<float>(height - 16), 3, column);
  DrawRoundedRect(g, 8, 8, 24, static_cast<float>(height - 16), 3, column);
}

LRESULT MenuMessageHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const INT_PTR flags = reinterpret_cast<INT_PTR>(GetPropW(hwnd, kMenuFlagsProperty));
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) break;
      if (flags == kFlagsMenu) {
        const HWND activated = reinterpret_cast<HWND>(lp);
        if (activated && GetPropW(activated, kMenuRootProperty)) break;  // same family
        if (HWND root = PropWindow(hwnd, kMenuRootProperty)) PostMessageW(root, WM_CLOSE, 0, 0);
      } else if (flags == kFlagsPopup) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      }
      break;
    case WM_KEYDOWN:
      if (flags == kFlagsMenu) SendMessageW(hwnd, WM_SYSCHAR, wp, lp);
      if (wp == VK_ESCAPE && IsWindow(hwnd)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case WM_DESTROY:
      if (flags == kFlagsMenu) {
        RemovePropW(hwnd, kMenuRootProperty);
        RemovePropW(hwnd, kMenuSubProperty);
        RemovePropW(hwnd, kMenuActProperty);
        RemovePropW(hwnd, kMenuEventProperty);
        // A parent menu must not keep a handle that may be reused.
        if (HWND parent = GetParent(hwnd); parent && PropWindow(parent, kMenuSubProperty) == hwnd)
          RemovePropW(parent, kMenuSubProperty);
        // Wakes the local loop, which may be waiting for a message.
        PostMessageW(nullptr, WM_NULL, 0, 0);
      } else if (flags == kFlagsMessageBox) {
        RemovePropW(hwnd, L"Zq_DirectUI_MsgBox");
      }
      RemovePropW(hwnd, kMenuFlagsProperty);
      break;
    default:
      break;
  }
  return -1;
}

namespace {

// Shows `menu`; `parentMenu` is null for a top-level menu.
void ShowMenu(UiMenu& menu, HWND owner, POINT at, HWND parentMenu) {
  const bool topLevel = parentMenu == nullptr;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Placement place;
  place.size = MeasureMenu(menu, ScreenTextWidth);

  if (topLevel) {
    if (at.x == 0 && at.y == 0) GetCursorPos(&at);
    place.position = PlaceTopLevelMenu(at, place.size, work);
  } else {
    UiWindow* parentHost = UiWindow::FromWindow(parentMenu);
    if (!parentHost) return;
    UiElement* hot = parentHost->FocusedElement();
    if (!hot) hot = UiElement::FromHandle(
        reinterpret_cast<ElementHandle>(GetPropW(parentMenu, kMenuActProperty)));
    RECT parentRect{};
    GetWindowRect(parentMenu, &parentRect);
    const RECT hotRect = hot ? ToRect(hot->Bounds()) : RECT{};
    const SubmenuPlacement sub = PlaceSubmenu(parentRect, hotRect, place.size, work);
    place.position = sub.position;
    place.showEffect = sub.opensLeft ? kWipeFromRight : kWipeFromLeft;
    place.closeEffect = sub.opensLeft ? kWipeFromLeft : kWipeFromRight;
  }

  const HWND hwnd = CreateWindowExW(kMenuExStyle, kWindowClassName, kMenuTitle, WS_POPUP,
                                    place.position.x, place.position.y, place.size.width,
                                    place.size.height, owner, nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
  if (!hwnd) return;

  SetPropW(hwnd, kMenuFlagsProperty, AsProp(reinterpret_cast<void*>(kFlagsMenu)));
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

  // Declared before the rows: the rows are released first.
  auto host = std::make_unique<UiWindow>();
  if (menu.GetPaintHandler()) {
    UiMenu::PaintHandler paint = menu.GetPaintHandler();
    host->SetOnPaintBackground([paint](HWND, Gdiplus::GpGraphics* g, int w, int h) { paint(g, w, h); });
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
    DestroyWindow(hwnd);
    return;
  }
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~kStrippedStyles);

  std::vector<std::unique_ptr<UiMenuItem>> rows;
  int y = kFirstRowY;
  for (const UiMenuItemRecord& item : menu.Items()) {
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

  const WeakRef<UiWindow> live(host.get());
  if (menu.GetPopupHandler()) {
    UiMenu::PopupHandler handler = menu.GetPopupHandler();
    handler(hwnd, topLevel);
  }
  if (IsWindow(hwnd) && live) {
    if (topLevel) {
      host->Show(0);
    } else {
      host->SetCloseEffect(place.closeEffect);
      host->Show(place.showEffect, kSubmenuEffectMs);
    }
  }
  if (IsWindow(hwnd)) SetForegroundWindow(hwnd);
  RunMenuLoop(hwnd, owner);
  rows.clear();
  host.reset();
}

}  // namespace

void UiMenu::Show(HWND owner, int x, int y) {
  if (open_.value) return;
  // What the local loop destroys is released once the menu has returned.
  DispatchScope scope;
  open_.value = true;
  ShowMenu(*this, owner, POINT{x, y}, nullptr);
  open_.value = false;
}

void UiMenu::PopupSub(HWND parentMenuWindow) {
  if (open_.value || !parentMenuWindow || !IsWindow(parentMenuWindow)) return;
  DispatchScope scope;
  open_.value = true;
  ShowMenu(*this, parentMenuWindow, POINT{0, 0}, parentMenuWindow);
  open_.value = false;
}

}  // namespace ui
