#pragma once
// Plain types shared by elements and their host: handles, rectangles, the
// event numbers, the handler argument record and the paint context.
//
// Coordinates: every RectF here is in client pixels of the host window
// (absolute, also for children) unless a field says otherwise.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/platform/gdiplus_api.h"

namespace ui {

class UiElement;
class UiWindow;

// An element is referred to by a handle, 0 = none: a number given out when
// the element is created and never given out again in the run (even, so
// that handle + 1 can name the element's second timer). A handle is only
// ever turned back into an object through the registry of live elements
// (UiElement::FromHandle), so a stale handle or a foreign timer id resolves
// to null, never to freed memory or to a newer element at the same address.
using ElementHandle = std::uintptr_t;

// The two ends of a sibling list: a host's top-level elements or an
// element's children. Only UiElement edits one (it keeps the elements'
// sibling links consistent with it).
struct ElementList {
  UiElement* first = nullptr;  // back of the z-order
  UiElement* last = nullptr;   // front: first hit
};

// {x, y, width, height} in floats.
struct RectF {
  float x = 0, y = 0, width = 0, height = 0;
  float Right() const { return x + width; }
  float Bottom() const { return y + height; }
  bool operator==(const RectF&) const = default;
  Gdiplus::RectF ToGdiplus() const { return Gdiplus::RectF(x, y, width, height); }
};

// Strict overlap: neither rectangle lies fully on one side of the other.
bool RectsOverlap(const RectF& a, const RectF& b);
// Whole-pixel RECT {left, top, right, bottom}, each coordinate truncated.
RECT ToRect(const RectF& r);

// Element messages (numbers shared with the Win32 messages the host passes on).
namespace ev {
inline constexpr UINT kCreated = 1;
inline constexpr UINT kDestroyed = 2;
inline constexpr UINT kPaint = 15;
inline constexpr UINT kFocusGained = 10240;
inline constexpr UINT kFocusLost = 10241;
inline constexpr UINT kMouseEnter = 10242;
inline constexpr UINT kMouseLeave = 10243;
inline constexpr UINT kClick = 10244;
inline constexpr UINT kResized = 10245;
inline constexpr UINT kHidden = 10246;
inline constexpr UINT kShown = 10247;
inline constexpr UINT kTransitionFrame = 10248;
inline constexpr UINT kPressQuery = 10250;
inline constexpr UINT kDisabledLook = 10254;
inline constexpr UINT kMoved = 10257;
inline constexpr UINT kFocusQuery = 10260;
inline constexpr UINT kOpacityChanged = 10261;
inline constexpr UINT kWindowShown = 10262;
inline constexpr UINT kTransitionStarted = 10263;
inline constexpr UINT kTransitionFinished = 10264;
// The host's display scale changed (wParam: new quarters, lParam: old).
// Sent to every element before its surface is rebuilt and repainted at the
// new scale: a class re-decodes images it picked for the old scale here.
inline constexpr UINT kScaleChanged = 10265;
// wParam of a WM_LBUTTONDOWN that is the second press of a double click.
inline constexpr WPARAM kDoubleClickMark = 10086;
}  // namespace ev

// What a bound handler receives. `parent` is 0 for a top-level element.
struct ElementEvent {
  ElementHandle parent = 0;
  ElementHandle element = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
using EventHandler = std::function<void(const ElementEvent&)>;

// Built by the begin-paint step and handed to the drawing code and to the
// OnBeginPaint / OnEndPaint hooks. Nothing in it is owned.
struct PaintContext {
  HWND window = nullptr;
  Gdiplus::GpGraphics* graphics = nullptr;   // the element's own graphics
  RectF area;                                // element-relative: (0, 0) is the element's corner
  bool fresh = false;                        // area was cleared; a transition may start
  UiWindow* host = nullptr;
  HDC windowDc = nullptr;                    // the host's window DC
  HDC canvasDc = nullptr;                    // the host's canvas (composed window)
  Gdiplus::GpGraphics* canvasGraphics = nullptr;
  Gdiplus::GpBitmap* bitmap = nullptr;       // the element's own bitmap
};

// Handed (by pointer, as lParam) with kTransitionFrame while the host
// composites an element whose transition runs. Nothing in it is owned.
struct TransitionContext {
  HDC canvasDc = nullptr;
  Gdiplus::GpGraphics* canvasGraphics = nullptr;
  HDC scratchDc = nullptr;
  Gdiplus::GpGraphics* scratchGraphics = nullptr;
  Gdiplus::GpBitmap* bitmap = nullptr;
  Gdiplus::GpBitmap* snapshot = nullptr;
  // Canvas (device) pixels: the canvas graphics draws without a scale.
  RectF elementRect;   // where the element's bitmap goes, one to one
  RectF clipBounds;    // visible clip bounds when the element was reached
  int step = 0;
  int steps = 0;
};

}  // namespace ui
