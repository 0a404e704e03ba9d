// A failed or abandoned installation leaves the machine as it found it:
// each write step made to fail in turn, real failures, and closing the
// window while installing.
#include <gtest/gtest.h>

#include "app/install/failure_cause.h"
#include "app/system/owned_handles.h"
#include "app/system/write_faults.h"
#include "tests/install/install_env.h"
#include "tests/install/install_run.h"
#include "tests/install/machine_state.h"
#include "tests/install/test_archives.h"

namespace {

using app::install::Phase;
using qwtest::InstallRun;

class RollbackTest : public qwtest::InstallTraces {
 protected:
  void TearDown() override {
    app::sys::FailNthWrite(0, 0);
    InstallTraces::TearDown();
  }
  // A folder with files of the user's own, one of them named like a member
  // (read-only, so its attributes must come back too), and a desktop link
  // of an earlier installation.
  void PrepareUsedFolder() {
    ASSERT_TRUE(qwtest::WriteTextFile(qwtest::DesktopLink(), "an older link"));
    ASSERT_TRUE(qwtest::MakeFolder(used_));
    ASSERT_TRUE(qwtest::WriteTextFile(used_ + "mine.txt", "the user's own"));
    ASSERT_TRUE(qwtest::WriteTextFile(used_ + "readme.txt", "an older readme"));
    ASSERT_TRUE(SetFileAttributesA((used_ + "readme.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  }
  // Runs an installation with the n-th write step failing as a full disk;
  // the machine must be as before and the message must say why.
  void InstallFailingAt(const std::string& folder, int n) {
    const qwtest::MachineState before = qwtest::ReadMachineState();
    InstallRun run(qwtest::InstallArchive());
    run.ui.folder = folder;
    app::sys::FailNthWrite(n, ERROR_DISK_FULL);
    ASSERT_TRUE(run.ClickInstallAndWait()) << n;
    app::sys::FailNthWrite(0, 0);
    EXPECT_EQ(run.installation.phase(), Phase::Ready) << "write " << n;
    EXPECT_TRUE(run.ui.InReadyLayout()) << n;
    ASSERT_EQ(run.ui.messages.size(), 1u) << n;
    EXPECT_NE(run.ui.messages[0].text.find("磁盘空间不足"), std::string::npos) << n << run.ui.messages[0].text;
    for (const std::string& caption : run.ui.captions) EXPECT_NE(caption, "完成安装") << n;
    qwtest::PumpFor(150);  // a shortcut timer left running would fire now
    const qwtest::MachineState after = qwtest::ReadMachineState();
    EXPECT_TRUE(before == after) << "write " << n << " failing:\n" << qwtest::Differences(before, after);
  }
  // The write steps of a whole installation into `folder`.
  int CountWriteSteps(const std::string& folder) {
    InstallRun run(qwtest::InstallArchive());
    run.ui.folder = folder;
    app::sys::FailNthWrite(0, 0);
    EXPECT_TRUE(run.ClickInstallAndWait());
    EXPECT_EQ(run.installation.phase(), Phase::Finished);
    return app::sys::WriteSteps();
  }

  const std::string used_ = std::string(qwtest::kTestRoot) + "已有\\";
  const std::string fresh_ = std::string(qwtest::kTestRoot) + "新\\两层\\";
};

TEST_F(RollbackTest, EveryWriteStepThatFailsInAFolderInUseLeavesItAsItWas) {
  PrepareUsedFolder();
  const int steps = CountWriteSteps(used_);
  // Folders are there; the eight members (one kept copy), sj.zip, six
  // values, Uninstall.dat, the program group and four links.
  EXPECT_GE(steps, 20);
  Clean();
  for (int n = 1; n <= steps; ++n) {
    PrepareUsedFolder();
    InstallFailingAt(used_, n);
    Clean();
  }
}

TEST_F(RollbackTest, EveryWriteStepThatFailsInANewFolderRemovesItsParentsToo) {
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  const int steps = CountWriteSteps(fresh_);
  Clean();
  for (int n = 1; n <= steps; ++n) {
    ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
    InstallFailingAt(fresh_, n);
    EXPECT_FALSE(qwtest::Exists(std::string(qwtest::kTestRoot) + "新")) << n;
    Clean();
  }
}

TEST_F(RollbackTest, AFinishedInstallationKeepsNoCopiesAndTheReplacedFileIsGone) {
  PrepareUsedFolder();
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = used_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished);
  EXPECT_EQ(qwtest::ReadFileBytes(used_ + "mine.txt"), "the user's own");
  EXPECT_NE(qwtest::ReadFileBytes(used_ + "readme.txt"), "an older readme");
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((used_ + "~qw*").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a kept copy is left: " << data.cFileName;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(FailureCause, EachSystemErrorNamesItsCause) {
  using app::install::CauseText;
  EXPECT_NE(CauseText(ERROR_DISK_FULL).find("磁盘空间不足"), std::string::npos);
  EXPECT_EQ(CauseText(ERROR_HANDLE_DISK_FULL), CauseText(ERROR_DISK_FULL));
  EXPECT_NE(CauseText(ERROR_ACCESS_DENIED).find("拒绝访问"), std::string::npos);
  EXPECT_NE(CauseText(ERROR_FILENAME_EXCED_RANGE).find("路径太长"), std::string::npos);
  EXPECT_NE(CauseText(ERROR_SHARING_VIOLATION).find("正在被其他程序使用"), std::string::npos);
  EXPECT_EQ(CauseText(ERROR_LOCK_VIOLATION), CauseText(ERROR_SHARING_VIOLATION));
  // None of them blames another cause.
  EXPECT_EQ(CauseText(ERROR_DISK_FULL).find("使用"), std::string::npos);
  EXPECT_NE(CauseText(1234).find("1234"), std::string::npos);
  EXPECT_EQ(CauseText(0), "");
}

TEST_F(RollbackTest, AFolderWhereAMemberGoesIsRefusedAsAccessDeniedAndAllIsTakenBack) {
  ASSERT_TRUE(qwtest::MakeFolder(used_ + "readme.txt"));
  ASSERT_TRUE(qwtest::WriteTextFile(used_ + "mine.txt", "the user's own"));
  const qwtest::MachineState before = qwtest::ReadMachineState();
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = used_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  EXPECT_EQ(run.installation.phase(), Phase::Ready);
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_NE(run.ui.messages[0].text.find(used_ + "readme.txt"), std::string::npos) << run.ui.messages[0].text;
  EXPECT_NE(run.ui.messages[0].text.find("拒绝访问"), std::string::npos) << run.ui.messages[0].text;
  const qwtest::MachineState after = qwtest::ReadMachineState();
  EXPECT_TRUE(before == after) << qwtest::Differences(before, after);
}

TEST_F(RollbackTest, AMemberInUseIsNamedAsInUseAndAllIsTakenBack) {
  ASSERT_TRUE(qwtest::MakeFolder(used_));
  ASSERT_TRUE(qwtest::WriteTextFile(used_ + "qwcore.dll", "loaded"));
  app::sys::FileHandle inUse(CreateFileA((used_ + "qwcore.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(inUse);
  const qwtest::MachineState before = qwtest::ReadMachineState();
  InstallRun run(qwtest::InstallArchive());
  run.ui.folder = used_;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_NE(run.ui.messages[0].text.find("正在被其他程序使用"), std::string::npos) << run.ui.messages[0].text;
  const qwtest::MachineState after = qwtest::ReadMachineState();
  EXPECT_TRUE(before == after) << qwtest::Differences(before, after);
}

// Closing the window while installing.
class CloseWhileInstallingTest : public qwtest::InstallTraces {
 protected:
  struct Run {
    explicit Run(const std::string& folder) : run(qwtest::InstallArchive(), Hooks()) {
      run.ui.folder = folder;
      // The request comes from the UI thread when it is idle, as a click
      // does: after the report of 25 has been handled.
      run.ui.onPosition = [this](int p) {
        if (p == 25) reached25 = true;
      };
    }
    app::install::InstallerHooks Hooks() {
      app::install::InstallerHooks hooks;
      hooks.endProgram = [this] { ++ends; };
      return hooks;
    }
    void CloseAt25() {
      run.installation.OnInstallClick();
      ASSERT_TRUE(qwtest::PumpUntil([&] { return reached25 || !run.installation.Busy(); }, 60000));
      ASSERT_TRUE(reached25) << "the installation ended before 25: "
                             << (run.ui.messages.empty() ? "" : run.ui.messages[0].text);
      run.installation.OnCloseRequest();
    }
    int ends = 0;
    bool reached25 = false;
    InstallRun run;
  };
  const std::string folder_ = std::string(qwtest::kTestRoot) + "关闭\\";
};

TEST_F(CloseWhileInstallingTest, YesTakesTheInstallationBackThenEndsTheProgram) {
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  const qwtest::MachineState before = qwtest::ReadMachineState();
  Run r(folder_);
  r.run.ui.answer = [] { return true; };
  r.CloseAt25();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return r.ends > 0 && !r.run.installation.WorkerRunning(); }, 60000));
  EXPECT_EQ(r.ends, 1);
  ASSERT_EQ(r.run.ui.questions.size(), 1u);
  EXPECT_EQ(r.run.ui.questions[0].text, "安装尚未完成，确定要退出吗？");
  EXPECT_TRUE(r.run.ui.messages.empty()) << "leaving is no failure to report";
  EXPECT_NE(r.run.installation.phase(), Phase::Finished);
  qwtest::PumpFor(150);
  const qwtest::MachineState after = qwtest::ReadMachineState();
  EXPECT_TRUE(before == after) << qwtest::Differences(before, after);
}

TEST_F(CloseWhileInstallingTest, NoLetsTheInstallationFinish) {
  Run r(folder_);
  r.run.ui.answer = [] { return false; };
  r.CloseAt25();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !r.run.installation.Busy(); }, 60000));
  EXPECT_EQ(r.run.installation.phase(), Phase::Finished);
  EXPECT_EQ(r.ends, 0);
  EXPECT_EQ(r.run.ui.questions.size(), 1u);
  EXPECT_TRUE(qwtest::Exists(folder_ + "Uninstall.dat"));
  EXPECT_TRUE(qwtest::Exists(qwtest::DesktopLink()));
}

TEST_F(CloseWhileInstallingTest, TheEndOfTheWorkerWaitsForTheAnswer) {
  // The question stays on the screen until the worker has ended.
  for (bool leave : {false, true}) {
    Clean();
    Run r(folder_);
    r.run.ui.answer = [&] {
      EXPECT_TRUE(qwtest::PumpUntil([&] { return !r.run.installation.WorkerRunning(); }, 60000));
      qwtest::PumpFor(150);  // the shortcut timer would have run by now
      EXPECT_EQ(r.run.installation.phase(), Phase::Installing) << "finished behind the question";
      return leave;
    };
    r.CloseAt25();
    ASSERT_TRUE(qwtest::PumpUntil([&] { return !r.run.installation.Busy(); }, 60000));
    if (leave) {
      EXPECT_EQ(r.ends, 1);
      EXPECT_FALSE(qwtest::Exists(folder_));
      EXPECT_FALSE(qwtest::UninstallKeyExists());
      EXPECT_FALSE(qwtest::Exists(qwtest::DesktopLink()));
    } else {
      EXPECT_EQ(r.ends, 0);
      EXPECT_EQ(r.run.installation.phase(), Phase::Finished);
      EXPECT_TRUE(qwtest::Exists(qwtest::DesktopLink()));
    }
  }
}

TEST_F(CloseWhileInstallingTest, OutsideAnInstallationTheProgramEndsWithoutAQuestion) {
  Run r(folder_);
  r.run.installation.OnCloseRequest();
  EXPECT_EQ(r.ends, 1);
  EXPECT_TRUE(r.run.ui.questions.empty());
}

}  // namespace
