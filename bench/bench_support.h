#pragma once
// Small helpers shared by the benchmark programs: a millisecond clock,
// medians, and running a child program until it signals a named event.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

inline double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Mean time of `runs` calls of `work`, in milliseconds.
template <class F>
double MeanMs(int runs, F&& work) {
  const double t0 = NowMs();
  for (int i = 0; i < runs; ++i) work();
  return (NowMs() - t0) / runs;
}

// The folder of this program, with a trailing backslash.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Deletes the files in `folder` (trailing backslash) and the folder.
inline void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::wstring file = folder + data.cFileName;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

// A fresh, empty folder below the temporary folder (trailing backslash).
inline std::wstring FreshTempFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + L"\\";
  RemoveFolder(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

struct ChildRun {
  bool signalled = false;  // the child set the event in time
  double signalMs = 0;     // from just before CreateProcess to the event
  DWORD exitCode = 0;
};

// Starts `commandLine` (the event's name is appended), waits for the child
// to set the event and then for it to end.
inline ChildRun RunUntilSignalled(const std::wstring& commandLine, const std::wstring& eventName,
                                  DWORD timeoutMs = 120000) {
  ChildRun run;
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  if (!event) return run;
  std::wstring line = commandLine + L" " + eventName;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = NowMs();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(event);
    return run;
  }
  const HANDLE both[2] = {event, pi.hProcess};
  const DWORD woke = WaitForMultipleObjects(2, both, FALSE, timeoutMs);
  run.signalMs = NowMs() - t0;
  run.signalled = woke == WAIT_OBJECT_0;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  GetExitCodeProcess(pi.hProcess, &run.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(event);
  return run;
}

}  // namespace bench
