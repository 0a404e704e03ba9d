#include "app/form/form_timer.h"

namespace app::form {

FormTimer::FormTimer()
    : window_([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return HandleMessage(message, wParam, lParam, result);
      }) {}

FormTimer::~FormTimer() { SetInterval(0); }

bool FormTimer::SetInterval(UINT milliseconds) {
  if (!window_.hwnd()) return false;
  if (milliseconds == 0) {
    if (interval_ != 0) KillTimer(window_.hwnd(), kTimerId);
    interval_ = 0;
    return true;
  }
  if (SetTimer(window_.hwnd(), kTimerId, milliseconds, nullptr) == 0) {
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
