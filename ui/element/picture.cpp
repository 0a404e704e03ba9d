#include "ui/element/picture.h"

#include <algorithm>

#include "ui/element/image_frames.h"
#include "ui/element/nine_grid_at_scale.h"
#include "ui/element/text_drawing.h"
#include "ui/host/draw_image.h"
#include "ui/host/window.h"

namespace ui {

namespace {
constexpr int kDefaultDelay = 10;  // hundredths of a second
constexpr Argb kFocusBorder = 4;
}  // namespace

UiPicture::~UiPicture() {
  if (IsCreated()) KillFrameTimer();
}

ElementHandle UiPicture::Create(UiParent parent, int x, int y, int width, int height, ByteView image,
                                const PictureOptions& o) {
  if (IsCreated()) return GetHandle();
  imageBytes_.assign(image.begin(), image.end());
  animate_ = o.animate;
  backColor_ = o.backColor;
  fixZeroDelays_ = o.fixZeroDelays;
  imageLayout_ = o.imageLayout;
  imageMargins_ = o.margins;
  borderStyle_ = o.borderStyle;
  changeEffect_ = -1;
  ReadFrames(/*atCreate=*/true);
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kPicture, o.visible, /*focusable=*/true);
}

ElementHandle UiPicture::CreateFromIcon(UiParent parent, int x, int y, int width, int height, HICON icon,
                                        const IconPictureOptions& o) {
  if (IsCreated()) return GetHandle();
  ReleaseImage();
  iconBitmap_ = BitmapFromIcon(icon);
  TagImageScale(iconBitmap_.get(), kUnitScaleQuarters);  // whatever the screen's resolution
  animate_ = false;
  fixZeroDelays_ = false;
  backColor_ = o.backColor;
  imageLayout_ = o.imageLayout;
  imageMargins_ = RECT{0, 0, 0, 0};
  borderStyle_ = o.borderStyle;
  changeEffect_ = -1;
  frameCount_ = iconBitmap_ ? 1 : 0;
  currentFrame_ = frameCount_ > 0 ? 1 : 0;
  frameDelays_.assign(1, kDefaultDelay);
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kPicture, o.visible, /*focusable=*/true);
}

Gdiplus::GpImage* UiPicture::Image() const {
  if (decoded_) return decoded_.get();
  return iconBitmap_.get();
}

void UiPicture::ReleaseImage() {
  decoded_.reset();
  iconBitmap_.reset();
}

void UiPicture::ReadFrames(bool atCreate) {
  ReleaseImage();
  decodedFor_ = Scale().Quarters();
  decoded_ = KeptImage::Decode(imageBytes_, false, decodedFor_);
  const FrameInfo info = ReadFrameInfo(decoded_.get(), fixZeroDelays_, /*defaultDelay=*/atCreate);
  frameCount_ = info.frameCount;
  currentFrame_ = frameCount_ > 0 ? 1 : 0;
  frameDelays_ = info.delays;
}

void UiPicture::FollowScale() {
  const int quarters = Scale().Quarters();
  if (quarters == decodedFor_ || imageBytes_.empty()) return;
  decodedFor_ = quarters;
  KeptImage redecoded = KeptImage::Decode(imageBytes_, false, quarters);
  if (!redecoded) return;  // keep the drawing there is
  // A larger drawing carries the same frames; should it hold fewer, play those.
  const FrameInfo info = ReadFrameInfo(redecoded.get(), fixZeroDelays_, /*defaultDelay=*/false);
  if (info.frameCount <= 0) return;
  decoded_ = std::move(redecoded);
  if (info.frameCount != frameCount_) {
    frameCount_ = info.frameCount;
    frameDelays_ = info.delays;
    if (currentFrame_ > frameCount_) currentFrame_ = 1;
  }
}

int UiPicture::HandleEvent(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case ev::kDestroyed:
      KillFrameTimer();  // also when animation was switched off and a tick is still due
      animate_ = false;
      fixZeroDelays_ = false;
      currentFrame_ = frameCount_ = shownFrame_ = 0;
      ReleaseImage();
      frameDelays_.clear();
      imageBytes_.clear();
      changeEffect_ = -1;
      break;
    case WM_TIMER:
      if (changeEffect_ != -1) break;  // the image change shows first
      if (!animate_ || frameCount_ == 0)
        KillFrameTimer();
      else
        DrawFrame();
      break;
    case ev::kScaleChanged:
      FollowScale();
      break;
    case ev::kPaint:
    case ev::kShown:
      DrawFrame();
      break;
    case ev::kTransitionFinished:
      EndImageChange();
      break;
    default:
      break;
  }
  return -1;
}

bool UiPicture::Animate(bool on) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  currentFrame_ = frameCount_ > 0 ? 1 : 0;
  animate_ = on;
  Repaint();
  if (!self) return {};
  return animate_;
}

Argb UiPicture::BackColor(Argb value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != backColor_) {
    backColor_ = value;
    Repaint();
  }
  if (!self) return {};
  return backColor_;
}

