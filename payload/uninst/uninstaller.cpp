#include "payload/uninst/uninstaller.h"

#include <windows.h>

#include "payload/uninst/owned_handles.h"
#include "payload_members.h"

namespace uninst {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Deletes a plain file; a folder of that name is not ours and stays.
void RemoveFile(const std::wstring& path, RemovalResult& result) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    result.failed.push_back(path);
    return;
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileW(path.c_str()) && Exists(path)) result.failed.push_back(path);
}

std::wstring ReadRegistryText(HKEY key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return buffer;
}

// The program an uninstall command names: the installer stores the path in
// quotes (so a path with spaces names one program); older records hold it bare.
std::wstring CommandProgram(const std::wstring& command) {
  if (command.size() >= 2 && command.front() == L'"' && command.back() == L'"')
    return command.substr(1, command.size() - 2);
  return command;
}

// The key is deleted unless its uninstall command names another folder's
// uninstaller (a newer installation elsewhere).
void RemoveUninstallKey(const UninstallData& data, RemovalResult& result) {
  std::wstring command;
  {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return;
    command = CommandProgram(ReadRegistryText(key.get(), L"UninstallString"));
  }
  const std::wstring ours = data.installFolder + kUninstallerName;
  if (!command.empty() && CompareStringOrdinal(command.c_str(), -1, ours.c_str(), -1, TRUE) != CSTR_EQUAL) {
    result.keyKept = true;
    return;
  }
  const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result.failed.push_back(L"HKLM\\" + std::wstring(kUninstallKey));
}

}  // namespace

bool FolderHoldsOnly(const std::wstring& folder, const std::vector<std::wstring>& names) {
  WIN32_FIND_DATAW found;
  const FindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
  if (!search) return true;
  bool only = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    bool listed = false;
    for (const std::wstring& allowed : names) {
      if (CompareStringOrdinal(name.c_str(), -1, allowed.c_str(), -1, TRUE) == CSTR_EQUAL) listed = true;
    }
    if (!listed) only = false;
  } while (only && FindNextFileW(search.get(), &found));
  return only;
}

RemovalResult RemoveInstallation(const UninstallData& data) {
  RemovalResult result;
  for (const wchar_t* member : payload::kMembers) {
    if (std::wstring(member) == kUninstallerName) continue;  // removed after this process ends
    RemoveFile(data.installFolder + member, result);
  }
  const std::wstring product = kProductName;
  RemoveFile(data.groupFolder + L"\\" + product + L".lnk", result);
  RemoveFile(data.groupFolder + L"\\卸载" + product + L".lnk", result);
  RemoveDirectoryW(data.groupFolder.c_str());  // only when empty: the user's own links keep it
  RemoveFile(data.groupFolder + L".lnk", result);
  RemoveFile(data.desktopLink, result);

  // The key goes before Uninstall.dat: should the file stay, a second run
  // still finds its record and finishes.
  result.registrationKept = !result.failed.empty();
  if (!result.registrationKept) {
    RemoveUninstallKey(data, result);
    if (result.failed.empty()) RemoveFile(data.installFolder + kDataFileName, result);
    result.registrationKept = !result.failed.empty();
  }
  result.folderKept = !FolderHoldsOnly(data.installFolder, {kUninstallerName, kDataFileName});
  return result;
}

}  // namespace uninst
