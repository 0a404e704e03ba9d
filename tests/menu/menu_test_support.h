#pragma once
// Driving a popup menu from inside its own local loop: Show only returns
// once the menu is closed, so each test hands a script that runs (from a
// timer of the loop) once the menu window is visible.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "tests/support/test_env.h"
#include "ui/controls/menu_item.h"
#include "ui/controls/menu_show.h"
#include "ui/core/menu.h"
#include "ui/element/element.h"
#include "ui/host/window.h"

namespace qwtest {

// A hosted owner window with one element covering its left half; records
// every WM_COMMAND and message 10240 it receives.
class MenuOwner {
 public:
  MenuOwner(int x = 40, int y = 40, int width = 300, int height = 200);
  HWND hwnd() const { return window_.hwnd(); }
  ui::ElementHandle element() const { return element_.GetHandle(); }
  // Puts the real cursor over the element.
  void PointAtElement() const;
  void DestroyWindowNow() { DestroyWindow(window_.hwnd()); }

  struct Command {
    WPARAM id;
    LPARAM lParam;
  };
  std::vector<Command> commands;
  std::vector<LPARAM> elementNotices;  // lParam of each message 10240
  // Called after each record: with the command identifier, and with the
  // element of each message 10240.
  std::function<void(WPARAM)> onCommand;
  std::function<void(LPARAM)> onElementNotice;

 private:
  TestWindow window_;
  ui::UiWindow host_;
  ui::UiElement element_;
};

// The windows a show created, in order (top level flag beside each).
struct MenuWindows {
  struct Entry {
    HWND hwnd;
    bool topLevel;
    RECT rect;
    DWORD tick;
  };
  std::vector<Entry> entries;
  HWND root() const { return entries.empty() ? nullptr : entries.front().hwnd; }
};

// Records the windows of `menu` (and of each menu in `submenus`) through
// their popup handlers.
void RecordWindows(ui::UiMenu& menu, MenuWindows& into);

// Shows `menu` and runs `script(menuWindow)` from inside its loop once the
// window is visible. A menu the script leaves open is closed afterwards;
// returns false in that case (or when the menu never showed).
bool ShowAndRun(ui::UiMenu& menu, HWND owner, int x, int y,
                const std::function<void(HWND)>& script);

// The menu rows of a menu window, top to bottom.
std::vector<ui::UiMenuItem*> MenuRows(HWND menuWindow);
ui::UiMenuItem* RowWithText(HWND menuWindow, const wchar_t* text);

// Posts a move, press and release at the centre of `row`.
void PostClick(HWND menuWindow, const ui::UiElement& row);
LPARAM CentreOf(const ui::UiElement& row);
// Puts the real cursor over `row` (20 px from its left) and posts the move.
void PointAt(HWND window, const ui::UiElement& row);

// Runs `script(submenuWindow)` from inside the submenu's own loop once it
// is visible (the submenu loop runs nested in the parent's). Takes the
// submenu's popup handler.
class SubmenuScript {
 public:
  SubmenuScript(ui::UiMenu& sub, std::function<void(HWND)> script) : script_(std::move(script)) {
    sub.SetPopupHandler([](HWND hwnd, bool) {
      pending_ = hwnd;
      SetTimer(nullptr, 0, 10, Tick);
    });
    current_ = this;
  }
  SubmenuScript(const SubmenuScript&) = delete;
  SubmenuScript& operator=(const SubmenuScript&) = delete;
  ~SubmenuScript() { current_ = nullptr; }
  bool ran() const { return ran_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    if (IsWindow(pending_) && !IsWindowVisible(pending_)) return;
    KillTimer(nullptr, id);
    if (!current_ || !IsWindow(pending_)) return;
    current_->ran_ = true;
    current_->script_(pending_);
  }
  static inline HWND pending_ = nullptr;
  static inline SubmenuScript* current_ = nullptr;
  std::function<void(HWND)> script_;
  bool ran_ = false;
};

}  // namespace qwtest
