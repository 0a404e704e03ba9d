// The installation end to end, in-process: a recording window, a real
// archive, and the real file system, registry and shell links of the prefix.
#include <gtest/gtest.h>

#include <map>

#include "app/install/product.h"
#include "app/resources/resources.h"
#include "app/system/file_system.h"
#include "tests/install/install_env.h"
#include "tests/install/install_run.h"
#include "tests/install/test_archives.h"

namespace {

using app::install::Phase;
using qwtest::Control;
using qwtest::InstallRun;

const char* const kValueNames[] = {"DisplayIcon", "DisplayName", "DisplayVersion",
                                   "UninstallString", "Publisher", "URLInfoAbout"};

std::map<std::string, std::string> ExpectedValues(const std::string& folder) {
  return {{"DisplayIcon", folder + "qingwu.exe"},
          {"DisplayName", "青梧网游加速器"},
          {"DisplayVersion", "201909999"},
          {"UninstallString", "\"" + folder + "uninst.exe\""},
          {"Publisher", "青梧网络科技"},
          {"URLInfoAbout", "https://www.example.com/qingwu/"}};
}

std::map<std::string, std::string> ReadValues() {
  std::map<std::string, std::string> values;
  for (const char* name : kValueNames) {
    if (auto v = qwtest::UninstallValue(name)) values[name] = *v;
  }
  return values;
}

class InstallationTest : public qwtest::InstallTraces {
 protected:
  const std::string folder_ = std::string(qwtest::kTestRoot) + "游戏\\青梧网游加速器\\";
};

TEST_F(InstallationTest, InstallsEndToEnd) {
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = folder_;
  // The registry is read at every report: absent until the first report
  // from 21 to 70 has run, then present; it is deleted at 50 so a second
  // write would bring it back.
  std::map<int, bool> keyAtReport;
  std::map<std::string, std::string> valuesWritten;
  std::vector<int> holdsAtReport;
  bool frameShownWhileInstalling = false;
  run.ui.onPosition = [&](int p) {
    holdsAtReport.push_back(run.ui.holds);
    // A slow installation still shows its progress: while this report is
    // held up, the window presents what changed, frame by frame.
    if (p == 12) frameShownWhileInstalling = qwtest::PumpUntil([&] { return run.ui.heldPresents > 0; }, 10000);
    keyAtReport[p] = qwtest::UninstallKeyExists();
    if (p == 50) {
      valuesWritten = ReadValues();
      qwtest::DeleteUninstallKey();
    }
  };

  run.installation.OnInstallClick();
  EXPECT_EQ(run.installation.phase(), Phase::Installing);
  EXPECT_EQ(run.ui.holds, 1) << "the installing window's drawing is held from the click";
  EXPECT_TRUE(run.ui.Visible(Control::InstallProgress));
  EXPECT_TRUE(run.ui.Visible(Control::StatusLabel));
  for (Control c : {Control::InstallButton, Control::PathEdit, Control::BrowseButton, Control::LocationLabel,
                    Control::RunButton})
    EXPECT_FALSE(run.ui.Visible(c));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !run.installation.WorkerRunning() && !run.installation.Busy(); }, 60000));
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  ASSERT_TRUE(run.WaitForShortcuts());

  // The members, and no temporary archive.
  for (const auto& member : qwtest::kInstallMembers) {
    const auto bytes = qwtest::ReadFileBytes(folder_ + member.name);
    ASSERT_TRUE(bytes) << member.name;
    EXPECT_EQ(bytes->size(), member.size) << member.name;
    EXPECT_EQ(qwtest::FileCrc32(folder_ + member.name), member.crc32) << member.name;
  }
  EXPECT_FALSE(qwtest::Exists(folder_ + "sj.zip"));

  // Progress and status texts.
  EXPECT_EQ(run.ui.positions, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100}));
  EXPECT_EQ(run.ui.captions, (std::vector<std::string>{"正在部署...", "正在安装..", "冲鸭！.....",
                                                       "正在创建桌面图标...", "完成安装"}));

  // Drawing was held through every report and released at the finish.
  EXPECT_EQ(holdsAtReport, std::vector<int>(9, 1));
  EXPECT_TRUE(frameShownWhileInstalling);
  EXPECT_EQ(run.ui.holds, 0);
  EXPECT_EQ(run.ui.unbalancedReleases, 0);

  // Registry: written once, at 25, with the six values.
  EXPECT_FALSE(keyAtReport[0]);
  EXPECT_FALSE(keyAtReport[12]);
  EXPECT_FALSE(keyAtReport[25]);
  EXPECT_TRUE(keyAtReport[37]);
  EXPECT_EQ(valuesWritten, ExpectedValues(folder_));
  EXPECT_FALSE(qwtest::UninstallKeyExists()) << "written a second time";

  // Uninstall data: the folder, a second backslash and the name.
  const std::string datPath = folder_ + "\\Uninstall.dat";
  EXPECT_EQ(datPath, std::string(qwtest::kTestRoot) + "游戏\\青梧网游加速器\\\\Uninstall.dat");
  const std::string expectedData = folder_ + "\r\n" + qwtest::ProgramsFolder() + "青梧网游加速器\r\n" +
                                   qwtest::DesktopFolder() + "青梧网游加速器.lnk\r\nqingwu.exe";
  EXPECT_EQ(qwtest::ReadFileBytes(datPath), expectedData);
  EXPECT_EQ(run.texts.uninstallData, expectedData);
  EXPECT_EQ(run.texts.programsFolder, qwtest::ProgramsFolder());
  EXPECT_EQ(run.texts.productName, "青梧网游加速器");

  // The four shortcuts.
  EXPECT_EQ(qwtest::LinkTarget(qwtest::GroupLink()), folder_ + "qingwu.exe");
  EXPECT_EQ(qwtest::LinkTarget(qwtest::GroupUninstallLink()), folder_ + "uninst.exe");
  EXPECT_EQ(qwtest::LinkTarget(qwtest::ProgramsLink()), folder_ + "qingwu.exe");
  EXPECT_EQ(qwtest::LinkTarget(qwtest::DesktopLink()), folder_ + "qingwu.exe");

  // The finished window.
  EXPECT_TRUE(run.ui.Visible(Control::RunButton));
  EXPECT_TRUE(run.ui.Visible(Control::StatusLabel));
  for (Control c : {Control::InstallProgress, Control::InstallButton, Control::PathEdit, Control::BrowseButton,
                    Control::LocationLabel})
    EXPECT_FALSE(run.ui.Visible(c));
  EXPECT_EQ(run.ui.top[Control::StatusLabel], 300);
  EXPECT_EQ(run.ui.top[Control::RunButton], 336);
  EXPECT_EQ(run.ui.caption, "完成安装");
  EXPECT_TRUE(run.ui.messages.empty());
  EXPECT_EQ(run.ui.callsOffThread, 0);
  EXPECT_EQ(run.ui.folder, folder_);
}

