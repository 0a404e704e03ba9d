#include "payload/uninst/finish_check.h"

#include <windows.h>
#include <tlhelp32.h>

#include "app/system/install_folder.h"
#include "payload/uninst/owned_handles.h"
#include "payload/uninst/uninstall_data.h"

namespace uninst {
namespace {

// The id of the process that started this one; 0 when unknown.
DWORD ParentProcessId() {
  const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  const DWORD self = GetCurrentProcessId();
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
  }
  return 0;
}

std::wstring ProgramOf(HANDLE process) {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) return {};
  return std::wstring(path, size);
}

}  // namespace

HANDLE HandleFromText(const std::wstring& text) {
  if (text.empty() || text.size() > 20) return nullptr;
  unsigned long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return nullptr;
    const unsigned long long digit = static_cast<unsigned long long>(c - L'0');
    if (value > (~0ull - digit) / 10) return nullptr;
    value = value * 10 + digit;
  }
  if (value == 0 || value > static_cast<unsigned long long>(~static_cast<UINT_PTR>(0))) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
}

bool IsStartedByUninstallerOf(HANDLE process, const std::wstring& installFolder) {
  // A handle that is no process handle (or lacks the rights) has no id.
  const DWORD id = GetProcessId(process);
  if (id == 0 || id == GetCurrentProcessId() || id != ParentProcessId()) return false;
  // The handle keeps the id from being reused while it is open, so the
  // parent found above is the process checked below.
  if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return false;
  const std::wstring program = ProgramOf(process);
  return !program.empty() && common::SamePath(program, installFolder + kUninstallerName);
}

}  // namespace uninst
