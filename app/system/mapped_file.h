#pragma once
// A file mapped read-only into memory, to be read in place without copying
// it onto the heap.
#include <windows.h>

#include <string>

#include "app/system/owned_handles.h"
#include "ui/core/bytes.h"

namespace app::sys {

class MappedFile {
 public:
  // Maps the file at `path` (code page 936); empty when it cannot be
  // opened or mapped (an empty file cannot be mapped either).
  explicit MappedFile(const std::string& path);
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  ui::ByteView bytes() const { return {view_, size_}; }

 private:
  FileHandle file_;
  FileHandle mapping_;
  const std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace app::sys
