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
  std::wstring installFolder;  // absolute, with trailing backslash
  std::wstring groupFolder;    // absolute, last component "青梧网游加速器", no trailing backslash
  std::wstring desktopLink;    // absolute, last component "青梧网游加速器.lnk"
};

// Reads the four code-page 936 lines (CR LF separated): installation
// folder, start-menu group folder, desktop link, "qingwu.exe". Every path
// must be absolute and plain (no "." or ".." parts, wildcards, streams or
// device prefixes) and name exactly what the installer creates. On failure
// `problem` says why, in Chinese, for the user.
std::optional<UninstallData> ParseUninstallData(std::string_view bytes, std::wstring* problem);

// An absolute drive ("C:\...") or network ("\\server\share\...") path
// without empty, "." or ".." components, trailing dots or spaces in a
// component, wildcards, alternate streams or control characters.
// A single trailing backslash is allowed.
bool IsPlainAbsolutePath(std::wstring_view path);

// Case-insensitive comparison of two folders after making both absolute.
bool SameFolder(const std::wstring& a, const std::wstring& b);

}  // namespace uninst
