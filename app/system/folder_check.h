#pragma once
// The installation folder's normal form (app/system/install_folder.h) for the
// installer's code page 936 text.
#include <string>

#include "app/system/install_folder.h"

namespace app::sys {

struct FolderCheck {
  std::string folder;  // the normal form; empty unless usable or EndsInDotOrSpace
  common::FolderProblem problem = common::FolderProblem::None;
  std::string part;    // the offending folder name, when there is one
};

// Text that is not code page 936, or that holds characters code page 936
// cannot write back, is a BadName.
FolderCheck CheckFolder(const std::string& typed);

}  // namespace app::sys
