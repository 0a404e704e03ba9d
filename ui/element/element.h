#pragma once
// UiElement: the base of every windowless control a host window (UiWindow)
// shows. An element owns a 32-bit ARGB GDI+ bitmap of its own size, paints
// itself into it, and the host composites the bitmaps of all visible
// elements. Elements form a tree; siblings are a doubly linked list whose
// order is the z-order (first = back, last = front).
//
// Coordinates: `Bounds()` and every RectF are client pixels of the host
// window, absolute also for children. The paint context's `area` is
// element-relative ((0, 0) = the element's top-left corner).
//
// Writing a control class
// -----------------------
//   class UiThing : public UiElement {
//    public:
//     ElementHandle Create(UiParent parent, int x, int y, int w, int h, ...) {
//       // store the class's own settings first: Create sends event 1 (created)
//       // and event 15 (paint) before it returns
//       return UiElement::Create(parent, RectF{float(x), float(y), float(w), float(h)},
//                                kKindThing, /*visible=*/true);
//     }
//     int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override {
//       switch (message) {
//         case ev::kPaint: Draw(); return 0;          // re-render the bitmap
//         case ev::kDestroyed: /* drop class state */ return -1;
//       }
//       return -1;                                    // -1 = not handled
//     }
//    private:
//     void Draw() {
//       Paint([&](const PaintContext& pc) {
//         // draw with pc.graphics into pc.area (element coordinates)
//       });
//     }
//   };
// `Paint` is the only way into the element's bitmap: it runs the begin-paint
// step (clears the area when fresh, takes the transition snapshot), your
// drawing, then the end-paint step (asks the host to recomposite, or starts
// the transition). Override OnBeginPaint / OnEndPaint for extra work around
// every paint. Bound application handlers (BindEvent) run after
// HandleEvent, whatever it answered. Property setters store, re-render
// (Paint) and the end-paint step recomposites; call Refresh() only when the
// bitmap did not change but the host must redraw the area.
// Timers: SetTimer(GetWindow(), GetHandle(), ...) without a routine makes
// the host deliver WM_TIMER to HandleEvent; handle + 1 is the transition's.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/core/color.h"
#include "ui/core/lifetime.h"
#include "ui/element/accessible_info.h"
#include "ui/element/element_types.h"
#include "ui/host/display_scale.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Kind codes reported to the host's callbacks.
namespace kind {
inline constexpr int kCaptionButton = 1;
inline constexpr int kButtonCreating = 2;
inline constexpr int kLabel = 3;
inline constexpr int kPicture = 4;
inline constexpr int kButton = 6;
inline constexpr int kEdit = 9;
inline constexpr int kProgressBar = 12;
inline constexpr int kScrollBar = 19;
inline constexpr int kMenuItem = 20;
inline constexpr int kNoBitmap = 21;  // bitmap is 1 x 1, never resized
}  // namespace kind

// Where a new element goes: a host window (top level) or a parent element.
struct UiParent {
  HWND window = nullptr;
  ElementHandle element = 0;
  UiParent(HWND w) : window(w) {}                      // NOLINT: implicit on purpose
  UiParent(ElementHandle e) : element(e) {}            // NOLINT
  UiParent(UiElement& e);                              // NOLINT
};

class UiElement {
 public:
  UiElement() = default;
  UiElement(const UiElement&) = delete;
  UiElement& operator=(const UiElement&) = delete;
  // A still-created element is taken out of its tree and its host (its
  // children are destroyed); the class's event 2 is not sent from here,
  // since the derived part is already gone. Deleted while the library
  // handles a message (inside its own handler, say), its memory and bitmaps
  // are released once the outermost message has returned.
  virtual ~UiElement();
  static void operator delete(void* memory) { FreeLater(memory); }

  // The live element of a handle; null for 0, stale or foreign values.
  // Handles are never reused, so a handle of a destroyed element stays
  // stale even when a new element lives at the same address.
  static UiElement* FromHandle(ElementHandle handle);
  // Number of created elements (for tests).
  static std::size_t LiveCount();
  // The element's life: WeakRef<UiElement> reads null once it is destroyed.
  const LifeAnchor& Life() const { return life_; }

  // ---- creation and identity ---------------------------------------------
  // Links the element under `parent`, creates its bitmap and graphics, sends
  // event 1 (created) and 15 (paint). Returns the handle, or 0 when the
  // parent is neither a hosted window nor a live element of the host
  // registered on its window. On an element that is already created it
  // returns the handle and does nothing.
  ElementHandle Create(UiParent parent, const RectF& bounds, int kind, bool visible,
                       std::optional<bool> focusable = std::nullopt,
                       std::optional<UINT_PTR> cursorId = std::nullopt, int transitionInterval = 0,
                       int transitionSteps = 0, int transitionEffect = 0);
  ElementHandle GetHandle() const { return handle_; }
  HWND GetWindow() const { return window_; }
  // Parent element's handle; 0 at top level.
  ElementHandle GetParent() const;
  // Moves the element to the end of another list: a parent element, or the
  // top level for 0 (or the host window's handle cast to a handle).
  void SetParent(ElementHandle newParent);
  void SetParent(UiElement* newParent) { SetParent(newParent ? newParent->Self() : 0); }
  // Destroys the element and all descendants; each gets event 2. Every host
  // reference is cleared. The object can be created again afterwards (with
  // a new handle). Inside a message its bitmaps are released once the
  // outermost message has returned.
  void Destroy();
  // The receiver's own handle; 0 while it is not created.
  ElementHandle Self() const { return handle_; }
  bool IsCreated() const { return handle_ != 0; }

