// UiCompositor: full and partial recomposition, the body and its frame,
// element compositing with transitions, presentation and the cross-fade.
#include "ui/host/compositor.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "ui/core/color.h"
#include "ui/core/image.h"
#include "ui/core/library.h"
#include "ui/core/lifetime.h"
#include "ui/element/element.h"
#include "ui/element/nine_grid_at_scale.h"
#include "ui/host/draw_image.h"
#include "ui/host/show_effects.h"
#include "ui/host/window.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {
constexpr int kFadeIntervalMs = 50;
constexpr int kFadeStep = 51;
constexpr float kEdgeBand = 6.0f;

Argb Opaque(COLORREF c, int alpha = 255) { return ArgbOf(alpha, GetRValue(c), GetGValue(c), GetBValue(c)); }

// Whether drawing `bitmap` with `g` leaves the canvas as it is: a bitmap of
// one clear pixel (an element that draws nothing, such as a stand-in for
// screen readers) drawn over it, however stretched or faded.
bool AddsNothing(Gdiplus::GpBitmap* bitmap, Gdiplus::GpGraphics* g) {
  const auto image = reinterpret_cast<Gdiplus::GpImage*>(bitmap);
  if (!bitmap || ImageWidth(image) != 1 || ImageHeight(image) != 1) return false;
  Gdiplus::CompositingMode mode = Gdiplus::CompositingModeSourceCopy;
  Gdiplus::PixelFormat format = 0;
  Gdiplus::ARGB pixel = 0;
  return gp::Ok(gp::GdipGetCompositingMode(g, &mode)) && mode == Gdiplus::CompositingModeSourceOver &&
         gp::Ok(gp::GdipGetImagePixelFormat(image, &format)) && format == PixelFormat32bppARGB &&
         gp::Ok(gp::GdipBitmapGetPixel(bitmap, 0, 0, &pixel)) && (pixel >> 24) == 0;
}

// GDI+ region of a GDI region (null for none).
gp::Region RegionOf(HRGN rgn) {
  gp::Region out;
  if (rgn) gp::GdipCreateRegionHrgn(rgn, out.put());
  return out;
}

gp::Region RoundRegion(int l, int t, int r, int b, int corner) {
  const gdi::Region rgn(CreateRoundRectRgn(l, t, r, b, corner, corner));
  return RegionOf(rgn.get());
}

// Rounded rectangle outline path; corner = arc diameter (0: plain rectangle).
gp::Path RoundRectPath(float x, float y, float w, float h, float corner) {
  gp::Path path;
  gp::GdipCreatePath(Gdiplus::FillModeAlternate, path.put());
  if (!path) return path;
  if (corner <= 0) {
    gp::GdipAddPathRectangle(path.get(), x, y, w, h);
    return path;
  }
  const float d = std::min({corner, w, h});
  gp::GdipAddPathArc(path.get(), x, y, d, d, 180, 90);
  gp::GdipAddPathArc(path.get(), x + w - d, y, d, d, 270, 90);
  gp::GdipAddPathArc(path.get(), x + w - d, y + h - d, d, d, 0, 90);
  gp::GdipAddPathArc(path.get(), x, y + h - d, d, d, 90, 90);
  gp::GdipClosePathFigure(path.get());
  return path;
}

void DrawOutline(Gdiplus::GpGraphics* g, float x, float y, float w, float h, float corner, Argb colour) {
  gp::Pen pen;
  gp::GdipCreatePen1(colour, 1.0f, Gdiplus::UnitPixel, pen.put());
  gp::Path path = RoundRectPath(x, y, w, h, corner);
  if (pen && path) gp::GdipDrawPath(g, pen.get(), path.get());
}

