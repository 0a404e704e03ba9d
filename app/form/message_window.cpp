#include "app/form/message_window.h"

namespace app::form {

namespace {
constexpr wchar_t kClassName[] = L"QingwuFormMessageWindow";

bool RegisterMessageClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window after creation
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}
}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)), thread_(GetCurrentThreadId()) {}

HWND MessageWindow::hwnd() const {
  if (hwnd_ || GetCurrentThreadId() != thread_ || !RegisterMessageClass()) return hwnd_;
  hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return nullptr;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(const_cast<MessageWindow*>(this)));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageWindow::Proc));
  return hwnd_;
}

MessageWindow::~MessageWindow() {
  if (!hwnd_) return;
  // Detach first: messages that arrive while the window goes away find no object.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

LRESULT CALLBACK MessageWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  if (self && self->handler_ && self->handler_(message, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace app::form
