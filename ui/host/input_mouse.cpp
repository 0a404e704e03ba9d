// UiWindow: mouse routing (hover, press, click, double click, focus by
// click, caption drag), edge resizing, activation and mouse leave.
//
// Every call into an element or an application callback may destroy
// elements or the host itself; after each one the code re-checks what it
// still holds (Owns, alive) before touching it.
#include <windows.h>

#include "ui/element/element.h"
#include "ui/host/window.h"

namespace ui {

namespace {
int SignedLow(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
int SignedHigh(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }
LPARAM HandleOf(const UiElement* e) { return e ? static_cast<LPARAM>(e->Self()) : 0; }

struct ResizeZone {
  LPCWSTR cursor;
  int edge;  // WMSZ_*
};
}  // namespace

void UiWindow::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  if (busy_ || ResizeHitTest(msg, lp)) return;
  const std::shared_ptr<bool> alive = alive_;
  auto gone = [&] { return !*alive || !IsAttached(); };
  const float x = static_cast<float>(SignedLow(lp)), y = static_cast<float>(SignedHigh(lp));

  if (buttonDown_) {
    // Captured: only the pressed element sees the mouse.
    UiElement* pressed = pressedElement_;
    if (Owns(pressed)) SendTo(pressed, msg, pressed->Self(), lp);
    if (gone() || msg != WM_LBUTTONUP) return;
    CallElementFn(onLeftUp_, nullptr, wp, lp);
    if (gone()) return;
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (gone()) return;
    pressed = Owns(pressedElement_) ? pressedElement_ : nullptr;
    UiElement* hit = HitTest(x, y);
    if (hit && hit == pressed) {
      SendTo(pressed, ev::kClick, pressed->Self(), lp);
      if (gone()) return;
      CallElementFn(onClick_, pressed, wp, lp);
    } else if (pressed && pressed->Visible()) {
      SendTo(pressed, ev::kMouseLeave, wp, HandleOf(hit));
      if (gone()) return;
      CallElementFn(onMouseLeave_, pressed, wp, lp);
      if (gone()) return;
      if (Owns(hit)) {
        SendTo(hit, ev::kMouseEnter, wp, HandleOf(Owns(pressed) ? pressed : nullptr));
        if (gone()) return;
        CallElementFn(onMouseEnter_, hit, wp, lp);
        if (gone()) return;
      }
      SetTooltip(Owns(hit) ? hit : nullptr);
    }
    if (gone()) return;
    buttonDown_ = false;
    pressedElement_ = nullptr;
    hoverElement_ = Owns(hit) ? hit : nullptr;
    return;
  }

  UiElement* hit = HitTest(x, y);
  UiElement* hover = Owns(hoverElement_) ? hoverElement_ : nullptr;
  if (hover && hover != hit && hover->Visible()) {
    SendTo(hover, ev::kMouseLeave, wp, HandleOf(hit));
    if (gone()) return;
    CallElementFn(onMouseLeave_, hover, wp, lp);
    if (gone()) return;
  }
  if (!Owns(hit)) hit = nullptr;  // gone with the leave handlers
  if (!Owns(hover)) hover = nullptr;

  switch (msg) {
    case WM_LBUTTONDOWN: {
      const bool doubleClick = wp == ev::kDoubleClickMark;
      const HWND focus = GetFocus();
      if (focus != hwnd_) {
        if (focus) SendMessageW(focus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd_), 0);
        SetFocus(hwnd_);
        if (gone()) return;
      }
      bool dragged = false;
      auto startDrag = [&] {
        dragged = true;
        if (GetCapture() == hwnd_) ReleaseCapture();
        SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, lp);
      };
      auto toggleMaximized = [&] {
        PostMessageW(hwnd_, WM_SYSCOMMAND, IsZoomed(hwnd_) ? SC_RESTORE : SC_MAXIMIZE, 0);
      };
      if (hit) {
        const ElementHandle h = hit->Self();
        const bool pressable = SendTo(hit, ev::kPressQuery, 0, 0) != -1 || hit->Focusable();
        if (gone()) return;
        if (!Owns(UiElement::FromHandle(h))) {
          hit = nullptr;
        } else if (pressable) {
          CallElementFn(onLeftDown_, hit, wp, lp);
          if (gone()) return;
          if (!Owns(UiElement::FromHandle(h))) {
            hit = nullptr;
            break;
          }
          buttonDown_ = true;
          pressedElement_ = hit;
          if (hit->Focusable() && hit != focusedElement_) {
            UiElement* old = Owns(focusedElement_) ? focusedElement_ : nullptr;
            focusedElement_ = hit;
            keyboardFocus_ = nullptr;
            SendTo(old, ev::kFocusLost, wp, HandleOf(hit));
            if (gone()) return;
            CallElementFn(onBlur_, old, wp, lp);
            if (gone()) return;
            SendTo(hit, ev::kFocusGained, wp, HandleOf(Owns(old) ? old : nullptr));
            if (gone()) return;
            CallElementFn(onFocus_, hit, wp, lp);
            if (gone()) return;
          }
          if (doubleClick) {
            CallElementFn(onDoubleClick_, hit, wp, lp);
            if (gone()) return;
          }
          if (buttonDown_) SetCapture(hwnd_);
        } else if (doubleClick && (captionFlags_ & caption::kTitle) &&
                   (captionFlags_ & caption::kMaximize) && hit == titleLabel_.get()) {
          toggleMaximized();
          startDrag();
          if (gone()) return;
        }
        if (!buttonDown_ && dragToMove_ && !dragged) {
          startDrag();
          if (gone()) return;
        }
      } else if (doubleClick) {
        if (y < 30 && (captionFlags_ & caption::kMaximize)) {
          toggleMaximized();
          startDrag();
          if (gone()) return;
        }
      } else if (dragToMove_) {
        startDrag();
        if (gone()) return;
      }
      break;
    }
    case WM_RBUTTONDOWN:
      CallElementFn(onRightDown_, hit, wp, lp);
      break;
    case WM_RBUTTONUP:
      CallElementFn(onRightUp_, hit, wp, lp);
      break;
    case WM_MOUSEMOVE:
      if (hit != hover) {
        if (hit) {
          SendTo(hit, ev::kMouseEnter, wp, HandleOf(hover));
          if (gone()) return;
          CallElementFn(onMouseEnter_, hit, wp, lp);
          if (gone()) return;
        }
        SetTooltip(Owns(hit) ? hit : nullptr);
      }
      break;
    default:
      break;
  }
  if (gone()) return;
  if (!Owns(hit)) hit = nullptr;
  if (hit) {
    SendTo(hit, msg, wp, lp);
    if (gone()) return;
  }
  hoverElement_ = Owns(hit) ? hit : nullptr;
}

