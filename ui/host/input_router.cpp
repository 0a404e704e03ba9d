// UiInputRouter: mouse routing (hover, press, click, double click, focus
// by click, caption drag), edge resizing, activation and mouse leave.
//
// Every call into an element or an application callback may destroy
// elements or the host itself (and this router with it); what the code
// holds across such a call it holds through WeakRef, and it re-checks that
// reference, and the host's life, afterwards.
#include "ui/host/input_router.h"

#include <cmath>

#include "ui/element/element.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {
int SignedLow(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
int SignedHigh(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }
LPARAM HandleOf(const UiElement* e) { return e ? static_cast<LPARAM>(e->Self()) : 0; }

// A mouse position in device pixels as the logical point elements and
// callbacks are told (whole logical pixels, rounded down).
LPARAM LogicalPoint(LPARAM lp, DisplayScale scale) {
  if (scale.IsUnit()) return lp;
  const int x = static_cast<int>(std::floor(scale.ToLogical(SignedLow(lp))));
  const int y = static_cast<int>(std::floor(scale.ToLogical(SignedHigh(lp))));
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

struct ResizeZone {
  LPCWSTR cursor;
  int edge;  // WMSZ_*
};
}  // namespace

void UiInputRouter::OnMouseMove(WPARAM wp, LPARAM lp) {
  if (!mouseTracked_) {
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, host_.Window(), 0};
    mouseTracked_ = sys::TrackMouseEvent(&tme) != FALSE;
  }
  RouteMouse(WM_MOUSEMOVE, wp, lp);
}

