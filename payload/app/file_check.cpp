#include "payload/app/file_check.h"

#include <windows.h>

#include "payload_members.h"

namespace qingwu {

FileCheck::FileCheck(std::wstring folder, std::vector<std::wstring> names)
    : folder_(std::move(folder)), names_(std::move(names)) {}

int FileCheck::Percent() const {
  if (names_.empty()) return 100;
  return static_cast<int>(results_.size() * 100 / names_.size());
}

void FileCheck::Step() {
  if (Done()) return;
  CheckedFile file;
  file.name = names_[next_++];
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring path = folder_ + file.name;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
      !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    file.present = true;
    file.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  results_.push_back(std::move(file));
}

int FileCheck::MissingCount() const {
  int missing = 0;
  for (const CheckedFile& f : results_) missing += f.present ? 0 : 1;
  return missing;
}

std::vector<std::wstring> InstalledFileNames() {
  return std::vector<std::wstring>(payload::kMembers, payload::kMembers + payload::kMemberCount);
}

}  // namespace qingwu
