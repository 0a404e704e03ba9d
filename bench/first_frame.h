#pragma once
// Shared by the two programs the start-up benchmark starts: how a program
// tells that its window's first frame has reached the screen.
#include <windows.h>

#include "bench/bench_support.h"

namespace bench {

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