const Bytes& UiPicture::SetImage(std::optional<ByteView> image, std::optional<int> effect, int steps,
                                 int interval, bool redraw) {
  if (!image) return imageBytes_;
  changeEffect_ = effect.value_or(-1);
  if (effect) TransitionEffect(*effect);
  imageBytes_.assign(image->begin(), image->end());
  ReadFrames(/*atCreate=*/false);
  if (redraw) {
    if (effect) Transition(steps, interval);
    Repaint();
  }
  // Without a running transition no finish event will come to end the change.
  if (changeEffect_ != -1 && !TransitionRunning()) EndImageChange();
  return imageBytes_;
}

void UiPicture::EndImageChange() {
  Transition(0);
  changeEffect_ = -1;
}

void UiPicture::ArmFrameTimer(UINT periodMs) {
  if (!GetWindow() || !GetHandle()) return;
  if (SetTimer(GetWindow(), GetHandle(), periodMs, nullptr)) frameTimerPeriod_ = periodMs;
}

void UiPicture::KillFrameTimer() {
  if (GetWindow() && GetHandle()) KillTimer(GetWindow(), GetHandle());
  frameTimerPeriod_ = 0;
}

// How long frame `frame` (1-based) stays on screen.
UINT UiPicture::DelayMsOf(int frame) const {
  const int index = frame - 1;
  const long long delay =
      index >= 0 && index < static_cast<int>(frameDelays_.size()) ? frameDelays_[index] : kDefaultDelay;
  return static_cast<UINT>(std::clamp(delay * 10, 0LL, static_cast<long long>(USER_TIMER_MAXIMUM)));
}

void UiPicture::DrawImageByLayout(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& area) const {
  // Laid out at its logical size; a larger drawing is drawn down smoothly.
  const float iw = static_cast<float>(ImageLogicalWidth(image));
  const float ih = static_cast<float>(ImageLogicalHeight(image));
  const LargerDrawingInterpolation interpolation(g, image);
  switch (imageLayout_) {
    case picture_layout::kOwnSize:
      gp::GdipDrawImageRect(g, image, 0, 0, iw, ih);
      break;
    case picture_layout::kStretch:
      gp::GdipDrawImageRect(g, image, area.x, area.y, area.width, area.height);
      break;
    case picture_layout::kCentred:
      gp::GdipDrawImageRect(g, image, static_cast<float>(static_cast<int>((area.width - iw) / 2)),
                            static_cast<float>(static_cast<int>((area.height - ih) / 2)), iw, ih);
      break;
    case picture_layout::kNineGrid:
      if (IsRectEmpty(&imageMargins_))
        gp::GdipDrawImageRect(g, image, 0, 0, iw, ih);
      else
        DrawNineGridAtScale(g, image, area, imageMargins_);
      break;
    default:
      break;
  }
}

void UiPicture::DrawFrame() {
  if (currentFrame_ == 0) {
    // No image (undecodable bytes): nothing is drawn, but an earlier image must not stay.
    if (shownFrame_ != 0) {
      const WeakRef<UiElement> self(this);  // painting may run handlers that delete the picture
      Paint([](const PaintContext&) {});
      if (!self) return;
      shownFrame_ = 0;
    }
    KillFrameTimer();
    return;
  }
  if (Disabled()) {
    ++currentFrame_;  // the frame timer keeps its period; drawing resumes when enabled
    return;
  }
  FollowScale();  // a picture made before its host knew its scale
  if (currentFrame_ > frameCount_ || !animate_) currentFrame_ = 1;
  const int frame = currentFrame_;
  const WeakRef<UiElement> self(this);  // painting may run handlers that delete the picture
  Paint([&](const PaintContext& pc) {
    Gdiplus::GpGraphics* g = pc.graphics;
    if (!g) return;
    // Read only now: starting the paint runs handlers that may change the image.
    Gdiplus::GpImage* image = Image();
    if (backColor_ != 0) {
      gp::SolidBrush brush;
      if (gp::Ok(gp::GdipCreateSolidFill(backColor_, brush.put())))
        gp::GdipFillRectangle(g, brush.get(), 0, 0, pc.area.width - 1, pc.area.height - 1);
    }
    if (image) {
      if (frameCount_ >= 2) {
        SelectFrame(image, frame - 1);
        // Selecting a frame may read the frame's own resolution: mark the scale again.
        if (decoded_ && image == decoded_.get()) TagImageScale(image, decoded_.DrawnAt());
      }
      DrawImageByLayout(g, image, pc.area);
    }
    const Gdiplus::RectF area = pc.area.ToGdiplus();
    DrawBorderStyle(g, area, borderStyle_);
    if (pc.host && pc.host->KeyboardFocus() == this) DrawBorderStyle(g, area, kFocusBorder);
  });
  if (!self) return;
  shownFrame_ = frame;
  if (frameCount_ < 2) {
    ++currentFrame_;
    if (frameTimerPeriod_) KillFrameTimer();  // left over from an earlier animated image
    return;
  }
  KillFrameTimer();
  ++currentFrame_;
  if (currentFrame_ > frameCount_ || !animate_) currentFrame_ = 1;
  // Each frame stays for its own delay.
  ArmFrameTimer(DelayMsOf(frame));
}

AccessibleInfo UiPicture::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kGraphic;
  return info;
}

}  // namespace ui
