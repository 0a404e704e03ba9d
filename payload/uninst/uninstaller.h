#pragma once
// Removes exactly what the installer created, as recorded in Uninstall.dat.
#include <string>
#include <vector>

#include "payload/uninst/uninstall_data.h"

namespace uninst {

inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\青梧网游加速器";

struct RemovalResult {
  std::vector<std::wstring> failed;  // items that exist but could not be removed
  bool registrationKept = false;     // the key and Uninstall.dat stay: something else is left
  bool folderKept = false;           // the installation folder holds files of the user's
  bool keyKept = false;              // the uninstall key belongs to another installation
};

// Deletes the archive members (except the running uninstaller, see
// self_delete.h), the four links and the program group folder when it is
// empty. Only when all of them are gone does it delete the uninstall key and
// then Uninstall.dat: until then both stay, with the uninstaller, so that
// running it again finishes the work. Items already gone count as removed.
RemovalResult RemoveInstallation(const UninstallData& data);

// True when the folder holds nothing but the given file names.
bool FolderHoldsOnly(const std::wstring& folder, const std::vector<std::wstring>& names);

}  // namespace uninst
