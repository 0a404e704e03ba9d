// Failures are never reported as success: each ends in the Ready layout
// with a message naming the folder or file, without "完成安装", Uninstall.dat
// or shortcuts, and with sj.zip removed.
#include <gtest/gtest.h>

#include "app/system/owned_handles.h"
#include "tests/install/install_env.h"
#include "tests/install/install_run.h"
#include "tests/install/test_archives.h"

namespace {

using app::install::Phase;
using qwtest::InstallRun;

class InstallFailureTest : public qwtest::InstallTraces {
 protected:
  // The failed run's common outcome; `named` must appear in the message.
  void ExpectFailedRun(InstallRun& run, const std::string& named) {
    EXPECT_EQ(run.installation.phase(), Phase::Ready);
    EXPECT_FALSE(run.installation.WorkerRunning());
    EXPECT_TRUE(run.ui.InReadyLayout());
    EXPECT_EQ(run.ui.position, 0);
    ASSERT_EQ(run.ui.messages.size(), 1u);
    EXPECT_EQ(run.ui.messages[0].caption, "提醒");
    // The Ready window is drawn behind the message, and drawing is no longer held.
    EXPECT_FALSE(run.ui.messages[0].drawingHeld);
    EXPECT_EQ(run.ui.holds, 0);
    EXPECT_EQ(run.ui.unbalancedReleases, 0);
    EXPECT_NE(run.ui.messages[0].text.find("安装失败"), std::string::npos) << run.ui.messages[0].text;
    EXPECT_NE(run.ui.messages[0].text.find(named), std::string::npos) << run.ui.messages[0].text;
    for (const std::string& caption : run.ui.captions) EXPECT_NE(caption, "完成安装");
    EXPECT_FALSE(qwtest::Exists(folder_ + "sj.zip"));
    EXPECT_FALSE(qwtest::Exists(folder_ + "Uninstall.dat"));
    EXPECT_EQ(run.shortcutTimer.Interval(), 0u);
    qwtest::PumpFor(300);  // a shortcut timer would have fired by now
    EXPECT_FALSE(qwtest::Exists(qwtest::DesktopLink()));
    EXPECT_FALSE(qwtest::Exists(qwtest::ProgramsLink()));
    EXPECT_EQ(run.ui.callsOffThread, 0);
  }

  const std::string folder_ = std::string(qwtest::kTestRoot) + "安装\\";
};

TEST_F(InstallFailureTest, AFolderThatCannotBeCreatedKeepsTheWindowReadyForAnotherChoice) {
  // A file stands where a parent folder would have to be.
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  ASSERT_TRUE(qwtest::WriteTextFile(std::string(qwtest::kTestRoot) + "blocker", "a file"));
  const std::string impossible = std::string(qwtest::kTestRoot) + "blocker\\sub\\";
  DWORD clock = 1000;
  app::install::InstallerHooks hooks;
  hooks.now = [&] { return clock; };
  InstallRun run(qwtest::SingleMemberArchive(), hooks);
  run.ui.folder = impossible;
  const auto before = run.ui.visible;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ExpectFailedRun(run, impossible);
  EXPECT_EQ(run.ui.visible, before);
  EXPECT_TRUE(run.ui.positions.empty());
  EXPECT_FALSE(qwtest::UninstallKeyExists());

  // Another folder installs (a click after the double-click time).
  clock += 60000;
  run.ui.messages.clear();
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  EXPECT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_TRUE(run.ui.messages.empty());
  EXPECT_TRUE(qwtest::Exists(folder_ + "qingwu.exe"));
  ASSERT_TRUE(run.WaitForShortcuts());
}

TEST_F(InstallFailureTest, ATargetFileThatCannotBeWritten) {
  ASSERT_TRUE(qwtest::MakeFolder(folder_));
  const std::string target = folder_ + "qingwu.exe";
  ASSERT_TRUE(qwtest::WriteTextFile(target, "running"));
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  // Read-only and open without write sharing (a running program): resetting
  // its attributes does not make it writable.
  app::sys::FileHandle inUse(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         0, nullptr));
  ASSERT_TRUE(inUse);
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ExpectFailedRun(run, target);
  EXPECT_EQ(run.ui.positions, (std::vector<int>{0, 12, 25, 0}));  // back to 0 on the way to Ready
}

TEST_F(InstallFailureTest, AnArchiveThatCannotBeWritten) {
  // A folder named sj.zip is in the way of the temporary archive.
  ASSERT_TRUE(qwtest::MakeFolder(folder_ + "sj.zip"));
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  EXPECT_EQ(run.installation.phase(), Phase::Ready);
  EXPECT_TRUE(run.ui.InReadyLayout());
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_NE(run.ui.messages[0].text.find(folder_ + "sj.zip"), std::string::npos);
  EXPECT_FALSE(qwtest::Exists(folder_ + "qingwu.exe"));
}

TEST_F(InstallFailureTest, AnArchiveEntryLeavingTheFolder) {
  InstallRun run(qwtest::DotDotArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ExpectFailedRun(run, "../escape.txt");
  EXPECT_FALSE(qwtest::Exists(std::string(qwtest::kTestRoot) + "escape.txt"));
  EXPECT_FALSE(qwtest::Exists(folder_ + "readme.txt"));
}

TEST_F(InstallFailureTest, ATruncatedArchive) {
  const ui::ByteView whole = qwtest::InstallArchive();
  InstallRun run(whole.first(whole.size() - 200));
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ExpectFailedRun(run, folder_ + "sj.zip");
  EXPECT_TRUE(run.ui.positions.empty() || run.ui.positions == std::vector<int>{0});
}

TEST_F(InstallFailureTest, ADamagedArchiveEntry) {
  InstallRun run(qwtest::CorruptArchive());
  run.ui.folder = folder_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ExpectFailedRun(run, "qwnet.dll");
}

}  // namespace
