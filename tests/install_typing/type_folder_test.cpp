// The installer window's drawn controls with the real folder field: the
// user selects the default folder, types another one (the Chinese part
// through the input method), clicks the install button, and the files land
// in the typed folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/form/form_timer.h"
#include "app/install/installation.h"
#include "tests/edit/edit_driving.h"
#include "tests/install/install_env.h"
#include "tests/install/installer_window.h"
#include "tests/install/test_archives.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/element/button.h"

namespace {

// "C:\青梧测试\" in code page 936.
const std::string kTypedFolder = "C:\\\xC7\xE0\xCE\xE0\xB2\xE2\xCA\xD4\\";

// The installer window: the install button and the folder field as the
// program creates them, stand-ins for the controls this test does not use.
struct InstallerWindow : qwtest::InstallerWindowBase {
  InstallerWindow() {
    ui::ButtonOptions big;
    big.fontName = "宋体";
    big.fontSize = 22.0f;
    installButton.Create(hosted.hwnd(), 190, 360, 200, 50, "极速安装", big);
    ui::EditOptions field;
    field.textColor = RGB(0, 0, 0);
    field.fontFamily = "宋体";
    pathEdit.Create(hosted.hwnd(), 28, 304, 474, 30, field);
    Build(&installButton, &pathEdit, [this] { return pathEdit.Text(); },
          [this](const std::string& text) { pathEdit.Text(text); });
    installation = std::make_unique<app::install::Installation>(*ui, texts, timer, qwtest::InstallArchive());
    installButton.BindEvent(WM_LBUTTONDOWN, [this](const ui::ElementEvent&) { installation->OnInstallClick(); });
    hosted.Settle();
  }

  ui::UiButton installButton;
  ui::UiEdit pathEdit;
  app::InstallerTexts texts;
  app::form::FormTimer timer;
  std::unique_ptr<app::install::Installation> installation;
};

class TypeFolderTest : public qwtest::InstallTraces {
 protected:
  void SetUp() override {
    InstallTraces::SetUp();
    qwtest::RemoveTree(kTypedFolder);
  }
  void TearDown() override {
    qwtest::RemoveTree(kTypedFolder);
    InstallTraces::TearDown();
  }
};

TEST_F(TypeFolderTest, AFolderTypedIntoTheFieldIsWhereTheFilesLand) {
  InstallerWindow w;
  const HWND hwnd = w.hosted.hwnd();
  w.pathEdit.Text("C:\\Program Files\\qingwu\\");

  // Click into the field, select everything, type over it.
  qwtest::Press(hwnd, qwtest::PointIn(w.pathEdit, 40, 15));
  ASSERT_TRUE(w.pathEdit.HasFocus());
  qwtest::CtrlKey(hwnd, 'A');
  EXPECT_EQ(w.pathEdit.GetSelectedText(), "C:\\Program Files\\qingwu\\");
  qwtest::Type(hwnd, "C:\\");
  ASSERT_TRUE(qwtest::CompleteComposition(hwnd, kTypedFolder.substr(3, 8)));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return w.pathEdit.Text().size() > 3; }));
  qwtest::PumpPending();
  qwtest::Type(hwnd, "\\");
  ASSERT_EQ(w.pathEdit.Text(), kTypedFolder);

  // The install button, clicked.
  const LPARAM button = qwtest::PointIn(w.installButton, 100, 25);
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, button);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, button);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, button);
  EXPECT_EQ(w.installation->phase(), app::install::Phase::Installing);
  EXPECT_FALSE(w.pathEdit.Visible());
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !w.installation->WorkerRunning() && !w.installation->Busy(); }, 60000));
  ASSERT_EQ(w.installation->phase(), app::install::Phase::Finished);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return w.timer.Interval() == 0; }, 20000));

  EXPECT_TRUE(w.messages.empty());
  for (const auto& member : qwtest::kInstallMembers) {
    const auto bytes = qwtest::ReadFileBytes(kTypedFolder + member.name);
    ASSERT_TRUE(bytes) << member.name;
    EXPECT_EQ(bytes->size(), member.size) << member.name;
  }
  EXPECT_TRUE(qwtest::Exists(kTypedFolder + "Uninstall.dat"));
  EXPECT_FALSE(qwtest::Exists(kTypedFolder + "sj.zip"));
  EXPECT_EQ(qwtest::UninstallValue("DisplayIcon"), kTypedFolder + "qingwu.exe");
}

}  // namespace