  // ---- geometry ------------------------------------------------------------
  RectF Bounds() const { return bounds_; }
  RectF Bounds(const RectF& r);  // SetBounds with truncated values, redraw
  // Absent values keep their current value. Moves every descendant by the
  // same offset; recreates the bitmap only when the size changed (then event
  // 10245 and a paint); tells the host (message 10257).
  void SetBounds(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                 std::optional<int> height, bool redraw = true);
  int Left() const { return static_cast<int>(bounds_.x); }
  int Top() const { return static_cast<int>(bounds_.y); }
  int Width() const { return static_cast<int>(bounds_.width); }
  int Height() const { return static_cast<int>(bounds_.height); }
  int Left(int v);
  int Top(int v);
  int Width(int v);
  int Height(int v);
  // Bounds before the last move (unset before the first).
  const std::optional<RectF>& OldBounds() const { return oldBounds_; }

  // ---- state -----------------------------------------------------------------
  bool Visible() const { return visible_; }
  bool Visible(bool value);
  // Puts a paint off until the element is next shown (a host presenting
  // held redraws does so for hidden elements: nothing shows their look
  // until then). Any paint before that clears it.
  void PaintWhenShown() { paintWhenShown_ = true; }
  bool Disabled() const { return disabled_; }
  bool Disabled(bool value);
  bool Focusable() const { return focusable_; }
  bool Focusable(bool value);
  bool HasFocus();
  int Kind() const { return kind_; }
  int Opacity() const { return opacity_; }
  int Opacity(int value, bool redraw = true);
  HCURSOR Cursor() const { return cursor_; }
  // A system cursor id (LoadCursorW without module) ...
  HCURSOR Cursor(UINT_PTR systemCursorId);
  // ... or a cursor handle.
  HCURSOR CursorHandle(HCURSOR handle);
  std::string Tag() const { return tag_; }
  std::string Tag(std::string_view text);
  std::string TipText() const { return tipText_; }
  std::string TipText(std::string_view text, bool apply);
  void ApplyTipText(std::string_view text);
  bool AutoRefresh() const { return autoRefresh_; }
  void SuspendRefresh() { autoRefresh_ = false; }
  void ResumeRefresh() { autoRefresh_ = true; }

  // ---- painting and composition ------------------------------------------
  // Sends event 15 (paint) to itself: the class re-renders its bitmap.
  // While the host holds redraws this waits until the held changes are
  // presented.
  void Repaint();
  // Asks the host to redraw and present the element's area now.
  void Refresh();
  // Position 2: head of its list (behind all siblings); other values: tail
  // (in front). With redraw false the former neighbour in the direction of
  // the move is returned, else 0.
  ElementHandle SetZOrder(int position = 1, bool redraw = true);
  // Takes the element out of its sibling list.
  void Unlink();

