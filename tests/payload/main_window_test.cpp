// The main window in this process, driven through real window messages:
// its host and controls, the buttons, the settings menu with its check
// item, the file check, Tab and accelerator keys, saving and closing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "payload/app/file_io.h"
#include "payload/app/main_window.h"
#include "payload/app/settings.h"
#include "tests/menu/menu_test_support.h"
#include "tests/payload/main_window_fixture.h"
#include "tests/payload/payload_test_util.h"
#include "tests/support/test_env.h"
#include "ui/core/text.h"

namespace {

LPARAM CentreOf(const ui::UiElement& e) {
  return MAKELPARAM(e.Left() + e.Width() / 2, e.Top() + e.Height() / 2);
}

void PostClick(HWND hwnd, const ui::UiElement& e) {
  PostMessageW(hwnd, WM_MOUSEMOVE, 0, CentreOf(e));
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(e));
  PostMessageW(hwnd, WM_LBUTTONUP, 0, CentreOf(e));
}

bool LogHas(const qingwu::ActionLog& log, const std::string& text) {
  return log.Text().find(text) != std::string::npos;
}

// Clicks the menu row `row` once a menu window shows (from a thread timer,
// since the menu runs a loop of its own).
std::wstring g_rowToClick;
void CALLBACK ClickRowWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu");
  if (!menu || !IsWindowVisible(menu)) return;
  ui::UiMenuItem* row = qwtest::RowWithText(menu, g_rowToClick.c_str());
  if (!row) return;
  KillTimer(nullptr, id);
  qwtest::PostClick(menu, *row);
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    // An installation with every file but the resource pack.
    window_ = qwtest::OpenMainWindow(program_, data_);
    ASSERT_NE(window_, nullptr);
    hwnd_ = window_->hwnd();
  }
  void TearDown() override { window_.reset(); }

  qwtest::ScratchFolder program_{L"program"};
  qwtest::ScratchFolder data_{L"data"};
  std::unique_ptr<qingwu::MainWindow> window_;
  HWND hwnd_ = nullptr;
};

TEST_F(MainWindowTest, IsALayeredHostWithCaptionButtonsAndAnAnimatedLogo) {
  wchar_t cls[64] = {}, title[64] = {};
  GetClassNameW(hwnd_, cls, 64);
  GetWindowTextW(hwnd_, title, 64);
  EXPECT_STREQ(cls, L"QingwuAccelerator");
  EXPECT_STREQ(title, L"青梧网游加速器");
  EXPECT_TRUE(IsWindowVisible(hwnd_));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
  ui::UiWindow& host = window_->Host();
  EXPECT_EQ(host.CaptionButtons().size(), 3u);
  EXPECT_TRUE(host.CaptionFlags() & ui::caption::kShadow);
  EXPECT_EQ(host.CloseEffect(), 1);
  EXPECT_GT(window_->Logo().FrameCount(), 1);
  EXPECT_GT(window_->Logo().FrameTimerPeriod(), 0u);
  EXPECT_TRUE(window_->Logo().Animate());
  const int first = window_->Logo().ShownFrame();
  EXPECT_TRUE(qwtest::PumpUntil([&] { return window_->Logo().ShownFrame() != first; }, 10000));
  // Both edit boxes are multi-line with both scroll bars; the log is read-only.
  EXPECT_TRUE(window_->NotesEdit().MultiLine());
  EXPECT_EQ(window_->NotesEdit().ScrollBars(), 3);
  EXPECT_EQ(window_->LogEdit().ScrollBars(), 3);
  EXPECT_EQ(window_->LogEdit().Mode(), ui::EditMode::ReadOnly);
  EXPECT_TRUE(LogHas(window_->Log(), "程序启动"));
  EXPECT_EQ(window_->LogEdit().Text(), window_->Log().Text());
  EXPECT_EQ(window_->SettingsButton().TipText(), "设置与更多操作（Alt+M）");
}

// The text of the tooltip's current tool; empty when it has none.
std::wstring TooltipText(HWND tooltip) {
  if (!tooltip || SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) < 1) return {};
  wchar_t text[256] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.lpszText = text;
  if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) return {};
  return text;
}

