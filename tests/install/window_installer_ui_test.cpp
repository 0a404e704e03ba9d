// The installer window adapter over real host elements and real labels,
// alone and driving a whole installation.
#include <gtest/gtest.h>

#include "app/form/form_timer.h"
#include "app/form/start_window.h"
#include "app/install/installation.h"
#include "app/install/window_installer_ui.h"
#include "tests/install/install_env.h"
#include "tests/install/test_archives.h"
#include "tests/support/host_fixture.h"

namespace {

using app::form::TransparentLabel;
using app::install::Control;

// A hosted 588 x 438 window with stand-ins for the five drawn controls at
// their places, the two labels of the form, and the adapter over them.
struct InstallerWindow {
  InstallerWindow() {
    installButton.Make(hosted.hwnd(), 190, 360, 200, 50);
    pathEdit.Make(hosted.hwnd(), 28, 304, 474, 30);
    installProgress.Make(hosted.hwnd(), 32, 330, 524, 18, false);
    browseButton.Make(hosted.hwnd(), 508, 305, 58, 28);
    runButton.Make(hosted.hwnd(), 196, 356, 200, 50, false);
    location.Create(hosted.hwnd(), app::LocationLabelSpec());
    status.Create(hosted.hwnd(), app::StatusLabelSpec());
    app::install::InstallerWindowParts parts;
    parts.installButton = &installButton;
    parts.browseButton = &browseButton;
    parts.runButton = &runButton;
    parts.pathEdit = &pathEdit;
    parts.installProgress = &installProgress;
    parts.locationLabel = &location;
    parts.statusLabel = &status;
    parts.owner = hosted.hwnd();
    parts.folderText = [this] { return folder; };
    parts.setFolderText = [this](const std::string& text) { folder = text; };
    parts.progressPosition = [this] { return position; };
    parts.setProgressPosition = [this](int p) { position = p; };
    parts.showMessage = [this](const std::string& text, const std::string&) { messages.push_back(text); };
    ui = std::make_unique<app::install::WindowInstallerUi>(parts);
  }

  qwtest::HostedWindow hosted{588, 438};
  qwtest::Recorder installButton, pathEdit, installProgress, browseButton, runButton;
  TransparentLabel location, status;
  std::string folder;
  int position = 0;
  std::vector<std::string> messages;
  std::unique_ptr<app::install::WindowInstallerUi> ui;
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
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !installation.WorkerRunning(); }, 60000));
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
}

}  // namespace
