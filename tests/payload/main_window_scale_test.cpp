// The main window at 125 % and 150 % in this process (a DPI change sent to
// it, as the system sends when the window moves to such a display): the
// window, its buttons, the settings menu and the notes edit at device
// positions.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "payload/app/main_window.h"
#include "payload/app/settings.h"
#include "tests/menu/menu_test_support.h"
#include "tests/payload/main_window_fixture.h"
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

// The main window after the system told it of a new DPI (the rectangle it
// suggests: the logical size at the new scale, about the top-left corner).
class ScaledMainWindow : public testing::Test {
 protected:
  void Open(UINT dpi) {
    window_ = qwtest::OpenMainWindow(program_, data_);
    ASSERT_NE(window_, nullptr);
    hwnd_ = window_->hwnd();
    unscaled_ = SizeOf(hwnd_);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    RECT suggested{r.left, r.top, r.left + MulDiv(unscaled_.cx, dpi, 96), r.top + MulDiv(unscaled_.cy, dpi, 96)};
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    qwtest::PumpPending();
  }
  void TearDown() override {
    g_visit = nullptr;
    window_.reset();
  }
  // Opens the settings menu (`open` posts what does it), clicks `row` at
  // its device centre once it shows; true once `done` holds.
  bool VisitMenu(MenuVisit& visit, const std::function<void()>& open, const std::function<bool()>& done) {
    g_visit = &visit;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, VisitMenuWhenShown);
    open();
    const bool ok = qwtest::PumpUntil(done, 20000);
    KillTimer(nullptr, timer);
    qwtest::PumpUntil([&] { return !window_->Menu().Menu().IsOpen(); }, 10000);
    g_visit = nullptr;
    return ok;
  }
  void PostClickAt(LPARAM at) {
    PostMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd_, WM_LBUTTONUP, 0, at);
  }

  qwtest::ScratchFolder program_{L"program"};
  qwtest::ScratchFolder data_{L"data"};
  std::unique_ptr<qingwu::MainWindow> window_;
  HWND hwnd_ = nullptr;
  SIZE unscaled_{};
};

}  // namespace

// At 125 % the whole window fits the test display (1024 x 768).
TEST_F(ScaledMainWindow, At125TheWindowGrowsAndTheSettingsButtonOpensAScaledMenuBelowIt) {
  Open(120);
  ui::UiWindow& host = window_->Host();
  ASSERT_EQ(host.Scale().Quarters(), 5);
  EXPECT_EQ(SizeOf(hwnd_).cx, MulDiv(unscaled_.cx, 5, 4));
  EXPECT_EQ(SizeOf(hwnd_).cy, MulDiv(unscaled_.cy, 5, 4));
  EXPECT_EQ(host.LogicalSize().cx, unscaled_.cx);
  EXPECT_EQ(host.LogicalSize().cy, unscaled_.cy);
  // The layout's minimum holds in logical pixels: the system is told it in device pixels.
  MINMAXINFO info{};
  SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, host.Scale().ToDevice(static_cast<int>(unscaled_.cx)));
  EXPECT_EQ(info.ptMinTrackSize.y, host.Scale().ToDevice(static_cast<int>(unscaled_.cy)));

  MenuVisit visit;
  visit.clickRow = L"窗口置顶(&T)";
  const bool toggled = VisitMenu(
      visit, [&] { PostClickAt(DeviceCentre(host, window_->SettingsButton())); },
      [&] { return window_->CurrentSettings().alwaysOnTop; });
  ASSERT_TRUE(visit.seen) << "the settings button's device centre did not open the menu";
  EXPECT_TRUE(toggled) << "the row's device centre did not choose it";
  EXPECT_EQ(visit.quarters, 5);
  const ui::DisplayScale s = host.Scale();
  EXPECT_NEAR(visit.rect.right - visit.rect.left, visit.logical.cx * s.Factor(), s.Factor());
  EXPECT_EQ(visit.rowBitmap.cx, s.SurfaceLength(visit.rowWidth));
  EXPECT_EQ(visit.rowBitmap.cy, s.SurfaceLength(visit.rowHeight));
  // Just below the button, in screen (device) pixels.
  const ui::RectF b = window_->SettingsButton().Bounds();
  POINT below{0, s.ToDevice(static_cast<int>(b.y + b.height))};
  ClientToScreen(hwnd_, &below);
  EXPECT_GE(visit.rect.top, below.y);
  EXPECT_LE(visit.rect.top, below.y + s.ToDevice(4));
}

