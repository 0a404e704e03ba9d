// UiWindow: attaching to a window, the caption parts, the tooltip window,
// settings and teardown.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "ui/core/color.h"
#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/element/element.h"
#include "ui/host/caption_parts.h"
#include "ui/host/tickets.h"
#include "ui/host/window.h"

namespace ui {

namespace {
std::unordered_set<const UiWindow*>& LiveHosts() {
  static auto* live = new std::unordered_set<const UiWindow*>();
  return *live;
}

// Windows whose procedure could not be restored on detach (someone
// subclassed on top of the host): their previous procedure, so that
// HostWindowProc can still pass every message on.
std::unordered_map<HWND, WNDPROC>& OrphanProcs() {
  static auto* procs = new std::unordered_map<HWND, WNDPROC>();
  return *procs;
}

constexpr int kCaptionButtonKinds[] = {4, 8, 16, 32, 64, 128, 256};
}  // namespace

UiWindow::UiWindow() : alive_(std::make_shared<bool>(true)) { LiveHosts().insert(this); }

UiWindow::~UiWindow() {
  Detach();
  LiveHosts().erase(this);
  *alive_ = false;
}

bool UiWindow::IsLive(const UiWindow* host) { return host && LiveHosts().count(host) != 0; }

UiWindow* UiWindow::FromWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto* host = static_cast<UiWindow*>(GetPropW(hwnd, kHostProperty));
  if (!IsLive(host) || host->hwnd_ != hwnd || !host->IsAttached()) return nullptr;
  return host;
}

bool UiWindow::Create(HWND hwnd, const CreateOptions& o) {
  if (!hwnd || !IsWindow(hwnd)) return false;
  if (IsAttached() && hwnd == hwnd_) return false;
  // Another host on the same window would chain two host procedures that
  // both find the newer host through the property: refuse it.
  if (UiWindow* other = FromWindow(hwnd); other && other != this) return false;
  // Only a window of this thread can be subclassed and drawn safely.
  if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return false;
  if (IsAttached()) Detach();

  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const int alpha = o.windowAlpha.value_or(-1);
  const bool layered = alpha != -1;
  if (o.blurBehind)
    blurBehind_ = *o.blurBehind && layered;
  else
    blurBehind_ = Library().osMajorVersion == 6;

  hwnd_ = hwnd;
  windowAlpha_ = layered ? (alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha)) : -1;
  imageLayout_ = o.imageLayout.value_or(0);
  imageFrame_ = o.imageFrame.value_or(true);
  frameMode_ = o.frameMode.value_or(7);
  resizable_ = o.resizable.value_or((style & WS_THICKFRAME) != 0);
  startupHold_ = o.startupHold.value_or(1);
  nineGrid_ = o.nineGrid.value_or(RECT{0, 0, 0, 0});
  inheritFrom_ = o.inheritFrom.value_or(nullptr);

  // Caption style.
  if (!o.captionStyle || *o.captionStyle != 0) style |= WS_SYSMENU;
  int flags = o.captionStyle.value_or(0);
  if (!o.captionStyle || (flags & caption::kFromStyles)) {
    flags |= caption::kIcon | caption::kTitle | caption::kClose;
    if (style & WS_MAXIMIZEBOX) flags |= caption::kMaximize;
    if (style & WS_MINIMIZEBOX) flags |= caption::kMinimize;
  }
  flags |= caption::kShadow;
  captionFlags_ = flags;

  style |= WS_POPUP;
  SetPropW(hwnd, kHostProperty, this);
  defaultCursor_ = Library().defaultCursor;
  style &= ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_DLGFRAME | WS_BORDER);
  if (!(flags & caption::kMinimize)) style &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
  if (!(flags & caption::kMaximize)) style &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style);

  SetDragToMove(o.dragToMove.value_or(true));
  RECT wr{};
  GetWindowRect(hwnd, &wr);
  clientSize_ = SIZE{wr.right - wr.left, wr.bottom - wr.top};
  windowDc_ = gdi::WindowDc(hwnd);
  CreateBuffers();
  if (layered)
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  redrawQueue_.Init(hwnd, this);

  prevWndProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc)));
  if (!prevWndProc_) prevWndProc_ = DefWindowProcW;
  OrphanProcs().erase(hwnd);
  // The frame styles changed: have the system recompute the (now whole-window) client area.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  busy_ = true;
  const int hold = startupHold_;
  startupHold_ = 0;
  CreateCaptionParts(flags);
  busy_ = false;

  const COLORREF colour = o.backgroundColor.value_or(CLR_INVALID);
  Redraw(o.image, colour, -1, false);
  if (!IsAttached()) return false;  // torn down from inside a callback
  if (layered) Present(nullptr);
  startupHold_ = hold;
  CreateTooltip();
  if (resizable_)
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_THICKFRAME);
  return true;
}

void UiWindow::CreateBuffers() {
  const int w = clientSize_.cx, h = clientSize_.cy;
  canvas_.Create(windowDc_.get(), w, h, true);
  background_.Create(windowDc_.get(), w, h, false);
  GrowScratchCanvas(windowDc_.get(), w, h);
}