// A 6-pixel band that fades from the body colour at `outer` side to clear.
void FillEdgeBand(Gdiplus::GpGraphics* g, const Gdiplus::RectF& band, Argb from, Argb to,
                  Gdiplus::LinearGradientMode mode) {
  if (band.Width <= 0 || band.Height <= 0) return;
  gp::LineBrush brush;
  gp::GdipCreateLineBrushFromRect(&band, from, to, mode, Gdiplus::WrapModeTileFlipXY, brush.put());
  if (brush)
    gp::GdipFillRectangle(g, reinterpret_cast<Gdiplus::GpBrush*>(brush.get()), band.X, band.Y,
                          band.Width, band.Height);
}

// Mean red, green and blue of an image.
COLORREF AverageColour(Gdiplus::GpImage* image) {
  const int w = static_cast<int>(ImageWidth(image)), h = static_cast<int>(ImageHeight(image));
  if (w <= 0 || h <= 0) return 0;
  gdi::Bitmap hbm;
  HBITMAP raw = nullptr;
  gp::GdipCreateHBITMAPFromBitmap(reinterpret_cast<Gdiplus::GpBitmap*>(image), &raw, 0);
  hbm.reset(raw);
  if (!hbm) return 0;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  gdi::WindowDc screen(nullptr);
  const int rows = GetDIBits(screen.get(), hbm.get(), 0, h, pixels.data(), &info, DIB_RGB_COLORS);
  if (rows <= 0) return 0;
  unsigned long long r = 0, gr = 0, b = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) {
    b += pixels[i];
    gr += pixels[i + 1];
    r += pixels[i + 2];
  }
  const unsigned long long n = static_cast<unsigned long long>(w) * h;
  return RGB(static_cast<BYTE>(r / n), static_cast<BYTE>(gr / n), static_cast<BYTE>(b / n));
}

// Draws in logical pixels on a device canvas (nothing at 100 %).
void UseLogical(Gdiplus::GpGraphics* g, DisplayScale scale) {
  gp::GdipResetWorldTransform(g);
  if (!scale.IsUnit()) gp::GdipScaleWorldTransform(g, scale.Factor(), scale.Factor(), Gdiplus::MatrixOrderPrepend);
}
void UseDevice(Gdiplus::GpGraphics* g) { gp::GdipResetWorldTransform(g); }

// Pixel rectangle covering `r` (partly covered pixels included), within the canvas.
RECT CoverRect(const RectF& r, SIZE limit) {
  RECT out{static_cast<LONG>(std::floor(r.x)), static_cast<LONG>(std::floor(r.y)),
           static_cast<LONG>(std::ceil(r.x + r.width)), static_cast<LONG>(std::ceil(r.y + r.height))};
  out.left = std::max<LONG>(out.left, 0);
  out.top = std::max<LONG>(out.top, 0);
  out.right = std::min<LONG>(out.right, limit.cx);
  out.bottom = std::min<LONG>(out.bottom, limit.cy);
  return out;
}

}  // namespace

