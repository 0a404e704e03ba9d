#include "ui/controls/scroll_bar_geometry.h"

#include <cmath>

namespace ui {

namespace {
constexpr int kMinimumThumb = 30;
}

int ScrollBarGeometry::ThumbLengthFor(float trackLength) const {
  const double l = trackLength;
  // No range, or a denominator of zero or below: nothing to scroll.
  if (maximum <= minimum || l + maximum <= 0) return 0;
  const double length = std::trunc(l * l / (l + maximum));
  return length < kMinimumThumb ? kMinimumThumb : static_cast<int>(length);
}

void ScrollBarGeometry::Layout(float w, float h) {
  if (horizontal) {
    arrow1Rect = Gdiplus::RectF(0, 0, 9, 10);
    arrow2Rect = Gdiplus::RectF(w - 9, 0, 9, 10);
    trackRect = Gdiplus::RectF(10, 1, w - 20, 8);
  } else {
    arrow1Rect = Gdiplus::RectF(0, 0, 10, 9);
    arrow2Rect = Gdiplus::RectF(0, h - 9, 10, 9);
    trackRect = Gdiplus::RectF(1, 10, 8, h - 20);
  }
  thumbLength = ThumbLengthFor(TrackLength());
}

void ScrollBarGeometry::UpdateThumbLength() {
  thumbLength = maximum <= 0 ? 0 : ThumbLengthFor(std::trunc(TrackLength()));
}

float ScrollBarGeometry::ThumbStart(int position) const {
  const float s = TrackStart();
  if (position == 0 || !CanScroll()) return s;
  return s + static_cast<float>(position + minimumOffset) * (TrackLength() - thumbLength) /
                 static_cast<float>(maximum - minimum);
}

int ScrollBarGeometry::PositionFromPoint(float a) const {
  if (!CanScroll()) return minimum;
  const float s = TrackStart(), l = TrackLength();
  if (a <= s) return minimum;
  if (a >= s + l - thumbLength) return maximum;
  const double perValue = (static_cast<double>(l) - thumbLength) / (static_cast<double>(maximum) - minimum);
  return static_cast<int>((a - s) / perValue - minimumOffset);
}

Gdiplus::RectF ScrollBarGeometry::ThumbRect(int position) const {
  Gdiplus::RectF r = trackRect;
  if (horizontal) {
    r.X = ThumbStart(position);
    r.Width = static_cast<float>(thumbLength);
  } else {
    r.Y = ThumbStart(position);
    r.Height = static_cast<float>(thumbLength);
  }
  return r;
}

}  // namespace ui
