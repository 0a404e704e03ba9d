#pragma once
// UiWindow: the host that takes over an existing top-level window (its
// frame is stripped, its procedure subclassed) and draws a tree of
// windowless elements into it. The host attaches and detaches, runs the
// window procedure and its private messages, owns the caption parts and
// the top-level element list, and hands the rest to parts it owns (each
// holds a reference to the host and uses its public interface; the host's
// public methods forward to them):
//   UiInputRouter          input_router.h          mouse, keyboard and focus routing
//   UiCompositor           compositor.h            canvases, redraws and holds, frames
//   UiEffectsPlayer        effects_player.h        show and close effects
//   UiTooltipAccelerators  tooltip_accelerators.h  tooltip window, accelerator keys
//
// Coordinates: client pixels of the hosted window; the whole window
// rectangle is client area (no system frame).
//
// The hosted window reaches its host through the window property
// "Zq_Wnd_Control" (the object's address), looked up among the attached
// hosts; Detach removes it first. Anything else that names a host for
// later (its cross-fade timer) uses the host handle, a number never
// reused, so a stale one resolves to nothing.
//
// Lifetime: a host is live from Create to Detach (WeakRef<UiWindow> reads
// null from the moment Detach starts its teardown). Detached or deleted
// while the thread is inside the library's message handling, its buffers
// and memory are released once the outermost message has returned.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/bytes.h"
#include "ui/core/lifetime.h"
#include "ui/element/element_types.h"
#include "ui/host/compositor.h"
#include "ui/host/display_scale.h"
#include "ui/host/effects_player.h"
#include "ui/host/host_messages.h"
#include "ui/host/input_router.h"
#include "ui/host/tooltip_accelerators.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// captionFlags bits.
namespace caption {
inline constexpr int kIcon = 1;
inline constexpr int kTitle = 2;
inline constexpr int kClose = 4;
inline constexpr int kMaximize = 8;
inline constexpr int kMinimize = 16;
inline constexpr int kShadow = 512;
inline constexpr int kFromStyles = 1024;  // input only: derive 1..16 from the window styles
}  // namespace caption

class UiWindow {
 public:
  struct CreateOptions {
    ByteView image;                          // background image file in memory; empty = none
    std::optional<COLORREF> backgroundColor; // absent or CLR_INVALID: derived from the image
    std::optional<int> captionStyle;         // absent: icon, title, close + boxes of the style
    std::optional<int> windowAlpha;          // absent or -1: not layered
    std::optional<int> imageLayout;          // 0 top-left of the body, 1 stretched, 2 centred
    std::optional<int> frameMode;            // default 7 (rounded); 1 image only; 0 square
    std::optional<int> startupHold;          // default 1
    std::optional<bool> resizable;           // default: the window had WS_THICKFRAME
    std::optional<bool> dragToMove;          // default true
    std::optional<bool> imageFrame;          // default true
    std::optional<bool> blurBehind;
    std::optional<RECT> nineGrid;            // centre rectangle of the image, image pixels
    std::optional<HWND> inheritFrom;         // borrow that host's background image and colour
  };

  // Callbacks. Element callbacks get (window, element, wParam, lParam, kind).
  using PaintBackgroundFn = HostPaintBackgroundFn;
  using MessageFn = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;  // -1 = go on
  using ResizeFn = std::function<void(HWND, int, int)>;
  using ElementFn = HostElementFn;
  // Draws the application's own layer above every element: called whenever
  // the canvas was recomposed, just before it is presented. `area` is the
  // recomposed rectangle (the whole window on a full redraw); the graphics
  // is clipped to it.
  using PaintOverlayFn = HostPaintOverlayFn;

  UiWindow();
  UiWindow(const UiWindow&) = delete;
  UiWindow& operator=(const UiWindow&) = delete;
  // Detaches first when still attached (the window keeps working on its
  // own procedure).
  ~UiWindow();
  static void operator delete(void* memory) { FreeLater(memory); }

  // The live host of a window; null when it has none.
  static UiWindow* FromWindow(HWND hwnd);
  // The attached host of a host handle; null for stale or foreign values.
  static UiWindow* FromHandle(std::uintptr_t handle);
  // This attachment's handle (0 while detached).
  std::uintptr_t Handle() const { return handle_; }
  // The host's life: WeakRef<UiWindow> reads null once it is detached.
  const LifeAnchor& Life() const { return life_; }

  // Attaches to `hwnd`. False (and nothing changed) when it is not a
  // window, is already hosted by this object, or is hosted by another live
  // host. An object attached elsewhere is detached from there first.
  bool Create(HWND hwnd, const CreateOptions& options = {});
  // Teardown (also run on WM_DESTROY): destroys every element of this host,
  // releases buffers, tooltip and accelerators, restores the procedure.
  // Does nothing when not attached.
  void Detach();
  bool IsAttached() const { return prevWndProc_ != nullptr; }

