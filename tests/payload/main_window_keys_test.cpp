// qingwu.exe's window from the keyboard alone: Tab reaches the settings
// button, Enter or Space opens its menu, the arrows and Enter switch an
// option (saved to settings.ini, the row's check mark follows), Escape
// closes the menu, and the window has the keys back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "payload/app/file_io.h"
#include "payload/app/main_window.h"
#include "payload/app/settings.h"
#include "tests/payload/main_window_fixture.h"
#include "tests/payload/payload_test_util.h"
#include "tests/support/test_env.h"

namespace {

std::vector<WPARAM> g_menuKeys;
bool g_menuSeen = false;

// Presses the keys in the menu window once it shows (from the menu's own loop).
void CALLBACK PressKeysWhenMenuShows(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu");
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  g_menuSeen = true;
  const std::vector<WPARAM> keys = g_menuKeys;
  for (WPARAM key : keys) {
    if (!IsWindow(menu)) break;
    SendMessageW(menu, WM_KEYDOWN, key, 0);
  }
}

class MainWindowKeysTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = qwtest::OpenMainWindow(program_, data_);
    ASSERT_NE(window_, nullptr);
    hwnd_ = window_->hwnd();
    // The pointer rests over the action log, away from where the menu
    // opens: opening the menu must not move the focus there (a menu
    // focuses the element under the pointer).
    const ui::RectF log = window_->LogEdit().Bounds();
    POINT p{static_cast<LONG>(log.x + 20), static_cast<LONG>(log.y + log.height - 10)};
    ClientToScreen(hwnd_, &p);
    SetCursorPos(p.x, p.y);
    SetForegroundWindow(hwnd_);
    qwtest::PumpPending();
  }
  void TearDown() override { window_.reset(); }

  void Key(WPARAM key) {
    SendMessageW(hwnd_, WM_KEYDOWN, key, 0);
    qwtest::PumpPending();
  }
  // Presses `opener` on the focused control and `keys` in the menu it opens;
  // true once the menu showed and is closed again.
  bool MenuByKeys(WPARAM opener, std::vector<WPARAM> keys) {
    g_menuKeys = std::move(keys);
    g_menuSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, PressKeysWhenMenuShows);
    SendMessageW(hwnd_, WM_KEYDOWN, opener, 0);
    const bool shown = qwtest::PumpUntil([&] { return g_menuSeen && !window_->Menu().Menu().IsOpen(); }, 20000);
    KillTimer(nullptr, timer);
    return shown;
  }
  std::string SettingsFile() { return qingwu::ReadFileBytes(data_ / L"settings.ini").value_or(""); }

  qwtest::ScratchFolder program_{L"program"};
  qwtest::ScratchFolder data_{L"data"};
  std::unique_ptr<qingwu::MainWindow> window_;
  HWND hwnd_ = nullptr;
};

TEST_F(MainWindowKeysTest, EnterOnTheSettingsButtonThenArrowsAndEnterSwitchAnOption) {
  Key(VK_TAB);
  ASSERT_EQ(window_->Host().FocusedElement(), &window_->SettingsButton());
  EXPECT_TRUE(window_->Host().FocusCuesShown());
  const bool logging = window_->Menu().Current().logActions;
  // Down lights 窗口置顶, Down again 记录操作 (the second row); Enter switches it.
  ASSERT_TRUE(MenuByKeys(VK_RETURN, {VK_DOWN, VK_DOWN, VK_RETURN}));
  EXPECT_EQ(window_->Menu().Current().logActions, !logging);
  EXPECT_EQ(window_->Menu().Current().alwaysOnTop, false) << "the first row was passed over";
  EXPECT_EQ(window_->Menu().Menu().ItemState(qingwu::settings_item::kLogActions),
            logging ? qingwu::SettingsMenu::kUnchecked : qingwu::SettingsMenu::kChecked);
  const std::string saved = SettingsFile();
  EXPECT_NE(saved.find(logging ? "log_actions=0" : "log_actions=1"), std::string::npos) << saved;
  // The window has the keys back, on the same button.
  EXPECT_TRUE(qwtest::PumpUntil([&] { return GetForegroundWindow() == hwnd_; }));
  EXPECT_EQ(window_->Host().FocusedElement(), &window_->SettingsButton());

  // Space opens it too; Escape closes the menu without doing anything.
  ASSERT_TRUE(MenuByKeys(VK_SPACE, {VK_DOWN, VK_ESCAPE}));
  EXPECT_TRUE(IsWindow(hwnd_));
  EXPECT_EQ(window_->Menu().Current().logActions, !logging);
  EXPECT_EQ(window_->Menu().Current().alwaysOnTop, false);
  // Up from nothing lit wraps to 退出, Up again passes the separator to
  // 清空操作记录: Enter clears the log, the window stays.
  ASSERT_GE(window_->Log().LineCount(), 1u);
  ASSERT_TRUE(MenuByKeys(VK_RETURN, {VK_UP, VK_UP, VK_RETURN}));
  EXPECT_TRUE(IsWindow(hwnd_));
  // Cleared: nothing left, or only the note of the clearing (when logging is on).
  EXPECT_TRUE(qwtest::PumpUntil([&] {
    const qingwu::ActionLog& log = window_->Log();
    return log.LineCount() == 0 || (log.LineCount() == 1 && log.Text().find("已清空") != std::string::npos);
  }));
}

}  // namespace
