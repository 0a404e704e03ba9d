#pragma once
// Owner of one kernel handle (process, thread, event, file, snapshot);
// closes it exactly once. Null and INVALID_HANDLE_VALUE both mean none.
#include <windows.h>

namespace uninst {

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

}  // namespace uninst
