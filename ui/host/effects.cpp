// UiWindow: showing the window (optionally animated) and the close effect,
// played by the effects module over this host's canvas.
//
// An effect pumps the thread's messages every frame. One effect runs at a
// time: a close request (or another Show) that arrives meanwhile asks the
// running effect to end at its next frame instead of starting a second one
// inside it.
#include "ui/host/show_effects.h"
#include "ui/host/window.h"

namespace ui {

namespace {
constexpr int kDefaultShowMs = 200;
// Show handles at most this many of its window's pending messages, so that
// a window that keeps posting to itself cannot hold it up for ever.
constexpr int kShowMessageLimit = 10000;

EffectHost EffectHostOf(UiWindow& host) {
  EffectHost e;
  e.hwnd = host.Window();
  e.canvasDc = host.CanvasDc();
  e.owner = WeakRef<UiWindow>(&host);
  e.frameMode = host.FrameMode();
  e.windowAlpha = host.WindowAlpha();
  e.blurBehind = host.BlurBehind();
  const WeakRef<UiWindow> owner(&host);
  e.setBusy = [owner](bool busy) {
    if (UiWindow* h = owner.get()) h->SetBusy(busy);
  };
  return e;
}

// Handles the pending messages of `hwnd` (and of nothing else): a quit
// request or another window's message stays queued for the loop that
// owns it.
void ProcessWindowMessages(HWND hwnd) {
  MSG msg;
  for (int n = 0; n < kShowMessageLimit && PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace

void UiWindow::Show(int effect, std::optional<int> durationMs) {
  if (!IsAttached()) return;
  // Whatever the pumps below destroy is released once Show has returned.
  DispatchScope scope;
  const WeakRef<UiWindow> alive(this);
  if (effectRunning_) {
    effectStop_ = true;  // never nests: the running effect ends, the window shows plainly
    effect = 0;
  }
  ProcessWindowMessages(hwnd_);
  if (!alive) return;
  if (effect == 0) {
    RunOpenEffect(EffectHostOf(*this), 0, 0);
    return;
  }
  effectRunning_ = true;
  effectStop_ = false;
  RunOpenEffect(EffectHostOf(*this), effect, durationMs.value_or(kDefaultShowMs));
  if (!alive) return;
  const bool stopped = effectStop_;
  effectRunning_ = effectStop_ = false;
  if (stopped) return;
  Present(nullptr);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void UiWindow::RunCloseEffect() {
  if (effectRunning_) {
    effectStop_ = true;  // ends the running effect; a second one never starts inside it
    return;
  }
  if (closeEffect_ == 0 || !IsAttached()) return;
  const WeakRef<UiWindow> alive(this);
  effectRunning_ = true;
  effectStop_ = false;
  ui::RunCloseEffect(EffectHostOf(*this), closeEffect_);
  if (!alive) return;
  effectRunning_ = effectStop_ = false;
}

}  // namespace ui
