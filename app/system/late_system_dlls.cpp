#include "app/system/late_system_dlls.h"

#include "ui/host/window.h"

namespace app::sys {

namespace {
// The timer checks again this often until the first frame is shown.
constexpr UINT kCheckIntervalMs = 10;
// The one waiting instance (thread timers carry no pointer of their own).
LateSystemDlls* g_waiting = nullptr;
}  // namespace

void LateSystemDlls::LoadAfterFirstFrame(HWND window) {
  if (loaded_) return;
  StopWaiting();
  if (g_waiting) g_waiting->StopWaiting();
  window_ = window;
  timer_ = SetTimer(nullptr, 0, kCheckIntervalMs, &LateSystemDlls::Tick);
  if (!timer_) {
    LoadNow();  // no timer: load them now rather than never
    return;
  }
  g_waiting = this;
}

void LateSystemDlls::LoadNow() {
  StopWaiting();
  if (loaded_) return;
  loaded_ = true;
  if (load_) load_();
}

bool LateSystemDlls::FirstFrameShown() const {
  if (!IsWindow(window_)) return true;  // nothing left to wait for
  if (!IsWindowVisible(window_) || GetUpdateRect(window_, nullptr, FALSE)) return false;
  const ui::UiWindow* host = ui::UiWindow::FromWindow(window_);
  return !host || (!host->RedrawsHeld() && host->PendingRedraws() == 0);
}

void CALLBACK LateSystemDlls::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  LateSystemDlls* self = g_waiting;
  if (!self || self->timer_ != timer) {
    KillTimer(nullptr, timer);  // left over from an instance that stopped waiting
    return;
  }
  if (self->FirstFrameShown()) self->LoadNow();
}

void LateSystemDlls::StopWaiting() {
  if (timer_) KillTimer(nullptr, timer_);
  timer_ = 0;
  window_ = nullptr;
  if (g_waiting == this) g_waiting = nullptr;
}

}  // namespace app::sys