void UiCompositor::Redraw(ByteView image, std::optional<COLORREF> colour, int mode, bool keepElements) {
  if (!host_.IsAttached() || !canvas_) return;
  // Handlers run below: whatever they release (a canvas re-created by a
  // resize among it) waits until the redraw is done.
  const DispatchScope redrawing;
  const unsigned generation = canvasGeneration_;
  const WeakRef<UiWindow> alive(&host_);
  const HWND hwnd = host_.Window();
  busy_ = true;

  UiWindow* lender =
      (look_.inheritFrom && IsWindow(look_.inheritFrom)) ? UiWindow::FromWindow(look_.inheritFrom) : nullptr;
  if (lender == &host_) lender = nullptr;
  if (lender) {
    backgroundColor_ = lender->BackgroundColor();
    averagePending_ = false;
  } else {
    if (!image.empty()) {
      backgroundBytes_ = Bytes(image.begin(), image.end());  // `image` may lie in the old bytes
      gp::Image decoded = ImageFromMemory(backgroundBytes_, false, host_.Scale().Quarters());
      // An image that does not decode leaves the colour as it was.
      if (!decoded) BackgroundColor();
      backgroundImage_ = std::move(decoded);
      averagePending_ = static_cast<bool>(backgroundImage_);
    }
    if (colour && *colour != CLR_INVALID) {
      backgroundColor_ = *colour;
      averagePending_ = false;
    }
  }

  const DisplayScale scale = host_.Scale();
  const int w = host_.ClientSize().cx, h = host_.ClientSize().cy;  // device pixels
  const int lw = host_.LogicalSize().cx, lh = host_.LogicalSize().cy;
  if (mode == 1 && IsLayered()) {
    fade_.Create(host_.WindowDc(), w, h, false);
    BitBlt(fade_.dc(), 0, 0, w, h, canvas_.dc(), 0, 0, SRCCOPY);
  }

  // The body, its frame and the application's background are drawn in
  // logical pixels; elements are placed in device pixels.
  Gdiplus::GpGraphics* g = canvas_.graphics();
  ComposeBody(g, lw, lh);
  if (onPaintBackground_) {
    UseLogical(g, scale);
    HostPaintBackgroundFn fn = onPaintBackground_;
    fn(hwnd, g, lw, lh);
    if (!alive) return;
    // Resized by the callback: WM_SIZE has composed the window at its new
    // size on a new canvas. Going on would copy that composed canvas
    // (elements included) into the new background.
    if (canvasGeneration_ != generation) return;
  }
  if (look_.frameMode != 1) DrawBorderRings(g, lw, lh);
  UseDevice(g);

  BitBlt(background_.dc(), 0, 0, w, h, canvas_.dc(), 0, 0, SRCCOPY);

  if (look_.frameMode != 1) {
    const int corner = look_.frameMode == 0 ? 0 : scale.ToDevice(3);
    clipShape_.reset(CreateRoundRectRgn(scale.ToDevice(7), scale.ToDevice(7), w - scale.ToDevice(6),
                                        h - scale.ToDevice(6), corner, corner));
    clipRegion_ = RegionOf(clipShape_.get());
    if (!clipRegion_) clipShape_.reset();
    if (clipRegion_) gp::GdipSetClipRegion(g, clipRegion_.get(), Gdiplus::CombineModeReplace);
  } else {
    clipRegion_.reset();
    clipShape_.reset();
  }
  redrawQueue_.Init(hwnd, &host_);
  host_.LayoutCaption();
  PaintAll(host_.FirstElement(), g, !keepElements);
  if (!alive || canvasGeneration_ != generation) return;
  if (!PaintOverlay(g, RectF{0, 0, static_cast<float>(lw), static_cast<float>(lh)})) return;
  if (canvasGeneration_ != generation) return;
  gp::GdipResetClip(g);
  busy_ = false;

  if (look_.blurBehind && IsLayered())
    SetBlur(hwnd, scale.ToDevice(6), scale.ToDevice(6), w - scale.ToDevice(5), h - scale.ToDevice(5),
            scale.ToDevice(6), look_.frameMode, look_.windowAlpha);

  if (mode == 0) {
    Present(nullptr);
  } else if (mode == 1) {
    busy_ = true;
    fadeAlpha_ = 0;
    fadeTimerId_ = static_cast<UINT_PTR>(host_.Handle());
    SetTimer(hwnd, fadeTimerId_, kFadeIntervalMs, fadeTimer_);
    return;
  }
  RepairDeferred();
}

COLORREF UiCompositor::BackgroundColor() const {
  if (averagePending_) {
    averagePending_ = false;
    if (backgroundImage_) backgroundColor_ = AverageColour(backgroundImage_.get());
  }
  return backgroundColor_;
}

void UiCompositor::RedecodeBackground(DisplayScale scale) {
  if (!backgroundImage_ || backgroundBytes_.empty()) return;
  BackgroundColor();  // the average of the drawing first decoded, as if taken at once
  gp::Image redecoded = ImageFromMemory(backgroundBytes_, false, scale.Quarters());
  if (!redecoded) return;
  // A frame further up the stack (or a host borrowing this image) may be
  // drawing the old one: it goes once the outermost message has returned.
  auto old = std::make_shared<gp::Image>(std::move(backgroundImage_));
  ReleaseLater([old] { old->reset(); });
  backgroundImage_ = std::move(redecoded);
}

