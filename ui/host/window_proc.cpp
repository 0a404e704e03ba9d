// UiWindow: the subclassed window procedure, the host's private messages
// and the cross-fade's timer routine.
#include <windows.h>

#include <cmath>
#include <vector>

#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/element/element.h"
#include "ui/host/caption_parts.h"
#include "ui/host/host_accessible.h"
#include "ui/host/tickets.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

WNDPROC OrphanProcFor(HWND hwnd);  // window_create.cpp
void ForgetOrphan(HWND hwnd);      // window_create.cpp

LRESULT CALLBACK UiWindow::HostWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  UiWindow* host = SubclassingHost(hwnd);
  if (!host) {
    WNDPROC orphan = OrphanProcFor(hwnd);
    if (msg == WM_NCDESTROY) ForgetOrphan(hwnd);  // the handle may be reused later
    return orphan ? CallWindowProcW(orphan, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
  }
  // The host may be detached or even deleted by what a message runs; what
  // it releases then waits until the outermost message has returned.
  DispatchScope scope;
  return host->WindowProc(msg, wp, lp);
}

LRESULT UiWindow::CallPrevious(UINT msg, WPARAM wp, LPARAM lp) {
  // The redraw queue only flushes on this thread; a message that arrives
  // during a flush is passed on without waiting.
  WNDPROC previous = prevWndProc_ ? prevWndProc_ : OrphanProcFor(hwnd_);
  return previous ? CallWindowProcW(previous, hwnd_, msg, wp, lp)
                  : DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT UiWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  const WeakRef<UiWindow> alive(this);
  const HWND hwnd = hwnd_;
  const WNDPROC previous = prevWndProc_;
  // Passes the message on even when this object is gone or detached by
  // then (WM_DESTROY detaches first; the procedure it replaced still gets it).
  auto passOn = [&]() -> LRESULT {
    if (alive) return CallPrevious(msg, wp, lp);
    return previous ? CallWindowProcW(previous, hwnd, msg, wp, lp)
                    : DefWindowProcW(hwnd, msg, wp, lp);
  };

  if (onMessage_) {
    MessageFn fn = onMessage_;
    const LRESULT r = fn(hwnd, msg, wp, lp);
    if (r != -1) return r;
    if (!alive) return passOn();
  }

  switch (msg) {
    case WM_DESTROY:
      Detach();
      return passOn();
    case WM_SIZE:
      OnSize(wp);
      return passOn();
    case WM_ACTIVATE:
      input_.OnActivate(wp, lp);
      return passOn();
    case WM_SETTEXT: {
      const LRESULT r = CallPrevious(msg, wp, lp);
      if (alive && r == TRUE) OnSetText(r, lp);
      return r;
    }
    case WM_PAINT:
      compositor_.OnPaint();
      return passOn();
    case WM_CLOSE:
      effects_.PlayCloseEffect();
      if (alive) ShowWindow(hwnd, SW_HIDE);
      return passOn();
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd) {
        input_.OnSetCursor();
        return TRUE;
      }
      return passOn();
    case WM_NCACTIVATE:
      return TRUE;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
      return 0;
    case WM_STYLECHANGED: {
      const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
      const LONG_PTR frame = WS_DLGFRAME | WS_BORDER;
      if (style & frame) SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~frame);
      return passOn();
    }
    case WM_GETOBJECT:
      if (static_cast<LONG>(lp) == OBJID_CLIENT) {
        // The client area's accessibility object: the element tree.
        HostAccessible* object = HostAccessible::Create(*this, nullptr);
        const LRESULT r = sys::LresultFromObject(IID_IAccessible, wp, static_cast<IAccessible*>(object));
        object->Release();
        // A failure's HRESULT goes back too: the client's
        // AccessibleObjectFromWindow reports it instead of handing out a
        // stand-in object without the elements.
        if (r != 0) return r;
      }
      return passOn();
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_NCCALCSIZE:
      // The whole window rectangle is client area.
      if (wp == TRUE) return 0;
      return passOn();
    case WM_KEYDOWN:
      input_.OnKeyDown(msg, wp, lp);
      return passOn();
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_IME_COMPOSITION:
    case WM_COMMAND:
    case WM_MOUSEWHEEL:
      input_.SendToFocused(msg, wp, lp);
      return passOn();
    case WM_SYSCHAR:
      if (input_.OnSysChar(msg, wp, lp)) return 0;
      return passOn();
    case WM_TIMER:
      // Element timers use the element handle as id; anything else (the
      // application's own timers) is not an element and is just passed on.
      if (UiElement* e = UiElement::FromHandle(wp); Owns(e)) SendTo(e, msg, wp, lp);
      return passOn();
    case WM_MOUSEMOVE:
      input_.OnMouseMove(wp, lp);
      return passOn();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      input_.RouteMouse(msg, wp, lp);
      return passOn();
    case WM_LBUTTONDBLCLK:
      SendMessageW(hwnd, WM_LBUTTONDOWN, ev::kDoubleClickMark, lp);
      return 0;
    case WM_MOUSELEAVE:
      input_.OnMouseLeave(wp, lp);
      return passOn();
    default:
      break;
  }
  if ((msg >= hostmsg::kSetFocus && msg <= hostmsg::kPresentHeld) || msg == hostmsg::kActivate) {
    bool handled = false;
    const LRESULT r = OnHostMessage(msg, wp, lp, handled);
    if (handled) return r;
  }
  return passOn();
}

