// The installer's late system DLLs: loaded once its window's first frame is
// on the screen (never while the window is hidden or waits for a paint, or
// while its UI host holds a redraw), at once for work that needs them, and
// only once.
#include <gtest/gtest.h>

#include "app/installer_app.h"
#include "app/resources/resources.h"
#include "app/system/late_system_dlls.h"
#include "tests/support/test_env.h"

namespace {

int g_loads = 0;
void CountLoad() { ++g_loads; }

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// Pumps until a timer of the test's own, at the waiting timer's interval,
// has ticked `ticks` times: the waiting timer has had as many chances.
void PumpTimerTicks(int ticks) {
  g_ticks = 0;
  const UINT_PTR clock = SetTimer(nullptr, 0, 10, &CountTick);
  ASSERT_NE(clock, 0u);
  EXPECT_TRUE(qwtest::PumpUntil([ticks] { return g_ticks >= ticks; }));
  KillTimer(nullptr, clock);
}

class LateSystemDllsTest : public testing::Test {
 protected:
  void SetUp() override { g_loads = 0; }
};

}  // namespace

TEST_F(LateSystemDllsTest, WaitsWhileTheWindowIsHiddenOrWaitsForAPaintThenLoadsOnce) {
  qwtest::TestWindow window(40, 40, 120, 80);
  app::sys::LateSystemDlls dlls(&CountLoad);
  dlls.LoadAfterFirstFrame(window.hwnd());
  EXPECT_TRUE(dlls.Waiting());
  PumpTimerTicks(5);
  EXPECT_EQ(g_loads, 0) << "loaded while the window was hidden";

  window.Show();
  InvalidateRect(window.hwnd(), nullptr, FALSE);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return dlls.Loaded(); }));
  EXPECT_FALSE(GetUpdateRect(window.hwnd(), nullptr, FALSE)) << "loaded before the window was painted";
  EXPECT_EQ(g_loads, 1);
  EXPECT_FALSE(dlls.Waiting());

  dlls.LoadNow();
  dlls.LoadAfterFirstFrame(window.hwnd());
  PumpTimerTicks(3);
  EXPECT_EQ(g_loads, 1);
  EXPECT_FALSE(dlls.Waiting());
}

TEST_F(LateSystemDllsTest, WorkThatNeedsThemAndAGoneWindowLoadThemAtOnce) {
  {
    qwtest::TestWindow window(40, 40, 120, 80);  // hidden: the first frame never comes
    app::sys::LateSystemDlls dlls(&CountLoad);
    dlls.LoadAfterFirstFrame(window.hwnd());
    dlls.LoadNow();  // a click on 极速安装 before any tick
    EXPECT_EQ(g_loads, 1);
    EXPECT_FALSE(dlls.Waiting());
  }
  app::sys::LateSystemDlls dlls(&CountLoad);
  {
    qwtest::TestWindow window(40, 40, 120, 80);
    dlls.LoadAfterFirstFrame(window.hwnd());
  }
  ASSERT_TRUE(qwtest::PumpUntil([&] { return dlls.Loaded(); }));
  EXPECT_EQ(g_loads, 2);
}

TEST_F(LateSystemDllsTest, OnlyTheLatestWaiterWaitsAndAStoppedOneNeverLoads) {
  qwtest::TestWindow window(40, 40, 120, 80);
  app::sys::LateSystemDlls first(&CountLoad), second(&CountLoad);
  first.LoadAfterFirstFrame(window.hwnd());
  second.LoadAfterFirstFrame(window.hwnd());
  EXPECT_FALSE(first.Waiting());
  EXPECT_TRUE(second.Waiting());
  second.StopWaiting();
  window.Show();
  UpdateWindow(window.hwnd());
  PumpTimerTicks(5);
  EXPECT_EQ(g_loads, 0);
  EXPECT_FALSE(first.Loaded());
  EXPECT_FALSE(second.Loaded());
}

// The installer itself: the first frame is drawn with its UI host, and
// the late DLLs follow without any click.
TEST(InstallerLateSystemDlls, FollowTheFirstFrameOfTheInstallerWindow) {
  app::InstallerApp installer;
  ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
  const HWND hwnd = installer.texts().startWindowHandle;
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !installer.lateSystemDlls().Waiting(); }, 30000));
  EXPECT_TRUE(installer.lateSystemDlls().Loaded());
  ui::UiWindow* host = installer.objects().mainHost.get();
  EXPECT_FALSE(host->RedrawsHeld());
  EXPECT_EQ(host->PendingRedraws(), 0u);
  installer.Teardown();
}
