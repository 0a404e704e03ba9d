// The application archive built into the installer: readable with minizip,
// eight deflated top-level members in the order of payload/members.txt,
// programs of this build's own architecture.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/resources/resources.h"
#include "payload_members.h"
#include "unzip.h"

namespace {

struct Member {
  std::string name;
  int method = 0;
  unsigned long size = 0;
};

// Writes the embedded archive to a temporary file and lists its members.
class ArchiveFile {
 public:
  ArchiveFile() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + L"qw-archive-test-" + std::to_wstring(GetCurrentProcessId()) + L".zip";
    const ui::ByteView bytes = app::resources::PayloadArchive();
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(file);
    }
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path_.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    zip_ = unzOpen(narrow);
  }
  ~ArchiveFile() {
    if (zip_) unzClose(zip_);
    DeleteFileW(path_.c_str());
  }
  unzFile get() const { return zip_; }

  std::vector<Member> Members() {
    std::vector<Member> members;
    for (int status = unzGoToFirstFile(zip_); status == UNZ_OK; status = unzGoToNextFile(zip_)) {
      unz_file_info info = {};
      char name[512] = {};
      if (unzGetCurrentFileInfo(zip_, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
      members.push_back({name, static_cast<int>(info.compression_method), info.uncompressed_size});
    }
    return members;
  }

  std::vector<unsigned char> Read(const char* name, std::size_t limit) {
    std::vector<unsigned char> bytes(limit);
    if (unzLocateFile(zip_, name, 1) != UNZ_OK || unzOpenCurrentFile(zip_) != UNZ_OK) return {};
    const int n = unzReadCurrentFile(zip_, bytes.data(), static_cast<unsigned>(limit));
    unzCloseCurrentFile(zip_);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
  }

 private:
  std::wstring path_;
  unzFile zip_ = nullptr;
};

std::string Narrow(const wchar_t* wide) {
  char out[256] = {};
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

// Machine field of a PE image, 0 when the bytes are not one.
unsigned PeMachine(const std::vector<unsigned char>& image) {
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return 0;
  const unsigned pe = image[0x3C] | image[0x3D] << 8 | image[0x3E] << 16 | image[0x3F] << 24;
  if (pe + 6 > image.size() || image[pe] != 'P' || image[pe + 1] != 'E') return 0;
  return image[pe + 4] | image[pe + 5] << 8;
}

}  // namespace

TEST(Archive, SizeIsWithinRange) {
  const std::size_t size = app::resources::PayloadArchive().size();
  EXPECT_GE(size, 6'500'000u);
  EXPECT_LE(size, 7'500'000u);
}

TEST(Archive, HoldsTheListedMembersAtTopLevelDeflated) {
  ArchiveFile archive;
  ASSERT_NE(archive.get(), nullptr);
  const std::vector<Member> members = archive.Members();
  ASSERT_EQ(members.size(), 8u);
  ASSERT_EQ(payload::kMemberCount, 8u);
  bool application = false, uninstaller = false;
  for (std::size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(members[i].name);
    EXPECT_EQ(members[i].name, Narrow(payload::kMembers[i]));
    EXPECT_EQ(members[i].name.find_first_of("/\\"), std::string::npos);
    EXPECT_EQ(members[i].method, Z_DEFLATED);
    EXPECT_GT(members[i].size, 0u);
    application |= members[i].name == "qingwu.exe";
    uninstaller |= members[i].name == "uninst.exe";
  }
  EXPECT_TRUE(application);
  EXPECT_TRUE(uninstaller);
}

TEST(Archive, ProgramsMatchThisBuildsArchitecture) {
#ifdef _WIN64
  const unsigned expected = IMAGE_FILE_MACHINE_AMD64;
#else
  const unsigned expected = IMAGE_FILE_MACHINE_I386;
#endif
  ArchiveFile archive;
  ASSERT_NE(archive.get(), nullptr);
  for (const char* program : {"qingwu.exe", "uninst.exe", "qwcore.dll"}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(PeMachine(archive.Read(program, 4096)), expected);
  }
}

TEST(Archive, EveryMemberUnpacksWithMatchingChecksum) {
  ArchiveFile archive;
  ASSERT_NE(archive.get(), nullptr);
  std::vector<char> buffer(1 << 16);
  for (int status = unzGoToFirstFile(archive.get()); status == UNZ_OK; status = unzGoToNextFile(archive.get())) {
    ASSERT_EQ(unzOpenCurrentFile(archive.get()), UNZ_OK);
    int n;
    while ((n = unzReadCurrentFile(archive.get(), buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    }
    EXPECT_EQ(n, 0);
    EXPECT_EQ(unzCloseCurrentFile(archive.get()), UNZ_OK);  // UNZ_CRCERROR on a damaged member
  }
}