TEST_F(MainWindowTest, TheLogoComesToRestAndPlaysAgainUnderTheMouse) {
  ui::UiPicture& logo = window_->Logo();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !logo.Animate(); }, 20000));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return logo.ShownFrame() == 1; }, 5000));
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, CentreOf(logo));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return logo.Animate(); }, 5000));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return logo.ShownFrame() > 1; }, 5000));
}

TEST_F(MainWindowTest, HoveringAButtonGivesTheWindowItsTooltip) {
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, CentreOf(window_->SaveButton()));
  EXPECT_TRUE(qwtest::PumpUntil(
      [&] { return TooltipText(window_->Host().TooltipWindow()) == L"把笔记保存到本机（Alt+S）"; }, 5000));
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, CentreOf(window_->CheckButton()));
  EXPECT_TRUE(qwtest::PumpUntil(
      [&] { return TooltipText(window_->Host().TooltipWindow()) == L"检查安装文件夹中的文件是否齐全（Alt+C）"; },
      5000));
}

TEST_F(MainWindowTest, TheNotesHintShowsOnlyWhileTheNotesAreEmpty) {
  EXPECT_TRUE(window_->NotesHint().Visible());
  EXPECT_TRUE(window_->NotesHint().Disabled());  // never in the way of a click
  window_->NotesEdit().Text("a");
  EXPECT_FALSE(window_->NotesHint().Visible());
  window_->NotesEdit().Text("");
  EXPECT_TRUE(window_->NotesHint().Visible());
  // A click on the hint reaches the edit box below it.
  const ui::RectF hint = window_->NotesHint().Bounds();
  EXPECT_EQ(window_->Host().HitTest(hint.x + 5, hint.y + 5), &window_->NotesEdit());
}

TEST_F(MainWindowTest, TheCheckButtonWalksThroughTheFilesAndReportsTheGap) {
  PostClick(hwnd_, window_->CheckButton());
  ASSERT_TRUE(qwtest::PumpUntil([&] { return LogHas(window_->Log(), "检查完成"); }, 20000));
  EXPECT_FALSE(window_->CheckRunning());
  EXPECT_EQ(window_->CheckProgress().Position(), 100);
  EXPECT_EQ(window_->CheckStatus().Text(), "缺少 1 个文件：resources.pak");
  EXPECT_FALSE(window_->CheckButton().Disabled());
  // Now with the missing file in place.
  ASSERT_TRUE(program_.Put(L"resources.pak", "12"));
  window_->StartFileCheck();
  EXPECT_TRUE(window_->CheckButton().Disabled());
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !window_->CheckRunning(); }, 20000));
  EXPECT_EQ(window_->CheckStatus().Text().rfind("全部 8 个文件齐全", 0), 0u) << window_->CheckStatus().Text();
}

TEST_F(MainWindowTest, TheSettingsButtonOpensTheMenuAndTheCheckItemIsKept) {
  g_rowToClick = L"窗口置顶(&T)";
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, ClickRowWhenShown);
  PostClick(hwnd_, window_->SettingsButton());
  const bool toggled = qwtest::PumpUntil([&] { return window_->CurrentSettings().alwaysOnTop; }, 20000);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(toggled);
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !window_->Menu().Menu().IsOpen(); }, 10000));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(window_->Menu().Menu().ItemState(qingwu::settings_item::kAlwaysOnTop), qingwu::SettingsMenu::kChecked);
  EXPECT_TRUE(qingwu::LoadSettings(window_->SettingsPath()).alwaysOnTop);
  EXPECT_TRUE(LogHas(window_->Log(), "打开设置菜单"));
  EXPECT_TRUE(LogHas(window_->Log(), "窗口置顶：已开启"));

  // A new window reads the option back.
  window_.reset();
  qingwu::MainWindow again({program_.path(), data_.path()});
  ASSERT_TRUE(again.Create(GetModuleHandleW(nullptr), false));
  EXPECT_TRUE(again.CurrentSettings().alwaysOnTop);
  EXPECT_EQ(again.Menu().Menu().ItemState(qingwu::settings_item::kAlwaysOnTop), qingwu::SettingsMenu::kChecked);
}

TEST_F(MainWindowTest, AltMOpensTheMenuAndItsExitItemClosesTheWindow) {
  g_rowToClick = L"退出(&X)";
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, ClickRowWhenShown);
  SendMessageW(hwnd_, WM_SYSCHAR, 'm', 0);
  const bool closed = qwtest::PumpUntil([&] { return !IsWindow(hwnd_); }, 20000);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(closed);
  EXPECT_TRUE(LogHas(window_->Log(), "打开设置菜单"));
  EXPECT_TRUE(LogHas(window_->Log(), "关闭窗口"));
}

