// uninst.exe: removes 青梧网游加速器.
//
//   uninst.exe          asks for confirmation, removes, reports in a message box
//   uninst.exe /S       silent: no questions, no messages; the exit code tells
//
// Exit codes: 0 removed; 1 the user declined; 2 "Uninstall.dat" is missing or
// malformed (nothing was changed); 3 some items could not be removed.
// "/finish <handle> <folder>" is the temporary copy's internal mode
// (self_delete.h).
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "payload/uninst/self_delete.h"
#include "payload/uninst/uninstall_data.h"
#include "payload/uninst/uninstaller.h"

namespace {

enum ExitCode { kRemoved = 0, kDeclined = 1, kNoData = 2, kIncomplete = 3 };
constexpr wchar_t kCaption[] = L"青梧网游加速器 卸载";
constexpr DWORD kMaxDataSize = 64 * 1024;

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The whole file, or nothing when it is missing, unreadable or too large.
bool ReadSmallFile(const std::wstring& path, std::string* bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxDataSize;
  if (ok) {
    bytes->resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes->empty() || (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                            read == bytes->size());
  }
  CloseHandle(file);
  return ok;
}

// Asks a running application window to close and waits a little for it.
void CloseRunningApplication() {
  HWND app = FindWindowW(L"QingwuAccelerator", nullptr);
  if (!app) return;
  PostMessageW(app, WM_CLOSE, 0, 0);
  for (int i = 0; i < 50 && IsWindow(app); ++i) Sleep(100);
}

class Session {
 public:
  explicit Session(bool silent) : silent_(silent) {}

  int Run() {
    const std::wstring folder = OwnFolder();
    std::string bytes;
    if (!ReadSmallFile(folder + uninst::kDataFileName, &bytes)) {
      return Refuse(L"找不到卸载信息文件 Uninstall.dat，无法卸载。\n\n请重新安装青梧网游加速器后再卸载。");
    }
    std::wstring problem;
    auto data = uninst::ParseUninstallData(bytes, &problem);
    if (!data) return Refuse(L"卸载信息文件 Uninstall.dat 已损坏，未做任何更改。\n\n" + problem);
    if (!uninst::SameFolder(data->installFolder, folder)) {
      return Refuse(L"卸载信息文件 Uninstall.dat 记录的安装文件夹与卸载程序所在的文件夹不一致，未做任何更改。");
    }
    if (!silent_ && Ask(L"确定要完全移除“青梧网游加速器”及其所有组件吗？") != IDYES) return kDeclined;

    CloseRunningApplication();
    const uninst::RemovalResult result = uninst::RemoveInstallation(*data);
    const bool scheduled = uninst::ScheduleSelfRemoval(data->installFolder);
    if (!result.failed.empty() || !scheduled) {
      std::wstring text = L"卸载未能全部完成，以下项目无法删除：\n";
      for (const std::wstring& item : result.failed) text += L"\n" + item;
      if (!scheduled) text += L"\n" + data->installFolder + uninst::kUninstallerName;
      text += L"\n\n请关闭正在使用这些文件的程序后再试一次。";
      Tell(text, MB_ICONWARNING);
      return kIncomplete;
    }
    std::wstring text = L"青梧网游加速器已从您的计算机中移除。";
    if (result.folderKept) text += L"\n\n安装文件夹中还有您自己的文件，文件夹已保留：\n" + data->installFolder;
    Tell(text, MB_ICONINFORMATION);
    return kRemoved;
  }

 private:
  int Refuse(const std::wstring& text) {
    Tell(text, MB_ICONERROR);
    return kNoData;
  }
  int Ask(const std::wstring& text) {
    return MessageBoxW(nullptr, text.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
  }
  void Tell(const std::wstring& text, UINT icon) {
    if (!silent_) MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | icon | MB_TASKMODAL);
  }

  bool silent_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool silent = false;
  int code = kRemoved;
  bool finishing = false;
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"/finish" && i + 2 < argc) {
      code = uninst::FinishSelfRemoval(argv[i + 1], argv[i + 2]);
      finishing = true;
      break;
    }
    if (CompareStringOrdinal(arg.c_str(), -1, L"/S", -1, TRUE) == CSTR_EQUAL) silent = true;
  }
  if (argv) LocalFree(argv);
  if (finishing) return code;
  return Session(silent).Run();
}
