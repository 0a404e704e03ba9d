#include "ui/controls/scroll_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/core/bitmap_pixels.h"
#include "ui/core/color.h"
#include "ui/core/image.h"
#include "ui/core/shapes.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

constexpr UINT kRepeatMs = 100;
constexpr int kTransitionMs = 60;
constexpr int kHoverSteps = 5;

bool Contains(const Gdiplus::RectF& r, float x, float y) {
  return x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height;
}

// The triangle of an arrow, relative to its rectangle's origin.
void ArrowPoints(const Gdiplus::RectF& r, bool horizontal, bool first, Gdiplus::PointF out[3]) {
  const float x = r.X, y = r.Y;
  if (horizontal) {
    if (first) {
      out[0] = {x + 2, y + 4.5f}, out[1] = {x + 5, y + 1}, out[2] = {x + 5, y + 8};
    } else {
      out[0] = {x + 6, y + 4.5f}, out[1] = {x + 3, y + 1}, out[2] = {x + 3, y + 8};
    }
  } else {
    if (first) {
      out[0] = {x + 4.5f, y + 2}, out[1] = {x + 1, y + 5}, out[2] = {x + 8, y + 5};
    } else {
      out[0] = {x + 4.5f, y + 6}, out[1] = {x + 1, y + 3}, out[2] = {x + 8, y + 3};
    }
  }
}

void FillAndOutlineTriangle(Gdiplus::GpGraphics* g, const Gdiplus::PointF pts[3], Argb fill, Argb outline) {
  gp::SolidBrush brush;
  if (gp::Ok(gp::GdipCreateSolidFill(fill, brush.put())))
    gp::GdipFillPolygon(g, brush.get(), pts, 3, Gdiplus::FillModeAlternate);
  gp::Pen pen;
  if (gp::Ok(gp::GdipCreatePen1(outline, 1.0f, Gdiplus::UnitWorld, pen.put())))
    gp::GdipDrawPolygon(g, pen.get(), pts, 3);
}

}  // namespace

UiScrollBar::~UiScrollBar() {
  // Destroy while the derived part still exists, so the bar's own event 2 runs.
  if (IsCreated()) Destroy();
}

ElementHandle UiScrollBar::Create(UiParent parent, int x, int y, int width, int height, const Options& options) {
  geometry_.horizontal = options.orientation == kHorizontal;
  geometry_.minimum = options.minimum;
  geometry_.maximum = options.maximum;
  geometry_.minimumOffset = -options.minimum;
  pageStep_ = options.pageStep;
  lineStep_ = options.lineStep;
  notifyWhileDragging_ = options.notifyWhileDragging;
  fadeWhenIdle_ = options.fadeWhenIdle;
  position_ = options.minimum;
  pressedPart_ = kNone;
  lastPart_ = kNone;
  Layout(static_cast<float>(width), static_cast<float>(height));
  return UiElement::Create(parent, RectF{float(x), float(y), float(width), float(height)}, kind::kScrollBar,
                           options.visible, true, std::nullopt, kTransitionMs);
}

int UiScrollBar::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case ev::kDestroyed:
      StopTimer();
      geometry_.thumbLength = 0;
      position_ = 0;
      scrollHandler_ = nullptr;
      geometry_.maximum = 0;
      geometry_.minimum = 0;
      pressedPart_ = kNone;
      return -1;
    case ev::kPaint:
      Draw(kIdle, 0, std::nullopt);
      return -1;
    case WM_TIMER:
      if (wParam == GetHandle()) OnTimer();
      return -1;
    case WM_MOUSEMOVE:
      // While an arrow is held the timer does the work.
      if (pressedPart_ != kArrow1 && pressedPart_ != kArrow2)
        Draw(kMouseOver, static_cast<ElementHandle>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return -1;
    case WM_LBUTTONDOWN:
      Draw(kPress, GetHandle(), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return -1;
    case WM_LBUTTONUP:
      if (pressedPart_ == kThumb && !notifyWhileDragging_) NotifyScroll();
      pressedPart_ = kNone;
      return -1;
    case ev::kMouseEnter:
    case ev::kMouseLeave:
      if (TransitionInterval() != 0) Transition(kHoverSteps);
      Draw(message == ev::kMouseEnter ? kMouseOver : kIdle, 0, std::nullopt);
      return -1;
    case ev::kResized:
      Layout(static_cast<float>(wParam), static_cast<float>(lParam));
      return -1;
    case ev::kPressQuery:
      return 1;
    case ev::kTransitionFinished:
      Transition(0);
      return -1;
    default:
      return -1;
  }
}

void UiScrollBar::OnTimer() {
  if (pressedPart_ == kArrow1) {
    position_ -= lineStep_;
    if (geometry_.minimum >= position_) {
      StopTimer();
      position_ = geometry_.minimum;
    }
  } else if (pressedPart_ == kArrow2) {
    position_ += lineStep_;
    if (position_ >= geometry_.maximum) {
      StopTimer();
      position_ = geometry_.maximum;
    }
  } else {
    StopTimer();
    return;
  }
  Draw(kMouseOver, 0, std::nullopt);
  NotifyScroll();
}

