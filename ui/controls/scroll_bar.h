#pragma once
// UiScrollBar: a thin (10 px) windowless scroll bar with two triangle
// arrows, a rounded track and a rounded thumb in translucent black. Arrow
// presses repeat on a 100 ms timer; the thumb can be dragged; every new
// position is reported to the scroll handler.
//
// Coordinates: Create and Bounds() take client pixels of the host window;
// the part rectangles (geometry_) and `thumbRect_` are relative to the bar.
#include <functional>
#include <optional>

#include "ui/controls/scroll_bar_geometry.h"
#include "ui/element/element.h"

namespace ui {

// The optional creation arguments of a scroll bar.
struct ScrollBarOptions {
  int minimum = 0;
  int maximum = 100;
  int pageStep = 10;  // stored and reported, not used by the bar
  int lineStep = 1;   // amount of one arrow step
  bool notifyWhileDragging = true;  // false: report once, on release
  int orientation = 1;  // 1 horizontal, anything else vertical
  bool fadeWhenIdle = true;  // outside mouse activity only a faint thumb
  bool visible = true;
};

class UiScrollBar : public UiElement {
 public:
  // Called with the bar's parent element (0 at top level) and the position.
  using ScrollHandler = std::function<void(ElementHandle parent, int position)>;

  enum Orientation : int { kHorizontal = 1, kVertical = 2 };  // any value but 1 is vertical
  enum Part : int { kNone = 0, kArrow1 = 1, kArrow2 = 2, kThumb = 3, kTrack = 4 };
  enum DrawMode : int { kIdle = 0, kMouseOver = 1, kPress = 2 };

  using Options = ScrollBarOptions;

  UiScrollBar() = default;
  ~UiScrollBar() override;

  // Creates the bar at (x, y, width, height); the position starts at the
  // minimum. Returns the element handle or 0.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height, const Options& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

  // Re-renders the bar: `capture` is the element holding the pressed left
  // button, `point` is in client coordinates of the host window (empty:
  // where the cursor is, looked up only when the look depends on it).
  void Draw(DrawMode mode, ElementHandle capture, std::optional<POINT> point);
  int PositionFromPoint(float coordinate) const { return geometry_.PositionFromPoint(coordinate); }
  float ThumbStart() const { return geometry_.ThumbStart(position_); }
  void UpdateThumbLength() { geometry_.UpdateThumbLength(); }
  // Calls the scroll handler, unless there is nothing to scroll.
  void NotifyScroll();
  void Layout(float width, float height) { geometry_.Layout(width, height); }

  // Property methods: with a value they store it (and re-render where the
  // look changes); they always return the current value.
  int Position() const { return position_; }
  int Position(int value);  // clamped into [0, maximum]
  int Minimum() const { return geometry_.minimum; }
  int Minimum(int value);
  int Maximum() const { return geometry_.maximum; }
  int Maximum(int value);
  // Sets the maximum, then the position, as the two property methods in
  // that order would, but draws the bar at most once: owners that re-range
  // and re-scroll on every keystroke would otherwise draw it twice, and in
  // between with the thumb where it ends up in neither.
  void Arrange(int maximum, int position);
  int PageStep() const { return pageStep_; }
  int PageStep(int value) { return pageStep_ = value; }
  int LineStep() const { return lineStep_; }
  int LineStep(int value) { return lineStep_ = value; }
  bool NotifyWhileDragging() const { return notifyWhileDragging_; }
  bool NotifyWhileDragging(bool value) { return notifyWhileDragging_ = value; }
  bool FadeWhenIdle() const { return fadeWhenIdle_; }
  bool FadeWhenIdle(bool value);
  void SetScrollHandler(ScrollHandler handler) { scrollHandler_ = std::move(handler); }

  // Read access for tests and owners.
  int ThumbLength() const { return geometry_.thumbLength; }
  int PressedPart() const { return pressedPart_; }
  const ScrollBarGeometry& Geometry() const { return geometry_; }
  Gdiplus::RectF ThumbRect() const { return thumbRect_; }

 private:
  bool Horizontal() const { return geometry_.horizontal; }
  // The new maximum, the position clamped to it and the thumb's length; not drawn.
  void SetMaximum(int value);
  Part PartAt(float x, float y) const;
  POINT CursorPoint() const;
  void DrawParts(Gdiplus::GpGraphics* g, bool full, Part hot);
  // The thumb at the current range and position differs from the one last drawn.
  bool ThumbLooksDifferent() const;
  // For a thumb that moved: the bar is drawn again, unless drawing it would
  // leave every pixel as it is (a move by a small part of a pixel).
  void RepaintMovedThumb();
  // Whether a repaint now would give the pixels the bar shows; when it
  // would, the bar takes the moved thumb as drawn.
  bool RepaintChangesNothing();
  void OnTimer();
  void StopTimer();

  ScrollBarGeometry geometry_;  // parts relative to the bar; range and thumb length
  int pageStep_ = 10;
  int lineStep_ = 1;
  bool notifyWhileDragging_ = true;
  Part pressedPart_ = kNone;  // part under the pressed left button
  bool fadeWhenIdle_ = true;
  int position_ = 0;
  int dragOffset_ = 0;         // pointer offset inside the thumb when the drag began
  Gdiplus::RectF thumbRect_{};  // relative to the bar, as last drawn
  ScrollHandler scrollHandler_;
  Part lastPart_ = kNone;      // part drawn hot last time
  // Where RepaintChangesNothing draws the bar to compare.
  gp::Bitmap lookBitmap_;
  gp::Graphics lookGraphics_;
};

}  // namespace ui
