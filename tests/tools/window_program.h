// The program behind a top-level window, for the test tools that find a
// window by the executable that owns it.
#pragma once

#include <windows.h>

#include <string>

// The file name (without folder) of the program a window's process runs;
// empty when the process cannot be asked.
inline std::wstring ProgramOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  if (!ok) return {};
  const std::wstring full(path, size);
  const size_t slash = full.find_last_of(L"\\/");
  return slash == std::wstring::npos ? full : full.substr(slash + 1);
}
