#include "app/form/ui_thread_relay.h"

namespace app::form {

UiThreadRelay::UiThreadRelay()
    : window_([](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message != kRunTask || lParam == 0) return false;
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        result = kRan;
        return true;
      }) {}

bool UiThreadRelay::Run(HWND relay, const std::function<void()>& task) {
  if (!relay || !task) return false;
  // SendMessage returns 0 at once for a window that is gone.
  return SendMessageW(relay, kRunTask, 0, reinterpret_cast<LPARAM>(&task)) == kRan;
}

}  // namespace app::form
