#include "app/form/form_timer.h"

namespace app::form {

FormTimer::FormTimer()
    : window_([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return HandleMessage(message, wParam, lParam, result);
      }) {}

FormTimer::~FormTimer() { SetInterval(0); }

bool FormTimer::SetInterval(UINT milliseconds) {
  if (milliseconds == 0) {
    // A timer that never ran has no window to stop it on (nor needs one).
    if (interval_ != 0) KillTimer(window_.hwnd(), kTimerId);
    interval_ = 0;
    return true;
  }
  const HWND window = window_.hwnd();
  if (!window) return false;
  if (SetTimer(window, kTimerId, milliseconds, nullptr) == 0) {
    interval_ = 0;
    return false;
  }
  interval_ = milliseconds;
  return true;
}

bool FormTimer::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_TIMER || wParam != kTimerId) return false;
  result = 0;
  // A tick already queued when the timer was stopped is dropped.
  if (interval_ != 0 && onTick_) onTick_();
  return true;
}

}  // namespace app::form
