// UiWindow: attaching to a window, the caption parts, settings and
// teardown.
#include <windows.h>

#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>

#include "ui/core/color.h"
#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/element/element.h"
#include "ui/host/caption_parts.h"
#include "ui/host/tickets.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {
// Attached hosts by host handle.
HandleRegistry<UiWindow> g_hosts;

// Attached hosts by address: the window property holds the host's address.
// A property lives exactly as long as the attachment (Detach removes it
// before anything else), so it never outlives the host it names.
std::unordered_map<const UiWindow*, std::uintptr_t>& AttachedHosts() {
  static auto* attached = new std::unordered_map<const UiWindow*, std::uintptr_t>();
  return *attached;
}

// Attached hosts by the window they subclassed: what the window procedure
// dispatches to (an entry lives exactly as long as the attachment).
std::unordered_map<HWND, std::uintptr_t>& SubclassedWindows() {
  static auto* windows = new std::unordered_map<HWND, std::uintptr_t>();
  return *windows;
}

// Windows whose procedure could not be restored on detach (someone
// subclassed on top of the host): their previous procedure, so that
// HostWindowProc can still pass every message on.
std::unordered_map<HWND, WNDPROC>& OrphanProcs() {
  static auto* procs = new std::unordered_map<HWND, WNDPROC>();
  return *procs;
}

constexpr int kCaptionButtonKinds[] = {4, 8, 16, 32, 64, 128, 256};

// The display scale of a window: its own DPI where the system tells it
// (a DPI-aware process), else the screen's.
DisplayScale ScaleOfWindow(HWND hwnd) {
  UINT dpi = sys::GetDpiForWindow(hwnd);
  if (dpi == 0) {
    gdi::WindowDc screen(nullptr);
    dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSX)) : 96;
  }
  return DisplayScale::FromDpi(dpi);
}
}  // namespace

WNDPROC OrphanProcFor(HWND hwnd);

UiWindow::UiWindow() = default;

UiWindow::~UiWindow() {
  Detach();
  compositor_.ReleaseBuffersSafely();
  *deleted_ = true;
}

UiWindow* UiWindow::FromHandle(std::uintptr_t handle) { return g_hosts.Find(handle); }

UiWindow* UiWindow::AttachedTo(std::uintptr_t handle, HWND hwnd) {
  UiWindow* host = g_hosts.Find(handle);
  if (!host || host->hwnd_ != hwnd || !host->IsAttached()) return nullptr;
  return host;
}

UiWindow* UiWindow::SubclassingHost(HWND hwnd) {
  const auto it = SubclassedWindows().find(hwnd);
  return it == SubclassedWindows().end() ? nullptr : AttachedTo(it->second, hwnd);
}

