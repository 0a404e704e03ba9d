#include "payload/uninst/self_delete.h"

#include <windows.h>

#include <cwchar>

#include "payload/uninst/uninstall_data.h"

namespace uninst {
namespace {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, n);
}

bool ScheduleAtRestart(const std::wstring& installFolder) {
  const bool file = MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // Listed after the file, so the folder is empty by the time its turn comes.
  MoveFileExW(installFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return file;
}

}  // namespace

bool ScheduleSelfRemoval(const std::wstring& installFolder) {
  wchar_t temp[MAX_PATH] = {};
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH - 40) return ScheduleAtRestart(installFolder);
  wchar_t copy[MAX_PATH] = {};
  std::swprintf(copy, MAX_PATH, L"%lsqw-uninst-%lu.exe", temp, GetCurrentProcessId());
  if (!CopyFileW(OwnPath().c_str(), copy, FALSE)) return ScheduleAtRestart(installFolder);

  // The copy inherits a handle to this process and waits on it.
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
    DeleteFileW(copy);
    return ScheduleAtRestart(installFolder);
  }
  // The folder goes without its trailing backslash: before the closing quote
  // it would escape the quote.
  std::wstring folderArgument = installFolder;
  while (!folderArgument.empty() && folderArgument.back() == L'\\') folderArgument.pop_back();
  wchar_t command[MAX_PATH * 3] = {};
  std::swprintf(command, MAX_PATH * 3, L"\"%ls\" /finish %llu \"%ls\"", copy,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(self)), folderArgument.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // The temporary folder is its working folder: a working folder cannot be removed.
  const bool started = CreateProcessW(copy, command, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup, &process);
  CloseHandle(self);
  if (!started) {
    DeleteFileW(copy);
    return ScheduleAtRestart(installFolder);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

int FinishSelfRemoval(const std::wstring& handleText, const std::wstring& folderArgument) {
  const std::wstring installFolder = folderArgument + L"\\";
  if (!IsPlainAbsolutePath(installFolder)) return 2;
  const auto value = static_cast<UINT_PTR>(std::wcstoull(handleText.c_str(), nullptr, 10));
  HANDLE original = reinterpret_cast<HANDLE>(value);
  if (original) {
    WaitForSingleObject(original, 60000);
    CloseHandle(original);
  }
  const std::wstring uninstaller = installFolder + kUninstallerName;
  int code = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {  // the loader may hold the file a moment longer
    SetFileAttributesW(uninstaller.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(uninstaller.c_str()) || GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    if (attempt == 99) {
      MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      code = 3;
    }
    Sleep(100);
  }
  RemoveDirectoryW(installFolder.c_str());  // only when empty
  MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return code;
}

}  // namespace uninst
