// uninst.exe: removes 青梧网游加速器.
//
//   uninst.exe          asks for confirmation, removes, reports in a message box
//   uninst.exe /S       silent: no questions, no messages; the exit code tells
//
// Exit codes: 0 removed; 1 the user declined; 2 "Uninstall.dat" is missing or
// malformed (nothing was changed); 3 some items could not be removed.
// "/finish <process> <event> <folder>" is the temporary copy's internal
// mode (self_delete.h); it acts only for the uninstaller that started it.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/system/install_folder.h"
#include "payload/uninst/finishing.h"
#include "payload/uninst/owned_handles.h"
#include "payload/uninst/own_path.h"
#include "payload/uninst/self_delete.h"
#include "payload/uninst/uninstall_data.h"
#include "payload/uninst/uninstaller.h"

namespace {

enum ExitCode { kRemoved = 0, kDeclined = 1, kNoData = 2, kIncomplete = 3 };
constexpr wchar_t kCaption[] = L"青梧网游加速器 卸载";
constexpr DWORD kMaxDataSize = 64 * 1024;

// A shell folder in normal form; empty when the shell has none.
std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
  return common::NormalizeFolder(path).folder;
}

// The whole file, or nothing when it is missing, unreadable or too large.
bool ReadSmallFile(const std::wstring& path, std::string* bytes) {
  const uninst::KernelHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxDataSize) return false;
  bytes->resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  return bytes->empty() ||
         (ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
          read == bytes->size());
}

// The command line's arguments from CommandLineToArgvW, freed once.
class Arguments {
 public:
  explicit Arguments(LPWSTR* argv) : argv_(argv) {}
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments() {
    if (argv_) LocalFree(argv_);
  }
  explicit operator bool() const { return argv_ != nullptr; }
  const wchar_t* operator[](int i) const { return argv_[i]; }

 private:
  LPWSTR* argv_;
};

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
    // The folder the uninstaller runs from, in the form the installer records.
    const common::FolderCheck own = common::NormalizeFolder(uninst::OwnFolder());
    std::string bytes;
    if (own.folder.empty() || !ReadSmallFile(own.folder + uninst::kDataFileName, &bytes)) {
      return Refuse(L"找不到卸载信息文件 Uninstall.dat，无法卸载。\n\n请重新安装青梧网游加速器后再卸载。");
    }
    const uninst::ShellFolders shell{ShellFolder(CSIDL_PROGRAMS), ShellFolder(CSIDL_DESKTOPDIRECTORY)};
    std::wstring problem;
    auto data = uninst::ParseUninstallData(bytes, shell, &problem);
    if (!data) return Refuse(L"卸载信息文件 Uninstall.dat 已损坏，未做任何更改。\n\n" + problem);
    if (!common::SamePath(data->installFolder, own.folder)) {
      return Refuse(L"卸载信息文件 Uninstall.dat 记录的安装文件夹与卸载程序所在的文件夹不一致，未做任何更改。");
    }
    if (!silent_ && Ask(L"确定要完全移除“青梧网游加速器”及其所有组件吗？") != IDYES) return kDeclined;

    CloseRunningApplication();
    const uninst::RemovalResult result = uninst::RemoveInstallation(*data);
    if (result.registrationKept) {
      // The uninstaller, its record and the registration stay for the next try.
      std::wstring text = L"卸载未能全部完成，以下项目无法删除：\n";
      for (const std::wstring& item : result.failed) text += L"\n" + item;
      text += L"\n\n卸载程序和卸载信息已保留。请关闭正在使用这些文件的程序后，再运行一次卸载程序。";
      Tell(text, MB_ICONWARNING);
      return kIncomplete;
    }
    if (!uninst::ScheduleSelfRemoval(data->installFolder)) {
      Tell(L"卸载未能全部完成，以下项目无法删除：\n\n" + data->installFolder + uninst::kUninstallerName,
           MB_ICONWARNING);
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
  const Arguments argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  bool silent = false;
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"/finish") {
      // The internal mode, with exactly its three arguments or not at all:
      // a malformed one must not turn into an uninstallation.
      return i + 4 == argc ? uninst::FinishSelfRemoval(argv[i + 1], argv[i + 2], argv[i + 3]) : kNoData;
    }
    if (CompareStringOrdinal(arg.c_str(), -1, L"/S", -1, TRUE) == CSTR_EQUAL) silent = true;
  }
  return Session(silent).Run();
}
