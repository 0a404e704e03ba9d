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

namespace {
BOOL CALLBACK NoteChildWaitingForPaint(HWND child, LPARAM found) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<BOOL*>(found) = TRUE;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool LateSystemDlls::FirstFrameShown() const {
  if (!IsWindow(window_)) return true;  // nothing left to wait for
  if (!IsWindowVisible(window_) || GetUpdateRect(window_, nullptr, FALSE)) return false;
  BOOL childWaits = FALSE;
  EnumChildWindows(window_, NoteChildWaitingForPaint, reinterpret_cast<LPARAM>(&childWaits));
  if (childWaits) return false;
  const ui::UiWindow* host = ui::UiWindow::FromWindow(window_);
  return !host || (!host->RedrawsHeld() && host->PendingRedraws() == 0);
}

void CALLBACK LateSystemDlls::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  LateSystemDlls* self = g_waiting;
  if (!self || self->timer_ != timer) {
    KillTimer(nullptr, timer);  // left over from an instance that stopped waiting
    return;
  }
  if (!self->FirstFrameShown()) {
    self->frameSeen_ = false;
    return;
  }
  // The first tick that sees the frame drawn sends it to the display; the
  // next one, after the thread has waited for messages again, loads them:
  // the frame is on the screen before the loading starts.
  if (!self->frameSeen_) {
    self->frameSeen_ = true;
    GdiFlush();
    return;
  }
  self->LoadNow();
}

void LateSystemDlls::StopWaiting() {
  if (timer_) KillTimer(nullptr, timer_);
  timer_ = 0;
  window_ = nullptr;
  frameSeen_ = false;
  if (g_waiting == this) g_waiting = nullptr;
}

}  // namespace app::sys
