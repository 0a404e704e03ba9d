// The archive operation: entry-by-entry unpacking with progress, overwriting,
// and refusing archives that are damaged or would write outside the folder;
// from a file and from bytes in memory; members larger than the write buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "app/form/zip_archive.h"
#include "app/form/zip_memory_source.h"
#include "app/system/file_system.h"
#include "app/system/owned_handles.h"
#include "tests/install/install_env.h"
#include "tests/install/test_archives.h"
#include "tests/install/zip_builder.h"

namespace {

using app::form::UnpackError;
using app::form::ZipArchive;

// Every file and folder below `folder` (relative names; folders end with a
// backslash and have no content), with each file's bytes.
std::map<std::string, std::string> FolderContents(const std::string& folder, const std::string& below = {}) {
  std::map<std::string, std::string> contents;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((folder + below + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return contents;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      contents[below + name + "\\"];
      contents.merge(FolderContents(folder, below + name + "\\"));
    } else {
      contents[below + name] = qwtest::ReadFileBytes(folder + below + name).value_or("<unreadable>");
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return contents;
}

TEST(ZipMemorySource, ReadsComeBackShortAtTheEndAndSeeksStayInside) {
  const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  app::form::ZipMemoryCursor cursor{bytes};
  const zlib_filefunc64_def io = app::form::MemoryFileFunctions(cursor);
  EXPECT_FALSE(io.zopen64_file(io.opaque, nullptr, ZLIB_FILEFUNC_MODE_WRITE | ZLIB_FILEFUNC_MODE_CREATE));
  const voidpf stream = io.zopen64_file(io.opaque, nullptr, ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
  ASSERT_TRUE(stream);
  auto tell = [&] { return io.ztell64_file(io.opaque, stream); };
  auto seek = [&](ZPOS64_T offset, int origin) { return io.zseek64_file(io.opaque, stream, offset, origin); };
  std::uint8_t buffer[16] = {};
  auto read = [&](uLong size) { return io.zread_file(io.opaque, stream, buffer, size); };

  auto failed = [&] { return io.zerror_file(io.opaque, stream) != 0; };

  EXPECT_EQ(read(4), 4u);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(seek(3, ZLIB_FILEFUNC_SEEK_CUR), 0);
  EXPECT_EQ(tell(), 7u);
  EXPECT_EQ(read(3), 3u);  // up to the very end
  EXPECT_FALSE(failed());
  EXPECT_EQ(buffer[0], 8);
  EXPECT_EQ(buffer[2], 10);
  EXPECT_EQ(read(16), 0u);  // past it: short, and an error from now on
  EXPECT_TRUE(failed());
  ASSERT_EQ(seek(8, ZLIB_FILEFUNC_SEEK_SET), 0);
  EXPECT_EQ(read(16), 2u);
  EXPECT_TRUE(failed());
  EXPECT_EQ(io.zwrite_file(io.opaque, stream, buffer, 1), 0u);

  struct Case {
    ZPOS64_T from;
    ZPOS64_T offset;
    int origin;
    bool accepted;
  } seeks[] = {
      {5, 0, ZLIB_FILEFUNC_SEEK_SET, true},   {5, 10, ZLIB_FILEFUNC_SEEK_SET, true},
      {5, 11, ZLIB_FILEFUNC_SEEK_SET, false}, {5, 5, ZLIB_FILEFUNC_SEEK_CUR, true},
      {5, 6, ZLIB_FILEFUNC_SEEK_CUR, false},  {5, ~ZPOS64_T{0}, ZLIB_FILEFUNC_SEEK_CUR, false},
      {5, 0, ZLIB_FILEFUNC_SEEK_END, true},   {5, 1, ZLIB_FILEFUNC_SEEK_END, false},
      {5, 0, 7, false},
  };
  for (const Case& c : seeks) {
    ASSERT_EQ(seek(c.from, ZLIB_FILEFUNC_SEEK_SET), 0);
    const ZPOS64_T expected = !c.accepted                             ? c.from
                              : c.origin == ZLIB_FILEFUNC_SEEK_SET ? c.offset
                              : c.origin == ZLIB_FILEFUNC_SEEK_CUR ? c.from + c.offset
                                                                   : sizeof bytes;
    EXPECT_EQ(seek(c.offset, c.origin) == 0, c.accepted) << c.offset << " from " << c.origin;
    EXPECT_EQ(tell(), expected) << c.offset << " from " << c.origin;  // a refused seek does not move
  }
  EXPECT_EQ(io.zclose_file(io.opaque, stream), 0);

  // Opening again starts over; nothing at all is an empty file.
  const voidpf again = io.zopen64_file(io.opaque, nullptr, ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
  EXPECT_EQ(io.ztell64_file(io.opaque, again), 0u);
  EXPECT_EQ(io.zerror_file(io.opaque, again), 0);
  app::form::ZipMemoryCursor empty;
  const zlib_filefunc64_def none = app::form::MemoryFileFunctions(empty);
  const voidpf nothing = none.zopen64_file(none.opaque, nullptr, ZLIB_FILEFUNC_MODE_READ);
  ASSERT_TRUE(nothing);
  EXPECT_EQ(none.zread_file(none.opaque, nothing, buffer, 16), 0u);
  EXPECT_EQ(none.zseek64_file(none.opaque, nothing, 0, ZLIB_FILEFUNC_SEEK_END), 0);
  EXPECT_NE(none.zseek64_file(none.opaque, nothing, 1, ZLIB_FILEFUNC_SEEK_SET), 0);
}

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
  app::form::UnpackResult Unpack(ui::ByteView archive) { return Unpack(archive, folder_); }
  app::form::UnpackResult Unpack(ui::ByteView archive, const std::string& folder) {
    const std::string path = std::string(qwtest::kTestRoot) + "test.zip";
    EXPECT_TRUE(app::sys::WriteWholeFile(path, archive));
    return Recording().Unpack(path, folder);
  }
  // Unpacks `archive` where it lies in memory, recording every report.
  app::form::UnpackResult UnpackFromMemory(ui::ByteView archive, const std::string& folder) {
    return Recording().Unpack(archive, folder, kMemoryName);
  }
  app::form::UnpackResult UnpackFromMemory(ui::ByteView archive) { return UnpackFromMemory(archive, folder_); }

  ZipArchive Recording() {
    ZipArchive zip;
    zip.OnProgress([this](int percent) {
      reports_.push_back(percent);
      return true;
    });
    return zip;
  }

  // The name given for an archive in memory: no such file exists.
  static constexpr char kMemoryName[] = "Q:\\不存在\\sj.zip";
  // The target folder: below the test root, named in code page 936.
  const std::string folder_ = std::string(qwtest::kTestRoot) + "目标\\";
  std::vector<int> reports_;
};

// Archives whose second entry would land outside the folder, with that name.
struct UnsafeCase {
  const char* what;
  ui::ByteView archive;
  const char* entry;
};
std::vector<UnsafeCase> UnsafeCases() {
  return {
      {"slash ..", qwtest::DotDotArchive(), "../escape.txt"},
      {"backslash ..", qwtest::BackslashDotDotArchive(), "docs\\..\\..\\escape.txt"},
      {"absolute", qwtest::AbsoluteArchive(), "/escape.txt"},
      {"backslash absolute", qwtest::BackslashAbsoluteArchive(), "\\escape.txt"},
      {"drive", qwtest::DriveArchive(), "C:escape.txt"},
  };
}

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
  for (const UnsafeCase& c : UnsafeCases()) {
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

TEST_F(ZipArchiveTest, FromMemoryTheSameFilesAndReportsAsFromAFile) {
  const std::string fromMemory = std::string(qwtest::kTestRoot) + "内存\\";
  for (const ui::ByteView archive : {qwtest::InstallArchive(), qwtest::SubfolderArchive()}) {
    qwtest::RemoveTree(folder_);
    qwtest::RemoveTree(fromMemory);
    ASSERT_TRUE(qwtest::MakeFolder(folder_));
    ASSERT_TRUE(qwtest::MakeFolder(fromMemory));
    reports_.clear();
    const auto fileResult = Unpack(archive, folder_);
    const std::vector<int> fileReports = reports_;
    reports_.clear();
    const auto memoryResult = UnpackFromMemory(archive, fromMemory);
    ASSERT_TRUE(fileResult.ok()) << fileResult.subject;
    ASSERT_TRUE(memoryResult.ok()) << memoryResult.subject;
    EXPECT_EQ(memoryResult.entries, fileResult.entries);
    EXPECT_EQ(reports_, fileReports);
    const auto contents = FolderContents(fromMemory);
    EXPECT_GE(contents.size(), 3u);
    EXPECT_EQ(contents, FolderContents(folder_));
  }
}

TEST_F(ZipArchiveTest, DamagedEntryDataIsCorruptFromMemoryAndFromAFile) {
  struct Case {
    const char* what;
    ui::ByteView archive;
    const char* entry;
    std::vector<int> reports;  // the entries before the damaged one
  } cases[] = {
      {"stored data changed", qwtest::CorruptArchive(), "qwnet.dll", {0, 12}},
      {"deflate stream invalid", qwtest::BadDeflateArchive(), "qingwu.exe", {0, 12, 25}},
      {"checksum wrong", qwtest::WrongChecksumArchive(), "qwcore.dll", {}},
  };
  for (const Case& c : cases) {
    for (const bool inMemory : {true, false}) {
      reports_.clear();
      const auto result = inMemory ? UnpackFromMemory(c.archive) : Unpack(c.archive);
      EXPECT_EQ(result.error, UnpackError::Corrupt) << c.what << (inMemory ? " (memory)" : " (file)");
      EXPECT_EQ(result.subject, c.entry) << c.what;
      EXPECT_EQ(reports_, c.reports) << c.what;
    }
  }
}

TEST_F(ZipArchiveTest, BytesThatAreNoWholeArchiveCannotBeOpenedFromMemoryOrFromAFile) {
  const ui::ByteView whole = qwtest::InstallArchive();
  const std::string_view text = "this is plain text, not an archive";
  struct Case {
    const char* what;
    ui::ByteView bytes;
  } cases[] = {
      {"first half", whole.first(whole.size() / 2)},
      {"end record cut short", whole.first(whole.size() - 1)},
      {"end record alone", whole.last(22)},
      {"not a ZIP", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}},
      {"empty", {}},
  };
  for (bool fromFile : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (fromFile ? ", from a file" : ", from memory"));
      reports_.clear();
      const auto result = fromFile ? Unpack(c.bytes) : UnpackFromMemory(c.bytes);
      EXPECT_EQ(result.error, UnpackError::CannotOpen);
      EXPECT_EQ(result.subject, fromFile ? std::string(qwtest::kTestRoot) + "test.zip" : std::string(kMemoryName));
      EXPECT_EQ(result.entries, 0);
      EXPECT_TRUE(reports_.empty());
      EXPECT_TRUE(FolderContents(folder_).empty());
    }
  }
}

TEST_F(ZipArchiveTest, FromMemoryEntriesThatLeaveTheFolderAreRefusedBeforeWritingAnything) {
  for (const UnsafeCase& c : UnsafeCases()) {
    reports_.clear();
    const auto result = UnpackFromMemory(c.archive);
    EXPECT_EQ(result.error, UnpackError::UnsafeName) << c.what;
    EXPECT_EQ(result.subject, c.entry) << c.what;
    EXPECT_TRUE(reports_.empty()) << c.what;
    EXPECT_TRUE(FolderContents(folder_).empty()) << c.what;
    EXPECT_FALSE(qwtest::Exists(std::string(qwtest::kTestRoot) + "escape.txt")) << c.what;
  }
}

TEST_F(ZipArchiveTest, FromMemoryTheProgressHandlerCanStopIt) {
  ZipArchive zip;
  int reports = 0;
  zip.OnProgress([&](int) { return ++reports < 2; });
  const auto result = zip.Unpack(qwtest::InstallArchive(), folder_, kMemoryName);
  EXPECT_EQ(result.error, UnpackError::Stopped);
  EXPECT_EQ(result.subject, kMemoryName);
  EXPECT_EQ(reports, 2);
  EXPECT_TRUE(qwtest::Exists(folder_ + "uninst.exe"));
  EXPECT_FALSE(qwtest::Exists(folder_ + "qwnet.dll"));
}

namespace large {

using qwtest::BuiltMember;

// Unpacks `archive` from memory or from a file into a fresh folder.
class LargeZipTest : public ZipArchiveTest {
 protected:
  app::form::UnpackResult UnpackEither(const std::vector<std::uint8_t>& archive, bool inMemory) {
    qwtest::RemoveTree(folder_);
    EXPECT_TRUE(qwtest::MakeFolder(folder_));
    reports_.clear();
    const ui::ByteView bytes(archive.data(), archive.size());
    return inMemory ? UnpackFromMemory(bytes) : Unpack(bytes);
  }
};

TEST_F(LargeZipTest, MembersLargerThanTheWriteBufferArriveWhole) {
  const std::vector<BuiltMember> members = {
      {"big.pak", qwtest::NoiseBytes(2'500'000, 1), 0},
      {"text.log", qwtest::TextBytes(3'300'000), 8},
      {"noise.bin", qwtest::NoiseBytes(2'200'000, 2), 8},
      {"empty.txt", "", 0},
  };
  const std::vector<std::uint8_t> archive = qwtest::BuildZip(members);
  for (const bool inMemory : {true, false}) {
    SCOPED_TRACE(inMemory ? "from memory" : "from a file");
    const auto result = UnpackEither(archive, inMemory);
    ASSERT_TRUE(result.ok()) << result.subject;
    EXPECT_EQ(reports_, (std::vector<int>{0, 25, 50, 75, 100}));
    for (const BuiltMember& m : members) {
      const auto bytes = qwtest::ReadFileBytes(folder_ + m.name);
      ASSERT_TRUE(bytes) << m.name;
      EXPECT_TRUE(*bytes == m.data) << m.name << ": " << bytes->size() << " bytes, not " << m.data.size();
    }
  }
}

// A directory that misstates a member, or names a method the reader does
// not know, makes that member corrupt; the unpacking stops there (and
// does not hang or write past what the directory promises).
TEST_F(LargeZipTest, AMemberTheDirectoryMisstatesIsCorrupt) {
  const std::string text = qwtest::TextBytes(3'000'000);
  const std::string noise = qwtest::NoiseBytes(40'000, 3);
  auto size = [](const std::string& s) { return static_cast<std::uint32_t>(s.size()); };
  struct Case {
    const char* what;
    BuiltMember bad;
  } cases[] = {
      {"unpacked size claimed smaller", {"bad.bin", text, 8, 1000, std::nullopt}},
      {"unpacked size claimed larger", {"bad.bin", text, 8, size(text) + 1, std::nullopt}},
      {"stored sizes differ", {"bad.bin", noise, 0, size(noise) + 5, std::nullopt}},
      {"stored data past the end", {"bad.bin", noise, 0, size(noise) + (1 << 20), size(noise) + (1 << 20)}},
      {"unknown method", {"bad.bin", noise, 12, std::nullopt, std::nullopt}},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> archive = qwtest::BuildZip({{"first.txt", "first member\r\n", 8}, c.bad});
    for (const bool inMemory : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (inMemory ? ", from memory" : ", from a file"));
      const auto result = UnpackEither(archive, inMemory);
      EXPECT_EQ(result.error, UnpackError::Corrupt);
      EXPECT_EQ(result.subject, "bad.bin");
      EXPECT_EQ(reports_, (std::vector<int>{0}));
      EXPECT_EQ(qwtest::ReadFileBytes(folder_ + "first.txt"), "first member\r\n");
    }
  }
}

}  // namespace large

}  // namespace