TEST_F(InstallationTest, WithNoReportFrom21To70TheRegistryIsWrittenAtTheFinish) {
  InstallRun run(qwtest::SingleMemberArchive());  // reports 0, then 100
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_EQ(run.ui.positions, (std::vector<int>{0, 100}));
  EXPECT_EQ(run.ui.captions, (std::vector<std::string>{"正在部署...", "完成安装"}));
  EXPECT_EQ(ReadValues(), ExpectedValues(folder_));
  ASSERT_TRUE(run.WaitForShortcuts());
}

TEST_F(InstallationTest, AnArchiveGivenWhileReadyIsTheOneInstalled) {
  InstallRun run(qwtest::SingleMemberArchive());
  run.installation.UseArchive(qwtest::InstallArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_EQ(run.ui.positions, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100}));
  for (const auto& member : qwtest::kInstallMembers) EXPECT_TRUE(qwtest::Exists(folder_ + member.name)) << member.name;
  ASSERT_TRUE(run.WaitForShortcuts());
}

TEST_F(InstallationTest, AFolderWithoutBackslashIsCompletedAndEveryMissingLevelCreated) {
  const std::string typed = std::string(qwtest::kTestRoot) + "a\\b\\c";
  InstallRun run(qwtest::SingleMemberArchive());
  run.ui.folder = typed;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_EQ(run.ui.folderWrites, (std::vector<std::string>{typed + "\\"}));
  EXPECT_TRUE(qwtest::Exists(typed + "\\qingwu.exe"));
  EXPECT_TRUE(qwtest::Exists(typed + "\\Uninstall.dat"));
  EXPECT_FALSE(qwtest::Exists(typed + "sj.zip"));
  EXPECT_FALSE(qwtest::Exists(typed + "qingwu.exe"));
  EXPECT_EQ(qwtest::UninstallValue("DisplayIcon"), typed + "\\qingwu.exe");
  ASSERT_TRUE(run.WaitForShortcuts());
}