bool UiWindow::ResizeHitTest(UINT msg, LPARAM lp) {
  if (!resizable_ || buttonDown_ || (msg != WM_MOUSEMOVE && msg != WM_LBUTTONDOWN) || IsZoomed(hwnd_))
    return false;
  const int x = SignedLow(lp), y = SignedHigh(lp);
  const int w = clientSize_.cx, h = clientSize_.cy;
  const bool right = x > w - 10, bottom = y > h - 10;
  ResizeZone zone{nullptr, 0};
  if (y <= 7) {
    zone = x <= 9 ? ResizeZone{IDC_SIZENWSE, WMSZ_TOPLEFT}
                  : (!right ? ResizeZone{IDC_SIZENS, WMSZ_TOP} : ResizeZone{IDC_SIZENESW, WMSZ_TOPRIGHT});
  } else if (bottom) {
    zone = x <= 9 ? ResizeZone{IDC_SIZENESW, WMSZ_BOTTOMLEFT}
                  : (!right ? ResizeZone{IDC_SIZENS, WMSZ_BOTTOM}
                            : ResizeZone{IDC_SIZENWSE, WMSZ_BOTTOMRIGHT});
  } else if (x <= 7) {
    zone = ResizeZone{IDC_SIZEWE, WMSZ_LEFT};
  } else if (right) {
    zone = ResizeZone{IDC_SIZEWE, WMSZ_RIGHT};
  } else {
    return false;
  }
  SetCursor(LoadCursorW(nullptr, zone.cursor));
  const std::shared_ptr<bool> alive = alive_;
  if (UiElement* hover = hoverElement_) {
    hoverElement_ = nullptr;
    SendTo(hover, ev::kMouseLeave, 0, 0);
    if (!*alive) return true;
  }
  if (msg == WM_LBUTTONDOWN) {
    if (GetCapture() == hwnd_) ReleaseCapture();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_SIZE + zone.edge, 0);
  }
  return true;
}

void UiWindow::OnActivate(WPARAM wp, LPARAM lp) {
  const std::shared_ptr<bool> alive = alive_;
  if (LOWORD(wp) != WA_INACTIVE) {
    if (Owns(pressedElement_)) SendTo(pressedElement_, ev::kFocusGained, wp, lp);
    return;
  }
  if (Owns(hoverElement_)) SendTo(hoverElement_, ev::kMouseLeave, 0, 0);
  if (!*alive || !buttonDown_) return;
  if (Owns(pressedElement_)) SendTo(pressedElement_, ev::kFocusLost, 0, 0);
  if (!*alive) return;
  if (GetCapture() == hwnd_) ReleaseCapture();
  buttonDown_ = false;
}

void UiWindow::OnMouseLeave(WPARAM wp, LPARAM lp) {
  mouseTracked_ = false;
  const std::shared_ptr<bool> alive = alive_;
  // The capture ends here, and with it the press.
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!*alive) return;
  buttonDown_ = false;
  pressedElement_ = nullptr;
  UiElement* hover = Owns(hoverElement_) ? hoverElement_ : nullptr;
  hoverElement_ = nullptr;
  if (!hover) return;
  SendTo(hover, ev::kMouseLeave, wp, lp);
  if (!*alive) return;
  CallElementFn(onMouseLeave_, hover, 0, 0);
}

}  // namespace ui
