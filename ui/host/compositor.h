#pragma once
// UiCompositor: composes and presents a host's frames. It owns the canvas
// (the composed window), the background (the body without elements), the
// cross-fade buffer and the background image; it draws the body and its
// frame, composites the elements (with their transitions) and the
// application's overlay, repairs dirty rectangles through the redraw
// queue, holds redraws to batch them into one frame, and copies the canvas
// to the screen. Owned by the UiWindow it serves.
//
// Element events and application callbacks run while a frame is composed;
// they may detach or delete the host, and this compositor with it: after
// every such call the host's life is checked before the compositor's own
// state is touched again.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "ui/core/bytes.h"
#include "ui/element/element_types.h"
#include "ui/host/canvas.h"
#include "ui/host/display_scale.h"
#include "ui/host/redraw_queue.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

class UiWindow;
struct TransitionContext;

// Rows of an element that moved: the destination rows [top, bottom) (client
// pixels) now hold what stood `delta` rows above them.
struct RowShift {
  int top, bottom;
  int delta;
};

// Paints under the elements, after the body: (window, graphics, width, height).
using HostPaintBackgroundFn = std::function<void(HWND, Gdiplus::GpGraphics*, int, int)>;
// Paints above every element: (window, graphics clipped to `area`, area).
using HostPaintOverlayFn = std::function<void(HWND, Gdiplus::GpGraphics*, const RectF& area)>;

// How the host's body and frame look; set when the host attaches.
struct FrameLook {
  int frameMode = 7;               // 7 rounded, 0 square, 1 the image alone
  int windowAlpha = -1;            // -1: not layered
  int imageLayout = 0;             // 0 top-left of the body, 1 stretched, 2 centred
  bool imageFrame = true;          // soften the image's edges into the body colour
  RECT nineGrid{0, 0, 0, 0};       // centre rectangle of the image (frame mode 1)
  HWND inheritFrom = nullptr;      // borrow that host's background image and colour; not owned
  COLORREF shadowColor = CLR_INVALID;
  bool blurBehind = false;
};

class UiCompositor {
 public:
  // `fadeTimer` is the timer routine of the cross-fade (it finds the host
  // by window and calls OnFadeTimer).
  UiCompositor(UiWindow& host, TIMERPROC fadeTimer) : host_(host), fadeTimer_(fadeTimer) {}
  UiCompositor(const UiCompositor&) = delete;
  UiCompositor& operator=(const UiCompositor&) = delete;

  FrameLook& look() { return look_; }
  const FrameLook& look() const { return look_; }
  bool IsLayered() const { return look_.windowAlpha != -1; }
  void SetOnPaintBackground(HostPaintBackgroundFn fn) { onPaintBackground_ = std::move(fn); }
  void SetOnPaintOverlay(HostPaintOverlayFn fn) { onPaintOverlay_ = std::move(fn); }

  // ---- buffers ---------------------------------------------------------------
  // (Re-)creates the canvas and background at the host's client size.
  void CreateBuffers();
  // Puts the buffers and images off until the outermost message returns.
  void ReleaseBuffersSafely();
  HDC CanvasDc() const { return canvas_.dc(); }
  Gdiplus::GpGraphics* CanvasGraphics() const { return canvas_.graphics(); }
  HDC BackgroundDc() const { return background_.dc(); }
  Gdiplus::GpRegion* ClipRegion() const { return clipRegion_.get(); }
  // The image the body shows (a lender's when inheriting).
  Gdiplus::GpImage* BackgroundImage() const;
  // This host's own image, lent to hosts that inherit it.
  Gdiplus::GpImage* OwnBackgroundImage() const { return backgroundImage_.get(); }
  // Decodes the background image again from its bytes, picking its drawing
  // for `scale`; nothing is redrawn. No effect without an own image.
  void RedecodeBackground(DisplayScale scale);
  COLORREF BackgroundColor() const;

  // ---- frames (see UiWindow for the public meaning) ---------------------------
  void Redraw(ByteView image, std::optional<COLORREF> colour, int mode, bool keepElements);
  void InvalidateRect(const RectF& rect, int mode);
  void RedrawRect(const RectF& rect, bool present);
  void Present(const RECT* rect);
  // `element`'s bitmap rows moved as `shifts` say, between the columns
  // [left, right): moves the composed rows on the canvas the same way and
  // presents them (a layered window: with the next present, the caller's).
  // Only where that gives what composing them again would: a top-level,
  // enabled element without a running transition, at 100 %; nothing else
  // composed over or under those rows (no other element, no child, no
  // overlay callback), inside the body's clip; the same background where
  // the rows come from and where they go; no redraw queued, held or put
  // off. False (nothing moved) otherwise: the caller composes the rows.
  bool MoveComposedRows(const UiElement* element, int left, int right, const std::vector<RowShift>& shifts);
  // Whether the pixels `r` lie wholly inside the body's clip (always, when
  // nothing is clipped).
  bool InsideBodyClip(const RECT& r) const;
  // WM_PAINT: the canvas under the update region.
  void OnPaint();
  // hostmsg::kPresentCanvas: the whole canvas of a layered window.
  void PresentCanvas();
  // An element moved: repairs where it was and where it is (later when busy).
  LRESULT RepairMoved(const RectF& before, const RectF& now);
  // The cross-fade's timer fired; false when `id` is not its timer.
  bool OnFadeTimer(UINT_PTR id);

