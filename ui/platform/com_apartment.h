#pragma once
// ComApartment: COM initialised as a single-threaded apartment on the
// calling thread for the holder's life; the matching CoUninitialize runs
// only when the initialisation succeeded. A UI thread needs one to hand its
// windows' accessibility objects to other processes, and the shell's link
// objects need one too.
#include <windows.h>
#include <objbase.h>

namespace ui::platform {

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  // COM is usable on this thread (also when another apartment kind was set up before).
  bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace ui::platform
