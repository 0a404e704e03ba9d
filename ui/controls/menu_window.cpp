// The menu window's default background and the message hook of every menu
// window's host.
#include "ui/controls/menu_window.h"

#include "ui/controls/menu_item.h"
#include "ui/controls/menu_keys.h"
#include "ui/core/shapes.h"

namespace ui {

namespace {

constexpr INT_PTR kFlagsPopup = 2;
constexpr INT_PTR kFlagsMessageBox = 3;

HWND PropWindow(HWND hwnd, const wchar_t* name) { return static_cast<HWND>(GetPropW(hwnd, name)); }

// Set once the menu window's end was announced.
constexpr wchar_t kPopupEndedProperty[] = L"Zq_DirectUI_PopupEnded";

}  // namespace

void AnnouncePopupEnd(HWND hwnd) {
  if (GetPropW(hwnd, kPopupEndedProperty)) return;
  SetPropW(hwnd, kPopupEndedProperty, reinterpret_cast<HANDLE>(1));
  NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

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
      if (flags == kMenuWindowFlags) {
        const HWND activated = reinterpret_cast<HWND>(lp);
        if (activated && GetPropW(activated, kMenuRootProperty)) break;  // same family
        if (HWND root = PropWindow(hwnd, kMenuRootProperty)) PostMessageW(root, WM_CLOSE, 0, 0);
      } else if (flags == kFlagsPopup) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      }
      break;
    case WM_CLOSE:
      if (flags == kMenuWindowFlags) AnnouncePopupEnd(hwnd);
      break;
    case WM_KEYDOWN:
      // Navigation keys are the menu's own; the rest are mnemonics.
      if (flags == kMenuWindowFlags && HandleMenuKey(hwnd, wp)) return 0;
      if (flags == kMenuWindowFlags) SendMessageW(hwnd, WM_SYSCHAR, wp, lp);
      if (wp == VK_ESCAPE && IsWindow(hwnd)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case WM_DESTROY:
      if (flags == kMenuWindowFlags) {
        AnnouncePopupEnd(hwnd);
        RemovePropW(hwnd, kPopupEndedProperty);
        RemovePropW(hwnd, kMenuKeyOpenProperty);
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

}  // namespace ui
