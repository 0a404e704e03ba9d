// The main window at 150 % in this process (a DPI change sent to it, as
// the system sends when the window moves to such a display): the window,
// its buttons, the settings menu and the notes edit at device positions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "payload/app/main_window.h"
#include "payload/app/settings.h"
#include "tests/menu/menu_test_support.h"
#include "tests/payload/payload_test_util.h"
#include "tests/support/test_env.h"

namespace {

SIZE SizeOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// Device point of an element's centre.
LPARAM DeviceCentre(const ui::UiWindow& host, const ui::UiElement& e) {
  const ui::DisplayScale s = host.Scale();
  return MAKELPARAM(s.ToDevice(e.Left() + e.Width() / 2.0f), s.ToDevice(e.Top() + e.Height() / 2.0f));
}

// What the menu showed, recorded from a timer of its loop; the row named
// `clickRow` is then clicked at its device centre.
struct MenuVisit {
  std::wstring clickRow;
  bool seen = false;
  int quarters = 0;
  RECT rect{};
  SIZE logical{};
  SIZE rowBitmap{};
  float rowWidth = 0, rowHeight = 0;
};
MenuVisit* g_visit = nullptr;

void CALLBACK VisitMenuWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu");
  if (!menu || !IsWindowVisible(menu) || !g_visit) return;
  ui::UiWindow* host = ui::UiWindow::FromWindow(menu);
  ui::UiMenuItem* row = qwtest::RowWithText(menu, g_visit->clickRow.c_str());
  if (!host || !row) return;
  KillTimer(nullptr, id);
  g_visit->seen = true;
  g_visit->quarters = host->Scale().Quarters();
  GetWindowRect(menu, &g_visit->rect);
  g_visit->logical = host->LogicalSize();
  UINT w = 0, h = 0;
  ui::gp::GdipGetImageWidth(reinterpret_cast<Gdiplus::GpImage*>(row->Bitmap()), &w);
  ui::gp::GdipGetImageHeight(reinterpret_cast<Gdiplus::GpImage*>(row->Bitmap()), &h);
  g_visit->rowBitmap = SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
  g_visit->rowWidth = row->Bounds().width;
  g_visit->rowHeight = row->Bounds().height;
  const LPARAM at = DeviceCentre(*host, *row);
  PostMessageW(menu, WM_MOUSEMOVE, 0, at);
  PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(menu, WM_LBUTTONUP, 0, at);
}

class MainWindowAt150 : public testing::Test {
 protected:
  void SetUp() override {
    for (const std::wstring& name : qingwu::InstalledFileNames())
      if (name != L"resources.pak") ASSERT_TRUE(program_.Put(name, "x"));
    window_ = std::make_unique<qingwu::MainWindow>(qingwu::MainWindowPaths{program_.path(), data_.path()});
    ASSERT_TRUE(window_->Create(GetModuleHandleW(nullptr), false));
    window_->Show();
    hwnd_ = window_->hwnd();
    unscaled_ = SizeOf(hwnd_);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    RECT suggested{r.left, r.top, r.left + unscaled_.cx * 3 / 2, r.top + unscaled_.cy * 3 / 2};
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    qwtest::PumpPending();
  }
  void TearDown() override {
    g_visit = nullptr;
    window_.reset();
  }

  qwtest::ScratchFolder program_{L"program"};
  qwtest::ScratchFolder data_{L"data"};
  std::unique_ptr<qingwu::MainWindow> window_;
  HWND hwnd_ = nullptr;
  SIZE unscaled_{};
};

}  // namespace