// `w` and `h` are logical; the graphics is left drawing in logical pixels.
void UiCompositor::ComposeBody(Gdiplus::GpGraphics* g, int w, int h) {
  const DisplayScale scale = host_.Scale();
  Gdiplus::GpImage* img = BackgroundImage();
  UseLogical(g, scale);
  const bool unclipped = CanvasUnclipped();
  if (!unclipped || !ClearCanvasDirect()) gp::GdipGraphicsClear(g, 0);
  if (look_.frameMode == 1) {
    if (!img) return;
    if (IsRectEmpty(&look_.nineGrid)) {
      // Pixel for pixel at 100 %: a copy for an opaque image, instead of
      // the platform's general image drawing.
      if (unclipped && scale.IsUnit() && ComposeBackgroundDirect(img)) return;
      const LargerDrawingInterpolation interpolation(g, img);
      gp::GdipDrawImageRect(g, img, 0.0f, 0.0f, static_cast<float>(ImageLogicalWidth(img)),
                            static_cast<float>(ImageLogicalHeight(img)));
    } else {
      DrawNineGridAtScale(g, img, RectF{0, 0, static_cast<float>(w), static_cast<float>(h)}, look_.nineGrid);
    }
    return;
  }
  // The clip is cut in device pixels (a region scaled up would have stepped corners).
  const int dw = host_.ClientSize().cx, dh = host_.ClientSize().cy;
  gp::Region body = RoundRegion(scale.ToDevice(6), scale.ToDevice(6), dw - scale.ToDevice(5), dh - scale.ToDevice(5),
                                look_.frameMode == 0 ? 0 : scale.ToDevice(4));
  UseDevice(g);
  if (body) gp::GdipSetClipRegion(g, body.get(), Gdiplus::CombineModeReplace);
  UseLogical(g, scale);
  if (!img) {
    gp::GdipGraphicsClear(g, Opaque(BackgroundColor(), IsLayered() ? look_.windowAlpha : 255));
    return;
  }
  gp::GdipGraphicsClear(g, Opaque(BackgroundColor()));
  const float iw = static_cast<float>(ImageLogicalWidth(img)), ih = static_cast<float>(ImageLogicalHeight(img));
  const RectF inner{5, 5, static_cast<float>(w - 10), static_cast<float>(h - 10)};
  RectF placed{inner.x, inner.y, iw, ih};
  if (look_.imageLayout == 1) {
    placed = inner;
  } else if (look_.imageLayout == 2) {
    placed = RectF{static_cast<float>((w - static_cast<int>(iw)) / 2),
                   static_cast<float>((h - static_cast<int>(ih)) / 2), iw, ih};
  }
  {
    const LargerDrawingInterpolation interpolation(g, img);
    gp::GdipDrawImageRect(g, img, placed.x, placed.y, placed.width, placed.height);
  }
  if ((look_.imageLayout == 0 || look_.imageLayout == 2) && look_.imageFrame) {
    // Soften the image's edges into the body colour: each band is opaque
    // body colour at the image's outer edge and clear 6 pixels inside.
    const Argb solid = Opaque(BackgroundColor());
    const Argb clear = Opaque(BackgroundColor(), 0);
    const float x = placed.x, y = placed.y, pw = placed.width, ph = placed.height;
    FillEdgeBand(g, {x, y, kEdgeBand, ph}, solid, clear, Gdiplus::LinearGradientModeHorizontal);
    FillEdgeBand(g, {x + pw - kEdgeBand, y, kEdgeBand, ph}, clear, solid,
                 Gdiplus::LinearGradientModeHorizontal);
    FillEdgeBand(g, {x, y, pw, kEdgeBand}, solid, clear, Gdiplus::LinearGradientModeVertical);
    FillEdgeBand(g, {x, y + ph - kEdgeBand, pw, kEdgeBand}, clear, solid,
                 Gdiplus::LinearGradientModeVertical);
  }
  if (IsLayered() && look_.windowAlpha < 255) {
    // The whole body again, at the window's overall opacity.
    gp::Image copy;
    gp::GdipCloneImage(canvas_.image(), copy.put());
    gp::GdipGraphicsClear(g, 0);
    if (copy) DrawImageAlpha(g, copy.get(), RectF{0, 0, float(w), float(h)}, look_.windowAlpha);
  }
}