TEST_F(InstallationTest, AFolderWithDotsAndSlashesIsMadePlainBeforeUse) {
  const std::string typed = std::string("C:/qw_install_test/x/../y/./z");
  const std::string plain = std::string(qwtest::kTestRoot) + "y\\z\\";
  InstallRun run(qwtest::SingleMemberArchive());
  run.ui.folder = typed;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_EQ(run.ui.folderWrites, (std::vector<std::string>{plain}));
  EXPECT_TRUE(qwtest::Exists(plain + "qingwu.exe"));
  EXPECT_FALSE(qwtest::Exists(std::string(qwtest::kTestRoot) + "x"));
  EXPECT_EQ(qwtest::UninstallValue("UninstallString"), "\"" + plain + "uninst.exe\"");
  const auto data = qwtest::ReadFileBytes(plain + "Uninstall.dat");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->substr(0, plain.size() + 2), plain + "\r\n");
  ASSERT_TRUE(run.WaitForShortcuts());
}

TEST_F(InstallationTest, AFolderThatIsNotAbsoluteIsRefused) {
  for (const char* typed : {"games", "\\games\\", "C:games"}) {
    InstallRun run(qwtest::SingleMemberArchive());
    run.ui.folder = typed;
    const auto before = run.ui.visible;
    ASSERT_TRUE(run.ClickInstallAndWait());
    EXPECT_EQ(run.installation.phase(), Phase::Ready) << typed;
    EXPECT_EQ(run.ui.visible, before) << typed;
    ASSERT_EQ(run.ui.messages.size(), 1u) << typed;
    EXPECT_EQ(run.ui.messages[0].caption, "提醒");
    EXPECT_NE(run.ui.messages[0].text.find(app::sys::WithTrailingBackslash(typed)), std::string::npos)
        << run.ui.messages[0].text;
    EXPECT_TRUE(run.ui.positions.empty());
    EXPECT_FALSE(qwtest::UninstallKeyExists());
  }
}

