// Whatever the installer installs, the uninstaller it carries removes: the
// real archive installed into folders typed in different ways, then the
// installed uninst.exe run silently. Both sides must agree on the folder's
// normal form and on where the links are.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "app/resources/resources.h"
#include "app/system/owned_handles.h"
#include "tests/install/install_env.h"
#include "tests/install/install_run.h"

namespace {

using app::install::Phase;
using qwtest::InstallRun;

class InstallUninstallTest : public qwtest::InstallTraces {};

// Runs "<folder>uninst.exe /S" and returns its exit code; -1 when it did not
// start or end within the limit.
int RunUninstaller(const std::string& folder) {
  std::string command = "\"" + folder + "uninst.exe\" /S";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return -1;
  const app::sys::FileHandle process(started.hProcess);
  const app::sys::FileHandle thread(started.hThread);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

// What kept a folder that should be gone: the names in it, and the deletions
// marked for the next restart below the test root (the finishing copy marks
// what it could not delete; the original marks all when no copy started).
std::string WhatStayed(const std::string& folder) {
  std::string text = "left in the folder:";
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") text += " " + name;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  text += "; marked for the restart:";
  app::sys::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                    key.receive()) == ERROR_SUCCESS) {
    std::wstring pending(32768, L'\0');
    DWORD size = static_cast<DWORD>(pending.size() * sizeof(wchar_t)) - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(pending.data()), &size) == ERROR_SUCCESS) {
      // Pairs of names, each ended by a zero: a deletion's second name is empty.
      const wchar_t* end = pending.c_str() + size / sizeof(wchar_t);
      for (const wchar_t* entry = pending.c_str(); entry < end; entry += wcslen(entry) + 1) {
        if (!wcsstr(entry, L"qw_install_test")) continue;
        char narrow[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, entry, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        text += std::string(" ") + narrow;
      }
    }
  }
  return text;
}

TEST_F(InstallUninstallTest, WhatInstallsUninstalls) {
  const std::string root = qwtest::kTestRoot;
  struct Case {
    std::string typed, folder;
  } cases[] = {
      {root + "游戏\\青梧网游加速器", root + "游戏\\青梧网游加速器\\"},
      {"c:/qw_install_test/x/../y//./带 空格.1", root + "y\\带 空格.1\\"},
      {root + "淺", root + "淺\\"},  // the second byte of 淺 is a backslash
  };
  for (const Case& c : cases) {
    InstallRun run(app::resources::PayloadArchive());
    run.ui.folder = c.typed;
    ASSERT_TRUE(run.ClickInstallAndWait()) << c.typed;
    ASSERT_EQ(run.installation.phase(), Phase::Finished) << c.typed;
    ASSERT_TRUE(run.WaitForShortcuts()) << c.typed;
    ASSERT_TRUE(qwtest::Exists(c.folder + "uninst.exe")) << c.typed;

    EXPECT_EQ(RunUninstaller(c.folder), 0) << c.typed;
    // The finishing copy deletes uninst.exe and the folder once the original has ended.
    EXPECT_TRUE(qwtest::PumpUntil([&] { return !qwtest::Exists(c.folder); }, 60000))
        << c.typed << "; " << WhatStayed(c.folder);
    EXPECT_FALSE(qwtest::UninstallKeyExists()) << c.typed;
    for (const std::string& link : {qwtest::GroupLink(), qwtest::ProgramsLink(), qwtest::DesktopLink()})
      EXPECT_FALSE(qwtest::Exists(link)) << link;
  }
}

}  // namespace