  bool Busy() const { return busy_; }
  // Clearing it repairs areas that changed while busy.
  void SetBusy(bool busy);
  // Only the flag (the host's attach and detach).
  void SetBusyFlag(bool busy) { busy_ = busy; }

  // ---- holding redraws -------------------------------------------------------
  void HoldRedraws();
  void ReleaseRedraws();
  void PresentHeldRedraws();
  bool RedrawsHeld() const { return redrawHolds_ > 0 || heldPresentPosted_; }
  bool PutOffRepaint(const UiElement* element);
  size_t PendingRedraws() const { return redrawQueue_.Pending(); }
  // hostmsg::kPresentHeld.
  void OnPresentHeld(WPARAM step);

  // The host attached to its window.
  void Attach();
  // The host detaches: the cross-fade stops, queued and held work is dropped.
  void Forget();

  int PresentCount() const { return presentCount_; }
  void ResetPresentCount() { presentCount_ = 0; }

 private:
  void ComposeBody(Gdiplus::GpGraphics* g, int width, int height);
  void DrawBorderRings(Gdiplus::GpGraphics* g, int width, int height);
  void PaintAll(UiElement* first, Gdiplus::GpGraphics* g, bool announce);
  // `direct`: where the graphics' clip is exactly that rectangle of device
  // pixels, top-level elements drawn pixel for pixel are composed inside it
  // by blender_ (null: everything is drawn with GDI+).
  void PaintElements(UiElement* first, Gdiplus::GpGraphics* g, const RectF& dirty, const RECT* direct = nullptr);
  // Composes the element's pixels inside `area` onto the canvas with
  // blender_ when drawing them would place them pixel for pixel at full
  // opacity; false (nothing written) otherwise.
  bool ComposeDirect(UiElement* element, const RECT& area);
  // Whether the canvas graphics draws on the whole canvas (no clip cuts it).
  bool CanvasUnclipped() const;
  // Sets every canvas pixel to 0, as clearing it through GDI+ does; false
  // (nothing written) without pixels to write. Only for an unclipped canvas.
  bool ClearCanvasDirect();
  // Composes the background image at its own size at the origin of the
  // cleared, unclipped canvas with blender_; false (nothing written) where
  // GDI+ must draw it.
  bool ComposeBackgroundDirect(Gdiplus::GpImage* image);
  // Runs the overlay callback; false when the host went away inside it.
  bool PaintOverlay(Gdiplus::GpGraphics* g, const RectF& area);
  void DrawTransition(UiElement* element, Gdiplus::GpGraphics* g, const TransitionContext& tc);
  // The element's opacity, halved when it is disabled and has no look of
  // its own for that; -1 when the element went away while asked.
  int CompositeAlpha(UiElement* element, bool halfAsFactor);
  void PushLayered(HDC source);
  void RepairDeferred();
  void FadeTick();
  static constexpr WPARAM kDrawHeldElements = 0, kFlushHeld = 1;  // presentation steps
  void PostPresentStep(WPARAM step);
  void DrawHeldElements();
  void FlushHeld();
  void ClearHeldRedraws();

  UiWindow& host_;
  TIMERPROC fadeTimer_;
  FrameLook look_;
  bool busy_ = false;
  Canvas canvas_;                 // owned: composed window (DIB + GDI+ graphics)
  unsigned canvasGeneration_ = 0;  // counts re-creations of canvas_ (a new pointer may equal a freed one)
  Canvas background_;             // owned: body without elements
  PixelBlender blender_;          // element pixels composed straight onto canvas_
  Canvas fade_;                   // owned: only during a cross-fade
  gp::Image backgroundImage_;     // owned (unused while inheriting)
  Bytes backgroundBytes_;         // what backgroundImage_ was decoded from
  // An image's average colour is worked out when first asked for: a
  // borderless image frame never uses it.
  mutable COLORREF backgroundColor_ = 0;
  mutable bool averagePending_ = false;  // backgroundColor_ is to be the image's average
  gp::Region clipRegion_;         // owned: rounded body clip
  gdi::Region clipShape_;         // owned: the same clip as a GDI region (for containment tests)
  int fadeAlpha_ = 0;
  UINT_PTR fadeTimerId_ = 0;      // the cross-fade's timer (the host handle) while it runs
  UiRedrawQueue redrawQueue_;
  std::vector<RectF> deferredDirty_;        // areas moved while busy; repaired when it clears
  int redrawHolds_ = 0;
  bool heldPresentPosted_ = false;          // a kPresentHeld message is on its way
  std::vector<ElementHandle> heldRepaints_; // elements whose repaint was put off
  HostPaintBackgroundFn onPaintBackground_;
  HostPaintOverlayFn onPaintOverlay_;
  int presentCount_ = 0;
};

}  // namespace ui
