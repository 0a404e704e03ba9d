#pragma once
// The arithmetic of a scroll bar: where its arrows, track and thumb lie and
// how thumb positions map to values. Rectangles are relative to the bar.
//
// A range that cannot be scrolled (maximum at or below minimum, or a track
// as long as the negative maximum) has no thumb: thumbLength is 0, and the
// value mapping then never divides by the empty range.
#include "ui/platform/gdiplus_api.h"

namespace ui {

struct ScrollBarGeometry {
  bool horizontal = true;
  int minimum = 0;
  int maximum = 100;
  int minimumOffset = 0;  // -minimum as it was when the bar was created
  int thumbLength = 0;    // pixels; 0 = nothing to scroll, no thumb
  Gdiplus::RectF trackRect{};
  Gdiplus::RectF arrow1Rect{};  // left or top arrow
  Gdiplus::RectF arrow2Rect{};  // right or bottom arrow

  // Places arrows and track for a bar of w x h and computes the thumb.
  void Layout(float w, float h);
  // Recomputes the thumb for the current range; 0 when maximum <= 0.
  void UpdateThumbLength();

  float TrackStart() const { return horizontal ? trackRect.X : trackRect.Y; }
  float TrackLength() const { return horizontal ? trackRect.Width : trackRect.Height; }
  // Where the thumb begins along the track for `position`.
  float ThumbStart(int position) const;
  // The value whose thumb begins at coordinate `a` along the bar.
  int PositionFromPoint(float a) const;
  // The thumb's rectangle for `position`.
  Gdiplus::RectF ThumbRect(int position) const;
  bool CanScroll() const { return thumbLength > 0; }

 private:
  int ThumbLengthFor(float trackLength) const;
};

}  // namespace ui