void UiScrollBar::StopTimer() {
  if (GetWindow()) KillTimer(GetWindow(), GetHandle());
}

POINT UiScrollBar::CursorPoint() const {
  POINT p{};
  GetCursorPos(&p);
  if (GetWindow()) ScreenToClient(GetWindow(), &p);
  // Client device pixels to the logical pixels the bar is laid out in.
  const DisplayScale scale = Scale();
  return POINT{static_cast<LONG>(scale.ToLogical(static_cast<int>(p.x))),
               static_cast<LONG>(scale.ToLogical(static_cast<int>(p.y)))};
}

UiScrollBar::Part UiScrollBar::PartAt(float x, float y) const {
  if (Contains(geometry_.arrow1Rect, x, y)) return kArrow1;
  if (Contains(geometry_.arrow2Rect, x, y)) return kArrow2;
  if (Contains(thumbRect_, x, y)) return kThumb;
  if (Contains(geometry_.trackRect, x, y)) return kTrack;
  return kNone;
}

void UiScrollBar::Draw(DrawMode mode, ElementHandle capture, std::optional<POINT> point) {
  const RectF b = Bounds();
  // The pointer relative to the bar; looked up only when the look depends on it.
  const auto pointer = [&] {
    if (!point) point = CursorPoint();
    return Gdiplus::PointF(static_cast<float>(point->x) - b.x, static_cast<float>(point->y) - b.y);
  };

  // Dragging the thumb follows the pointer.
  bool moved = false;
  if (mode == kMouseOver && capture == GetHandle() && pressedPart_ == kThumb) {
    const Gdiplus::PointF p = pointer();
    const int n = PositionFromPoint((Horizontal() ? p.X : p.Y) - static_cast<float>(dragOffset_));
    if (n == position_) return;
    position_ = n;
    moved = true;
    if (notifyWhileDragging_) NotifyScroll();
  }
  thumbRect_ = geometry_.ThumbRect(position_);

  const bool full = mode == kMouseOver || mode == kPress || !fadeWhenIdle_;
  Part part = kNone;
  if (full) {
    if (pressedPart_ != kNone) {
      part = pressedPart_;
    } else {
      const Gdiplus::PointF p = pointer();
      part = PartAt(p.X, p.Y);
    }
    if (mode == kPress) {
      pressedPart_ = part;
      if (part == kThumb) {
        const Gdiplus::PointF p = pointer();
        dragOffset_ = static_cast<int>(Horizontal() ? p.X - thumbRect_.X : p.Y - thumbRect_.Y);
      }
    }
    // Hovering over the same part again changes nothing, unless the thumb moved.
    if (mode == kMouseOver && part == lastPart_ && part != kNone && !moved) return;
  }
  if (geometry_.thumbLength < 1) part = kNone;

  const WeakRef<UiElement> self(this);  // painting may run handlers that delete the bar
  Paint([&](const PaintContext& pc) { DrawParts(pc.graphics, full, part); });
  if (!self) return;
  lastPart_ = part;
  if (mode == kPress && GetWindow()) SetTimer(GetWindow(), GetHandle(), kRepeatMs, nullptr);
}

void UiScrollBar::DrawParts(Gdiplus::GpGraphics* g, bool full, Part hot) {
  Argb thumbFill = ArgbOf(40, 0, 0, 0), thumbOutline = ArgbOf(30, 0, 0, 0);
  if (full) {
    const bool canScroll = geometry_.thumbLength > 0;
    for (Part arrow : {kArrow1, kArrow2}) {
      const Gdiplus::RectF& r = arrow == kArrow1 ? geometry_.arrow1Rect : geometry_.arrow2Rect;
      Gdiplus::PointF pts[3];
      ArrowPoints(r, Horizontal(), arrow == kArrow1, pts);
      if (arrow == hot && canScroll) {
        DrawRoundedRect(g, r.X, r.Y, r.Width, r.Height, 4, ArgbOf(160, 0, 0, 0));
        FillAndOutlineTriangle(g, pts, ArgbOf(160, 0, 0, 0), ArgbOf(140, 0, 0, 0));
      } else {
        FillAndOutlineTriangle(g, pts, ArgbOf(100, 0, 0, 0), ArgbOf(60, 0, 0, 0));
      }
    }
    const Gdiplus::RectF& t = geometry_.trackRect;
    FillRoundedRect(g, t.X, t.Y, t.Width, t.Height, 6, ArgbOf(40, 0, 0, 0));
    DrawRoundedRect(g, t.X, t.Y, t.Width, t.Height, 6, ArgbOf(30, 0, 0, 0));
    thumbFill = ArgbOf(110, 0, 0, 0);
    thumbOutline = ArgbOf(80, 0, 0, 0);
  }
  if (geometry_.thumbLength > 0) {
    const Gdiplus::RectF& r = thumbRect_;
    FillRoundedRect(g, r.X, r.Y, r.Width, r.Height, 6, thumbFill);
    DrawRoundedRect(g, r.X, r.Y, r.Width, r.Height, 6, thumbOutline);
  }
}