void UiCompositor::DrawBorderRings(Gdiplus::GpGraphics* g, int w, int h) {
  const float corner1 = look_.frameMode == 0 ? 0.0f : 7.0f;
  const float corner2 = look_.frameMode == 0 ? 0.0f : 6.0f;
  // S = (5, 5, w - 10, h - 10), moved in by one pixel, then by one more.
  DrawOutline(g, 6, 6, float(w - 12), float(h - 12), corner1, ArgbOf(204, 96, 96, 96));
  DrawOutline(g, 7, 7, float(w - 14), float(h - 14), corner2, ArgbOf(102, 255, 255, 255));
  gp::GdipResetClip(g);
  if (!IsLayered()) {
    const HWND hwnd = host_.Window();
    const DisplayScale scale = host_.Scale();
    const int i = scale.ToDevice(IsZoomed(hwnd) ? 5 : 6);
    const int corner = look_.frameMode == 0 ? 0 : scale.ToDevice(5);
    const int dw = host_.ClientSize().cx, dh = host_.ClientSize().cy;
    // The system owns the region once SetWindowRgn accepted it.
    HRGN shape = CreateRoundRectRgn(i, i, dw - i + 1, dh - i + 1, corner, corner);
    if (shape && !SetWindowRgn(hwnd, shape, TRUE)) DeleteObject(shape);
  } else if (host_.CaptionFlags() & caption::kShadow) {
    const COLORREF c = look_.shadowColor == CLR_INVALID ? RGB(0, 0, 0) : look_.shadowColor;
    static constexpr float kRounded[4] = {10, 12, 15, 18};
    static constexpr float kSquare[4] = {1, 4, 7, 11};
    static constexpr int kAlpha[4] = {45, 25, 10, 5};
    for (int k = 0; k < 4; ++k) {
      const float corner = look_.frameMode == 0 ? kSquare[k] : kRounded[k];
      DrawOutline(g, 5.0f - k, 5.0f - k, float(w - 10 + 2 * k), float(h - 10 + 2 * k), corner,
                  Opaque(c, kAlpha[k]));
    }
  }
}

int UiCompositor::CompositeAlpha(UiElement* e, bool halfAsFactor) {
  int alpha = e->Opacity();
  if (e->Disabled()) {
    const WeakRef<UiElement> element(e);
    const LRESULT look = host_.SendTo(e, ev::kDisabledLook, 0, 1);
    if (!element) return -1;
    if (look == -1) alpha = halfAsFactor ? static_cast<int>(alpha * 0.5) : alpha / 2;
  }
  return alpha;
}

void UiCompositor::PaintAll(UiElement* first, Gdiplus::GpGraphics* g, bool announce) {
  const WeakRef<UiWindow> alive(&host_);
  for (UiElement* e = first; e;) {
    UiElement* next = e->NextSibling();
    const WeakRef<UiElement> element(e);
    if (e->Visible()) {
      if (announce) host_.SendTo(e, ev::kWindowShown, 0, 0);
      if (!alive) return;
      if (!host_.Owns(element)) return;  // the list changed under us
      next = e->NextSibling();
      const int alpha = CompositeAlpha(e, false);
      if (!alive || alpha < 0 || !host_.Owns(element)) return;
      next = e->NextSibling();
      const RectF placed = host_.Scale().PlaceSurface(e->Bounds());
      DrawImageAlpha(g, e->Bitmap(), placed, alpha);
      if (e->FirstChild()) {
        Gdiplus::GraphicsState state = 0;
        gp::GdipSaveGraphics(g, &state);
        const RectF b = placed;
        gp::GdipSetClipRect(g, b.x, b.y, b.width, b.height, Gdiplus::CombineModeIntersect);
        PaintAll(e->FirstChild(), g, announce);
        if (!alive) return;
        gp::GdipRestoreGraphics(g, state);
        if (!host_.Owns(element)) return;
        next = e->NextSibling();
      }
    }
    e = next;
  }
}