void UiInputRouter::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  if (host_.Busy() || ResizeHitTest(msg, lp)) return;
  // Hit testing uses the exact logical position; elements and callbacks
  // get logical coordinates; the caption drag gets the device position.
  const DisplayScale scale = host_.Scale();
  const LPARAM deviceLp = lp;
  const float x = scale.ToLogical(SignedLow(lp)), y = scale.ToLogical(SignedHigh(lp));
  lp = LogicalPoint(lp, scale);
  const HWND hwnd = host_.Window();
  // Every element is held by a weak reference: any callout may destroy it
  // (or the host) and the reference then reads null.
  const WeakRef<UiWindow> alive(&host_);
  auto gone = [&] { return !alive; };
  using Ref = WeakRef<UiElement>;

  if (buttonDown_) {
    // Captured: only the pressed element sees the mouse.
    if (UiElement* pressed = host_.Owned(pressedElement_)) host_.SendTo(pressed, msg, pressed->Self(), lp);
    if (gone() || msg != WM_LBUTTONUP) return;
    host_.CallElementFn(callbacks_.leftUp, nullptr, wp, lp);
    if (gone()) return;
    if (GetCapture() == hwnd) ReleaseCapture();
    if (gone()) return;
    const Ref pressed(host_.Owned(pressedElement_));
    const Ref hit(HitTest(x, y));
    if (hit && hit == pressed) {
      host_.SendTo(pressed.get(), ev::kClick, pressed->Self(), lp);
      if (gone()) return;
      host_.CallElementFn(callbacks_.click, pressed.get(), wp, lp);
    } else if (pressed && pressed->Visible()) {
      host_.SendTo(pressed.get(), ev::kMouseLeave, wp, HandleOf(hit.get()));
      if (gone()) return;
      host_.CallElementFn(callbacks_.mouseLeave, pressed.get(), wp, lp);
      if (gone()) return;
      if (host_.Owns(hit)) {
        host_.SendTo(hit.get(), ev::kMouseEnter, wp, HandleOf(host_.Owned(pressed)));
        if (gone()) return;
        host_.CallElementFn(callbacks_.mouseEnter, hit.get(), wp, lp);
        if (gone()) return;
      }
      host_.SetTooltip(host_.Owned(hit));
    }
    if (gone()) return;
    buttonDown_ = false;
    pressedElement_.reset();
    hoverElement_ = host_.Owned(hit);
    return;
  }

  Ref hit(HitTest(x, y));
  const Ref hover(host_.Owned(hoverElement_));
  if (hover && hover != hit && hover->Visible()) {
    host_.SendTo(hover.get(), ev::kMouseLeave, wp, HandleOf(hit.get()));
    if (gone()) return;
    host_.CallElementFn(callbacks_.mouseLeave, hover.get(), wp, lp);
    if (gone()) return;
  }

  switch (msg) {
    case WM_LBUTTONDOWN: {
      const bool doubleClick = wp == ev::kDoubleClickMark;
      const HWND focus = GetFocus();
      if (focus != hwnd) {
        if (focus) SendMessageW(focus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
        SetFocus(hwnd);
        if (gone()) return;
      }
      bool dragged = false;
      auto startDrag = [&] {
        dragged = true;
        if (GetCapture() == hwnd) ReleaseCapture();
        SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, deviceLp);
      };
      auto toggleMaximized = [&] {
        PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
      };
      if (host_.Owns(hit)) {
        const bool pressable = host_.SendTo(hit.get(), ev::kPressQuery, 0, 0) != -1 || hit->Focusable();
        if (gone()) return;
        if (!host_.Owns(hit)) {
          hit.reset();
        } else if (pressable) {
          host_.CallElementFn(callbacks_.leftDown, hit.get(), wp, lp);
          if (gone()) return;
          if (!host_.Owns(hit)) {
            hit.reset();
            break;
          }
          buttonDown_ = true;
          pressedElement_ = hit;
          if (hit->Focusable() && hit != focusedElement_) {
            const Ref old(host_.Owned(focusedElement_));
            focusedElement_ = hit;
            keyboardFocus_.reset();
            host_.SendTo(old.get(), ev::kFocusLost, wp, HandleOf(hit.get()));
            if (gone()) return;
            host_.CallElementFn(callbacks_.blur, old.get(), wp, lp);
            if (gone()) return;
            host_.SendTo(hit.get(), ev::kFocusGained, wp, HandleOf(host_.Owned(old)));
            if (gone()) return;
            host_.CallElementFn(callbacks_.focus, hit.get(), wp, lp);
            if (gone()) return;
          }
          if (doubleClick) {
            host_.CallElementFn(callbacks_.doubleClick, hit.get(), wp, lp);
            if (gone()) return;
          }
          if (buttonDown_) SetCapture(hwnd);
        } else if (doubleClick && (host_.CaptionFlags() & caption::kTitle) &&
                   (host_.CaptionFlags() & caption::kMaximize) && hit == host_.TitleLabel()) {
          toggleMaximized();
          startDrag();
          if (gone()) return;
        }
        if (!buttonDown_ && host_.DragToMove() && !dragged) {
          startDrag();
          if (gone()) return;
        }
      } else if (doubleClick) {
        if (y < 30 && (host_.CaptionFlags() & caption::kMaximize)) {
          toggleMaximized();
          startDrag();
          if (gone()) return;
        }
      } else if (host_.DragToMove()) {
        startDrag();
        if (gone()) return;
      }
      break;
    }
    case WM_RBUTTONDOWN:
      host_.CallElementFn(callbacks_.rightDown, host_.Owned(hit), wp, lp);
      break;
    case WM_RBUTTONUP:
      host_.CallElementFn(callbacks_.rightUp, host_.Owned(hit), wp, lp);
      break;
    case WM_MOUSEMOVE:
      if (hit != hover) {
        if (UiElement* entered = host_.Owned(hit)) {
          host_.SendTo(entered, ev::kMouseEnter, wp, HandleOf(hover.get()));
          if (gone()) return;
          host_.CallElementFn(callbacks_.mouseEnter, hit.get(), wp, lp);
          if (gone()) return;
        }
        host_.SetTooltip(host_.Owned(hit));
      }
      break;
    default:
      break;
  }
  if (gone()) return;
  if (UiElement* target = host_.Owned(hit)) {
    host_.SendTo(target, msg, wp, lp);
    if (gone()) return;
  }
  hoverElement_ = host_.Owned(hit);
}