void UiScrollBar::NotifyScroll() {
  if (geometry_.thumbLength == 0 || !scrollHandler_) return;
  // Copy: the handler may replace itself or destroy the bar.
  const ScrollHandler handler = scrollHandler_;
  handler(GetParent(), position_);
}

bool UiScrollBar::ThumbLooksDifferent() const {
  const Gdiplus::RectF r = geometry_.ThumbRect(position_);
  return r.X != thumbRect_.X || r.Y != thumbRect_.Y || r.Width != thumbRect_.Width || r.Height != thumbRect_.Height;
}

int UiScrollBar::Position(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  value = std::max(0, std::min(value, geometry_.maximum));
  if (value != position_) {
    position_ = value;
    // Owners set the position on every keystroke; the bar is drawn again
    // only when its thumb lands elsewhere.
    RepaintMovedThumb();
  }
  if (!self) return {};
  return position_;
}

int UiScrollBar::Minimum(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  geometry_.minimum = value;
  if (position_ < value) position_ = value;
  Repaint();
  if (!self) return {};
  return geometry_.minimum;
}

void UiScrollBar::SetMaximum(int value) {
  geometry_.maximum = value;
  position_ = std::max(geometry_.minimum, std::min(position_, value));
  UpdateThumbLength();
}

int UiScrollBar::Maximum(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  SetMaximum(value);
  // Owners set the range on every layout and keystroke; repaint only when
  // the thumb (all that the range changes in the look) lands elsewhere.
  RepaintMovedThumb();
  if (!self) return {};
  return geometry_.maximum;
}

void UiScrollBar::Arrange(int maximum, int position) {
  SetMaximum(maximum);
  position_ = std::max(0, std::min(position, maximum));
  RepaintMovedThumb();
}

void UiScrollBar::RepaintMovedThumb() {
  if (ThumbLooksDifferent() && !RepaintChangesNothing()) Repaint();
}

bool UiScrollBar::RepaintChangesNothing() {
  // A repaint as Repaint makes it (idle, from a cleared bitmap), drawn on
  // a bitmap of its own at 100 % with no transition running.
  Gdiplus::GpBitmap* shown = Bitmap();
  if (!shown || !Host() || TransitionInterval() != 0 || !Scale().IsUnit()) return false;
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(shown);
  const int width = static_cast<int>(ImageWidth(image)), height = static_cast<int>(ImageHeight(image));
  const RECT whole{0, 0, width, height};
  const auto look = reinterpret_cast<Gdiplus::GpImage*>(lookBitmap_.get());
  if (!look || static_cast<int>(ImageWidth(look)) != width || static_cast<int>(ImageHeight(look)) != height) {
    lookGraphics_.reset();
    lookBitmap_.reset();
    if (!gp::Ok(gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, lookBitmap_.put())) ||
        !gp::Ok(gp::GdipGetImageGraphicsContext(lookBitmap_.get(), lookGraphics_.put())))
      return false;
    gp::GdipSetSmoothingMode(lookGraphics_.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(lookGraphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
  }
  const Gdiplus::RectF drawn = thumbRect_;
  thumbRect_ = geometry_.ThumbRect(position_);
  const bool full = !fadeWhenIdle_;
  Part part = kNone;
  if (full) {
    const RectF b = Bounds();
    const POINT p = CursorPoint();
    part = pressedPart_ != kNone ? pressedPart_
                                 : PartAt(static_cast<float>(p.x) - b.x, static_cast<float>(p.y) - b.y);
  }
  if (geometry_.thumbLength < 1) part = kNone;
  std::vector<Argb> now, before;
  const bool cleared = FillArgbPixels(lookBitmap_.get(), whole, 0);
  if (cleared) DrawParts(lookGraphics_.get(), full, part);
  const bool same = cleared && gp::Ok(gp::GdipFlush(lookGraphics_.get(), Gdiplus::FlushIntentionSync)) &&
                    ReadArgbPixels(lookBitmap_.get(), whole, now) &&
                    gp::Ok(gp::GdipFlush(Graphics(), Gdiplus::FlushIntentionSync)) &&
                    ReadArgbPixels(shown, whole, before) && now == before;
  if (same) {
    lastPart_ = part;
  } else {
    thumbRect_ = drawn;
  }
  return same;
}

bool UiScrollBar::FadeWhenIdle(bool value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != fadeWhenIdle_) {
    fadeWhenIdle_ = value;
    Repaint();
  }
  if (!self) return {};
  return fadeWhenIdle_;
}

AccessibleInfo UiScrollBar::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kScrollBar;
  info.value = std::to_string(Position());
  return info;
}

}  // namespace ui
