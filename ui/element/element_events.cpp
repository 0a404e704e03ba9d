// UiElement: event bindings, delivery through the host window, the paint
// protocol and transitions.
#include <algorithm>
#include <cmath>

#include "ui/core/bitmap_pixels.h"
#include "ui/core/image.h"
#include "ui/element/element.h"
#include "ui/host/tickets.h"
#include "ui/host/window.h"

namespace ui {

namespace {
constexpr UINT kDoubleClickBinding = WM_LBUTTONDBLCLK;  // 515

bool BindingMatches(UINT bound, UINT message, WPARAM wParam) {
  if (bound == kDoubleClickBinding)
    return message == WM_LBUTTONDOWN && wParam == ev::kDoubleClickMark;
  return bound == message;
}

void CALLBACK TransitionTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time) {
  DispatchScope scope;  // reached from DispatchMessage, not through the host
  UiElement* element = UiElement::FromHandle(id - 1);
  if (!element || element->GetWindow() != hwnd) {
    KillTimer(hwnd, id);  // not ours (any more)
    return;
  }
  element->OnTransitionTimer(hwnd, msg, id, time);
}
}  // namespace

void UiElement::BindEvent(UINT message, EventHandler handler) {
  for (auto& b : handlers_) {
    if (b.message == message) {
      b.handler = std::move(handler);
      return;
    }
  }
  handlers_.push_back(Binding{message, std::move(handler)});
}

LRESULT UiElement::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
  const WeakRef<UiElement> self(this);
  const ElementHandle handle = handle_;
  const LRESULT answer = HandleEvent(message, wParam, lParam);
  if (!self) return answer;  // destroyed by its own class
  for (const auto& b : handlers_) {
    if (!BindingMatches(b.message, message, wParam)) continue;
    EventHandler handler = b.handler;  // the handler may rebind or destroy
    if (handler) handler(ElementEvent{GetParent(), handle, message, wParam, lParam});
    break;
  }
  return answer;
}

LRESULT UiElement::SendEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window_ || !Host()) return 0;
  const HWND window = window_;  // the element may be gone when the answer comes
  const LPARAM ticket = IssueTicket(window, Ticket{message, wParam, lParam, {}});
  const LRESULT answer = SendMessageW(window, hostmsg::kDeliverEvent, handle_, ticket);
  RedeemTicket(window, ticket);  // drops it when nobody took it
  return answer;
}

void UiElement::PostEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window_ || !Host()) return;
  const LPARAM ticket = IssueTicket(window_, Ticket{message, wParam, lParam, {}});
  if (!PostMessageW(window_, hostmsg::kDeliverEvent, Self(), ticket)) RedeemTicket(window_, ticket);
}

// Posts a recomposite of the current bounds (a copy travels with the
// message, so it stays right even if the element is gone by then).
void UiElement::PostInvalidate(int mode) {
  if (!window_) return;
  const LPARAM ticket = IssueTicket(window_, Ticket{0, 0, 0, bounds_});
  if (!PostMessageW(window_, hostmsg::kInvalidate, static_cast<WPARAM>(mode), ticket))
    RedeemTicket(window_, ticket);
}

bool UiElement::BeginPaint(PaintContext& pc, std::optional<RectF> area, bool fresh) {
  if (!window_ || !Host()) return false;
  paintWhenShown_ = false;
  if (fresh) {
    snapshot_.reset();
    UiWindow* host = Host();
    if (!host->Busy() && transitionSteps_ != 0 && transitionInterval_ != 0) {
      // A running transition jumps to its end; the current look becomes the snapshot.
      KillTimer(window_, handle_ + 1);
      transitionTimerActive_ = false;
      transitionStep_ = transitionSteps_;
      const WeakRef<UiElement> self(this);
      host->RedrawRect(bounds_, true);  // runs element events and the overlay
      if (!self || !window_ || !Host()) return false;
      if (bitmap_) {
        // The bitmap holds device pixels.
        const RectF part = Scale().PlaceSurface(area.value_or(RectF{0, 0, bounds_.width, bounds_.height}));
        UINT bw = 0, bh = 0;
        gp::GdipGetImageWidth(bitmap_.get(), &bw);
        gp::GdipGetImageHeight(bitmap_.get(), &bh);
        const float x = std::max(0.0f, part.x), y = std::max(0.0f, part.y);
        const float w = std::min(part.Right(), static_cast<float>(bw)) - x;
        const float h = std::min(part.Bottom(), static_cast<float>(bh)) - y;
        if (w > 0 && h > 0)
          gp::GdipCloneBitmapArea(x, y, w, h, PixelFormat32bppARGB, bitmap_.get(), snapshot_.put());
      }
    }
  }
  // Filled only now: the redraw above runs callouts that may resize this
  // element (a new surface) or change the host's buffers.
  UiWindow* host = Host();
  pc.window = window_;
  pc.graphics = graphics_.get();
  pc.area = area.value_or(RectF{0, 0, bounds_.width, bounds_.height});
  pc.fresh = fresh;
  pc.host = host;
  pc.windowDc = host->WindowDc();
  pc.canvasDc = host->CanvasDc();
  pc.canvasGraphics = host->CanvasGraphics();
  pc.bitmap = bitmap_.get();
  if (fresh && graphics_) ClearForFreshPaint(pc.area);
  OnBeginPaint(pc);
  return true;
}

void UiElement::ClearForFreshPaint(const RectF& area) {
  // At 100 % an area of whole pixels is cleared by setting its pixels:
  // GDI+'s clear blends every pixel and costs many times more.
  if (Scale().IsUnit() && IsWholePixel(area.x) && IsWholePixel(area.y) && IsWholePixel(area.width) &&
      IsWholePixel(area.height)) {
    const RECT pixels = PixelsOnBitmap(bitmap_.get(), area.x, area.y, area.width, area.height);
    if (pixels.right <= pixels.left || pixels.bottom <= pixels.top) return;  // nothing of the bitmap
    if (gp::Ok(gp::GdipFlush(graphics_.get(), Gdiplus::FlushIntentionSync)) &&
        FillArgbPixels(bitmap_.get(), pixels, 0))
      return;
  }
  gp::GdipSetClipRect(graphics_.get(), area.x, area.y, area.width, area.height, Gdiplus::CombineModeReplace);
  gp::GdipGraphicsClear(graphics_.get(), 0);
  gp::GdipResetClip(graphics_.get());
}

void UiElement::EndPaint(const PaintContext& pc) {
  const WeakRef<UiElement> self(this);
  OnEndPaint(pc);
  if (!self) return;
  if (!pc.fresh || !autoRefresh_ || !visible_) return;
  if (transitionInterval_ == 0 || transitionSteps_ == 0) {
    PostInvalidate(0);
    return;
  }
  transitionStep_ = 0;
  SendEvent(ev::kTransitionStarted);
  if (!self || !window_) return;
  if (SetTimer(window_, handle_ + 1, static_cast<UINT>(transitionInterval_), TransitionTimerProc))
    transitionTimerActive_ = true;
}

void UiElement::OnTransitionTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time) {
  if (!handle_) return;
  const WeakRef<UiElement> self(this);
  ++transitionStep_;
  if (UiWindow* host = Host()) host->RedrawRect(bounds_, true);
  if (!self) return;
  if (transitionStep_ >= transitionSteps_) {
    KillTimer(window_, handle_ + 1);
    transitionTimerActive_ = false;
    snapshot_.reset();
    transitionStep_ = 0;
    SendEvent(ev::kTransitionFinished);
  }
}

}  // namespace ui
