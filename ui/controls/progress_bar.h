#pragma once
// UiProgressBar: a value between a minimum and a maximum shown as a
// gradient bar over a lightly shaded track. Horizontal bars fill from the
// left, vertical ones from the bottom. No input of its own.
//
// Coordinates: every rectangle handed to the hooks is relative to the
// bar's own bitmap ((0, 0) = its top-left corner).
#include <optional>

#include "ui/core/color.h"
#include "ui/element/element.h"

namespace ui {

// The optional creation arguments, in their order.
struct ProgressBarOptions {
  int position = 0;
  int minimum = 0;
  int maximum = 100;
  bool vertical = false;                 // fills from bottom to top
  std::optional<Argb> barColor1;         // default ARGB(230, 0, 136, 255)
  std::optional<Argb> barColor2;         // default ARGB(230, 0, 224, 128)
  std::optional<Argb> frameColor;        // default ARGB(80, 0, 0, 0)
  std::optional<Argb> trackColor;        // default ARGB(210, 255, 255, 255); 0 = no fill
  std::optional<bool> rounded;           // default: the host window's frame mode is not 0
  bool visible = true;
};

class UiProgressBar : public UiElement {
 public:
  UiProgressBar() = default;

  ElementHandle Create(UiParent parent, int left, int top, int width, int height,
                       const ProgressBarOptions& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

  // Stores the colours given, then repaints.
  void SetBarColors(std::optional<Argb> color1, std::optional<Argb> color2);
  Argb BarColor1() const { return barColor1_; }
  Argb BarColor2() const { return barColor2_; }
  Argb FrameColor() const { return frameColor_; }
  // The track colour (0 = the track is not filled).
  Argb BackColor() const { return trackColor_; }
  Argb BackColor(Argb value);
  // Stored as given, without clamping; repaints on a change.
  int Position() const { return position_; }
  int Position(int value);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  bool Vertical() const { return vertical_; }
  bool Rounded() const { return rounded_; }
  // Length of the filled part in pixels, as computed by the last Draw.
  int FillLength() const { return fillLength_; }

  // Paints the bar into its bitmap.
  void Draw();

  // The fill length for an inner length and a value in a range: rounded
  // half up (1e-12 added against binary fractions just below .5); 0 for an
  // empty range (minimum == maximum).
  static int ComputeFillLength(float innerLength, int position, int minimum, int maximum);

 protected:
  // Asked first with every event; an answer other than -1 is final.
  virtual int OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }
  // Return true when the track, its shading and the frame were drawn here.
  virtual bool OnDrawBackground(const PaintContext& pc, const RectF& rect) { return false; }
  // Return true when the bar was drawn here (`fill` is the filled part).
  virtual bool OnDrawBar(const PaintContext& pc, const RectF& rect, const RectF& fill) { return false; }
  // Called before anything is drawn.
  virtual void OnBeforeDraw(const PaintContext& pc, const RectF& rect) {}

 private:
  int position_ = 0;
  int minimum_ = 0;
  int maximum_ = 100;
  bool vertical_ = false;
  Argb barColor1_ = 0;
  Argb barColor2_ = 0;
  Argb frameColor_ = 0;
  bool rounded_ = false;
  Argb trackColor_ = 0;
  int fillLength_ = 0;
};

}  // namespace ui
