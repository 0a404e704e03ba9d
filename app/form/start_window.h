#pragma once
// The start window: the installer's one top-level window, 588 x 438 at
// (50, 50), made by this small form layer, with its form components: the
// two transparent labels and the shortcut timer. The UI host takes it over
// and draws all of it, the labels included (DrawLabelsWith).
#include <windows.h>

#include <functional>

#include "app/form/form_timer.h"
#include "app/form/transparent_label.h"

namespace ui {
class UiWindow;
}

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

  // Creates the window (non-modal, no parent) and its labels, raises
  // `onCreated` with its handle, then shows it. False when the window could
  // not be created.
  bool Load(const std::function<void(HWND)>& onCreated);
  HWND Handle() const { return hwnd_; }
  // Destroys the window (if it still exists).
  void Close();

  // Once the UI host has taken the window over: the two labels are drawn
  // over every frame it composes, and a label that changes has the host
  // compose its old and new area again.
  void DrawLabelsWith(ui::UiWindow& host);

  // 透明标签1: "安装位置：" above the folder field.
  form::TransparentLabel& locationLabel() { return locationLabel_; }
  // 透明标签2: the installation's status line, hidden until it starts.
  form::TransparentLabel& statusLabel() { return statusLabel_; }
  // 延迟时钟创建图标: the timer that creates the shortcuts after the finish.
  form::FormTimer& shortcutTimer() { return shortcutTimer_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;  // owned: destroyed by Close or the destructor
  form::TransparentLabel locationLabel_;
  form::TransparentLabel statusLabel_;
  form::FormTimer shortcutTimer_;
};

// The form data of the two labels.
form::TransparentLabel::Spec LocationLabelSpec();
form::TransparentLabel::Spec StatusLabelSpec();

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace app
