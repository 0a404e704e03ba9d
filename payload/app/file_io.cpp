#include "payload/app/file_io.h"

#include <windows.h>

namespace qingwu {
namespace {
// A kernel file handle, closed exactly once.
class File {
 public:
  explicit File(HANDLE h) : h_(h) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = h_ == INVALID_HANDLE_VALUE || CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 20) ? (1u << 20) : bytes.size());
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}
}  // namespace

std::optional<std::string> ReadFileBytes(const std::wstring& path, std::size_t limit) {
  File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > limit)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(f.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = path + L".new";
  {
    File f(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr));
    if (!f) return false;
    const bool written = WriteAll(f.get(), bytes) && FlushFileBuffers(f.get());
    if (!f.Close() || !written) {
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool AppendFileBytes(const std::wstring& path, std::string_view bytes) {
  File f(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  const bool written = WriteAll(f.get(), bytes);
  return f.Close() && written;
}

}  // namespace qingwu