bool UiInputRouter::ResizeHitTest(UINT msg, LPARAM lp) {
  const HWND hwnd = host_.Window();
  if (!host_.Resizable() || buttonDown_ || (msg != WM_MOUSEMOVE && msg != WM_LBUTTONDOWN) || IsZoomed(hwnd))
    return false;
  // The zones are logical widths, like everything else the user sees.
  const DisplayScale scale = host_.Scale();
  const float x = scale.ToLogical(SignedLow(lp)), y = scale.ToLogical(SignedHigh(lp));
  const float w = scale.ToLogical(static_cast<int>(host_.ClientSize().cx));
  const float h = scale.ToLogical(static_cast<int>(host_.ClientSize().cy));
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
  const WeakRef<UiWindow> alive(&host_);
  if (UiElement* hover = host_.Owned(hoverElement_)) {
    hoverElement_.reset();
    host_.SendTo(hover, ev::kMouseLeave, 0, 0);
    if (!alive) return true;
  }
  if (msg == WM_LBUTTONDOWN) {
    if (GetCapture() == hwnd) ReleaseCapture();
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + zone.edge, 0);
  }
  return true;
}

void UiInputRouter::OnActivate(WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(&host_);
  const HWND hwnd = host_.Window();
  // The focus mark shows only while the window is active.
  windowActive_ = LOWORD(wp) != WA_INACTIVE;
  if (focusCuesShown_) {
    RepaintFocusMark();
    if (!alive) return;
  }
  if (LOWORD(wp) != WA_INACTIVE) {
    host_.SendTo(pressedElement_.get(), ev::kFocusGained, wp, lp);
    return;
  }
  host_.SendTo(hoverElement_.get(), ev::kMouseLeave, 0, 0);
  if (!alive || !buttonDown_) return;
  host_.SendTo(pressedElement_.get(), ev::kFocusLost, 0, 0);
  if (!alive) return;
  if (GetCapture() == hwnd) ReleaseCapture();
  buttonDown_ = false;
}

void UiInputRouter::OnMouseLeave(WPARAM wp, LPARAM lp) {
  mouseTracked_ = false;
  const WeakRef<UiWindow> alive(&host_);
  const HWND hwnd = host_.Window();
  // The capture ends here, and with it the press.
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!alive) return;
  buttonDown_ = false;
  pressedElement_.reset();
  const WeakRef<UiElement> hover(host_.Owned(hoverElement_));
  hoverElement_.reset();
  if (!hover) return;
  host_.SendTo(hover.get(), ev::kMouseLeave, wp, lp);
  if (!alive) return;
  host_.CallElementFn(callbacks_.mouseLeave, hover.get(), 0, 0);
}

void UiInputRouter::OnSetCursor() {
  HCURSOR cursor = nullptr;
  if (UiElement* hover = host_.Owned(hoverElement_)) cursor = hover->Cursor();
  SetCursor(cursor ? cursor : host_.DefaultCursor());
}

void UiInputRouter::ForgetElement(const UiElement* element) {
  bool endPress = false;
  if (pressedElement_ == element) {
    pressedElement_.reset();
    endPress = buttonDown_;
    buttonDown_ = false;
  }
  if (focusedElement_ == element) focusedElement_.reset();
  if (hoverElement_ == element) hoverElement_.reset();
  if (keyboardFocus_ == element) keyboardFocus_.reset();
  // Last: releasing the capture sends the window WM_CAPTURECHANGED, and
  // what that runs may take the host (and this router) away.
  if (endPress && GetCapture() == host_.Window()) ReleaseCapture();
}

void UiInputRouter::Forget() {
  if (buttonDown_ || mouseTracked_) {
    buttonDown_ = false;
    mouseTracked_ = false;
    if (GetCapture() == host_.Window()) ReleaseCapture();
  }
  pressedElement_.reset();
  focusedElement_.reset();
  hoverElement_.reset();
  keyboardFocus_.reset();
  windowActive_.reset();
}

}  // namespace ui
