#include "payload/uninst/finishing.h"

#include <windows.h>

#include "app/system/install_folder.h"
#include "payload/uninst/finish_check.h"
#include "payload/uninst/owned_handles.h"
#include "payload/uninst/own_path.h"
#include "payload/uninst/uninstall_data.h"

namespace uninst {
namespace {

constexpr int kDone = 0, kRefused = 2, kNotDeleted = 3;
// How long the copy waits for the original to end.
constexpr DWORD kOriginalEndMs = 60000;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int FinishSelfRemoval(const std::wstring& processText, const std::wstring& readyText,
                      const std::wstring& folderArgument) {
  const common::FolderCheck folder = common::NormalizeFolder(folderArgument);
  if (folder.folder.empty()) return kRefused;
  const std::wstring& installFolder = folder.folder;
  HANDLE parentValue = HandleFromText(processText);
  HANDLE readyValue = HandleFromText(readyText);
  // Nothing is closed before the check: the values may name handles of
  // this process that are not the parent's.
  if (!parentValue || !readyValue || !IsStartedByUninstallerOf(parentValue, installFolder)) return kRefused;
  const KernelHandle original(parentValue);
  const KernelHandle ready(readyValue);
  // The original removes its record last, after everything else: while it
  // is there, the uninstaller is still needed.
  if (Exists(installFolder + kDataFileName)) return kRefused;
  SetEvent(ready.get());
  WaitForSingleObject(original.get(), kOriginalEndMs);

  const std::wstring uninstaller = installFolder + kUninstallerName;
  int code = kDone;
  for (int attempt = 0; attempt < 100; ++attempt) {  // the loader may hold the file a moment longer
    SetFileAttributesW(uninstaller.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(uninstaller.c_str()) || !Exists(uninstaller)) break;
    if (attempt == 99) {
      MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      code = kNotDeleted;
    }
    Sleep(100);
  }
  RemoveDirectoryW(installFolder.c_str());  // only when empty
  MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return code;
}

}  // namespace uninst
