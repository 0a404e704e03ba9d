#include "tests/payload/payload_test_util.h"

#include "payload/app/file_io.h"

namespace qwtest {

void RemoveTreeW(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeW(path + L"\\");
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

ScratchFolder::ScratchFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"qw_payload_" + name + L"\\";
  RemoveTreeW(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTreeW(path_); }

bool ScratchFolder::Put(const std::wstring& file, const std::string& bytes) const {
  return qingwu::WriteFileBytes(path_ + file, bytes);
}

}  // namespace qwtest
