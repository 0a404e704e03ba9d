// UiCompositor: the buffers a host draws into, and their release.
#include <memory>

#include "ui/core/lifetime.h"
#include "ui/host/compositor.h"
#include "ui/host/window.h"

namespace ui {

namespace {
// What a detached host releases once the outermost message has returned.
struct Buffers {
  Canvas canvas, background, fade;
  gp::Region clipRegion;
  gp::Image backgroundImage;
};
}  // namespace

void UiCompositor::CreateBuffers() {
  const int w = host_.ClientSize().cx, h = host_.ClientSize().cy;
  const HDC reference = host_.WindowDc();
  if (DispatchDepth() > 0 && (canvas_ || background_)) {
    // Re-created inside a message (the window resized from an element's
    // event or the overlay callback while a frame was composed): the frame
    // further up the stack still draws with the old canvas's graphics, so
    // the old canvas and background go once the outermost message has
    // returned.
    auto old = std::make_shared<Buffers>();
    old->canvas.Swap(canvas_);
    old->background.Swap(background_);
    ReleaseLater([old] {
      old->canvas.Reset();
      old->background.Reset();
    });
  }
  canvas_.Create(reference, w, h, true);
  background_.Create(reference, w, h, false);
  ++canvasGeneration_;
  GrowScratchCanvas(reference, w, h);
}

void UiCompositor::ReleaseBuffersSafely() {
  auto kept = std::make_shared<Buffers>();
  kept->canvas.Swap(canvas_);
  kept->background.Swap(background_);
  kept->fade.Swap(fade_);
  kept->clipRegion = std::move(clipRegion_);
  clipShape_.reset();
  BackgroundColor();  // still answered once the image has gone
  kept->backgroundImage = std::move(backgroundImage_);
  ReleaseLater([kept] {
    kept->canvas.Reset();
    kept->background.Reset();
    kept->fade.Reset();
    kept->clipRegion.reset();
    kept->backgroundImage.reset();
  });
}

Gdiplus::GpImage* UiCompositor::BackgroundImage() const {
  if (look_.inheritFrom && IsWindow(look_.inheritFrom)) {
    UiWindow* lender = UiWindow::FromWindow(look_.inheritFrom);
    if (lender && lender != &host_) return lender->Compositor().OwnBackgroundImage();
  }
  return backgroundImage_.get();
}

void UiCompositor::Attach() { redrawQueue_.Init(host_.Window(), &host_); }

void UiCompositor::Forget() {
  KillTimer(host_.Window(), fadeTimerId_);  // a cross-fade in progress
  redrawQueue_.Clear();
  deferredDirty_.clear();
  ClearHeldRedraws();
}

}  // namespace ui