UiWindow* UiWindow::FromWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto* named = static_cast<const UiWindow*>(GetPropW(hwnd, kHostProperty));
  auto it = AttachedHosts().find(named);
  return it == AttachedHosts().end() ? nullptr : AttachedTo(it->second, hwnd);
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
  FrameLook& look = compositor_.look();
  if (o.blurBehind)
    look.blurBehind = *o.blurBehind && layered;
  else
    look.blurBehind = Library().osMajorVersion == 6;

  hwnd_ = hwnd;
  look.windowAlpha = layered ? (alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha)) : -1;
  look.imageLayout = o.imageLayout.value_or(0);
  look.imageFrame = o.imageFrame.value_or(true);
  look.frameMode = o.frameMode.value_or(7);
  resizable_ = o.resizable.value_or((style & WS_THICKFRAME) != 0);
  startupHold_ = o.startupHold.value_or(1);
  look.nineGrid = o.nineGrid.value_or(RECT{0, 0, 0, 0});
  look.inheritFrom = o.inheritFrom.value_or(nullptr);

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
  handle_ = g_hosts.Add(this);
  AttachedHosts()[this] = handle_;
  life_.Begin(this);
  // From the subclassing on, messages reach the application's callbacks,
  // which may detach or delete this host: nothing of it is used after that.
  const WeakRef<UiWindow> alive(this);
  SetPropW(hwnd, kHostProperty, this);
  SubclassedWindows()[hwnd] = handle_;
  defaultCursor_ = Library().defaultCursor;
  style &= ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_DLGFRAME | WS_BORDER);
  if (!(flags & caption::kMinimize)) style &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
  if (!(flags & caption::kMaximize)) style &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style);

  SetDragToMove(o.dragToMove.value_or(true));
  RECT wr{};
  GetWindowRect(hwnd, &wr);
  // The application sized the window in logical pixels: it grows by the
  // display scale about its top-left corner.
  scale_ = ScaleOfWindow(hwnd);
  const auto sizedFor = DisplayScale::FromQuarters(
      static_cast<int>(reinterpret_cast<std::uintptr_t>(GetPropW(hwnd, kScaleProperty))));
  if (!(scale_ == sizedFor)) {
    const int w = static_cast<int>(std::lround(static_cast<double>(wr.right - wr.left) * scale_.Quarters() / sizedFor.Quarters()));
    const int h = static_cast<int>(std::lround(static_cast<double>(wr.bottom - wr.top) * scale_.Quarters() / sizedFor.Quarters()));
    SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(hwnd, &wr);
  }
  SetPropW(hwnd, kScaleProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(scale_.Quarters())));
  clientSize_ = SIZE{wr.right - wr.left, wr.bottom - wr.top};
  windowDc_ = gdi::WindowDc(hwnd);
  compositor_.CreateBuffers();
  if (layered)
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  compositor_.Attach();

  if (const WNDPROC original = OrphanProcFor(hwnd)) {
    // An earlier host could not take its procedure out of this window's
    // chain (a subclass lies on top, such as the one its tooltip's tool
    // installed): the procedure is still there and finds this host through
    // the property. Installing it a second time would make it its own
    // "previous" procedure, and every message would recurse.
    prevWndProc_ = original;
  } else {
    prevWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc)));
    if (!prevWndProc_) prevWndProc_ = DefWindowProcW;
  }
  OrphanProcs().erase(hwnd);
  // The frame styles changed: have the system recompute the (now whole-window) client area.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!alive) return false;

  compositor_.SetBusyFlag(true);
  const int hold = startupHold_;
  startupHold_ = 0;
  CreateCaptionParts(flags);
  if (!alive) return false;
  compositor_.SetBusyFlag(false);

  const COLORREF colour = o.backgroundColor.value_or(CLR_INVALID);
  Redraw(o.image, colour, -1, false);
  if (!alive) return false;  // torn down from inside a callback
  if (layered) {
    Present(nullptr);
    if (!alive) return false;
  }
  startupHold_ = hold;
  if (resizable_)
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_THICKFRAME);
  return true;
}

