// The settings menu's items and its two check-marked options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/app/settings_menu.h"

namespace {
using qingwu::SettingsMenu;
namespace item = qingwu::settings_item;

struct Recorder {
  std::vector<qingwu::Settings> changes;
  std::vector<std::string> calls;
  qingwu::SettingsMenuActions Actions() {
    qingwu::SettingsMenuActions a;
    a.settingsChanged = [this](const qingwu::Settings& s) { changes.push_back(s); };
    a.openFolder = [this] { calls.push_back("folder"); };
    a.openReadme = [this] { calls.push_back("readme"); };
    a.openChangelog = [this] { calls.push_back("changelog"); };
    a.clearLog = [this] { calls.push_back("clear"); };
    a.exit = [this] { calls.push_back("exit"); };
    return a;
  }
};

TEST(SettingsMenu, HasTwoCheckItemsASubmenuAndTwoSeparators) {
  Recorder r;
  SettingsMenu menu(qingwu::Settings{}, r.Actions());
  ui::UiMenu& m = menu.Menu();
  ASSERT_EQ(m.ItemCount(), 7);
  EXPECT_EQ(m.Item(3)->kind, ui::UiMenu::kSeparator);
  EXPECT_EQ(m.Item(6)->kind, ui::UiMenu::kSeparator);
  EXPECT_EQ(m.Item(item::kOpen)->kind, ui::UiMenu::kSubmenu);
  EXPECT_EQ(m.Item(item::kOpen)->submenu, &menu.OpenMenu());
  EXPECT_EQ(menu.OpenMenu().ItemCount(), 3);
  EXPECT_EQ(m.ItemText(item::kAlwaysOnTop), "窗口置顶(&T)");
  EXPECT_EQ(m.ItemText(item::kExit), "退出(&X)");
  // Defaults: not on top, logging on.
  EXPECT_EQ(m.ItemState(item::kAlwaysOnTop), SettingsMenu::kUnchecked);
  EXPECT_EQ(m.ItemState(item::kLogActions), SettingsMenu::kChecked);
}

TEST(SettingsMenu, CheckMarksFollowTheInitialSettings) {
  Recorder r;
  qingwu::Settings s;
  s.alwaysOnTop = true;
  s.logActions = false;
  SettingsMenu menu(s, r.Actions());
  EXPECT_EQ(menu.Menu().ItemState(item::kAlwaysOnTop), SettingsMenu::kChecked);
  EXPECT_EQ(menu.Menu().ItemState(item::kLogActions), SettingsMenu::kUnchecked);
}

TEST(SettingsMenu, ChoosingACheckItemFlipsItsMarkAndReportsTheSettings) {
  Recorder r;
  SettingsMenu menu(qingwu::Settings{}, r.Actions());
  // Through the item's own routine, as the menu window calls it.
  menu.Menu().Item(item::kAlwaysOnTop)->routine();
  EXPECT_EQ(menu.Menu().ItemState(item::kAlwaysOnTop), SettingsMenu::kChecked);
  ASSERT_EQ(r.changes.size(), 1u);
  EXPECT_TRUE(r.changes[0].alwaysOnTop);
  EXPECT_TRUE(r.changes[0].logActions);
  menu.Menu().Item(item::kLogActions)->routine();
  menu.Menu().Item(item::kAlwaysOnTop)->routine();
  EXPECT_EQ(menu.Menu().ItemState(item::kAlwaysOnTop), SettingsMenu::kUnchecked);
  EXPECT_EQ(menu.Menu().ItemState(item::kLogActions), SettingsMenu::kUnchecked);
  ASSERT_EQ(r.changes.size(), 3u);
  EXPECT_FALSE(r.changes[2].alwaysOnTop);
  EXPECT_FALSE(r.changes[2].logActions);
  EXPECT_EQ(menu.Current(), r.changes[2]);
}

TEST(SettingsMenu, OnlyCheckItemsToggle) {
  Recorder r;
  SettingsMenu menu(qingwu::Settings{}, r.Actions());
  for (int index : {0, 3, item::kOpen, item::kClearLog, item::kExit, 99}) EXPECT_FALSE(menu.Toggle(index)) << index;
  EXPECT_TRUE(r.changes.empty());
  EXPECT_EQ(menu.Current(), qingwu::Settings{});
}

TEST(SettingsMenu, CommandItemsCallTheirActions) {
  Recorder r;
  SettingsMenu menu(qingwu::Settings{}, r.Actions());
  menu.OpenMenu().Item(qingwu::open_item::kFolder)->routine();
  menu.OpenMenu().Item(qingwu::open_item::kReadme)->routine();
  menu.OpenMenu().Item(qingwu::open_item::kChangelog)->routine();
  menu.Menu().Item(item::kClearLog)->routine();
  menu.Menu().Item(item::kExit)->routine();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"folder", "readme", "changelog", "clear", "exit"}));
}

TEST(SettingsMenu, MissingActionsAreSkipped) {
  SettingsMenu menu(qingwu::Settings{}, qingwu::SettingsMenuActions{});
  menu.Menu().Item(item::kExit)->routine();
  EXPECT_TRUE(menu.Toggle(item::kAlwaysOnTop));
}

}  // namespace