  // ---- settings ----------------------------------------------------------------
  bool DragToMove() const { return dragToMove_; }
  bool SetDragToMove(bool value);
  int FrameMode() const { return compositor_.look().frameMode; }
  int SetFrameMode(int value);
  void SetShadowColor(COLORREF colour) { compositor_.look().shadowColor = colour; }  // CLR_INVALID: black
  void SetCloseEffect(int effect) { effects_.SetCloseEffect(effect); }
  int CloseEffect() const { return effects_.CloseEffect(); }
  void SetDefaultCursor(UINT_PTR systemCursorId);

  // ---- rendering ----------------------------------------------------------------
  // Full recomposition. `image` non-empty replaces the background image;
  // `colour` (not CLR_INVALID) replaces the background colour. Mode 0
  // presents the window, 1 cross-fades to the new content, anything else
  // presents nothing. Without keepElements every element is told 10262.
  void Redraw(ByteView image = {}, std::optional<COLORREF> colour = std::nullopt, int mode = 0,
              bool keepElements = false) {
    compositor_.Redraw(image, colour, mode, keepElements);
  }
  // Queues a rectangle: mode 0 append, 1 draw and present now, 2 queue first.
  void InvalidateRect(const RectF& rect, int mode) { compositor_.InvalidateRect(rect, mode); }
  // Restores the background under `rect`, repaints the overlapping
  // elements, optionally presents it. Nothing while busy.
  void RedrawRect(const RectF& rect, bool present) { compositor_.RedrawRect(rect, present); }
  // Copies the canvas to the screen: `rect` (whole window when null) with
  // BitBlt, or the whole canvas with UpdateLayeredWindow on a layered window.
  void Present(const RECT* rect = nullptr) { compositor_.Present(rect); }
  // See UiCompositor::MoveComposedRows.
  bool MoveComposedRows(const UiElement* element, int left, int right, const std::vector<RowShift>& shifts) {
    return compositor_.MoveComposedRows(element, left, right, shifts);
  }
  void LayoutCaption();

  // ---- holding redraws ---------------------------------------------------------
  // Batches many changes into one frame. While held, queued areas are only
  // collected and an element's Repaint is put off (each element draws once,
  // however often it changed); a full Redraw and direct RedrawRect calls
  // are not affected. Holds nest.
  void HoldRedraws() { compositor_.HoldRedraws(); }
  // Ends one hold; the last one presents what was collected.
  void ReleaseRedraws() { compositor_.ReleaseRedraws(); }
  // Presents what was collected so far and goes on holding: the put-off
  // elements draw now, and once the areas they queue (posted) have arrived
  // everything collected is repaired and presented in one flush.
  void PresentHeldRedraws() { compositor_.PresentHeldRedraws(); }
  // Held, or a presentation of collected changes is still to come.
  bool RedrawsHeld() const { return compositor_.RedrawsHeld(); }
  // Called by UiElement::Repaint: true when the repaint was put off.
  bool PutOffRepaint(const UiElement* element) { return compositor_.PutOffRepaint(element); }
  size_t PendingRedraws() const { return compositor_.PendingRedraws(); }
  // Shows the window; effect 0 plainly (animated effects: effects module).
  // Handles the window's own pending messages first. Asked while an effect
  // runs, it ends that effect and shows the window plainly.
  void Show(int effect = 0, std::optional<int> durationMs = std::nullopt) { effects_.Show(effect, durationMs); }
  // An open or close effect is running.
  bool EffectRunning() const { return effects_.Running(); }
  // The running effect was asked to end (a close request arrived).
  bool EffectStopRequested() const { return effects_.StopRequested(); }

  // ---- input and focus -------------------------------------------------------
  // The element under a logical point (null: none). Scaled, an element is
  // hit on the device pixels its surface shows on.
  UiElement* HitTest(float x, float y) const { return input_.HitTest(x, y); }
  void SetFocusElement(UiElement* element, bool fromKeyboard) { input_.SetFocusElement(element, fromKeyboard); }
  // Does what a click does (the element's click event, then the click
  // callback), posted: it runs after the current message, so a caller such
  // as an accessibility client is never held inside the click's work.
  void ActivateElement(UiElement* element);
  // Adds, changes or (key 0) removes the element's accelerator. Returns 1.
  int SetAccelerator(UiElement* element, int key) { return tooltipAccelerators_.SetAccelerator(element, key); }
  // Tooltip for the element's rectangle; no text: the element's TipText.
  void SetTooltip(UiElement* element, std::optional<std::string_view> text = std::nullopt) {
    tooltipAccelerators_.SetTooltip(element, text);
  }

