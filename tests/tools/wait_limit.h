// The time limit of a polling wait in the test tools. A wait is over only
// when the tick count says its time is up and the pauses taken between the
// polls add up to that time too: a tick count that moves oddly (a jump, or
// backwards, which wraps the unsigned difference) never ends a wait at
// once, making a window still on its way look absent.
#pragma once

#include <windows.h>

class WaitLimit {
 public:
  explicit WaitLimit(DWORD ms) : ms_(ms), start_(GetTickCount()) {}

  bool Over() const { return paused_ >= ms_ && GetTickCount() - start_ > ms_; }

  void Pause(DWORD ms) {
    Sleep(ms);
    paused_ += ms;
  }

 private:
  DWORD ms_;
  DWORD start_;
  DWORD paused_ = 0;
};