  // ---- transitions -----------------------------------------------------------
  int Transition() const { return transitionSteps_; }
  int Transition(std::optional<int> steps, std::optional<int> interval = std::nullopt);
  int TransitionInterval() const { return transitionInterval_; }
  int TransitionInterval(int interval);
  int TransitionStep() const { return transitionStep_; }
  int TransitionEffect() const { return transitionEffect_; }
  int TransitionEffect(int effect);
  // Timer routine of transitions: advances one step (the host's WM_TIMER
  // for id handle + 1 arrives here).
  void OnTransitionTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time);

  // ---- events ------------------------------------------------------------------
  // Enters or replaces (keeping its place) the handler for `message`. A
  // handler for 515 fires on the second press of a double click.
  void BindEvent(UINT message, EventHandler handler);
  // Delivers an event through the host window (message 10258) and returns
  // the class's answer; 0 when the element has no live host.
  LRESULT SendEvent(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // The same, queued.
  void PostEvent(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Calls HandleEvent, then the first matching bound handler. This is what
  // the host does with every message for the element.
  LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam);

  // The class's event procedure; -1 means not handled (do the default).
  virtual int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }

  // ---- accessibility -------------------------------------------------------------
  // What assistive technology is told about the element. The base gives the
  // states every element has (focus, focusable, disabled, hidden) and its
  // tooltip text as the name; classes add their role, name and value.
  virtual AccessibleInfo Accessible();
  // Tells assistive technology that something about the element changed
  // (a WinEvent such as EVENT_OBJECT_NAMECHANGE, for the element's id).
  void NotifyAccessibility(DWORD event) const;

  // ---- read access for the host and subclasses --------------------------------
  UiWindow* Host() const;  // null unless the host is alive
  // The host's display scale; 100 % without a live host. The bitmap holds
  // device pixels; the graphics draws in logical element coordinates.
  DisplayScale Scale() const;
  UiElement* ParentElement() const { return parent_; }
  UiElement* FirstChild() const { return firstChild_; }
  UiElement* LastChild() const { return lastChild_; }
  UiElement* PrevSibling() const { return prevSibling_; }
  UiElement* NextSibling() const { return nextSibling_; }
  Gdiplus::GpBitmap* Bitmap() const { return bitmap_.get(); }
  Gdiplus::GpGraphics* Graphics() const { return graphics_.get(); }
  Gdiplus::GpBitmap* Snapshot() const { return snapshot_.get(); }
  // True when a transition is between its first and last step.
  // (Only while its timer is active: an idle element whose step is back at
  // 0 is drawn plainly.)
  bool TransitionRunning() const {
    return transitionTimerActive_ && transitionInterval_ != 0 && transitionSteps_ != 0 &&
           transitionStep_ != transitionSteps_;
  }

 protected:
  // Property setters: stores `value` and repaints only when it changed;
  // returns the stored value (not read back: the repaint's handlers may
  // delete this element).
  template <class T>
  T SetAndRepaint(T& field, T value) {
    if (field != value) {
      field = value;
      Repaint();
    }
    return value;
  }
  // Runs `draw` between the begin-paint and end-paint steps; the pair cannot
  // be split. `area` defaults to the whole element (element coordinates).
  // With `fresh` the area is cleared first and a transition may start.
  // Returns false (draw not called) while the element has no window or host.
  // Both steps may call out (redraws run handlers), so the element may be
  // destroyed or deleted by the time Paint returns: a caller that goes on
  // afterwards checks a WeakRef it took before.
  // A surface or buffer replaced during the paint is released only after
  // it (the paint counts as library handling even when the application
  // called it directly), so `draw` never holds a released graphics.
  template <class Draw>
  bool Paint(Draw&& draw, bool fresh = true, std::optional<RectF> area = std::nullopt) {
    const DispatchScope painting;
    const WeakRef<UiElement> self(this);
    PaintContext pc;
    if (!BeginPaint(pc, area, fresh)) return false;
    std::forward<Draw>(draw)(static_cast<const PaintContext&>(pc));
    if (!self) return false;  // deleted by a callout of the drawing itself
    EndPaint(pc);
    return true;
  }
  // Hooks around every paint; nothing in the base.
  virtual void OnBeginPaint(const PaintContext& pc) {}
  virtual void OnEndPaint(const PaintContext& pc) {}

 private:
  friend class UiWindow;
  struct Binding {
    UINT message;
    EventHandler handler;
  };

  // Created elements whose host is `host` (for the host's teardown).
  static std::vector<UiElement*> LiveElementsOf(const UiWindow* host);
  bool BeginPaint(PaintContext& pc, std::optional<RectF> area, bool fresh);
  // Clears `area` of the bitmap before a fresh paint.
  void ClearForFreshPaint(const RectF& area);
  void EndPaint(const PaintContext& pc);
  bool CreateSurface();
  void ReleaseSurface();
  void AppendTo(UiElement* newParent);
  void MoveDescendants(float dx, float dy);
  void ClearHostReferences();
  void ResetRecord();
  // Releases the bitmaps now, or after the outermost message when one is
  // being handled (a frame further up may still draw with them).
  void ReleaseSurfaceSafely();
  void PostInvalidate(int mode);

  HWND window_ = nullptr;              // host window; not owned
  ElementHandle handle_ = 0;           // own handle once created
  UiElement* parent_ = nullptr;        // null at top level; not owned
  bool visible_ = false;
  bool disabled_ = false;
  bool focusable_ = true;
  bool autoRefresh_ = true;
  bool paintWhenShown_ = false;
  HCURSOR cursor_ = nullptr;           // shared system cursor; not owned
  std::vector<Binding> handlers_;      // first-added order, one per message
  RectF bounds_;
  std::string tipText_;                // code page 936
  std::string tag_;
  int kind_ = 0;
  UiElement* firstChild_ = nullptr;    // child list; not owned
  UiElement* lastChild_ = nullptr;
  UiElement* prevSibling_ = nullptr;
  UiElement* nextSibling_ = nullptr;
  int transitionStep_ = 0;
  gp::Bitmap bitmap_;                  // owned
  gp::Graphics graphics_;              // owned; draws on bitmap_ (declared after it: released first)
  WeakRef<UiWindow> host_;             // not owned; null once that host is detached or gone
  int opacity_ = 255;
  gp::Bitmap snapshot_;                // owned; previous look while a transition runs
  int transitionInterval_ = 0;
  std::optional<RectF> oldBounds_;
  int transitionSteps_ = 0;
  int transitionEffect_ = 0;
  bool transitionTimerActive_ = false;  // the handle + 1 timer is running
  bool destroying_ = false;             // Destroy is on the stack
  LifeAnchor life_;                     // live from Create to Destroy
};

}  // namespace ui
