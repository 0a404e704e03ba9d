#pragma once
// The application's settings: what the settings menu's check items hold,
// kept in an .ini file in the user's data folder between runs.
#include <string>

namespace qingwu {

struct Settings {
  bool alwaysOnTop = false;  // the main window stays above other windows
  bool logActions = true;    // the action log records what the user does

  bool operator==(const Settings&) const = default;
};

// Reads `iniPath` (UTF-16 path); missing file or values give the defaults.
Settings LoadSettings(const std::wstring& iniPath);
// Writes every value; false when the file cannot be written.
bool SaveSettings(const std::wstring& iniPath, const Settings& settings);

}  // namespace qingwu