// At 150 % the window is larger than the test display: the system keeps it
// on the screen, and the host lays out the logical size it got.
TEST_F(ScaledMainWindow, At150TheMenuTheButtonsAndTheNotesEditAnswerAtDevicePositions) {
  Open(144);
  ui::UiWindow& host = window_->Host();
  ASSERT_EQ(host.Scale().Quarters(), 6);
  const SIZE now = SizeOf(hwnd_);
  EXPECT_GT(now.cx, unscaled_.cx * 5 / 4) << "the window grew";
  EXPECT_EQ(host.ClientSize().cx, now.cx);
  EXPECT_EQ(host.LogicalSize().cx, static_cast<LONG>(now.cx / 1.5f));
  EXPECT_EQ(host.LogicalSize().cy, static_cast<LONG>(now.cy / 1.5f));

  // The check button answers a click at its device centre.
  PostClickAt(DeviceCentre(host, window_->CheckButton()));
  EXPECT_TRUE(qwtest::PumpUntil([&] { return window_->CheckRunning() || window_->CheckProgress().Position() > 0; }, 10000));

  // The notes edit: a click at its device centre focuses it, typing goes in,
  // and the caret stands at the device position of the text's end.
  ui::UiEdit& notes = window_->NotesEdit();
  ASSERT_EQ(notes.Text(), "");
  const LPARAM at = DeviceCentre(host, notes);
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(host.FocusedElement(), &notes);
  for (char c : std::string("ab12")) SendMessageW(hwnd_, WM_CHAR, static_cast<WPARAM>(c), 1);
  EXPECT_EQ(notes.Text(), "ab12");
  // The caret place after a character is that character's right edge.
  const Gdiplus::RectF end = notes.ComputeCaretRect(1, 3, false);
  POINT system{};
  GetCaretPos(&system);
  EXPECT_EQ(system.x, host.Scale().ToDevice(static_cast<int>(notes.Left() + end.X)));
  EXPECT_EQ(system.y, host.Scale().ToDevice(static_cast<int>(notes.Top() + end.Y)));
  // A click one logical pixel right of the text's start puts the caret there.
  const Gdiplus::RectF start = notes.ComputeCaretRect(1, -1, false);
  const LPARAM home = MAKELPARAM(host.Scale().ToDevice(notes.Left() + start.X + 1.0f),
                                 host.Scale().ToDevice(notes.Top() + start.Y + start.Height / 2));
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, home);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, home);
  EXPECT_EQ(notes.Caret(), (ui::TextPosition{1, 0}));

  // The settings menu (Alt+M) comes up at the window's scale and its rows
  // answer at their device centres.
  MenuVisit visit;
  visit.clickRow = L"窗口置顶(&T)";
  const bool toggled = VisitMenu(
      visit, [&] { PostMessageW(hwnd_, WM_SYSCHAR, 'm', 0); }, [&] { return window_->CurrentSettings().alwaysOnTop; });
  ASSERT_TRUE(visit.seen) << "the menu never showed";
  EXPECT_TRUE(toggled) << "the row's device centre did not choose it";
  EXPECT_EQ(visit.quarters, 6);
  EXPECT_EQ(visit.rowBitmap.cx, host.Scale().SurfaceLength(visit.rowWidth));
  EXPECT_EQ(visit.rowBitmap.cy, host.Scale().SurfaceLength(visit.rowHeight));
}
