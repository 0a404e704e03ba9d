#pragma once
// UiPicture: one image inside an element. A still image, or a multi-frame
// image (animated GIF) played with the frame delays stored in it. The image
// comes as encoded bytes (any format GDI+ decodes) or as an icon handle.
// Changing the image can fade or slide with the element transition.
//
// Timers: the frame timer uses the element handle as its id on the host
// window (the host delivers its WM_TIMER here); the transition timer runs
// beside it on handle + 1.
#include <windows.h>

#include <optional>
#include <vector>

#include "ui/core/bytes.h"
#include "ui/core/color.h"
#include "ui/core/image.h"
#include "ui/element/element.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Image layouts.
namespace picture_layout {
inline constexpr int kOwnSize = 0;    // own size at (0, 0)
inline constexpr int kStretch = 1;    // stretched over the element
inline constexpr int kCentred = 2;    // own size, centred
inline constexpr int kNineGrid = 3;   // nine-grid with the margins (own size at (0, 0) without)
}  // namespace picture_layout

// The optional creation arguments that follow the image, in their order.
struct PictureOptions {
  bool animate = false;        // play the frames of a multi-frame image
  Argb backColor = 0;          // 0 = none
  bool fixZeroDelays = false;  // a frame delay of 0 counts as 10 (100 ms)
  int imageLayout = picture_layout::kStretch;
  RECT margins{0, 0, 0, 0};    // nine-grid centre rectangle, image pixels
  Argb borderStyle = 0;        // border style around the element (0 none)
  bool visible = true;
};

struct IconPictureOptions {
  Argb backColor = 0;
  int imageLayout = picture_layout::kStretch;
  Argb borderStyle = 0;
  bool visible = true;
};

class UiPicture : public UiElement {
 public:
  UiPicture() = default;
  ~UiPicture() override;

  // `image` is copied. Undecodable bytes give an element that draws nothing.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height, ByteView image,
                       const PictureOptions& options = {});
  // Shows a copy of `icon` (its alpha channel kept); the icon stays the caller's.
  ElementHandle CreateFromIcon(UiParent parent, int x, int y, int width, int height, HICON icon,
                               const IconPictureOptions& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

  bool Animate() const { return animate_; }
  // Restarts at frame 1 and repaints.
  bool Animate(bool on);
  // Replaces the image (absent: nothing changes). With an effect (0
  // cross-fade, 1..4 slides) the change runs as a transition of `steps` x
  // `interval` ms, during which frame ticks are ignored. Returns the bytes.
  const Bytes& SetImage(std::optional<ByteView> image = std::nullopt, std::optional<int> effect = std::nullopt,
                        int steps = 5, int interval = 60, bool redraw = true);
  const Bytes& ImageBytes() const { return imageBytes_; }
  Argb BackColor() const { return backColor_; }
  Argb BackColor(Argb value);

  // Paints the current frame and arms the frame timer for the next one.
  void DrawFrame();

  // ---- state, for the host and tests ------------------------------------------
  Gdiplus::GpImage* Image() const;
  int FrameCount() const { return frameCount_; }
  // 1-based frame drawn next; 0 = nothing to show.
  int CurrentFrame() const { return currentFrame_; }
  // 1-based frame drawn last; 0 = none.
  int ShownFrame() const { return shownFrame_; }
  // Hundredths of a second per frame.
  const std::vector<int>& FrameDelays() const { return frameDelays_; }
  // Period of the armed frame timer in ms; 0 = no frame timer.
  UINT FrameTimerPeriod() const { return frameTimerPeriod_; }
  // Effect of a running image change; -1 = none.
  int ChangeEffect() const { return changeEffect_; }

 private:
  void ReadFrames(bool atCreate);
  // Decodes the image again when the display scale differs from the one it
  // was decoded for (the frame shown next stays).
  void FollowScale();
  void ArmFrameTimer(UINT periodMs);
  void KillFrameTimer();
  UINT DelayMsOf(int frame) const;
  void DrawImageByLayout(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& area) const;
  void EndImageChange();
  void ReleaseImage();

  Bytes imageBytes_;
  KeptImage decoded_;            // owned: image from bytes with its stream and memory
  int decodedFor_ = kUnitScaleQuarters;  // the display scale decoded_ was picked for
  gp::Bitmap iconBitmap_;        // owned: image from an icon
  bool animate_ = false;
  Argb borderStyle_ = 0;
  int currentFrame_ = 0;
  int frameCount_ = 0;
  Argb backColor_ = 0;
  std::vector<int> frameDelays_;
  int imageLayout_ = picture_layout::kStretch;
  bool fixZeroDelays_ = false;
  RECT imageMargins_{0, 0, 0, 0};
  int changeEffect_ = -1;
  int shownFrame_ = 0;
  UINT frameTimerPeriod_ = 0;
};

}  // namespace ui