// What the uninstaller could not take back is refused before anything is
// created, with the folder as typed and the name at fault.
TEST_F(InstallationTest, AFolderTheUninstallerCouldNotUseIsRefusedBeforeAnythingIsCreated) {
  const std::string root = qwtest::kTestRoot;
  struct Case {
    std::string typed, part, says;
  } cases[] = {
      {root + "qw5. \\sub", "qw5. ", "以点或空格结尾"},
      {root + "sub\\qw5.", "qw5.", "以点或空格结尾"},
      {root + "a*b", "a*b", "不能用作文件夹名"},
      {root + "nul\\x", "nul", "不能用作文件夹名"},
      {root + std::string(240, 'a'), "", "太长"},
  };
  for (const Case& c : cases) {
    InstallRun run(qwtest::SingleMemberArchive());
    run.ui.folder = c.typed;
    const auto before = run.ui.visible;
    ASSERT_TRUE(run.ClickInstallAndWait());
    EXPECT_EQ(run.installation.phase(), Phase::Ready) << c.typed;
    EXPECT_EQ(run.ui.visible, before) << c.typed;
    ASSERT_EQ(run.ui.messages.size(), 1u) << c.typed;
    const std::string& text = run.ui.messages[0].text;
    EXPECT_EQ(run.ui.messages[0].caption, "提醒");
    EXPECT_NE(text.find("安装失败"), std::string::npos) << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
    EXPECT_NE(text.find("“" + c.typed + "\\”"), std::string::npos) << text;
    if (!c.part.empty()) {
      EXPECT_NE(text.find("“" + c.part + "”"), std::string::npos) << text;
    }
    EXPECT_TRUE(run.ui.folderWrites.empty()) << c.typed;  // the field keeps the text to correct
    EXPECT_TRUE(run.ui.positions.empty());
    EXPECT_FALSE(qwtest::Exists(root)) << c.typed;
    EXPECT_FALSE(qwtest::UninstallKeyExists());
  }
}

TEST_F(InstallationTest, AnEmptyFolderOnlyAsksForOne) {
  InstallRun run(qwtest::InstallArchive());
  const auto before = run.ui.visible;
  run.installation.OnInstallClick();
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_EQ(run.ui.messages[0].text, "请先选择路径！");
  EXPECT_EQ(run.ui.messages[0].caption, "提醒");
  EXPECT_EQ(run.installation.phase(), Phase::Ready);
  EXPECT_FALSE(run.installation.WorkerRunning());
  EXPECT_EQ(run.ui.visible, before);
  EXPECT_TRUE(run.ui.folderWrites.empty());
  EXPECT_TRUE(run.ui.positions.empty());
  EXPECT_TRUE(run.ui.captions.empty());
  qwtest::PumpFor(200);
  EXPECT_FALSE(qwtest::UninstallKeyExists());
  EXPECT_FALSE(qwtest::Exists(qwtest::ProgramsLink()));
}

TEST_F(InstallationTest, RunNowStartsTheApplicationOnlyWhenItExists) {
  int ends = 0;
  std::vector<std::string> launched;
  app::install::InstallerHooks hooks;
  hooks.launch = [&](const std::string& folder) { launched.push_back(folder); };
  hooks.endProgram = [&] { ++ends; };
  DWORD clock = 1000;  // the run button is not pressed the moment it appears
  hooks.now = [&] { return clock; };
  InstallRun run(qwtest::SingleMemberArchive(), hooks);
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_TRUE(run.WaitForShortcuts());
  clock += 60000;

  ASSERT_TRUE(DeleteFileA((folder_ + "qingwu.exe").c_str()));
  run.installation.OnRunClick();
  EXPECT_TRUE(launched.empty());
  EXPECT_EQ(ends, 0);
  EXPECT_TRUE(run.ui.Visible(Control::RunButton));

  ASSERT_TRUE(qwtest::WriteTextFile(folder_ + "qingwu.exe", "back"));
  run.installation.OnRunClick();
  EXPECT_EQ(launched, (std::vector<std::string>{folder_}));
  EXPECT_EQ(ends, 1);
}

}  // namespace

namespace {

TEST_F(InstallationTest, InstallsTheApplicationArchiveTheInstallerCarries) {
  InstallRun run(app::resources::PayloadArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  ASSERT_TRUE(run.WaitForShortcuts());
  EXPECT_EQ(run.ui.positions, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100}));
  for (const char* member : {"qingwu.exe", "uninst.exe"}) EXPECT_TRUE(qwtest::Exists(folder_ + member)) << member;
  EXPECT_FALSE(qwtest::Exists(folder_ + "sj.zip"));
  EXPECT_EQ(qwtest::LinkTarget(qwtest::DesktopLink()), folder_ + "qingwu.exe");
}

}  // namespace
