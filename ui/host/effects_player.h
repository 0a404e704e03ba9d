#pragma once
// UiEffectsPlayer: plays a host's show and close effects (the animations
// themselves are in show_effects.h) and keeps one effect at a time: a
// close request (or another Show) that arrives while one runs asks it to
// end at its next frame instead of starting a second one inside it.
// Owned by the UiWindow it serves.
#include <optional>

namespace ui {

class UiWindow;

class UiEffectsPlayer {
 public:
  explicit UiEffectsPlayer(UiWindow& host) : host_(host) {}
  UiEffectsPlayer(const UiEffectsPlayer&) = delete;
  UiEffectsPlayer& operator=(const UiEffectsPlayer&) = delete;

  // Shows the window; effect 0 plainly. Handles the window's own pending
  // messages first. Asked while an effect runs, it ends that effect and
  // shows the window plainly.
  void Show(int effect, std::optional<int> durationMs);
  // Plays the close effect (WM_CLOSE); asked while an effect runs, it
  // only ends that effect.
  void PlayCloseEffect();

  void SetCloseEffect(int effect) { closeEffect_ = effect; }
  int CloseEffect() const { return closeEffect_; }
  bool Running() const { return running_; }
  bool StopRequested() const { return stop_; }
  // The host detached: a running effect sees the host gone at its next
  // frame and ends there.
  void Forget() { running_ = stop_ = false; }

 private:
  UiWindow& host_;
  int closeEffect_ = 0;
  bool running_ = false;  // an open or close effect is on the stack
  bool stop_ = false;     // ... and was asked to end
};

}  // namespace ui