void UiCompositor::PaintElements(UiElement* first, Gdiplus::GpGraphics* g, const RectF& dirty, const RECT* direct) {
  const WeakRef<UiWindow> alive(&host_);
  const DisplayScale scale = host_.Scale();
  for (UiElement* e = first; e;) {
    const WeakRef<UiElement> element(e);
    if (!e->Visible() || !RectsOverlap(scale.PlaceSurface(e->Bounds()), dirty)) {
      e = e->NextSibling();
      continue;
    }
    TransitionContext tc;
    tc.canvasDc = canvas_.dc();
    tc.canvasGraphics = g;
    tc.scratchDc = ScratchCanvas().dc();
    tc.scratchGraphics = ScratchCanvas().graphics();
    tc.bitmap = e->Bitmap();
    tc.snapshot = e->Snapshot();
    tc.elementRect = scale.PlaceSurface(e->Bounds());
    tc.step = e->TransitionStep();
    tc.steps = e->Transition();
    if (!e->TransitionRunning() && AddsNothing(e->Bitmap(), g)) {
      // Nothing to draw; its children still are.
    } else if (e->Disabled()) {
      const int alpha = CompositeAlpha(e, true);
      if (!alive || alpha < 0) return;
      DrawImageAlphaWithin(g, e->Bitmap(), scale.PlaceSurface(e->Bounds()), alpha, dirty);
    } else if (e->TransitionRunning()) {
      Gdiplus::RectF clip{};
      gp::GdipGetVisibleClipBounds(g, &clip);
      tc.clipBounds = RectF{clip.X, clip.Y, clip.Width, clip.Height};
      const LRESULT r = host_.SendTo(e, ev::kTransitionFrame, 0, reinterpret_cast<LPARAM>(&tc));
      if (!alive) return;
      if (r < 1 && host_.Owns(element)) {
        // The handler may have resized the element (a new bitmap, no
        // snapshot) or ended its transition: draw what it has now.
        if (e->TransitionRunning()) {
          tc.bitmap = e->Bitmap();
          tc.snapshot = e->Snapshot();
          tc.elementRect = scale.PlaceSurface(e->Bounds());
          tc.step = e->TransitionStep();
          tc.steps = e->Transition();
          DrawTransition(e, g, tc);
        } else {
          DrawImageAlphaWithin(g, e->Bitmap(), scale.PlaceSurface(e->Bounds()), e->Opacity(), dirty);
        }
      }
    } else if (!direct || !ComposeDirect(e, *direct)) {
      DrawImageAlphaWithin(g, e->Bitmap(), scale.PlaceSurface(e->Bounds()), e->Opacity(), dirty);
    }
    if (!host_.Owns(element)) return;  // the tree changed under us
    if (e->FirstChild()) {
      Gdiplus::GraphicsState state = 0;
      gp::GdipSaveGraphics(g, &state);
      const RectF b = scale.PlaceSurface(e->Bounds());
      gp::GdipSetClipRect(g, b.x, b.y, b.width, b.height, Gdiplus::CombineModeIntersect);
      PaintElements(e->FirstChild(), g, dirty);
      if (!alive) return;
      gp::GdipRestoreGraphics(g, state);
      if (!host_.Owns(element)) return;
    }
    e = e->NextSibling();
  }
}

bool UiCompositor::PaintOverlay(Gdiplus::GpGraphics* g, const RectF& area) {
  if (!onPaintOverlay_) return true;
  const WeakRef<UiWindow> alive(&host_);
  HostPaintOverlayFn fn = onPaintOverlay_;  // the callback may replace itself
  UseLogical(g, host_.Scale());
  fn(host_.Window(), g, area);
  if (!alive) return false;
  UseDevice(g);
  return true;
}