TEST_F(MainWindowAt150, TheWindowAndItsControlsTakeTheScale) {
  ui::UiWindow& host = window_->Host();
  EXPECT_EQ(host.Scale().Quarters(), 6);
  EXPECT_EQ(SizeOf(hwnd_).cx, unscaled_.cx * 3 / 2);
  EXPECT_EQ(host.LogicalSize().cx, unscaled_.cx);
  EXPECT_EQ(host.LogicalSize().cy, unscaled_.cy);
  // Laid out in logical pixels as before: the notes edit keeps its place.
  const ui::RectF notes = window_->NotesEdit().Bounds();
  EXPECT_EQ(host.HitTest(notes.x + 5, notes.y + 5), &window_->NotesEdit());
  // The save button answers a click at its device centre.
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, DeviceCentre(host, window_->CheckButton()));
  PostMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, DeviceCentre(host, window_->CheckButton()));
  PostMessageW(hwnd_, WM_LBUTTONUP, 0, DeviceCentre(host, window_->CheckButton()));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return window_->CheckRunning() || window_->CheckProgress().Position() > 0; }, 10000));
}

TEST_F(MainWindowAt150, TheSettingsMenuOpensScaledUnderItsButtonAndItsRowsAnswerThere) {
  MenuVisit visit;
  visit.clickRow = L"窗口置顶(&T)";
  g_visit = &visit;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, VisitMenuWhenShown);
  ui::UiWindow& host = window_->Host();
  const LPARAM at = DeviceCentre(host, window_->SettingsButton());
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
  PostMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(hwnd_, WM_LBUTTONUP, 0, at);
  const bool toggled = qwtest::PumpUntil([&] { return window_->CurrentSettings().alwaysOnTop; }, 20000);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(visit.seen) << "the menu never showed";
  EXPECT_TRUE(toggled) << "the row's device centre did not choose it";
  EXPECT_EQ(visit.quarters, 6);
  const ui::DisplayScale s = host.Scale();
  EXPECT_EQ(visit.rect.right - visit.rect.left, s.ToDevice(static_cast<int>(visit.logical.cx)));
  EXPECT_EQ(visit.rowBitmap.cx, s.SurfaceLength(visit.rowWidth));
  EXPECT_EQ(visit.rowBitmap.cy, s.SurfaceLength(visit.rowHeight));
  // Just below the button, in screen (device) pixels.
  const ui::RectF b = window_->SettingsButton().Bounds();
  POINT below{0, s.ToDevice(static_cast<int>(b.y + b.height))};
  ClientToScreen(hwnd_, &below);
  EXPECT_GE(visit.rect.top, below.y);
  EXPECT_LE(visit.rect.top, below.y + s.ToDevice(4));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !window_->Menu().Menu().IsOpen(); }, 10000));
}

TEST_F(MainWindowAt150, TheNotesEditTakesAClickAndTypingAtDevicePositions) {
  ui::UiWindow& host = window_->Host();
  ui::UiEdit& notes = window_->NotesEdit();
  ASSERT_EQ(notes.Text(), "");
  const LPARAM at = DeviceCentre(host, notes);
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(host.FocusedElement(), &notes);
  for (wchar_t c : std::wstring(L"ab\u6781\u901f")) SendMessageW(hwnd_, WM_CHAR, c, 1);
  EXPECT_EQ(notes.Text(), "ab极速");
  // The caret stands after the text, at its device position.
  const Gdiplus::RectF caret = notes.ComputeCaretRect(1, 4, false);
  POINT system{};
  GetCaretPos(&system);
  EXPECT_EQ(system.x, host.Scale().ToDevice(static_cast<int>(notes.Left() + caret.X)));
  EXPECT_EQ(system.y, host.Scale().ToDevice(static_cast<int>(notes.Top() + caret.Y)));
  // A click at the device point of the text's start puts the caret there.
  const Gdiplus::RectF start = notes.ComputeCaretRect(1, 0, false);
  const LPARAM home = MAKELPARAM(host.Scale().ToDevice(notes.Left() + start.X + 1.0f),
                                 host.Scale().ToDevice(notes.Top() + start.Y + start.Height / 2));
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, home);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, home);
  EXPECT_EQ(notes.Caret(), (ui::TextPosition{1, 0}));
}
