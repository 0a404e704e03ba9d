#pragma once
// The settings menu, opened from the header's settings button: two
// check-marked options, a submenu of files to open, clearing the log and
// quitting. It owns its two UiMenu lists; ui::ShowMenu shows them.
#include <functional>

#include "payload/app/settings.h"
#include "ui/core/menu.h"

namespace qingwu {

// Item positions (1-based, as UiMenu counts them).
namespace settings_item {
inline constexpr int kAlwaysOnTop = 1;
inline constexpr int kLogActions = 2;
inline constexpr int kOpen = 4;  // the submenu
inline constexpr int kClearLog = 5;
inline constexpr int kExit = 7;
}  // namespace settings_item
namespace open_item {
inline constexpr int kFolder = 1;
inline constexpr int kReadme = 2;
inline constexpr int kChangelog = 3;
}  // namespace open_item

// What the items do. A check item has already flipped its setting when its
// handler runs.
struct SettingsMenuActions {
  std::function<void(const Settings&)> settingsChanged;
  std::function<void()> openFolder, openReadme, openChangelog, clearLog, exit;
};

class SettingsMenu {
 public:
  // Item state of a check-marked and of a plain item.
  static constexpr int kChecked = 4;
  static constexpr int kUnchecked = 0;

  SettingsMenu(Settings initial, SettingsMenuActions actions);
  SettingsMenu(const SettingsMenu&) = delete;
  SettingsMenu& operator=(const SettingsMenu&) = delete;

  ui::UiMenu& Menu() { return menu_; }
  ui::UiMenu& OpenMenu() { return openMenu_; }
  const Settings& Current() const { return settings_; }
  // Flips the option of check item `index`, updates its check mark and
  // tells settingsChanged. Returns the new value; false for other items.
  bool Toggle(int index);

 private:
  void SyncChecks();

  Settings settings_;
  SettingsMenuActions actions_;
  ui::UiMenu openMenu_;  // declared first: the main menu points at it
  ui::UiMenu menu_;
};

}  // namespace qingwu
