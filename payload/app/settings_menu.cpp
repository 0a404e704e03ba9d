#include "payload/app/settings_menu.h"

namespace qingwu {
namespace {
// Runs `fn` when it is set.
std::function<void()> Call(const std::function<void()>& fn) {
  return [fn] {
    if (fn) fn();
  };
}
}  // namespace

SettingsMenu::SettingsMenu(Settings initial, SettingsMenuActions actions)
    : settings_(initial), actions_(std::move(actions)) {
  openMenu_.AddRoutineItem("安装文件夹(&F)", Call(actions_.openFolder));
  openMenu_.AddRoutineItem("使用说明(&R)", Call(actions_.openReadme));
  openMenu_.AddRoutineItem("更新记录(&C)", Call(actions_.openChangelog));

  menu_.AddRoutineItem("窗口置顶(&T)", [this] { Toggle(settings_item::kAlwaysOnTop); });
  menu_.AddRoutineItem("记录操作(&R)", [this] { Toggle(settings_item::kLogActions); });
  menu_.AddItem("", {}, 0, ui::UiMenu::kSeparator);
  menu_.AddSubmenuItem("打开(&O)", &openMenu_);
  menu_.AddRoutineItem("清空操作记录(&L)", Call(actions_.clearLog));
  menu_.AddItem("", {}, 0, ui::UiMenu::kSeparator);
  menu_.AddRoutineItem("退出(&X)", Call(actions_.exit));
  SyncChecks();
}

bool SettingsMenu::Toggle(int index) {
  bool* option = nullptr;
  if (index == settings_item::kAlwaysOnTop) option = &settings_.alwaysOnTop;
  if (index == settings_item::kLogActions) option = &settings_.logActions;
  if (!option) return false;
  *option = !*option;
  SyncChecks();
  if (actions_.settingsChanged) actions_.settingsChanged(settings_);
  return *option;
}

void SettingsMenu::SyncChecks() {
  menu_.ItemState(settings_item::kAlwaysOnTop, settings_.alwaysOnTop ? kChecked : kUnchecked);
  menu_.ItemState(settings_item::kLogActions, settings_.logActions ? kChecked : kUnchecked);
}

}  // namespace qingwu
