#pragma once
// A hidden message-only window of the form layer. It receives the form's own
// timer ticks and the messages other threads hand to the UI thread, so none
// of them ever passes through the UI host's window procedure (which treats
// timer ids as element handles).
#include <windows.h>

#include <functional>

namespace app::form {

class MessageWindow {
 public:
  // Answers a message: true when handled, with the result for the sender in
  // `result`; false lets the default window procedure answer it.
  using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

  // The window belongs to the calling thread; its messages run there.
  explicit MessageWindow(Handler handler);
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  ~MessageWindow();

  // The window, made at the first call on the constructing thread: an
  // object that never needs it (a timer never started) costs the program's
  // start no round trip to the window system. Null when creation failed,
  // or when first asked for from another thread.
  HWND hwnd() const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  DWORD thread_;
  mutable HWND hwnd_ = nullptr;  // owned: destroyed with the object
};

}  // namespace app::form
