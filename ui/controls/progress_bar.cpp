#include "ui/controls/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "ui/core/shapes.h"
#include "ui/element/parent_host.h"
#include "ui/element/text_drawing.h"
#include "ui/host/window.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {
constexpr float kCorner = 6.0f;
constexpr Argb kTrackShade = ArgbOf(51, 0, 0, 0);
constexpr Argb kBarShade = ArgbOf(81, 0, 0, 0);
constexpr int kFlatFrame = 3;  // border style: outline in the given colour

// Fills `area` with a linear gradient laid over `area` itself.
void FillGradient(Gdiplus::GpGraphics* g, const RectF& area, Argb from, Argb to,
                  Gdiplus::LinearGradientMode mode) {
  const Gdiplus::RectF rect = area.ToGdiplus();
  gp::LineBrush brush;
  gp::GdipCreateLineBrushFromRect(&rect, from, to, mode, Gdiplus::WrapModeTileFlipXY, brush.put());
  if (brush) gp::GdipFillRectangle(g, brush.get(), rect.X, rect.Y, rect.Width, rect.Height);
}

void FillSolid(Gdiplus::GpGraphics* g, const RectF& area, Argb color) {
  gp::SolidBrush brush;
  if (gp::Ok(gp::GdipCreateSolidFill(color, brush.put())))
    gp::GdipFillRectangle(g, brush.get(), area.x, area.y, area.width, area.height);
}

// Clips `g` (drawing at `scale`) to `rect`, with slightly rounded corners
// when `rounded`. The rounded region is cut in device pixels: a region
// scaled up would have stepped corners.
void ClipTo(Gdiplus::GpGraphics* g, const RectF& rect, bool rounded, DisplayScale scale) {
  if (!rounded) {
    gp::GdipSetClipRect(g, rect.x, rect.y, rect.width, rect.height, Gdiplus::CombineModeReplace);
    return;
  }
  const int x = static_cast<int>(rect.x), y = static_cast<int>(rect.y);
  const int w = static_cast<int>(rect.width), h = static_cast<int>(rect.height);
  gdi::Region rgn(CreateRoundRectRgn(scale.ToDevice(x), scale.ToDevice(y), scale.ToDevice(x + w) + 1,
                                     scale.ToDevice(y + h) + 1, scale.ToDevice(3), scale.ToDevice(3)));
  gp::Region region;
  if (rgn) gp::GdipCreateRegionHrgn(rgn.get(), region.put());
  if (!region) return;
  if (scale.IsUnit()) {
    gp::GdipSetClipRegion(g, region.get(), Gdiplus::CombineModeReplace);
    return;
  }
  gp::GdipResetWorldTransform(g);
  gp::GdipSetClipRegion(g, region.get(), Gdiplus::CombineModeReplace);
  gp::GdipScaleWorldTransform(g, scale.Factor(), scale.Factor(), Gdiplus::MatrixOrderPrepend);
}
}  // namespace

ElementHandle UiProgressBar::Create(UiParent parent, int left, int top, int width, int height,
                                    const ProgressBarOptions& o) {
  if (IsCreated()) return GetHandle();
  position_ = o.position;
  minimum_ = o.minimum;
  maximum_ = o.maximum;
  vertical_ = o.vertical;
  barColor1_ = o.barColor1.value_or(MakeArgb(RGB(0, 136, 255), 230));
  barColor2_ = o.barColor2.value_or(MakeArgb(RGB(0, 224, 128), 230));
  frameColor_ = o.frameColor.value_or(MakeArgb(RGB(0, 0, 0), 80));
  trackColor_ = o.trackColor.value_or(MakeArgb(RGB(255, 255, 255), 210));
  if (o.rounded) {
    rounded_ = *o.rounded;
  } else {
    const UiWindow* host = HostOfParent(parent);
    rounded_ = host && host->FrameMode() != 0;
  }
  fillLength_ = 0;
  const RectF bounds{static_cast<float>(left), static_cast<float>(top), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kProgressBar, o.visible, /*focusable=*/false);
}

