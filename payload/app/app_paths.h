#pragma once
// Folders the application reads and writes. Paths are UTF-16 and end with
// a backslash.
#include <string>

namespace qingwu {

// The folder of qingwu.exe (the installation folder).
std::wstring ProgramFolder();
// The user's data folder for settings, notes and the action log:
// "<application data>\Qingwu\", created when missing. Empty when there is
// no such folder and it cannot be created (nothing is then saved).
std::wstring UserDataFolder();

}  // namespace qingwu
