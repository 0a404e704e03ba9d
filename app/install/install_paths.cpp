#include "app/install/install_paths.h"

#include "app/install/product.h"
#include "app/system/path_length.h"

namespace app::install {

std::vector<std::string> InstalledPaths(const std::string& folder, const std::vector<std::string>& members) {
  std::vector<std::string> paths;
  for (std::string member : members) {
    for (char& c : member) {
      if (c == '/') c = '\\';
    }
    paths.push_back(folder + member);
  }
  paths.push_back(folder + kTemporaryArchiveName);
  paths.push_back(folder + "\\" + kUninstallDataName);  // as the finish writes it
  return paths;
}

bool FolderFitsPathLimit(const std::string& folder, const std::vector<std::string>& members) {
  if (!sys::FitsFolderLimit(folder)) return false;
  for (const std::string& path : InstalledPaths(folder, members)) {
    if (!sys::FitsPathLimit(path)) return false;
  }
  return true;
}

}  // namespace app::install
