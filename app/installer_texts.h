#pragma once
// The installer's process-wide texts; empty means not set.
#include <windows.h>

#include <string>

namespace app {

struct InstallerTexts {
  HWND startWindowHandle = nullptr;  // owner of every dialog
  std::string browseInitialFolder;   // folder pre-selected in the folder dialog
  std::string programsFolder;        // start-menu programs folder, trailing backslash
  std::string productName;           // set when the installation has finished
  std::string uninstallData;         // content written to Uninstall.dat
};

}  // namespace app
