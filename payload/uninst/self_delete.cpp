#include "payload/uninst/self_delete.h"

#include <windows.h>

#include <cwchar>

#include "payload/uninst/owned_handles.h"
#include "payload/uninst/own_path.h"

namespace uninst {
namespace {

// How long the original waits for the copy to accept it.
constexpr DWORD kReadyTimeoutMs = 30000;
// How many names the copy may try in the temporary folder.
constexpr int kCopyNames = 8;

bool ScheduleAtRestart(const std::wstring& installFolder) {
  const bool file = MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // Listed after the file, so the folder is empty by the time its turn comes.
  MoveFileExW(installFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return file;
}

// Starts the copy with both handles inherited and waits for its signal.
// False when it did not start or did not accept (it has then ended and
// deleted nothing).
bool StartCopy(const std::wstring& copy, const std::wstring& workingFolder, const std::wstring& installFolder) {
  // What the copy waits on and checks: this process, readable by it.
  HANDLE selfRaw = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &selfRaw,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
    return false;
  const KernelHandle self(selfRaw);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const KernelHandle ready(CreateEventW(&inherited, TRUE, FALSE, nullptr));
  if (!ready) return false;

  // The folder goes without its trailing backslash: before the closing quote
  // it would escape the quote.
  std::wstring folderArgument = installFolder;
  while (!folderArgument.empty() && folderArgument.back() == L'\\') folderArgument.pop_back();
  wchar_t command[MAX_PATH * 3] = {};
  std::swprintf(command, MAX_PATH * 3, L"\"%ls\" /finish %llu %llu \"%ls\"", copy.c_str(),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(self.get())),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(ready.get())), folderArgument.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // The temporary folder is its working folder: a working folder cannot be removed.
  if (!CreateProcessW(copy.c_str(), command, nullptr, nullptr, TRUE, 0, nullptr, workingFolder.c_str(), &startup,
                      &started))
    return false;
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  const HANDLE waits[2] = {ready.get(), process.get()};
  if (WaitForMultipleObjects(2, waits, FALSE, kReadyTimeoutMs) == WAIT_OBJECT_0) return true;
  // It refused or hangs: it must not act once this process has ended.
  TerminateProcess(process.get(), 2);
  WaitForSingleObject(process.get(), kReadyTimeoutMs);
  return false;
}

}  // namespace

bool ScheduleSelfRemoval(const std::wstring& installFolder) {
  wchar_t temp[MAX_PATH] = {};
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH - 40) return ScheduleAtRestart(installFolder);
  // A copy left from an earlier uninstallation may have this name and,
  // should it still run, cannot be replaced: the next name is tried then.
  wchar_t copy[MAX_PATH] = {};
  bool copied = false;
  for (int n = 0; n < kCopyNames && !copied; ++n) {
    if (n == 0)
      std::swprintf(copy, MAX_PATH, L"%lsqw-uninst-%lu.exe", temp, GetCurrentProcessId());
    else
      std::swprintf(copy, MAX_PATH, L"%lsqw-uninst-%lu-%d.exe", temp, GetCurrentProcessId(), n);
    copied = CopyFileW(OwnPath().c_str(), copy, FALSE);
  }
  if (!copied) return ScheduleAtRestart(installFolder);
  if (!StartCopy(copy, temp, installFolder)) {
    DeleteFileW(copy);
    return ScheduleAtRestart(installFolder);
  }
  return true;
}

}  // namespace uninst