LRESULT UiWindow::OnHostMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  switch (msg) {
    case hostmsg::kSetFocus:
      if (lp) {
        UiElement* e = UiElement::FromHandle(static_cast<ElementHandle>(lp));
        if (Owns(e)) SetFocusElement(e, false);
      }
      return 0;
    case hostmsg::kAccelerator: {
      handled = true;
      UiElement* e = UiElement::FromHandle(wp);
      if (!Owns(e)) return 0;
      return SetAccelerator(e, static_cast<int>(lp));
    }
    case hostmsg::kPresentCanvas:
      compositor_.PresentCanvas();
      return 0;
    case hostmsg::kInvalidate: {
      if (auto ticket = RedeemTicket(hwnd_, lp)) InvalidateRect(ticket->rect, static_cast<int>(wp));
      if (wp == 1) handled = true;
      return 0;
    }
    case hostmsg::kElementMoved: {
      handled = true;
      UiElement* e = UiElement::FromHandle(wp);
      return OnElementMoved(Owns(e) ? e : nullptr, lp == 1);
    }
    case hostmsg::kActivate: {
      handled = true;
      UiElement* e = UiElement::FromHandle(wp);
      if (Owns(e) && e->Visible() && !e->Disabled()) input_.Activate(e);
      return 0;
    }
    case hostmsg::kPresentHeld:
      handled = true;
      compositor_.OnPresentHeld(wp);
      return 0;
    case hostmsg::kDeliverEvent: {
      handled = true;
      auto ticket = RedeemTicket(hwnd_, lp);
      UiElement* e = UiElement::FromHandle(wp);
      if (!ticket || !Owns(e)) return 0;
      return e->Deliver(ticket->message, ticket->wParam, ticket->lParam);
    }
    default:
      return 0;
  }
}

LRESULT UiWindow::OnElementMoved(UiElement* element, bool redraw) {
  if (!element) return 1;
  const WeakRef<UiWindow> alive(this);
  const WeakRef<UiElement> moved(element);
  SendTo(element, ev::kMoved, 0, 0);
  if (!alive) return 1;
  if (!redraw || !Owns(moved)) return 1;
  const RectF now = element->Bounds();
  const RectF before = element->OldBounds().value_or(now);
  return compositor_.RepairMoved(before, now);
}

void UiWindow::OnSetText(LRESULT, LPARAM lp) {
  if (!(captionFlags_ & caption::kTitle) || !titleLabel_ || !lp) return;
  const auto* text = reinterpret_cast<const wchar_t*>(lp);
  if (CaptionParts().setTitleText) CaptionParts().setTitleText(*titleLabel_, FromWide(text));
}

