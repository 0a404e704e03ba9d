#pragma once
// A scratch folder of its own for each payload test, removed afterwards.
#include <windows.h>

#include <string>

namespace qwtest {

class ScratchFolder {
 public:
  // A new empty folder below the temporary folder; path ends with '\'.
  explicit ScratchFolder(const wchar_t* name);
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& file) const { return path_ + file; }
  // Writes `bytes` to a file in the folder; false on failure.
  bool Put(const std::wstring& file, const std::string& bytes) const;

 private:
  std::wstring path_;
};

void RemoveTreeW(const std::wstring& folder);

}  // namespace qwtest
