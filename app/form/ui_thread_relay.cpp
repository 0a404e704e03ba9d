#include "app/form/ui_thread_relay.h"

namespace app::form {

UiThreadRelay::UiThreadRelay()
    : window_([this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message == kRunLater) {
          RunWaitingTasks();
          return true;
        }
        if (message != kRunTask || lParam == 0) return false;
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        result = kRan;
        return true;
      }) {}

void UiThreadRelay::RunLater(std::function<void()> task) {
  if (!task) return;
  later_.push_back(std::move(task));
  // One message per task; a message whose task already ran finds none.
  if (!PostMessageW(window_.hwnd(), kRunLater, 0, 0)) later_.pop_back();
}

void UiThreadRelay::RunWaitingTasks() {
  if (later_.empty()) return;
  std::function<void()> task = std::move(later_.front());
  later_.pop_front();
  task();
}

bool UiThreadRelay::Run(HWND relay, const std::function<void()>& task) {
  if (!relay || !task) return false;
  // SendMessage returns 0 at once for a window that is gone.
  return SendMessageW(relay, kRunTask, 0, reinterpret_cast<LPARAM>(&task)) == kRan;
}

}  // namespace app::form
