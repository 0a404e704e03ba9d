#pragma once
// Owners of the uninstaller's Win32 handles; each releases exactly once.
#include <windows.h>

namespace uninst {

// A kernel handle (process, thread, event, file, snapshot). Null and
// INVALID_HANDLE_VALUE both mean none.
class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE h) : h_(h) {}
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (*this) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_ = nullptr;
};

// A search from FindFirstFileW.
class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (*this) FindClose(h_);
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// A registry key from RegOpenKeyExW.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }
  HKEY* receive() { return &key_; }  // only on an empty holder

 private:
  HKEY key_ = nullptr;
};

}  // namespace uninst
