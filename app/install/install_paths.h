#pragma once
// The paths an installation writes below its folder, and whether the
// system can take every one of them.
#include <string>
#include <vector>

namespace app::install {

// Every file path an installation into `folder` (with its trailing
// backslash) writes: the members, sj.zip and Uninstall.dat. Copies kept of
// overwritten files have shorter names than Uninstall.dat beside them.
std::vector<std::string> InstalledPaths(const std::string& folder, const std::vector<std::string>& members);

// True when the folder can be created and every installed path stays
// within the classic path limit.
bool FolderFitsPathLimit(const std::string& folder, const std::vector<std::string>& members);

}  // namespace app::install
