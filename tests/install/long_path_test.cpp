// Folders whose members would pass the classic path limit are refused
// before anything is created; the longest folder that fits installs.
#include <gtest/gtest.h>

#include "app/system/file_system.h"
#include "app/system/install_folder.h"
#include "tests/install/install_env.h"
#include "tests/install/install_run.h"
#include "tests/install/test_archives.h"

namespace {

using app::install::Phase;

// A folder below the test root of exactly `length` characters (ASCII),
// with its trailing backslash, in levels of at most 40 characters.
std::string FolderOfLength(std::size_t length) {
  std::string folder = qwtest::kTestRoot;
  while (length - folder.size() > 42) folder += std::string(40, 'd') + "\\";
  folder += std::string(length - folder.size() - 1, 'e') + "\\";
  return folder;
}

class LongPathTest : public qwtest::InstallTraces {};

TEST_F(LongPathTest, TooLongFoldersAreRefusedBeforeAnythingIsCreated) {
  for (std::size_t length : {common::kMaxFolderLength + 1, std::size_t{255}, std::size_t{270}, std::size_t{283},
                             std::size_t{322}}) {
    const std::string folder = FolderOfLength(length);
    ASSERT_EQ(folder.size(), length);
    qwtest::InstallRun run(qwtest::InstallArchive());
    run.ui.folder = folder;
    const auto before = run.ui.visible;
    ASSERT_TRUE(run.ClickInstallAndWait()) << length;
    EXPECT_EQ(run.installation.phase(), Phase::Ready) << length;
    EXPECT_EQ(run.ui.visible, before) << length;
    ASSERT_EQ(run.ui.messages.size(), 1u) << length;
    EXPECT_NE(run.ui.messages[0].text.find("太长"), std::string::npos) << run.ui.messages[0].text;
    EXPECT_NE(run.ui.messages[0].text.find(folder), std::string::npos) << length;
    EXPECT_TRUE(run.ui.positions.empty()) << length;
    EXPECT_FALSE(qwtest::Exists(qwtest::kTestRoot)) << length << ": folders left behind";
    EXPECT_FALSE(qwtest::UninstallKeyExists()) << length;
    EXPECT_FALSE(qwtest::Exists(qwtest::DesktopLink())) << length;
  }
}

TEST_F(LongPathTest, TheLongestFolderThatFitsInstalls) {
  // The installer and the uninstaller share this limit, which leaves room
  // for the longest installed name below the classic path limit.
  const std::string folder = FolderOfLength(common::kMaxFolderLength);
  qwtest::InstallRun run(qwtest::InstallArchive());
  run.ui.folder = folder;
  ASSERT_TRUE(run.ClickInstallAndWait());
  ASSERT_EQ(run.installation.phase(), Phase::Finished) << (run.ui.messages.empty() ? "" : run.ui.messages[0].text);
  EXPECT_TRUE(qwtest::Exists(folder + "\\Uninstall.dat"));
  for (const auto& member : qwtest::kInstallMembers) EXPECT_TRUE(qwtest::Exists(folder + member.name));
}

TEST_F(LongPathTest, AFolderTooLongForTheSystemHelperIsNotAttempted) {
  const std::string folder = FolderOfLength(300);
  EXPECT_FALSE(app::sys::EnsureFolder(folder));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_FALSE(qwtest::Exists(qwtest::kTestRoot));
}

}  // namespace
