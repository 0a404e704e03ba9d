// UiWindow: mouse routing (hover, press, click, double click, focus by
// click, caption drag), edge resizing, activation and mouse leave.
//
// Every call into an element or an application callback may destroy
// elements or the host itself; what the code holds across such a call it
// holds through WeakRef, and it re-checks that reference afterwards.
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
  // Every element is held by a weak reference: any callout may destroy it
  // (or the host) and the reference then reads null.
  const WeakRef<UiWindow> alive(this);
  auto gone = [&] { return !alive; };
  using Ref = WeakRef<UiElement>;
  const float x = static_cast<float>(SignedLow(lp)), y = static_cast<float>(SignedHigh(lp));

  if (buttonDown_) {
    // Captured: only the pressed element sees the mouse.
    if (UiElement* pressed = Owned(pressedElement_)) SendTo(pressed, msg, pressed->Self(), lp);
    if (gone() || msg != WM_LBUTTONUP) return;
    CallElementFn(onLeftUp_, nullptr, wp, lp);
    if (gone()) return;
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (gone()) return;
    const Ref pressed(Owned(pressedElement_));
    const Ref hit(HitTest(x, y));
    if (hit && hit == pressed) {
      SendTo(pressed.get(), ev::kClick, pressed->Self(), lp);
      if (gone()) return;
      CallElementFn(onClick_, pressed.get(), wp, lp);
    } else if (pressed && pressed->Visible()) {
      SendTo(pressed.get(), ev::kMouseLeave, wp, HandleOf(hit.get()));
      if (gone()) return;
      CallElementFn(onMouseLeave_, pressed.get(), wp, lp);
      if (gone()) return;
      if (Owns(hit)) {
        SendTo(hit.get(), ev::kMouseEnter, wp, HandleOf(Owned(pressed)));
        if (gone()) return;
        CallElementFn(onMouseEnter_, hit.get(), wp, lp);
        if (gone()) return;
      }
      SetTooltip(Owned(hit));
    }
    if (gone()) return;
    buttonDown_ = false;
    pressedElement_.reset();
    hoverElement_ = Owned(hit);
    return;
  }

  Ref hit(HitTest(x, y));
  const Ref hover(Owned(hoverElement_));
  if (hover && hover != hit && hover->Visible()) {
    SendTo(hover.get(), ev::kMouseLeave, wp, HandleOf(hit.get()));
    if (gone()) return;
    CallElementFn(onMouseLeave_, hover.get(), wp, lp);
    if (gone()) return;
  }

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
      if (Owns(hit)) {
        const bool pressable = SendTo(hit.get(), ev::kPressQuery, 0, 0) != -1 || hit->Focusable();
        if (gone()) return;
        if (!Owns(hit)) {
          hit.reset();
        } else if (pressable) {
          CallElementFn(onLeftDown_, hit.get(), wp, lp);
          if (gone()) return;
          if (!Owns(hit)) {
            hit.reset();
            break;
          }
          buttonDown_ = true;
          pressedElement_ = hit;
          if (hit->Focusable() && hit != focusedElement_) {
            const Ref old(Owned(focusedElement_));
            focusedElement_ = hit;
            keyboardFocus_.reset();
            SendTo(old.get(), ev::kFocusLost, wp, HandleOf(hit.get()));
            if (gone()) return;
            CallElementFn(onBlur_, old.get(), wp, lp);
            if (gone()) return;
            SendTo(hit.get(), ev::kFocusGained, wp, HandleOf(Owned(old)));
            if (gone()) return;
            CallElementFn(onFocus_, hit.get(), wp, lp);
            if (gone()) return;
          }
          if (doubleClick) {
            CallElementFn(onDoubleClick_, hit.get(), wp, lp);
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
      CallElementFn(onRightDown_, Owned(hit), wp, lp);
      break;
    case WM_RBUTTONUP:
      CallElementFn(onRightUp_, Owned(hit), wp, lp);
      break;
    case WM_MOUSEMOVE:
      if (hit != hover) {
        if (UiElement* entered = Owned(hit)) {
          SendTo(entered, ev::kMouseEnter, wp, HandleOf(hover.get()));
          if (gone()) return;
          CallElementFn(onMouseEnter_, hit.get(), wp, lp);
          if (gone()) return;
        }
        SetTooltip(Owned(hit));
      }
      break;
    default:
      break;
  }
  if (gone()) return;
  if (UiElement* target = Owned(hit)) {
    SendTo(target, msg, wp, lp);
    if (gone()) return;
  }
  hoverElement_ = Owned(hit);
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
  const WeakRef<UiWindow> alive(this);
  if (UiElement* hover = Owned(hoverElement_)) {
    hoverElement_.reset();
    SendTo(hover, ev::kMouseLeave, 0, 0);
    if (!alive) return true;
  }
  if (msg == WM_LBUTTONDOWN) {
    if (GetCapture() == hwnd_) ReleaseCapture();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_SIZE + zone.edge, 0);
  }
  return true;
}

void UiWindow::OnActivate(WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(this);
  if (LOWORD(wp) != WA_INACTIVE) {
    SendTo(pressedElement_.get(), ev::kFocusGained, wp, lp);
    return;
  }
  SendTo(hoverElement_.get(), ev::kMouseLeave, 0, 0);
  if (!alive || !buttonDown_) return;
  SendTo(pressedElement_.get(), ev::kFocusLost, 0, 0);
  if (!alive) return;
  if (GetCapture() == hwnd_) ReleaseCapture();
  buttonDown_ = false;
}

void UiWindow::OnMouseLeave(WPARAM wp, LPARAM lp) {
  mouseTracked_ = false;
  const WeakRef<UiWindow> alive(this);
  // The capture ends here, and with it the press.
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!alive) return;
  buttonDown_ = false;
  pressedElement_.reset();
  const WeakRef<UiElement> hover(Owned(hoverElement_));
  hoverElement_.reset();
  if (!hover) return;
  SendTo(hover.get(), ev::kMouseLeave, wp, lp);
  if (!alive) return;
  CallElementFn(onMouseLeave_, hover.get(), 0, 0);
}

}  // namespace ui
