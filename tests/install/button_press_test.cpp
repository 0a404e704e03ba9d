// The install and run buttons as the program creates them, pressed through
// the host with mouse messages: a press that began before a button
// appeared (the second half of a double click) is no click, the run button
// does nothing before the finish steps are done, and the install button
// takes one click per installation.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form/form_timer.h"
#include "app/install/installation.h"
#include "tests/install/install_env.h"
#include "tests/install/installer_window.h"
#include "tests/install/test_archives.h"
#include "tests/support/host_fixture.h"
#include "ui/element/button.h"

namespace {

using app::install::Phase;

constexpr UINT kDoubleClickMs = 500;

struct ButtonWindow : qwtest::InstallerWindowBase {
  explicit ButtonWindow(ui::ByteView archive) {
    ui::ButtonOptions big;
    big.fontName = "宋体";
    big.fontSize = 22.0f;
    installButton.Create(hosted.hwnd(), 190, 360, 200, 50, "极速安装", big);
    big.visible = false;
    runButton.Create(hosted.hwnd(), 196, 356, 200, 50, "立即运行", big);
    pathEdit.Make(hosted.hwnd(), 28, 304, 474, 30);
    Build(&installButton, &pathEdit, [this] { return folder; }, [this](const std::string& t) { folder = t; },
          &runButton);
    app::install::InstallerHooks hooks;
    hooks.now = [this] { return clock; };
    hooks.doubleClickTime = [] { return kDoubleClickMs; };
    hooks.launch = [this](const std::string& f) { launched.push_back(f); };
    hooks.endProgram = [this] { ++ends; };
    installation = std::make_unique<app::install::Installation>(*ui, texts, timer, archive, hooks);
    // The bindings of the program's window.
    installButton.BindEvent(WM_LBUTTONDOWN, [this](const ui::ElementEvent&) { installation->OnInstallClick(); });
    runButton.BindEvent(WM_LBUTTONDOWN, [this](const ui::ElementEvent&) { installation->OnRunClick(); });
    hosted.Settle();
  }

  // Where the install button's middle is: after the finish the run button
  // covers it.
  static LPARAM Spot() { return MAKELPARAM(290, 380); }
  void Click() {
    SendMessageW(hosted.hwnd(), WM_MOUSEMOVE, 0, Spot());
    SendMessageW(hosted.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Spot());
    SendMessageW(hosted.hwnd(), WM_LBUTTONUP, 0, Spot());
  }
  // The second press of a double click, as the system sends it.
  void SecondPressOfDoubleClick() {
    SendMessageW(hosted.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, Spot());
    SendMessageW(hosted.hwnd(), WM_LBUTTONUP, 0, Spot());
  }
  bool WaitUntilSettled() {
    return qwtest::PumpUntil([&] { return !installation->WorkerRunning() && !installation->Busy(); }, 60000);
  }

  ui::UiButton installButton, runButton;
  qwtest::Recorder pathEdit;
  std::string folder;
  app::InstallerTexts texts;
  app::form::FormTimer timer;
  DWORD clock = 100000;
  std::vector<std::string> launched;
  int ends = 0;
  std::unique_ptr<app::install::Installation> installation;
};

class ButtonPressTest : public qwtest::InstallTraces {
 protected:
  const std::string folder_ = std::string(qwtest::kTestRoot) + "按钮\\";
};

TEST_F(ButtonPressTest, RunTakesNoPressBeforeTheFinishOrWithinTheDoubleClickTime) {
  ButtonWindow w(qwtest::InstallArchive());
  w.folder = folder_;
  int runPressesDuringReports = 0;
  w.onPosition = [&](int) {
    // While installing, even a press straight on the run button's handler does nothing.
    w.installation->OnRunClick();
    ++runPressesDuringReports;
  };
  w.Click();
  ASSERT_EQ(w.installation->phase(), Phase::Installing);
  w.SecondPressOfDoubleClick();  // lands where the install button was
  EXPECT_EQ(w.installation->phase(), Phase::Installing);
  ASSERT_TRUE(w.WaitUntilSettled());
  ASSERT_EQ(w.installation->phase(), Phase::Finished);
  EXPECT_GT(runPressesDuringReports, 0);
  EXPECT_TRUE(w.launched.empty());
  // Every shortcut exists before the run button is offered.
  EXPECT_TRUE(qwtest::Exists(qwtest::DesktopLink()));
  EXPECT_TRUE(qwtest::Exists(qwtest::GroupUninstallLink()));
  ASSERT_TRUE(w.runButton.Visible());

  // The run button appeared under the pointer: the second press of a
  // double click, 100 ms later, is not a click on it.
  w.clock += 100;
  w.SecondPressOfDoubleClick();
  w.clock += kDoubleClickMs - 101;
  w.Click();
  EXPECT_TRUE(w.launched.empty());
  EXPECT_EQ(w.ends, 0);

  // A click after the double-click time starts the application.
  w.clock += 1;
  w.Click();
  EXPECT_EQ(w.launched, (std::vector<std::string>{folder_}));
  EXPECT_EQ(w.ends, 1);
}

TEST_F(ButtonPressTest, InstallTakesOneClickPerInstallation) {
  // A file stands where the folder would be: the installation fails at once
  // and the install button comes back.
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  ASSERT_TRUE(qwtest::WriteTextFile(std::string(qwtest::kTestRoot) + "blocker", "a file"));
  ButtonWindow w(qwtest::SingleMemberArchive());
  w.folder = std::string(qwtest::kTestRoot) + "blocker\\sub\\";
  w.Click();
  ASSERT_TRUE(w.WaitUntilSettled());
  ASSERT_EQ(w.messages.size(), 1u);
  ASSERT_TRUE(w.installButton.Visible());

  // The second press of the double click, on the button that came back: nothing.
  w.clock += 200;
  w.SecondPressOfDoubleClick();
  ASSERT_TRUE(w.WaitUntilSettled());
  EXPECT_EQ(w.messages.size(), 1u);

  // A real second click later tries again; while that installation runs,
  // a further click does nothing.
  w.clock += kDoubleClickMs;
  w.folder = folder_;
  w.Click();
  ASSERT_EQ(w.installation->phase(), Phase::Installing);
  w.installation->OnInstallClick();
  ASSERT_TRUE(w.WaitUntilSettled());
  EXPECT_EQ(w.installation->phase(), Phase::Finished);
  EXPECT_EQ(w.messages.size(), 1u);
  EXPECT_TRUE(qwtest::Exists(folder_ + "qingwu.exe"));
  w.installation->OnInstallClick();  // finished: nothing
  EXPECT_EQ(w.installation->phase(), Phase::Finished);
}

}  // namespace
