#include "payload/uninst/finishing.h"

#include <windows.h>

#include "app/system/install_folder.h"
#include "payload/uninst/finish_check.h"
#include "payload/uninst/owned_handles.h"
#include "payload/uninst/own_path.h"
#include "payload/uninst/uninstall_data.h"
#include "payload/uninst/uninstaller.h"

namespace uninst {
namespace {

constexpr int kDone = 0, kRefused = 2, kNotDeleted = 3;
// How long the copy waits for the original to end.
constexpr DWORD kOriginalEndMs = 60000;
// How long it then tries to delete the original's file and the folder.
constexpr int kRemovalAttempts = 150;
constexpr DWORD kRemovalRetryMs = 100;

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
  // Either may be held a moment after the original has ended: its file by
  // the loader, the folder by whoever last looked into it. A file whose
  // deletion is pending keeps its name until the last handle closes, so
  // the folder counts as removable only once the name is gone.
  const bool userFilesStay = !FolderHoldsOnly(installFolder, {kUninstallerName});
  for (int attempt = 0; attempt < kRemovalAttempts; ++attempt) {
    if (Exists(uninstaller)) {
      SetFileAttributesW(uninstaller.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(uninstaller.c_str());
    }
    if (!Exists(uninstaller)) {
      if (userFilesStay) break;
      if (RemoveDirectoryW(installFolder.c_str()) || !Exists(installFolder)) break;
    }
    Sleep(kRemovalRetryMs);
  }
  int code = kDone;
  if (Exists(uninstaller)) {
    MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    code = kNotDeleted;
  }
  // Listed after the file, so the folder is empty by the time its turn comes.
  if (!userFilesStay && Exists(installFolder)) MoveFileExW(installFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExW(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return code;
}

}  // namespace uninst