void UiWindow::OnGetMinMaxInfo(MINMAXINFO* info) {
  if (!info) return;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // The frame's shadow band (7 logical pixels) lies outside the work area.
  const LONG band = scale_.ToDevice(7);
  info->ptMaxSize = POINT{work.right + 2 * band, work.bottom + 2 * band};
  info->ptMaxPosition = POINT{work.left - band, work.top - band};
  if (captionFlags_ == 0) {
    info->ptMinTrackSize = POINT{scale_.ToDevice(21), scale_.ToDevice(20)};
    return;
  }
  const int buttons = static_cast<int>(captionButtons_.size());
  const int closeExtra = (captionFlags_ & caption::kClose) ? 11 : 0;
  info->ptMinTrackSize = POINT{scale_.ToDevice(buttons * 28 + closeExtra + 35 + 1), scale_.ToDevice(38)};
}


void UiWindow::OnSize(WPARAM wp) {
  if (wp == SIZE_MINIMIZED || !IsAttached()) return;
  RECT wr{};
  GetWindowRect(hwnd_, &wr);
  const SIZE size{wr.right - wr.left, wr.bottom - wr.top};
  if (size.cx == clientSize_.cx && size.cy == clientSize_.cy) return;
  clientSize_ = size;
  if (onResize_) {
    const WeakRef<UiWindow> alive(this);
    ResizeFn fn = onResize_;
    fn(hwnd_, LogicalSize().cx, LogicalSize().cy);  // the application lays out in logical pixels
    if (!alive) return;
  }
  compositor_.CreateBuffers();
  Redraw({}, BackgroundColor(), 0, true);
}

void UiWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
  if (!IsAttached()) return;
  const WeakRef<UiWindow> alive(this);
  const DisplayScale old = scale_;
  scale_ = DisplayScale::FromDpi(dpi);
  SetPropW(hwnd_, kScaleProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(scale_.Quarters())));
  if (!(scale_ == old)) {
    compositor_.RedecodeBackground(scale_);
    RebuildSurfaces(old);
    if (!alive) return;
  }
  RECT target{};
  if (suggested) {
    target = *suggested;
  } else {
    // No rectangle offered: the same logical size about the top-left corner.
    GetWindowRect(hwnd_, &target);
    target.right = target.left + static_cast<LONG>(std::lround(static_cast<double>(target.right - target.left) *
                                                               scale_.Quarters() / old.Quarters()));
    target.bottom = target.top + static_cast<LONG>(std::lround(static_cast<double>(target.bottom - target.top) *
                                                               scale_.Quarters() / old.Quarters()));
  }
  const SIZE before = clientSize_;
  SetWindowPos(hwnd_, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (!alive) return;
  // Resized: WM_SIZE has recomposed at the new size. Otherwise the
  // surfaces changed under the same window: compose them now.
  if (clientSize_.cx == before.cx && clientSize_.cy == before.cy) {
    compositor_.CreateBuffers();
    Redraw({}, BackgroundColor(), 0, true);
    if (!alive) return;
  }
  // The tooltip's tool covers its element in device pixels.
  tooltipAccelerators_.UpdateToolRect();
}

void UiWindow::RebuildSurfaces(DisplayScale old) {
  // Every element once: told of the scale, a new surface at device size,
  // then one paint. The host stays busy meanwhile, so nothing is composed
  // until the window is recomposed as a whole.
  const WeakRef<UiWindow> alive(this);
  std::vector<WeakRef<UiElement>> elements;
  for (UiElement* e : UiElement::LiveElementsOf(this)) elements.emplace_back(e);
  const bool wasBusy = compositor_.Busy();
  compositor_.SetBusyFlag(true);
  for (const WeakRef<UiElement>& ref : elements) {
    UiElement* e = Owned(ref);
    if (!e) continue;
    SendTo(e, ev::kScaleChanged, static_cast<WPARAM>(scale_.Quarters()), static_cast<LPARAM>(old.Quarters()));
    if (!alive) return;
    if (!(e = Owned(ref))) continue;
    e->CreateSurface();
    SendTo(e, ev::kPaint, reinterpret_cast<WPARAM>(e->Bitmap()), reinterpret_cast<LPARAM>(e->Graphics()));
    if (!alive) return;
  }
  compositor_.SetBusyFlag(wasBusy);
}

void CALLBACK UiWindow::FadeTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  DispatchScope scope;  // reached from DispatchMessage, not through the host
  UiWindow* host = SubclassingHost(hwnd);
  if (!host || !host->compositor_.OnFadeTimer(id)) KillTimer(hwnd, id);
}

}  // namespace ui