int UiProgressBar::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  const int answer = OnUserMessage(message, wParam, lParam);
  if (answer != -1) return answer;
  if (message == ev::kPaint) Draw();
  return -1;
}

void UiProgressBar::SetBarColors(std::optional<Argb> color1, std::optional<Argb> color2) {
  if (color1) barColor1_ = *color1;
  if (color2) barColor2_ = *color2;
  Repaint();
}

Argb UiProgressBar::BackColor(Argb value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != trackColor_) {
    trackColor_ = value;
    Repaint();
  }
  if (!self) return {};
  return trackColor_;
}

int UiProgressBar::Position(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != position_) {
    position_ = value;
    NotifyAccessibility(EVENT_OBJECT_VALUECHANGE);
    Repaint();
  }
  if (!self) return {};
  return position_;
}

int UiProgressBar::ComputeFillLength(float innerLength, int position, int minimum, int maximum) {
  if (maximum == minimum) return 0;  // an empty range shows an empty bar
  const double share = (static_cast<double>(position) - minimum) / (static_cast<double>(maximum) - minimum);
  const double length = std::floor(innerLength * share + 1e-12 + 0.5);
  // Far outside the range the bar is cut by the bitmap anyway; keep the integer sane.
  return static_cast<int>(std::clamp(length, -1.0e7, 1.0e7));
}

void UiProgressBar::Draw() {
  Paint([&](const PaintContext& pc) {
    Gdiplus::GpGraphics* g = pc.graphics;
    if (!g) return;
    const RectF r = pc.area;
    OnBeforeDraw(pc, r);
    const RectF inner{r.x + 2, r.y + 2, r.width - 4, r.height - 4};
    // Shading runs across the bar: top to bottom for a horizontal bar.
    const auto across = vertical_ ? Gdiplus::LinearGradientModeHorizontal : Gdiplus::LinearGradientModeVertical;

    const bool customBackground = OnDrawBackground(pc, r);
    if (!customBackground) {
      if (trackColor_ != 0) {
        if (rounded_)
          FillRoundedRect(g, r.x, r.y, r.width, r.height, kCorner, trackColor_);
        else
          FillSolid(g, r, trackColor_);
      }
      ClipTo(g, inner, rounded_, Scale());
      FillGradient(g, r, 0, kTrackShade, across);
      gp::GdipResetClip(g);
    }

    fillLength_ = ComputeFillLength(vertical_ ? inner.height : inner.width, position_, minimum_, maximum_);
    RectF fill = inner;
    if (vertical_) {
      fill.height = static_cast<float>(fillLength_);
      fill.y = r.y + r.height - static_cast<float>(fillLength_) - 2;
    } else {
      fill.width = static_cast<float>(fillLength_);
    }
    // A fill of zero or less shows nothing (a negative clip would reach outside the track).
    if (!OnDrawBar(pc, r, fill) && fillLength_ > 0) {
      ClipTo(g, fill, rounded_, Scale());
      if (vertical_)
        FillGradient(g, r, barColor2_, barColor1_, Gdiplus::LinearGradientModeVertical);
      else
        FillGradient(g, r, barColor1_, barColor2_, Gdiplus::LinearGradientModeHorizontal);
      FillGradient(g, r, 0, kBarShade, across);
      gp::GdipResetClip(g);
    }

    if (!customBackground && frameColor_ != 0) {
      if (rounded_)
        DrawRoundedRect(g, r.x, r.y, r.width, r.height, kCorner, frameColor_);
      else
        DrawBorderStyle(g, r.ToGdiplus(), kFlatFrame, frameColor_, 1.0f);
    }
  });
}

AccessibleInfo UiProgressBar::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kProgressBar;
  // The position as a whole percentage of the range.
  const long long span = static_cast<long long>(maximum_) - minimum_;
  const long long done = static_cast<long long>(position_) - minimum_;
  const long long percent = span > 0 ? std::clamp(done * 100 / span, 0LL, 100LL) : 0;
  info.value = std::to_string(percent) + "%";
  return info;
}

}  // namespace ui