TEST_F(MainWindowTest, LoggingSwitchedOffRecordsTheSwitchButNothingAfter) {
  window_->Menu().Toggle(qingwu::settings_item::kLogActions);
  EXPECT_TRUE(LogHas(window_->Log(), "记录操作：已关闭"));
  const std::size_t lines = window_->Log().LineCount();
  window_->ClearLog();
  window_->SaveNotes();
  EXPECT_EQ(window_->Log().LineCount(), 0u);
  window_->Menu().Toggle(qingwu::settings_item::kLogActions);
  EXPECT_EQ(window_->Log().LineCount(), 1u);
  EXPECT_GT(lines, 1u);
}

TEST_F(MainWindowTest, TabWalksTheControlsAndAltKeysPressTheButtons) {
  ui::UiWindow& host = window_->Host();
  auto tab = [&] {
    SendMessageW(hwnd_, WM_KEYDOWN, VK_TAB, 0);
    qwtest::PumpPending();
    return host.FocusedElement();
  };
  EXPECT_EQ(tab(), &window_->SettingsButton());
  EXPECT_EQ(tab(), &window_->CheckButton());
  EXPECT_EQ(tab(), &window_->NotesEdit());

  window_->NotesEdit().Text("第一行\r\n第二行");
  SendMessageW(hwnd_, WM_SYSCHAR, 's', 0);  // Alt+S: save
  ASSERT_TRUE(qwtest::PumpUntil([&] { return LogHas(window_->Log(), "笔记已保存"); }, 5000));
  EXPECT_EQ(qingwu::ReadFileBytes(window_->NotesPath()), "第一行\r\n第二行");

  SendMessageW(hwnd_, WM_SYSCHAR, 'C', 0);  // Alt+C: check (either case)
  EXPECT_TRUE(qwtest::PumpUntil([&] { return LogHas(window_->Log(), "开始检查安装文件"); }, 5000));
  SendMessageW(hwnd_, WM_SYSCHAR, 'l', 0);  // Alt+L: clear the log
  EXPECT_TRUE(qwtest::PumpUntil([&] { return window_->Log().LineCount() <= 2; }, 5000));
  EXPECT_TRUE(LogHas(window_->Log(), "已清空操作记录"));
}

TEST_F(MainWindowTest, ClosingSavesChangedNotesAndEndsTheWindow) {
  window_->NotesEdit().Text("记得更新驱动");
  // The edit reports the change as a typed one would.
  window_->NotesEdit().NotifyChanged();
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !IsWindow(hwnd_); }, 10000));
  EXPECT_EQ(window_->hwnd(), nullptr);
  EXPECT_EQ(qingwu::ReadFileBytes(window_->NotesPath()), "记得更新驱动");
  const auto log = qingwu::ReadFileBytes(window_->LogPath());
  ASSERT_TRUE(log);
  EXPECT_NE(log->find("关闭窗口"), std::string::npos);
}

TEST_F(MainWindowTest, SavedNotesComeBackInANewWindow) {
  ASSERT_TRUE(qingwu::WriteFileBytes(window_->NotesPath(), "旧笔记\r\n第二行"));
  window_.reset();
  qingwu::MainWindow again({program_.path(), data_.path()});
  ASSERT_TRUE(again.Create(GetModuleHandleW(nullptr), false));
  EXPECT_EQ(again.NotesEdit().Text(), "旧笔记\r\n第二行");
  EXPECT_EQ(again.NotesEdit().TextStore().LineCount(), 2);
}

TEST_F(MainWindowTest, MaximisingLaysTheRightCardOutAgain) {
  const ui::RectF before = window_->NotesEdit().Bounds();
  SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return IsZoomed(hwnd_); }, 5000));
  qwtest::PumpPending();
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const qingwu::MainLayout l = qingwu::ComputeLayout(r.right - r.left, r.bottom - r.top);
  EXPECT_EQ(window_->NotesEdit().Width(), l.notesEdit.width);
  EXPECT_EQ(window_->ClearButton().Left(), l.clearButton.x);
  EXPECT_GE(window_->NotesEdit().Width(), static_cast<int>(before.width));
}

}  // namespace
