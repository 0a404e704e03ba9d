#include "app/system/mapped_file.h"

namespace app::sys {

namespace {
// A read-only mapping of the whole file; null for no file or an empty one.
HANDLE MappingOf(const FileHandle& file) {
  return file ? CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
}
}  // namespace

MappedFile::MappedFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)),
      mapping_(MappingOf(file_)) {
  LARGE_INTEGER size{};
  if (!mapping_ || !GetFileSizeEx(file_.get(), &size) || size.QuadPart <= 0) return;
  // Fails for a file larger than the address space can hold.
  view_ = static_cast<const std::uint8_t*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
  if (view_) size_ = static_cast<std::size_t>(size.QuadPart);
}

MappedFile::~MappedFile() {
  if (view_) UnmapViewOfFile(view_);
}

}  // namespace app::sys
