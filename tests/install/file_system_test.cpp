// File-system steps with code page 936 paths: separators that are the
// second byte of a character, creating every missing level, probing.
#include <gtest/gtest.h>

#include <vector>

#include "app/system/file_system.h"
#include "tests/install/install_env.h"

namespace {

using app::sys::EndsWithSeparator;
using app::sys::WithTrailingBackslash;

// "淺" is 0x9C 0x5C in code page 936: its second byte is a backslash.
constexpr char kShallow[] = "淺";

// The names in a folder (without "." and "..").
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

TEST(Separators, ASecondByteBackslashIsNoSeparator) {
  ASSERT_EQ(std::string(kShallow), "\x9c\x5c");
  struct Case {
    std::string path;
    bool ends;
  } cases[] = {
      {"C:\\", true},          {"C:\\a\\", true},       {"C:/a/", true},
      {"C:\\a", false},        {"", false},             {std::string("C:\\") + kShallow, false},
      {std::string("C:\\") + kShallow + "\\", true},
  };
  for (const Case& c : cases) EXPECT_EQ(EndsWithSeparator(c.path), c.ends) << c.path;
  EXPECT_EQ(WithTrailingBackslash(std::string("C:\\") + kShallow), std::string("C:\\") + kShallow + "\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(WithTrailingBackslash(""), "");
}

TEST(FolderPaths, OnlyDriveAndSharePathsAreAbsoluteAndTheyAreMadePlain) {
  struct Case {
    std::string path;
    bool absolute;
    std::string normalized;
  } cases[] = {
      {"C:\\", true, "C:\\"},
      {"C:\\Games", true, "C:\\Games\\"},
      {"c:/Games/青梧/", true, "c:\\Games\\青梧\\"},
      {"C:\\a\\.\\b\\..\\c", true, "C:\\a\\c\\"},
      {std::string("D:\\") + kShallow + "\\..\\x", true, "D:\\x\\"},
      {"\\\\server\\share\\app", true, "\\\\server\\share\\app\\"},
      {"Games", false, ""},
      {"\\Games", false, ""},
      {"C:Games", false, ""},
      {"..\\Games", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::sys::IsAbsolutePath(c.path), c.absolute) << c.path;
    EXPECT_EQ(app::sys::NormalizedFolder(c.path), c.normalized) << c.path;
  }
}

class FileSystemTest : public qwtest::InstallTraces {};

TEST_F(FileSystemTest, EnsureFolderCreatesEveryMissingLevel) {
  const std::string deep = std::string(qwtest::kTestRoot) + "一\\二\\三\\";
  EXPECT_FALSE(app::sys::FolderExists(deep));
  EXPECT_TRUE(app::sys::EnsureFolder(deep));
  EXPECT_TRUE(app::sys::FolderExists(deep));
  EXPECT_TRUE(app::sys::EnsureFolder(deep));  // already there
  // Without the trailing backslash the last level is made too.
  EXPECT_TRUE(app::sys::EnsureFolder(deep + "四"));
  EXPECT_TRUE(app::sys::FolderExists(deep + "四\\"));
}

TEST_F(FileSystemTest, EnsureFolderHandlesNamesWithASecondByteBackslash) {
  const std::string folder = std::string(qwtest::kTestRoot) + kShallow + "水\\" + kShallow + "\\";
  EXPECT_TRUE(app::sys::EnsureFolder(folder));
  EXPECT_TRUE(app::sys::FolderExists(folder));
  // No stray folder named after half a character on the way.
  EXPECT_EQ(Entries(qwtest::kTestRoot), (std::vector<std::string>{std::string(kShallow) + "水"}));
  EXPECT_EQ(Entries(std::string(qwtest::kTestRoot) + kShallow + "水\\"), (std::vector<std::string>{kShallow}));
  EXPECT_TRUE(app::sys::WriteWholeFile(folder + "x.txt", std::string_view("x")));
  EXPECT_EQ(qwtest::ReadFileBytes(std::string(qwtest::kTestRoot) + kShallow + "水\\" + kShallow + "\\x.txt"), "x");
}

TEST_F(FileSystemTest, EnsureFolderFailsWhereAFileIsInTheWay) {
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  ASSERT_TRUE(qwtest::WriteTextFile(std::string(qwtest::kTestRoot) + "file", "x"));
  EXPECT_FALSE(app::sys::EnsureFolder(std::string(qwtest::kTestRoot) + "file\\sub\\"));
  EXPECT_FALSE(app::sys::EnsureFolder(std::string(qwtest::kTestRoot) + "file\\"));
  EXPECT_FALSE(app::sys::EnsureFolder(""));
}

TEST_F(FileSystemTest, PathExistsProbesFilesAndFolders) {
  EXPECT_TRUE(app::sys::PathExists("C:\\Windows"));
  EXPECT_TRUE(app::sys::PathExists("C:\\Windows\\"));
  EXPECT_TRUE(app::sys::PathExists("C:\\"));
  EXPECT_FALSE(app::sys::PathExists("C:\\no such folder"));
  EXPECT_FALSE(app::sys::PathExists(""));
  ASSERT_TRUE(qwtest::MakeFolder(qwtest::kTestRoot));
  ASSERT_TRUE(qwtest::WriteTextFile(std::string(qwtest::kTestRoot) + "f.txt", "x"));
  EXPECT_TRUE(app::sys::PathExists(std::string(qwtest::kTestRoot) + "f.txt"));
  EXPECT_TRUE(app::sys::FileExists(std::string(qwtest::kTestRoot) + "f.txt"));
  EXPECT_FALSE(app::sys::FolderExists(std::string(qwtest::kTestRoot) + "f.txt"));
}

}  // namespace
