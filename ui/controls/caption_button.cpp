#include "ui/controls/caption_button.h"

#include <algorithm>

#include "ui/controls/caption_glyphs.h"
#include "ui/core/image.h"
#include "ui/core/library.h"

namespace ui {

namespace {

// The glyph cells reach one row past the bottom of the strip (y 2, 19 rows
// of a 20-row image). GDI+ may refuse a source rectangle that leaves the
// image, so the source is cut to the image and the destination is cut by
// the same share: the glyph keeps its 1:1 scale and the missing row stays
// transparent.
void DrawCell(Gdiplus::GpGraphics* g, Gdiplus::GpImage* strip, Gdiplus::RectF src, const RectF& dst) {
  UINT imageWidth = 0, imageHeight = 0;
  gp::GdipGetImageWidth(strip, &imageWidth);
  gp::GdipGetImageHeight(strip, &imageHeight);
  const float right = std::min(src.X + src.Width, static_cast<float>(imageWidth));
  const float bottom = std::min(src.Y + src.Height, static_cast<float>(imageHeight));
  const float width = right - src.X, height = bottom - src.Y;
  if (width <= 0 || height <= 0 || src.X < 0 || src.Y < 0) return;
  const float dstWidth = dst.width * width / src.Width;
  const float dstHeight = dst.height * height / src.Height;
  const LargerDrawingInterpolation interpolation(g, strip);
  gp::GdipDrawImageRectRect(g, strip, dst.x, dst.y, dstWidth, dstHeight, src.X, src.Y, width, height,
                            Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

}  // namespace

ElementHandle UiCaptionButton::Create(UiParent parent, int x, int y, int width, int height, int kind,
                                      bool visible) {
  if (IsCreated()) return GetHandle();
  // Stored first: creation paints the glyph of this kind.
  buttonKind_ = kind;
  lastState_ = kNormal;
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kCaptionButton, visible, /*focusable=*/false,
                           /*cursorId=*/std::nullopt, kTransitionIntervalMs);
}

void UiCaptionButton::SetState(int state, bool force, int transitionSteps) {
  if (state == lastState_ && !force) return;
  Transition(transitionSteps);
  DrawGlyph(state);
  lastState_ = state;
}

void UiCaptionButton::DrawGlyph(int state) {
  Paint([&](const PaintContext& pc) {
    // The strip drawn for the host's scale; its cells lie at the 100 %
    // coordinates times the scale it was drawn at.
    Gdiplus::GpImage* strip = GlyphImageFor(Scale().Quarters());
    if (!strip) return;
    const bool maximized = pc.window && IsZoomed(pc.window);
    Gdiplus::RectF cell = GlyphCell(buttonKind_, state, maximized);
    if (cell.Width <= 0 || cell.Height <= 0) return;
    const float f = ImagePixelsPerLogical(strip);
    if (f != 1.0f) cell = Gdiplus::RectF(cell.X * f, cell.Y * f, cell.Width * f, cell.Height * f);
    DrawCell(pc.graphics, strip, cell, pc.area);
  });
}

void UiCaptionButton::PostWindowCommand() {
  const HWND window = GetWindow();
  if (!window || !IsWindow(window)) return;
  switch (buttonKind_) {
    case 4:
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case 8:
      PostMessageW(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
      break;
    case 16:
      if (!IsIconic(window)) PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    default:
      break;  // further kinds: left to the application's click handlers
  }
}

int UiCaptionButton::HandleEvent(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case ev::kDestroyed:
      buttonKind_ = 0;
      lastState_ = kNormal;
      return -1;
    case ev::kPaint:
      SetState(kNormal, true, 0);
      return -1;
    case WM_LBUTTONDOWN:
      SetState(kPressed, false, 0);
      return -1;
    case WM_LBUTTONUP:
      SetState(kHot, false, 0);
      return -1;
    case ev::kMouseEnter:
      SetState(kHot, false, kEnterSteps);
      return -1;
    case ev::kMouseLeave:
      SetState(kNormal, false, kLeaveSteps);
      return -1;
    case ev::kClick:
      if (!Disabled()) PostWindowCommand();
      return -1;
    case ev::kPressQuery:
      return 0;  // pressable, though never a tab stop
    case ev::kMoved:
      // The maximise button follows the window's zoom state (restore glyph).
      if (buttonKind_ == 8) SetState(kNormal, true, 0);
      return -1;
    default:
      return -1;
  }
}

AccessibleInfo UiCaptionButton::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kTitleBarButton;
  // Without a tooltip of the program's own, the name of the window command
  // it gives, as a title bar's buttons are read.
  if (info.name.empty()) {
    const HWND window = GetWindow();
    if (buttonKind_ == 4) info.name = "关闭";
    if (buttonKind_ == 8) info.name = window && IsZoomed(window) ? "还原" : "最大化";
    if (buttonKind_ == 16) info.name = "最小化";
  }
  info.defaultAction = "按下";
  return info;
}

}  // namespace ui
