#pragma once
// Owning holders for the kernel, registry, find and COM handles the
// installer uses; each releases exactly once.
#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "ui/platform/com_apartment.h"

namespace app::sys {

// A file handle from CreateFileA (INVALID_HANDLE_VALUE means none).
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Closes the handle now; false when closing failed (buffered data lost).
  bool Close() {
    const bool ok = !*this || CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A registry key from RegOpenKeyExA / RegCreateKeyA.
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
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

// A COM interface pointer, released once.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_) p_->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void** receive() { return reinterpret_cast<void**>(&p_); }  // only on an empty holder

 private:
  T* p_ = nullptr;
};

// COM on the calling thread for the holder's life (the library's owner).
using ComApartment = ui::platform::ComApartment;

}  // namespace app::sys
