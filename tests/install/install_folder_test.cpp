// The one normal form of an installation folder: what the installer writes
// and the uninstaller accepts.
#include <gtest/gtest.h>

#include <string>

#include "app/system/install_folder.h"

namespace {

using common::FolderProblem;
using common::NormalizeFolder;

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(InstallFolder, UsableFoldersGetOneNormalForm) {
  struct Case {
    std::wstring path, folder;
  } cases[] = {
      {L"C:\\", L"C:\\"},
      {L"C:\\Games", L"C:\\Games\\"},
      {L"c:/Games/青梧/", L"c:\\Games\\青梧\\"},
      {L"C:\\a\\\\b\\\\", L"C:\\a\\b\\"},
      {L"C:\\a\\.\\b\\..\\c", L"C:\\a\\c\\"},
      {L"C:\\..\\..\\x", L"C:\\x\\"},                 // ".." never leaves the drive
      {L"D:\\淺\\..\\x", L"D:\\x\\"},                 // a character whose code page 936 form ends in 0x5C
      {L"C:\\x.\\..\\y", L"C:\\y\\"},                 // a dotted part taken away by ".." counts no more
      {L"\\\\server\\share\\app", L"\\\\server\\share\\app\\"},
      {L"//server/share/../..", L"\\\\server\\share\\"},  // nor the share
  };
  for (const Case& c : cases) {
    const common::FolderCheck check = NormalizeFolder(c.path);
    EXPECT_EQ(check.problem, FolderProblem::None) << Utf8(c.path);
    EXPECT_EQ(check.folder, c.folder) << Utf8(c.path);
    // The normal form is its own normal form: the uninstaller's test for
    // "as the installer wrote it".
    EXPECT_EQ(NormalizeFolder(check.folder).folder, check.folder) << Utf8(c.path);
  }
}

TEST(InstallFolder, UnusableFoldersAreRefusedWithTheReasonAndPart) {
  struct Case {
    std::wstring path;
    FolderProblem problem;
    std::wstring part;
  } cases[] = {
      {L"", FolderProblem::NotAbsolute, L""},
      {L"games", FolderProblem::NotAbsolute, L""},
      {L"\\games\\", FolderProblem::NotAbsolute, L""},
      {L"C:games", FolderProblem::NotAbsolute, L""},
      {L"..\\games", FolderProblem::NotAbsolute, L""},
      {L"\\\\server", FolderProblem::NotAbsolute, L""},
      {L"\\\\\\share", FolderProblem::NotAbsolute, L""},
      {L"\\\\?\\C:\\x", FolderProblem::BadName, L"?"},
      {L"\\\\.\\C:\\x", FolderProblem::BadName, L"."},
      {L"C:\\a*b", FolderProblem::BadName, L"a*b"},
      {L"C:\\x:stream\\y", FolderProblem::BadName, L"x:stream"},
      {L"C:\\a\\<b>", FolderProblem::BadName, L"<b>"},
      {L"C:\\tab\there", FolderProblem::BadName, L"tab\there"},
      {L"C:\\NUL\\x", FolderProblem::BadName, L"NUL"},
      {L"C:\\games\\com1.txt", FolderProblem::BadName, L"com1.txt"},
      {L"C:\\qw5. \\sub", FolderProblem::EndsInDotOrSpace, L"qw5. "},
      {L"C:\\x.", FolderProblem::EndsInDotOrSpace, L"x."},
      {L"C:\\x \\", FolderProblem::EndsInDotOrSpace, L"x "},
      {L"C:\\...\\y", FolderProblem::EndsInDotOrSpace, L"..."},
      {L"C:\\a.\\b \\", FolderProblem::EndsInDotOrSpace, L"a."},  // the first one is named
  };
  for (const Case& c : cases) {
    const common::FolderCheck check = NormalizeFolder(c.path);
    EXPECT_EQ(check.problem, c.problem) << Utf8(c.path);
    EXPECT_EQ(check.part, c.part) << Utf8(c.path);
  }
  // A folder with a dotted part still has its normal form: the uninstaller
  // can remove what earlier installers put there.
  EXPECT_EQ(NormalizeFolder(L"C:/qw5. //sub").folder, L"C:\\qw5. \\sub\\");
  EXPECT_TRUE(NormalizeFolder(L"C:\\a*b").folder.empty());
}

TEST(InstallFolder, TheFolderLeavesRoomForTheNamesInside) {
  const std::wstring longest = L"C:\\" + std::wstring(common::kMaxFolderLength - 4, L'a');
  EXPECT_EQ(NormalizeFolder(longest).problem, FolderProblem::None);
  EXPECT_EQ(NormalizeFolder(longest).folder.size(), common::kMaxFolderLength);
  EXPECT_EQ(NormalizeFolder(longest + L"a").problem, FolderProblem::TooLong);
  EXPECT_TRUE(NormalizeFolder(longest + L"a").folder.empty());
  // Parts taken away by ".." do not count.
  EXPECT_EQ(NormalizeFolder(longest + L"a\\..").problem, FolderProblem::None);
}

}  // namespace
