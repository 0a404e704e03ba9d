#pragma once
// Hands work from another thread to the UI thread and waits for it: a
// blocking SendMessage to a hidden form-layer window created on the UI
// thread. The installer's extraction worker reports its progress this way,
// so every change to the controls happens on the UI thread while the worker
// waits.
#include <windows.h>

#include <deque>
#include <functional>

#include "app/form/message_window.h"

namespace app::form {

class UiThreadRelay {
 public:
  // Create on the UI thread; tasks run there.
  UiThreadRelay();
  UiThreadRelay(const UiThreadRelay&) = delete;
  UiThreadRelay& operator=(const UiThreadRelay&) = delete;

  // Runs `task` on the UI thread and returns when it has run (true). False
  // at once when the relay window no longer exists, e.g. because the UI
  // thread has ended: the caller then just stops.
  static bool Run(HWND relay, const std::function<void()>& task);
  // On the UI thread: runs `task` there later, after the messages already
  // waiting (work for a moment when the thread would otherwise be idle).
  // Tasks still waiting when the relay is destroyed are dropped.
  void RunLater(std::function<void()> task);
  HWND hwnd() const { return window_.hwnd(); }

 private:
  static constexpr UINT kRunTask = WM_APP + 0x51;
  static constexpr UINT kRunLater = WM_APP + 0x52;
  static constexpr LRESULT kRan = 0x5157;
  void RunWaitingTasks();
  std::deque<std::function<void()>> later_;
  MessageWindow window_;
};

}  // namespace app::form
