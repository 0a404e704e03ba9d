// The installer window adapter over real host elements and real labels,
// alone and driving a whole installation.
#include <gtest/gtest.h>

#include "app/form/form_timer.h"
#include "app/install/installation.h"
#include "app/install/window_installer_ui.h"
#include "tests/install/install_env.h"
#include "tests/install/installer_window.h"
#include "tests/install/test_archives.h"
#include "tests/support/host_fixture.h"

namespace {

using app::install::Control;

// The installer window with stand-ins for every drawn control.
struct InstallerWindow : qwtest::InstallerWindowBase {
  InstallerWindow() {
    installButton.Make(hosted.hwnd(), 190, 360, 200, 50);
    pathEdit.Make(hosted.hwnd(), 28, 304, 474, 30);
    Build(&installButton, &pathEdit, [this] { return folder; }, [this](const std::string& text) { folder = text; });
  }
  qwtest::Recorder installButton, pathEdit;
  std::string folder;
};

TEST(WindowInstallerUi, ShowsHidesAndMovesTheElementsAndLabels) {
  InstallerWindow w;
  ASSERT_TRUE(w.hosted.attached);
  w.ui->SetVisible(Control::InstallButton, false);
  w.ui->SetVisible(Control::InstallProgress, true);
  w.ui->SetVisible(Control::LocationLabel, false);
  w.ui->SetVisible(Control::StatusLabel, true);
  EXPECT_FALSE(w.installButton.Visible());
  EXPECT_TRUE(w.installProgress.Visible());
  EXPECT_TRUE(w.pathEdit.Visible());
  EXPECT_FALSE(w.location.Visible());
  EXPECT_TRUE(w.status.Visible());

  w.ui->SetTop(Control::RunButton, 336);
  w.ui->SetTop(Control::StatusLabel, 300);
  EXPECT_EQ(w.runButton.Top(), 336);
  EXPECT_EQ(w.runButton.Left(), 196);
  EXPECT_EQ(w.status.Top(), 300);

  EXPECT_EQ(w.ui->StatusCaption(), "正在安装中......");
  w.ui->SetStatusCaption("完成安装");
  EXPECT_EQ(w.status.Caption(), "完成安装");
  w.ui->SetFolderText("D:\\x\\");
  EXPECT_EQ(w.ui->FolderText(), "D:\\x\\");
  w.ui->SetProgressPosition(37);
  EXPECT_EQ(w.ui->ProgressPosition(), 37);
  w.ui->ShowMessage("m", "提醒");
  EXPECT_EQ(w.messages, std::vector<std::string>{"m"});
  EXPECT_EQ(w.ui->OwnerWindow(), w.hosted.hwnd());

  // Holding the window's drawing goes to its host.
  w.ui->HoldRedraws(true);
  EXPECT_TRUE(w.hosted.host.RedrawsHeld());
  w.ui->PresentHeldRedraws();
  w.ui->HoldRedraws(false);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !w.hosted.host.RedrawsHeld(); }));
}

TEST(WindowInstallerUi, MissingPartsAreLeftAlone) {
  app::install::WindowInstallerUi ui({});
  ui.SetVisible(Control::RunButton, true);
  ui.SetTop(Control::StatusLabel, 300);
  ui.SetFolderText("x");
  ui.SetProgressPosition(5);
  ui.SetStatusCaption("x");
  EXPECT_EQ(ui.FolderText(), "");
  EXPECT_EQ(ui.ProgressPosition(), 0);
  EXPECT_EQ(ui.StatusCaption(), "");
  EXPECT_EQ(ui.OwnerWindow(), nullptr);
  ui.HoldRedraws(true);  // no window: nothing to hold
  ui.PresentHeldRedraws();
  ui.HoldRedraws(false);
}

class WindowInstallationTest : public qwtest::InstallTraces {};

TEST_F(WindowInstallationTest, AnInstallationEndsInTheFinishedLayout) {
  InstallerWindow w;
  app::InstallerTexts texts;
  app::form::FormTimer timer;
  app::install::Installation installation(*w.ui, texts, timer, qwtest::SingleMemberArchive());
  w.folder = std::string(qwtest::kTestRoot) + "窗口\\";
  installation.OnInstallClick();
  EXPECT_FALSE(w.pathEdit.Visible());
  EXPECT_TRUE(w.status.Visible());
  EXPECT_TRUE(w.hosted.host.RedrawsHeld()) << "drawing is held while installing";
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !installation.WorkerRunning() && !installation.Busy(); }, 60000));
  ASSERT_EQ(installation.phase(), app::install::Phase::Finished);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return timer.Interval() == 0; }, 20000));
  EXPECT_FALSE(w.installButton.Visible());
  EXPECT_FALSE(w.browseButton.Visible());
  EXPECT_FALSE(w.pathEdit.Visible());
  EXPECT_FALSE(w.installProgress.Visible());
  EXPECT_FALSE(w.location.Visible());
  EXPECT_TRUE(w.status.Visible());
  EXPECT_TRUE(w.runButton.Visible());
  EXPECT_EQ(w.status.Caption(), "完成安装");
  EXPECT_EQ(w.status.Top(), 300);
  EXPECT_EQ(w.runButton.Top(), 336);
  EXPECT_EQ(w.position, 100);
  EXPECT_TRUE(w.messages.empty());
  EXPECT_TRUE(qwtest::Exists(w.folder + "qingwu.exe"));

  // The hold ended with the finish, and the finished window is on the
  // canvas: the run button where the install button was.
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !w.hosted.host.RedrawsHeld(); }));
  EXPECT_EQ(w.hosted.host.PendingRedraws(), 0u);
  w.runButton.Fill(0xFFFF0000);
  w.installButton.Fill(0xFF0000FF);
  w.hosted.Settle();
  EXPECT_TRUE(qwtest::ColorNear(w.hosted.Canvas(296, 350), 0xFFFF0000, 4))
      << qwtest::ColorText(w.hosted.Canvas(296, 350));
  EXPECT_FALSE(qwtest::ColorNear(w.hosted.Canvas(200, 400), 0xFF0000FF, 4)) << "the hidden install button";
}

}  // namespace
