#pragma once
// The start window: the installer's one top-level window, 588 x 438 at
// (50, 50), made by this small form layer. The UI host takes it over.
#include <windows.h>

#include <functional>

namespace app {

class StartWindow {
 public:
  static constexpr int kLeft = 50;
  static constexpr int kTop = 50;
  static constexpr int kWidth = 588;
  static constexpr int kHeight = 438;

  StartWindow() = default;
  StartWindow(const StartWindow&) = delete;
  StartWindow& operator=(const StartWindow&) = delete;
  ~StartWindow();

  // Creates the window (non-modal, no parent), raises `onCreated` with its
  // handle, then shows it. False when the window could not be created.
  bool Load(const std::function<void(HWND)>& onCreated);
  HWND Handle() const { return hwnd_; }
  // Destroys the window (if it still exists).
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;  // owned: destroyed by Close or the destructor
};

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace app
