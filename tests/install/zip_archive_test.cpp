// The archive operation: entry-by-entry unpacking with progress, overwriting,
// and refusing archives that are damaged or would write outside the folder.
#include <gtest/gtest.h>

#include <vector>

#include "app/form/zip_archive.h"
#include "app/system/file_system.h"
#include "app/system/owned_handles.h"
#include "tests/install/install_env.h"
#include "tests/install/test_archives.h"

namespace {

using app::form::UnpackError;
using app::form::ZipArchive;

TEST(EntryNames, OnlyNamesThatStayInsideTheFolderAreSafe) {
  struct Case {
    const char* name;
    bool safe;
  } cases[] = {
      {"qingwu.exe", true},         {"docs/guide.txt", true},    {"docs\\guide.txt", true},
      {"docs/", true},              {"a..b.txt", true},          {"..a/b", true},
      {"./x.txt", true},            {"", false},                 {"/etc/x", false},
      {"\\x.txt", false},           {"C:x.txt", false},          {"C:\\x.txt", false},
      {"x.txt:stream", false},      {"..", false},               {"../x.txt", false},
      {"..\\x.txt", false},         {"docs/../../x.txt", false}, {"docs\\..\\x.txt", false},
      {"docs/..", false},           {"a/b\\..\\..\\..\\x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(app::form::IsSafeEntryName(c.name), c.safe) << c.name;
}

class ZipArchiveTest : public qwtest::InstallTraces {
 protected:
  void SetUp() override {
    InstallTraces::SetUp();
    ASSERT_TRUE(qwtest::MakeFolder(folder_));
  }
  // Writes `archive` to a file beside the target folder and unpacks it,
  // recording every progress report.
  app::form::UnpackResult Unpack(ui::ByteView archive) {
    const std::string path = std::string(qwtest::kTestRoot) + "test.zip";
    EXPECT_TRUE(app::sys::WriteWholeFile(path, archive));
    ZipArchive zip;
    zip.OnProgress([this](int percent) {
      reports_.push_back(percent);
      return true;
    });
    return zip.Unpack(path, folder_);
  }

  // The target folder: below the test root, named in code page 936.
  const std::string folder_ = std::string(qwtest::kTestRoot) + "目标\\";
  std::vector<int> reports_;
};

TEST_F(ZipArchiveTest, UnpacksEveryEntryAndReportsAfterEach) {
  const auto result = Unpack(qwtest::InstallArchive());
  ASSERT_TRUE(result.ok()) << result.subject;
  EXPECT_EQ(result.entries, 8);
  EXPECT_EQ(reports_, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100}));
  for (const auto& member : qwtest::kInstallMembers) {
    const std::string path = folder_ + member.name;
    const auto bytes = qwtest::ReadFileBytes(path);
    ASSERT_TRUE(bytes) << member.name;
    EXPECT_EQ(bytes->size(), member.size) << member.name;
    EXPECT_EQ(qwtest::FileCrc32(path), member.crc32) << member.name;
  }
}

TEST_F(ZipArchiveTest, CreatesTheFoldersEntryNamesImply) {
  const auto result = Unpack(qwtest::SubfolderArchive());
  ASSERT_TRUE(result.ok()) << result.subject;
  EXPECT_EQ(GetFileAttributesA((folder_ + "docs").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(qwtest::ReadFileBytes(folder_ + "docs\\guide.txt"), "member docs/guide.txt\r\n");
  EXPECT_EQ(qwtest::ReadFileBytes(folder_ + "bin\\tools\\tool.exe"), "member bin/tools/tool.exe\r\n");
  EXPECT_EQ(reports_, (std::vector<int>{0, 33, 66, 100}));
}

TEST_F(ZipArchiveTest, OverwritesAReadOnlyFileAndLeavesItNormal) {
  const std::string target = folder_ + "qingwu.exe";
  ASSERT_TRUE(qwtest::WriteTextFile(target, "old version"));
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  const auto result = Unpack(qwtest::InstallArchive());
  ASSERT_TRUE(result.ok()) << result.subject;
  EXPECT_EQ(qwtest::FileCrc32(target), qwtest::kInstallMembers[3].crc32);
  EXPECT_EQ(GetFileAttributesA(target.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
}

TEST_F(ZipArchiveTest, ATargetInUseStopsTheUnpackingWithoutAFinalReport) {
  const std::string target = folder_ + "qingwu.exe";
  ASSERT_TRUE(qwtest::WriteTextFile(target, "running"));
  // Held open without write sharing, as by a running program.
  app::sys::FileHandle inUse(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         0, nullptr));
  ASSERT_TRUE(inUse);
  const auto result = Unpack(qwtest::InstallArchive());
  EXPECT_EQ(result.error, UnpackError::CannotWrite);
  EXPECT_EQ(result.subject, target);
  EXPECT_EQ(reports_, (std::vector<int>{0, 12, 25}));  // entries 0..2 only; no 100
  EXPECT_FALSE(qwtest::Exists(folder_ + "qwupdate.exe"));
}

TEST_F(ZipArchiveTest, RefusesEntriesThatLeaveTheFolderBeforeWritingAnything) {
  struct Case {
    const char* what;
    ui::ByteView archive;
    const char* entry;
  } cases[] = {
      {"slash ..", qwtest::DotDotArchive(), "../escape.txt"},
      {"backslash ..", qwtest::BackslashDotDotArchive(), "docs\\..\\..\\escape.txt"},
      {"absolute", qwtest::AbsoluteArchive(), "/escape.txt"},
      {"backslash absolute", qwtest::BackslashAbsoluteArchive(), "\\escape.txt"},
      {"drive", qwtest::DriveArchive(), "C:escape.txt"},
  };
  for (const Case& c : cases) {
    reports_.clear();
    const auto result = Unpack(c.archive);
    EXPECT_EQ(result.error, UnpackError::UnsafeName) << c.what;
    EXPECT_EQ(result.subject, c.entry) << c.what;
    EXPECT_TRUE(reports_.empty()) << c.what;
    // The harmless first entry was not written either, and nothing escaped.
    EXPECT_FALSE(qwtest::Exists(folder_ + "readme.txt")) << c.what;
    EXPECT_FALSE(qwtest::Exists(std::string(qwtest::kTestRoot) + "escape.txt")) << c.what;
    EXPECT_FALSE(qwtest::Exists("C:\\escape.txt")) << c.what;
  }
}

TEST_F(ZipArchiveTest, ATruncatedArchiveCannotBeOpened) {
  const ui::ByteView whole = qwtest::InstallArchive();
  const auto result = Unpack(whole.first(whole.size() / 2));
  EXPECT_EQ(result.error, UnpackError::CannotOpen);
  EXPECT_EQ(result.subject, std::string(qwtest::kTestRoot) + "test.zip");
  EXPECT_TRUE(reports_.empty());
}

TEST_F(ZipArchiveTest, ADamagedEntryFailsItsChecksum) {
  const auto result = Unpack(qwtest::CorruptArchive());
  EXPECT_EQ(result.error, UnpackError::Corrupt);
  EXPECT_EQ(result.subject, "qwnet.dll");
  EXPECT_EQ(reports_, (std::vector<int>{0, 12}));
}

TEST_F(ZipArchiveTest, TheProgressHandlerCanStopIt) {
  const std::string path = std::string(qwtest::kTestRoot) + "test.zip";
  ASSERT_TRUE(app::sys::WriteWholeFile(path, qwtest::InstallArchive()));
  ZipArchive zip;
  int reports = 0;
  zip.OnProgress([&](int) { return ++reports < 2; });
  const auto result = zip.Unpack(path, folder_);
  EXPECT_EQ(result.error, UnpackError::Stopped);
  EXPECT_EQ(reports, 2);
  EXPECT_FALSE(qwtest::Exists(folder_ + "qwnet.dll"));
}

}  // namespace