  // ---- callbacks -----------------------------------------------------------------
  void SetOnPaintBackground(PaintBackgroundFn fn) { compositor_.SetOnPaintBackground(std::move(fn)); }
  void SetOnPaintOverlay(PaintOverlayFn fn) { compositor_.SetOnPaintOverlay(std::move(fn)); }
  void SetOnMessage(MessageFn fn) { onMessage_ = std::move(fn); }
  void SetOnResize(ResizeFn fn) { onResize_ = std::move(fn); }
  void SetOnLeftDown(ElementFn fn) { input_.callbacks().leftDown = std::move(fn); }
  void SetOnLeftUp(ElementFn fn) { input_.callbacks().leftUp = std::move(fn); }
  void SetOnClick(ElementFn fn) { input_.callbacks().click = std::move(fn); }
  void SetOnDoubleClick(ElementFn fn) { input_.callbacks().doubleClick = std::move(fn); }
  void SetOnRightDown(ElementFn fn) { input_.callbacks().rightDown = std::move(fn); }
  void SetOnRightUp(ElementFn fn) { input_.callbacks().rightUp = std::move(fn); }
  void SetOnMouseLeave(ElementFn fn) { input_.callbacks().mouseLeave = std::move(fn); }
  void SetOnMouseEnter(ElementFn fn) { input_.callbacks().mouseEnter = std::move(fn); }
  void SetOnFocus(ElementFn fn) { input_.callbacks().focus = std::move(fn); }
  void SetOnBlur(ElementFn fn) { input_.callbacks().blur = std::move(fn); }

  // ---- state read by elements, effects and tests -----------------------------
  HWND Window() const { return hwnd_; }
  bool Busy() const { return compositor_.Busy(); }
  // Clearing it repairs areas that changed while busy.
  void SetBusy(bool busy) { compositor_.SetBusy(busy); }
  HDC WindowDc() const { return windowDc_.get(); }
  HDC CanvasDc() const { return compositor_.CanvasDc(); }
  Gdiplus::GpGraphics* CanvasGraphics() const { return compositor_.CanvasGraphics(); }
  HDC BackgroundDc() const { return compositor_.BackgroundDc(); }
  int WindowAlpha() const { return compositor_.look().windowAlpha; }
  bool IsLayered() const { return compositor_.IsLayered(); }
  // The window's size in device pixels (what the canvas covers).
  SIZE ClientSize() const { return clientSize_; }
  // The window's size in logical pixels (what elements are laid out in).
  SIZE LogicalSize() const {
    return SIZE{static_cast<LONG>(scale_.ToLogical(static_cast<int>(clientSize_.cx))),
                static_cast<LONG>(scale_.ToLogical(static_cast<int>(clientSize_.cy)))};
  }
  // Device pixels per logical pixel for this window.
  DisplayScale Scale() const { return scale_; }
  Gdiplus::GpRegion* ClipRegion() const { return compositor_.ClipRegion(); }
  Gdiplus::GpImage* BackgroundImage() const { return compositor_.BackgroundImage(); }
  COLORREF BackgroundColor() const { return compositor_.BackgroundColor(); }
  int CaptionFlags() const { return captionFlags_; }
  int ImageLayout() const { return compositor_.look().imageLayout; }
  bool Resizable() const { return resizable_; }
  bool BlurBehind() const { return compositor_.look().blurBehind; }
  HCURSOR DefaultCursor() const { return defaultCursor_; }
  HWND TooltipWindow() const { return tooltipAccelerators_.TooltipWindow(); }
  UiElement* FirstElement() const { return elements_.first; }
  UiElement* LastElement() const { return elements_.last; }
  // ---- what elements use of their host -----------------------------------------
  // The top-level list, edited by UiElement when it links, unlinks or
  // reorders a top-level element.
  ElementList& TopLevelList() { return elements_; }
  // Clears every reference to an element that is being destroyed.
  void ForgetElement(const UiElement* element);
  UiElement* FocusedElement() const { return input_.FocusedElement(); }
  UiElement* HoverElement() const { return input_.HoverElement(); }
  UiElement* PressedElement() const { return input_.PressedElement(); }
  bool ButtonDown() const { return input_.ButtonDown(); }
  UiElement* KeyboardFocus() const { return input_.KeyboardFocus(); }
  // Tab's order (see UiInputRouter::SetTabOrder) and the focus mark.
  void SetTabOrder(std::vector<ElementHandle> order) { input_.SetTabOrder(std::move(order)); }
  bool FocusCuesShown() const { return input_.FocusCuesShown(); }
  void ShowFocusCues() { input_.ShowFocusCues(); }
  bool ShowsFocusMark(const UiElement* element) const { return input_.ShowsFocusMark(element); }
  // Direct state changes used by menu items (no events are sent).
  void SetHoverElement(UiElement* element) { input_.SetHoverElement(element); }
  void SetFocusedElementDirect(UiElement* element) { input_.SetFocusedElementDirect(element); }
  UiElement* IconPicture() const { return iconPicture_.get(); }
  UiElement* TitleLabel() const { return titleLabel_.get(); }
  const std::vector<std::unique_ptr<UiElement>>& CaptionButtons() const { return captionButtons_; }
  // Accelerator records {element handle, key}.
  const std::vector<std::pair<ElementHandle, int>>& Accelerators() const {
    return tooltipAccelerators_.Accelerators();
  }

