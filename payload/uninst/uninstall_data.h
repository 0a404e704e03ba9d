#pragma once
// The installer's record of what it created ("Uninstall.dat" in the
// installation folder) and the checks that keep a damaged or hostile record
// from pointing the uninstaller at anything else.
#include <optional>
#include <string>
#include <string_view>

namespace uninst {

inline constexpr wchar_t kProductName[] = L"青梧网游加速器";
inline constexpr wchar_t kDataFileName[] = L"Uninstall.dat";
inline constexpr wchar_t kUninstallerName[] = L"uninst.exe";
inline constexpr wchar_t kApplicationName[] = L"qingwu.exe";

struct UninstallData {
  std::wstring installFolder;  // normal form (app/system/install_folder.h), trailing backslash
  std::wstring groupFolder;    // the programs folder's "青梧网游加速器", no trailing backslash
  std::wstring desktopLink;    // the desktop folder's "青梧网游加速器.lnk"
};

// This machine's folders for the links, as the shell reports them, in
// normal form (trailing backslash); empty when the shell has none.
struct ShellFolders {
  std::wstring programs;  // the start-menu programs folder
  std::wstring desktop;   // the desktop folder
};

// Reads the four code-page 936 lines (CR LF separated): installation
// folder, start-menu group folder, desktop link, "qingwu.exe". The folder
// must be in the normal form the installer writes; the group folder and the
// desktop link must be exactly where the installer puts them in this
// machine's shell folders. On failure `problem` says why, in Chinese, for
// the user.
std::optional<UninstallData> ParseUninstallData(std::string_view bytes, const ShellFolders& shell,
                                                std::wstring* problem);

}  // namespace uninst
