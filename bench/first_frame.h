#pragma once
// Shared by the two programs the start-up benchmark starts: how a program
// tells that its window's first frame has reached the screen, and the trace
// of its start-up stages.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_support.h"

namespace bench {

// Start-up stages in ms since the process was created, written as
// "<stage> <ms>" lines to the file QW_STARTUP_TRACE names (appended), when
// it names one; startup_bench prints their medians.
class StageTrace {
 public:
  StageTrace() {
    on_ = GetEnvironmentVariableW(L"QW_STARTUP_TRACE", file_, MAX_PATH) > 0;
    FILETIME unused1{}, unused2{}, unused3{};
    GetProcessTimes(GetCurrentProcess(), &created_, &unused1, &unused2, &unused3);
  }
  bool On() const { return on_; }
  // The stage reached now.
  void Mark(const char* stage) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    MarkAt(stage, now);
  }
  // A stage reached at `when` (e.g. before the C runtime started).
  void MarkAt(const char* stage, FILETIME when) {
    if (!on_) return;
    const double ms = static_cast<double>(Ticks(when) - Ticks(created_)) / 10000.0;
    lines_ += std::string(stage) + " " + std::to_string(ms) + "\n";
  }
  void Write() const {
    if (!on_) return;
    if (FILE* f = _wfopen(file_, L"ab")) {
      std::fputs(lines_.c_str(), f);
      std::fclose(f);
    }
  }

 private:
  static unsigned long long Ticks(FILETIME f) {
    return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  }
  bool on_ = false;
  wchar_t file_[MAX_PATH] = {};
  FILETIME created_{};
  std::string lines_;
};

inline BOOL CALLBACK NoteChildWaitingForPaint(HWND child, LPARAM found) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<BOOL*>(found) = TRUE;
    return FALSE;
  }
  return TRUE;
}

inline bool WaitsForPaint(HWND hwnd) {
  if (GetUpdateRect(hwnd, nullptr, FALSE)) return true;
  BOOL pending = FALSE;
  EnumChildWindows(hwnd, NoteChildWaitingForPaint, reinterpret_cast<LPARAM>(&pending));
  return pending != FALSE;
}

// Handles this thread's messages until `hwnd` is visible and neither it nor
// a child window waits for a paint, then flushes GDI: the first frame is on
// the screen. False when that did not happen within `timeoutMs`.
inline bool PumpUntilPresented(HWND hwnd, DWORD timeoutMs) {
  const double end = NowMs() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (IsWindow(hwnd) && IsWindowVisible(hwnd) && !WaitsForPaint(hwnd)) {
      GdiFlush();
      return true;
    }
    if (NowMs() > end || !IsWindow(hwnd)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Sets the named event the benchmark waits for.
inline void Signal(const wchar_t* eventName) {
  if (const HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName)) {
    SetEvent(event);
    CloseHandle(event);
  }
}

}  // namespace bench