void UiWindow::LayoutCaption() {
  if (captionFlags_ == 0) return;
  float x = static_cast<float>(LogicalSize().cx - 5 - ((captionFlags_ & caption::kClose) ? 12 : 0));
  for (auto& button : captionButtons_) {
    x -= 28;
    if (button && button->IsCreated()) button->SetBounds(static_cast<int>(x), 7, {}, {}, false);
  }
  if ((captionFlags_ & caption::kTitle) && titleLabel_ && titleLabel_->IsCreated()) {
    const int m = (captionFlags_ & caption::kIcon) ? 28 : 11;
    titleLabel_->SetBounds(m, 10, static_cast<int>(x) - m, 20, false);
  }
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
  float x = static_cast<float>(LogicalSize().cx - 12);
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

void UiWindow::Detach() {
  if (!prevWndProc_) return;
  if (detaching_) {
    // Again, from an element's handler during the teardown below (the
    // application deletes the host, or attaches it anew): the window is
    // already let go; the rest is done here and the outer teardown stops.
    FinishDetach();
    return;
  }
  detaching_ = true;
  compositor_.SetBusyFlag(true);
  const HWND hwnd = hwnd_;
  // Every element of this host, taken while they still name it.
  std::vector<WeakRef<UiElement>> elements;
  for (UiElement* e = elements_.first; e; e = e->NextSibling()) elements.emplace_back(e);
  for (UiElement* e : UiElement::LiveElementsOf(this)) elements.emplace_back(e);
  // Marked at once: no longer reachable through the window, the handle or
  // any reference, so frames further up the stack stop using it.
  life_.End();
  RemovePropW(hwnd, kHostProperty);
  AttachedHosts().erase(this);
  if (const auto it = SubclassedWindows().find(hwnd); it != SubclassedWindows().end() && it->second == handle_)
    SubclassedWindows().erase(it);
  g_hosts.Remove(handle_);
  handle_ = 0;
  // Messages that arrive during the teardown go to the procedure the host
  // replaced.
  OrphanProcs()[hwnd] = prevWndProc_;
  // The tooltip first: its tool subclasses the window (TTF_SUBCLASS), and
  // removing it puts back the procedure it found, which is ours.
  tooltipAccelerators_.DestroyTooltip();
  if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HostWindowProc)) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc_));
    OrphanProcs().erase(hwnd);
  } else if (!IsWindow(hwnd)) {
    OrphanProcs().erase(hwnd);
  }
  compositor_.Forget();  // a cross-fade in progress, queued and held redraws
  DropTickets(hwnd);

  // The top-level list is emptied first; each element (with its
  // descendants) is then destroyed in list order, and so is any element
  // of this host that was unlinked from every list. The elements are not
  // the host's: they are all destroyed even when a handler has deleted it.
  elements_.first = elements_.last = nullptr;
  const std::shared_ptr<const bool> deleted = deleted_;
  for (const WeakRef<UiElement>& e : elements)
    if (e) e->Destroy();
  if (*deleted || !detaching_) return;  // finished by a handler's teardown
  FinishDetach();
}

void UiWindow::FinishDetach() {
  const HWND hwnd = hwnd_;
  input_.Forget();
  elements_.last = elements_.first = nullptr;
  captionFlags_ = 0;

  compositor_.ReleaseBuffersSafely();
  windowDc_.reset();  // belongs to the window, which is going

  tooltipAccelerators_.ClearAccelerators();
  DestroyCaptionParts();
  iconPicture_.reset();
  titleLabel_.reset();

  DropTickets(hwnd);
  prevWndProc_ = nullptr;
  // A running effect sees the host gone at its next frame and ends there.
  effects_.Forget();
  compositor_.SetBusyFlag(false);
  detaching_ = false;
}

bool UiWindow::SetDragToMove(bool value) {
  dragToMove_ = value;
  return dragToMove_;
}

int UiWindow::SetFrameMode(int value) {
  compositor_.look().frameMode = value;
  return value;
}

void UiWindow::SetDefaultCursor(UINT_PTR systemCursorId) {
  defaultCursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(systemCursorId));
}

void UiWindow::ActivateElement(UiElement* element) {
  if (Owns(element)) PostMessageW(hwnd_, hostmsg::kActivate, static_cast<WPARAM>(element->Self()), 0);
}

bool UiWindow::Owns(const UiElement* element) const {
  return element && element->IsCreated() && element->host_.get() == this;
}

void UiWindow::ForgetElement(const UiElement* element) {
  tooltipAccelerators_.ForgetElement(element->Self());
  input_.ForgetElement(element);  // last: it may release the capture, which calls out
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

void ForgetOrphan(HWND hwnd) { OrphanProcs().erase(hwnd); }

WNDPROC OrphanProcFor(HWND hwnd) {
  auto& procs = OrphanProcs();
  auto it = procs.find(hwnd);
  return it == procs.end() ? nullptr : it->second;
}

}  // namespace ui
