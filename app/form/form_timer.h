#pragma once
// A timer of the start window's form (the installer's shortcut timer is
// one): setting a non-zero interval starts it (or restarts it with the new
// interval), setting 0 stops it. Its ticks run on the thread that created it.
// It ticks through a hidden window of its own, so its timer id never reaches
// the UI host, which would take it for an element handle.
#include <windows.h>

#include <functional>

#include "app/form/message_window.h"

namespace app::form {

class FormTimer {
 public:
  FormTimer();
  FormTimer(const FormTimer&) = delete;
  FormTimer& operator=(const FormTimer&) = delete;
  ~FormTimer();

  // The timer's event; it may change the interval (or stop the timer).
  void OnTick(std::function<void()> handler) { onTick_ = std::move(handler); }

  // Milliseconds; 0 stops the timer. False when the system refused the timer.
  bool SetInterval(UINT milliseconds);
  UINT Interval() const { return interval_; }
  // The hidden window that receives the ticks (for tests).
  HWND TickWindow() const { return window_.hwnd(); }

 private:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  static constexpr UINT_PTR kTimerId = 1;
  std::function<void()> onTick_;
  UINT interval_ = 0;
  MessageWindow window_;  // owns the timer: KillTimer happens with the window
};

}  // namespace app::form
