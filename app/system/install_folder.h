#pragma once
// The one normal form of an installation folder, shared by the installer
// (which writes it into the registry and Uninstall.dat) and the uninstaller
// (which accepts only that form): whatever the installer installs, the
// uninstaller reads back unchanged. Pure text work, UTF-16; nothing here
// touches the file system.
#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// What keeps a folder text from being a usable installation folder.
enum class FolderProblem {
  None,
  NotAbsolute,       // no "X:\" drive or "\\server\share" at its start
  BadName,           // a part with a character or device name no folder may have
  EndsInDotOrSpace,  // a part ending in "." or " ": the system strips them from
                     // the last part of a path but keeps them inside, so the
                     // folder would be one name when created and another when used
  TooLong,           // no room left for the names of the files inside
};

struct FolderCheck {
  // The normal form: "/" made "\", "." and empty parts dropped, ".." taking
  // away the part before it (never the drive or share), one trailing
  // backslash. Empty for NotAbsolute, BadName and TooLong.
  std::wstring folder;
  FolderProblem problem = FolderProblem::None;
  std::wstring part;  // the offending part (BadName, EndsInDotOrSpace)
};

// Longest folder in normal form: the longest name placed inside it
// ("Uninstall.dat", with room to spare) still fits in MAX_PATH.
inline constexpr std::size_t kMaxFolderLength = 259 - 20;

FolderCheck NormalizeFolder(std::wstring_view path);

// Case-insensitive equality of two paths (ordinal, as the file system compares).
bool SamePath(std::wstring_view a, std::wstring_view b);

}  // namespace common
