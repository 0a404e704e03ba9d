#pragma once
// The system DLLs that only the installer's later work needs (the
// installation, the folder dialog, shell links, starting the application:
// ui/platform/dll_preload.h). The entry point loads only those needed up to
// the first window, so that the window comes up sooner; these follow from
// the system directory as soon as the window's first frame is on the
// screen, and at the latest before any of that work starts.
#include <windows.h>

#include <functional>

#include "ui/platform/dll_preload.h"

namespace app::sys {

class LateSystemDlls {
 public:
  using LoadFn = std::function<void()>;
  // `load` does the loading, and whatever else the later work needs
  // prepared at the same moment (tests count with their own).
  explicit LateSystemDlls(LoadFn load = &ui::platform::PreloadLateSystemDlls) : load_(std::move(load)) {}
  LateSystemDlls(const LateSystemDlls&) = delete;
  LateSystemDlls& operator=(const LateSystemDlls&) = delete;
  ~LateSystemDlls() { StopWaiting(); }

  // Waits, on the calling thread, until `window` is visible, neither it
  // nor a visible child window waits for a paint and its UI host neither
  // holds nor queues a redraw, then loads them. The check runs on a thread
  // timer: its message comes only when the thread has no posted message
  // and no paint left, so it never runs ahead of the first frame; the
  // loading waits one more tick after the frame was seen drawn, so that
  // the frame has reached the display first. A window that is gone loads
  // them at the next tick.
  void LoadAfterFirstFrame(HWND window);
  // Loads them now unless this did already, and stops waiting.
  void LoadNow();
  // Stops waiting without loading them (the program is ending).
  void StopWaiting();
  bool Waiting() const { return timer_ != 0; }
  bool Loaded() const { return loaded_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
  bool FirstFrameShown() const;

  LoadFn load_;
  HWND window_ = nullptr;
  UINT_PTR timer_ = 0;
  bool frameSeen_ = false;  // the last tick found the first frame drawn
  bool loaded_ = false;
};

}  // namespace app::sys