void UiWindow::CreateCaptionParts(int flags) {
  const CaptionPartFactory& parts = CaptionParts();
  if ((flags & caption::kIcon) && parts.icon) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICONSM));
    iconPicture_.reset();
    iconPicture_ = parts.icon(hwnd_, RectF{11, 11, 16, 16}, icon);
    if (iconPicture_) iconPicture_->Focusable(false);
  }
  if ((flags & caption::kTitle) && parts.title) {
    wchar_t text[513] = {};
    GetWindowTextW(hwnd_, text, 512);
    titleLabel_.reset();
    titleLabel_ = parts.title(hwnd_, RectF{0, 9, 0, 18}, FromWide(text), MakeArgb(RGB(255, 255, 255), 250));
    if (titleLabel_) titleLabel_->Tag(std::to_string(titleLabel_->GetHandle() + 2));
  }
  DestroyCaptionParts();
  if (!parts.button) return;
  float x = static_cast<float>(clientSize_.cx - 12);
  for (int k : kCaptionButtonKinds) {
    if (!(flags & k)) continue;
    const float w = k == caption::kClose ? 39.0f : 28.0f;
    x -= w;
    if (auto button = parts.button(hwnd_, RectF{x, 7, w, 19}, k)) captionButtons_.push_back(std::move(button));
  }
}

void UiWindow::DestroyCaptionParts() {
  for (auto& b : captionButtons_)
    if (b) b->Destroy();
  captionButtons_.clear();
}

void UiWindow::CreateTooltip() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)initialised;
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0,
                             0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1024);
}

void UiWindow::Detach() {
  if (!prevWndProc_) return;
  busy_ = true;
  const HWND hwnd = hwnd_;
  if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HostWindowProc))
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc_));
  else if (IsWindow(hwnd))
    OrphanProcs()[hwnd] = prevWndProc_;
  KillTimer(hwnd, reinterpret_cast<UINT_PTR>(this));  // a cross-fade in progress

  redrawQueue_.Clear();
  deferredDirty_.clear();
  ClearHeldRedraws();
  while (UiElement* e = firstElement_) {
    e->Destroy();
    if (firstElement_ == e) e->Unlink();  // never loop on an element that stayed
  }
  // Elements of this host that were unlinked from every list.
  for (UiElement* e : UiElement::LiveElementsOf(this))
    if (UiElement::FromHandle(e->Self())) e->Destroy();
  clipRegion_.reset();
  backgroundImage_.reset();

  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = hwnd;
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  tipText_.clear();
  if (buttonDown_ || mouseTracked_) {
    buttonDown_ = false;
    mouseTracked_ = false;
    ReleaseCapture();
  }
  pressedElement_ = focusedElement_ = hoverElement_ = keyboardFocus_ = nullptr;
  lastElement_ = firstElement_ = nullptr;
  captionFlags_ = 0;

  canvas_.Reset();
  background_.Reset();
  fade_.Reset();
  windowDc_.reset();

  accelerators_.clear();
  DestroyCaptionParts();
  iconPicture_.reset();
  titleLabel_.reset();

  RemovePropW(hwnd, kHostProperty);
  DropTickets(hwnd);
  prevWndProc_ = nullptr;
  busy_ = false;
}

bool UiWindow::SetDragToMove(bool value) {
  dragToMove_ = value;
  return dragToMove_;
}

int UiWindow::SetFrameMode(int value) {
  frameMode_ = value;
  return frameMode_;
}

void UiWindow::SetDefaultCursor(UINT_PTR systemCursorId) {
  defaultCursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(systemCursorId));
}

Gdiplus::GpImage* UiWindow::BackgroundImage() const {
  if (inheritFrom_ && IsWindow(inheritFrom_)) {
    UiWindow* lender = FromWindow(inheritFrom_);
    if (lender && lender != this) return lender->backgroundImage_.get();
  }
  return backgroundImage_.get();
}

bool UiWindow::Owns(const UiElement* element) const {
  return element && UiElement::FromHandle(element->Self()) && element->host_ == this;
}

void UiWindow::ForgetElement(const UiElement* element) {
  if (pressedElement_ == element) {
    pressedElement_ = nullptr;
    if (buttonDown_) {
      buttonDown_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
    }
  }
  if (focusedElement_ == element) focusedElement_ = nullptr;
  if (hoverElement_ == element) hoverElement_ = nullptr;
  if (keyboardFocus_ == element) keyboardFocus_ = nullptr;
  const ElementHandle h = element->Self();
  std::erase_if(accelerators_, [h](const auto& a) { return a.first == h; });
}

LRESULT UiWindow::SendTo(UiElement* element, UINT msg, WPARAM wp, LPARAM lp) {
  if (!Owns(element)) return 0;
  return element->Deliver(msg, wp, lp);
}

void UiWindow::CallElementFn(const ElementFn& fn, UiElement* element, WPARAM wp, LPARAM lp) {
  if (!fn) return;
  ElementFn call = fn;  // the callback may replace itself
  const bool live = Owns(element);
  call(hwnd_, live ? element->Self() : 0, wp, lp, live ? element->Kind() : 0);
}

WNDPROC OrphanProcFor(HWND hwnd) {
  auto& procs = OrphanProcs();
  auto it = procs.find(hwnd);
  return it == procs.end() ? nullptr : it->second;
}

}  // namespace ui
