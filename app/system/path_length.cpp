#include "app/system/path_length.h"

#include "ui/core/text.h"

namespace app::sys {

std::size_t PathChars(std::string_view path) { return ui::ToWide(path).size(); }

bool FitsPathLimit(std::string_view path) {
  return path.size() <= kMaxPathChars && PathChars(path) <= kMaxPathChars;
}

bool FitsFolderLimit(std::string_view folder) {
  // A trailing backslash is not part of the folder's name.
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  return folder.size() <= kMaxFolderChars && PathChars(folder) <= kMaxFolderChars;
}

}  // namespace app::sys
