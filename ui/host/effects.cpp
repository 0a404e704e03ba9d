// UiWindow: showing the window (optionally animated) and the close effect,
// played by the effects module over this host's canvas.
#include "ui/host/show_effects.h"
#include "ui/host/window.h"

namespace ui {

namespace {
constexpr int kDefaultShowMs = 200;

EffectHost EffectHostOf(UiWindow& host) {
  EffectHost e;
  e.hwnd = host.Window();
  e.canvasDc = host.CanvasDc();
  e.frameMode = host.FrameMode();
  e.windowAlpha = host.WindowAlpha();
  e.blurBehind = host.BlurBehind();
  e.setBusy = [&host](bool busy) {
    if (UiWindow::IsLive(&host)) host.SetBusy(busy);
  };
  return e;
}
}  // namespace

void UiWindow::Show(int effect, std::optional<int> durationMs) {
  if (!IsAttached()) return;
  const std::shared_ptr<bool> alive = alive_;
  ProcessPendingMessages();
  if (!*alive || !IsAttached()) return;
  RunOpenEffect(EffectHostOf(*this), effect, durationMs.value_or(kDefaultShowMs));
  if (effect == 0 || !*alive || !IsAttached()) return;
  Present(nullptr);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void UiWindow::RunCloseEffect() {
  if (closeEffect_ == 0 || !IsAttached()) return;
  ui::RunCloseEffect(EffectHostOf(*this), closeEffect_);
}

}  // namespace ui
