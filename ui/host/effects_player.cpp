// Every effect pumps the thread's messages each frame, and what they run
// may detach or delete the host, and this player with it: after each pump
// the host's liveness is checked before the player's own state is touched.
#include "ui/host/effects_player.h"

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
  e.scale = host.Scale();
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

void UiEffectsPlayer::Show(int effect, std::optional<int> durationMs) {
  if (!host_.IsAttached()) return;
  // Whatever the pumps below destroy is released once Show has returned.
  DispatchScope scope;
  const WeakRef<UiWindow> alive(&host_);
  if (running_) {
    stop_ = true;  // never nests: the running effect ends, the window shows plainly
    effect = 0;
  }
  const HWND hwnd = host_.Window();
  ProcessWindowMessages(hwnd);
  if (!alive) return;
  if (effect == 0) {
    RunOpenEffect(EffectHostOf(host_), 0, 0);
    return;
  }
  running_ = true;
  stop_ = false;
  RunOpenEffect(EffectHostOf(host_), effect, durationMs.value_or(kDefaultShowMs));
  if (!alive) return;
  const bool stopped = stop_;
  running_ = stop_ = false;
  if (stopped) return;
  host_.Present(nullptr);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void UiEffectsPlayer::PlayCloseEffect() {
  if (running_) {
    stop_ = true;  // ends the running effect; a second one never starts inside it
    return;
  }
  if (closeEffect_ == 0 || !host_.IsAttached()) return;
  const WeakRef<UiWindow> alive(&host_);
  running_ = true;
  stop_ = false;
  RunCloseEffect(EffectHostOf(host_), closeEffect_);
  if (!alive) return;
  running_ = stop_ = false;
}

}  // namespace ui
