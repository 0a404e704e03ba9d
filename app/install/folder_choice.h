#pragma once
// Choosing the installation folder: the system folder dialog and the
// arithmetic that puts the product folder below the user's choice.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace app::install {

// The folder dialog's optional arguments; an absent one takes its default.
struct BrowseOptions {
  std::optional<std::string> title;          // default "请选择一个文件夹"
  std::optional<bool> includeFiles;          // files shown only when given and true
  std::optional<std::string> initialFolder;  // pre-selected when it exists
  std::optional<bool> editBox;               // an edit box only when given and true
  std::optional<bool> newStyle;              // new dialog style unless given and false
  std::optional<HWND> owner;
};

// The BIF_ flags the dialog is opened with.
UINT BrowseFlags(const BrowseOptions& options);

// Shows the system folder dialog (modal) and returns the chosen file-system
// path, trimmed of spaces; empty when cancelled or when the choice has no
// file-system path.
std::string BrowseForFolder(const BrowseOptions& options = {});

// The part of `text` behind the last occurrence of `separator` (bytes,
// case-sensitive); empty when the separator does not occur.
std::string TextAfterLast(std::string_view text, std::string_view separator);

// The installation folder for a folder the user chose: the product folder
// below it, with a trailing backslash ("D:\" -> "D:\青梧网游加速器\",
// "D:\Games" -> "D:\Games\青梧网游加速器\").
std::string InstallFolderFor(const std::string& chosen);

}  // namespace app::install