void UiCompositor::DrawTransition(UiElement* e, Gdiplus::GpGraphics* g, const TransitionContext& tc) {
  const RectF r = tc.elementRect;
  const int step = tc.step, steps = tc.steps > 0 ? tc.steps : 1;
  switch (e->TransitionEffect()) {
    case 0: {
      Canvas& scratch = ScratchCanvas();
      const RECT c = CoverRect(tc.clipBounds, host_.ClientSize());
      const int cw = c.right - c.left, ch = c.bottom - c.top;
      if (cw <= 0 || ch <= 0 || !scratch) return;
      BitBlt(scratch.dc(), c.left, c.top, cw, ch, canvas_.dc(), c.left, c.top, SRCCOPY);
      DrawImageAlpha(g, tc.snapshot, r, e->Opacity());
      DrawImageAlpha(scratch.graphics(), tc.bitmap, r, e->Opacity());
      BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(e->Opacity() * step / steps), 0};
      sys::GdiAlphaBlend(canvas_.dc(), c.left, c.top, cw, ch, scratch.dc(), c.left, c.top, cw, ch, blend);
      return;
    }
    case 1:
    case 2: {
      const float d = static_cast<float>(static_cast<int>(r.height / steps)) * step;
      const float y = e->TransitionEffect() == 1 ? r.y + d : r.y - d;
      const float other = e->TransitionEffect() == 1 ? y - r.height : y + r.height;
      if (tc.snapshot) gp::GdipDrawImageRect(g, tc.snapshot, r.x, y, r.width, r.height);
      if (tc.bitmap) gp::GdipDrawImageRect(g, tc.bitmap, r.x, other, r.width, r.height);
      return;
    }
    case 3:
    case 4: {
      const float d = static_cast<float>(static_cast<int>(r.width / steps)) * step;
      const float x = e->TransitionEffect() == 3 ? r.x + d : r.x - d;
      const float other = e->TransitionEffect() == 3 ? x - r.width : x + r.width;
      if (tc.snapshot) gp::GdipDrawImageRect(g, tc.snapshot, x, r.y, r.width, r.height);
      if (tc.bitmap) gp::GdipDrawImageRect(g, tc.bitmap, other, r.y, r.width, r.height);
      return;
    }
    default:
      DrawImageAlpha(g, tc.bitmap, r, e->Opacity());
  }
}

void UiCompositor::RedrawRect(const RectF& rect, bool present) {
  if (busy_ || !host_.IsAttached() || !canvas_) return;
  // Handlers run below: whatever they release waits until the redraw is done.
  const DispatchScope redrawing;
  Gdiplus::GpGraphics* g = canvas_.graphics();
  // The whole pixels the rectangle touches: the background is restored on
  // all of them, so all of them are painted again (a fractional clip would
  // leave its edge pixels half painted over the restored background).
  const DisplayScale scale = host_.Scale();
  const RECT px = CoverRect(scale.CoverDevice(rect), host_.ClientSize());
  const RectF whole{static_cast<float>(px.left), static_cast<float>(px.top), static_cast<float>(px.right - px.left),
                    static_cast<float>(px.bottom - px.top)};
  // Inside the body's clip the rectangle alone clips alike; GDI+ clips by a
  // rectangle much faster than by a region, and element pixels may then be
  // copied straight onto the canvas.
  const bool rectangleClip = InsideBodyClip(px);
  if (!rectangleClip) {
    gp::GdipSetClipRegion(g, clipRegion_.get(), Gdiplus::CombineModeReplace);
    gp::GdipSetClipRect(g, whole.x, whole.y, whole.width, whole.height, Gdiplus::CombineModeIntersect);
  } else {
    gp::GdipSetClipRect(g, whole.x, whole.y, whole.width, whole.height, Gdiplus::CombineModeReplace);
  }
  if (px.right > px.left && px.bottom > px.top)
    BitBlt(canvas_.dc(), px.left, px.top, px.right - px.left, px.bottom - px.top, background_.dc(),
           px.left, px.top, SRCCOPY);
  const WeakRef<UiWindow> alive(&host_);
  const unsigned generation = canvasGeneration_;
  PaintElements(host_.FirstElement(), g, whole, rectangleClip ? &px : nullptr);
  // A resize among the handlers has composed the window on a new canvas.
  if (!alive || !canvas_ || canvasGeneration_ != generation) return;
  if (!PaintOverlay(g, scale.ToLogical(whole)) || !canvas_ || canvasGeneration_ != generation) return;
  gp::GdipResetClip(g);
  if (present) Present(&px);
}