  // ---- element delivery, used by the host's parts -------------------------------
  // True when `element` is live and belongs to this host.
  bool Owns(const UiElement* element) const;
  bool Owns(const WeakRef<UiElement>& element) const { return Owns(element.get()); }
  // The element if it is live and belongs to this host, else null.
  UiElement* Owned(const WeakRef<UiElement>& element) const {
    return Owns(element.get()) ? element.get() : nullptr;
  }
  // Delivers a message to the element when it is live and this host's; 0 otherwise.
  LRESULT SendTo(UiElement* element, UINT msg, WPARAM wp, LPARAM lp);
  // Runs an element callback (a copy: it may replace itself) with the
  // element's handle and kind, or 0 and 0 for an element not of this host.
  void CallElementFn(const ElementFn& fn, UiElement* element, WPARAM wp, LPARAM lp);

  // Test seam: how often the canvas reached the screen.
  int PresentCountForTest() const { return compositor_.PresentCount(); }
  void ResetPresentCountForTest() { compositor_.ResetPresentCount(); }

  // The compositor, read by the compositors of hosts that borrow this
  // host's background.
  const UiCompositor& Compositor() const { return compositor_; }

 private:
  // The host that subclassed `hwnd` and is still attached to it; null when
  // none. Found without asking the platform for the window's property,
  // which under some platforms costs a round trip on every message.
  static UiWindow* SubclassingHost(HWND hwnd);
  // The host of `handle` if it is attached to `hwnd`; null otherwise.
  static UiWindow* AttachedTo(std::uintptr_t handle, HWND hwnd);
  static LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static void CALLBACK FadeTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallPrevious(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnHostMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
  LRESULT OnElementMoved(UiElement* element, bool redraw);
  void OnSize(WPARAM wp);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  // WM_DPICHANGED: re-renders every element at the new scale and takes the
  // suggested window rectangle (the same logical size when there is none).
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  void RebuildSurfaces(DisplayScale old);
  void OnSetText(LRESULT result, LPARAM lp);

  void CreateCaptionParts(int flags);
  void DestroyCaptionParts();
  void FinishDetach();  // what Detach does once the window is let go and the elements are destroyed

  // ---- record ---------------------------------------------------------------
  HWND hwnd_ = nullptr;                    // hosted window; not owned
  WNDPROC prevWndProc_ = nullptr;          // non-null while attached
  std::uintptr_t handle_ = 0;              // host handle while attached
  LifeAnchor life_;                        // live from Create to Detach
  // Set when the object is deleted: a teardown that runs handlers checks it
  // (its own attachment has ended by then, so a weak reference cannot tell).
  std::shared_ptr<bool> deleted_ = std::make_shared<bool>(false);
  bool detaching_ = false;                  // inside Detach, until FinishDetach
  gdi::WindowDc windowDc_;                 // owned: GetDC for the attachment's life
  ElementList elements_;                   // top-level list; the elements are not owned
  int captionFlags_ = 0;
  bool resizable_ = false;
  bool dragToMove_ = true;
  SIZE clientSize_{0, 0};                  // device pixels
  DisplayScale scale_;                     // the window's display scale
  int startupHold_ = 1;
  HCURSOR defaultCursor_ = nullptr;        // shared cursor; not owned
  std::vector<std::unique_ptr<UiElement>> captionButtons_;  // owned
  std::unique_ptr<UiElement> iconPicture_;                  // owned
  std::unique_ptr<UiElement> titleLabel_;                   // owned

  MessageFn onMessage_;
  ResizeFn onResize_;

  // ---- parts ------------------------------------------------------------------------
  UiTooltipAccelerators tooltipAccelerators_{*this};
  UiEffectsPlayer effects_{*this};
  UiInputRouter input_{*this};
  UiCompositor compositor_{*this, &FadeTimerProc};
};

}  // namespace ui