void UiCompositor::Present(const RECT* rect) {
  if (busy_ || !host_.IsAttached() || !canvas_) return;
  if (IsLayered()) {
    PushLayered(canvas_.dc());
  } else {
    const SIZE size = host_.ClientSize();
    RECT r = rect ? *rect : RECT{0, 0, size.cx, size.cy};
    BitBlt(host_.WindowDc(), r.left, r.top, r.right - r.left, r.bottom - r.top, canvas_.dc(), r.left,
           r.top, SRCCOPY);
  }
  ++presentCount_;
}

void UiCompositor::PushLayered(HDC source) {
  SIZE size = host_.ClientSize();
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  sys::UpdateLayeredWindow(host_.Window(), nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA);
}

void UiCompositor::InvalidateRect(const RectF& rect, int mode) {
  if (!host_.IsAttached()) return;
  redrawQueue_.Add(rect, mode);
}

void UiCompositor::SetBusy(bool busy) {
  busy_ = busy;
  if (!busy) RepairDeferred();
}

void UiCompositor::RepairDeferred() {
  if (busy_ || deferredDirty_.empty()) return;
  std::vector<RectF> areas;
  areas.swap(deferredDirty_);
  for (const RectF& r : areas) redrawQueue_.Add(r, UiRedrawQueue::kAppend);
}

void UiCompositor::OnPaint() {
  const HWND hwnd = host_.Window();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc && canvas_) {
    const RECT& r = ps.rcPaint;
    BitBlt(host_.WindowDc(), r.left, r.top, r.right - r.left, r.bottom - r.top, canvas_.dc(), r.left,
           r.top, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}

void UiCompositor::PresentCanvas() {
  if (IsLayered() && !busy_) {
    PushLayered(canvas_.dc());
    ++presentCount_;
  }
}

LRESULT UiCompositor::RepairMoved(const RectF& before, const RectF& now) {
  if (busy_) {
    // Repaired once the host is idle again (see SetBusy).
    deferredDirty_.push_back(before);
    deferredDirty_.push_back(now);
    return 0;
  }
  // The first repair runs element events and the overlay callback, which
  // may detach or delete the host, and this compositor with it.
  const WeakRef<UiWindow> alive(&host_);
  RedrawRect(before, true);
  if (!alive) return 1;
  RedrawRect(now, true);
  return 1;
}

bool UiCompositor::OnFadeTimer(UINT_PTR id) {
  if (id == 0 || id != fadeTimerId_) return false;
  FadeTick();
  return true;
}

void UiCompositor::FadeTick() {
  const int w = host_.ClientSize().cx, h = host_.ClientSize().cy;
  HDC target = host_.WindowDc();
  if (IsLayered()) {
    PushLayered(fade_.dc());
    target = fade_.dc();
  }
  fadeAlpha_ = std::min(255, fadeAlpha_ + kFadeStep);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(fadeAlpha_), 0};
  if (target) sys::GdiAlphaBlend(target, 0, 0, w, h, canvas_.dc(), 0, 0, w, h, blend);
  if (fadeAlpha_ >= 255) {
    KillTimer(host_.Window(), fadeTimerId_);
    fadeTimerId_ = 0;
    fade_.Reset();
    if (IsLayered()) PushLayered(canvas_.dc());
    SetBusy(false);
  }
}

}  // namespace ui
