// The popup menu's item list.
#include <gtest/gtest.h>

#include "tests/support/test_env.h"
#include "tests/support/test_images.h"
#include "ui/core/menu.h"

using namespace ui;

TEST(MenuItems, EditMenuIsFilledAtStartUp) {
  const UiMenu& menu = qwtest::SharedEditMenu();
  ASSERT_EQ(menu.ItemCount(), 5);
  const int ids[] = {88, 67, 86, 0, 65};
  const char* texts[] = {"剪切(&T)", "复制(&C)", "粘贴(&P)", "", "全部选择(&A)"};
  for (int i = 1; i <= 5; ++i) {
    const UiMenuItemRecord* item = menu.Item(i);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->identifier, ids[i - 1]);
    EXPECT_EQ(menu.ItemText(i), texts[i - 1]);
    EXPECT_EQ(item->kind, i == 4 ? UiMenu::kSeparator : UiMenu::kCommand);
    EXPECT_EQ(item->notify, i == 4 ? 0 : 1);
    EXPECT_EQ(item->state, 0);
    EXPECT_EQ(item->textColour, 0xD2000000u);
    EXPECT_EQ(item->hotColour, 0xE63086C6u);
  }
}

TEST(MenuItems, OperationsOnValidAndInvalidIndices) {
  UiMenu menu;
  menu.AddItem("一");
  menu.AddItem("二", qwtest::RgbStripPng(), -1, UiMenu::kCommand, 1, 7);
  ASSERT_EQ(menu.ItemCount(), 2);
  EXPECT_TRUE(menu.IsValidIndex(1));
  EXPECT_TRUE(menu.IsValidIndex(2));
  EXPECT_FALSE(menu.IsValidIndex(0));
  EXPECT_FALSE(menu.IsValidIndex(3));

  EXPECT_EQ(menu.ItemState(2), -1);
  EXPECT_EQ(menu.ItemState(2, 4), 4);
  EXPECT_EQ(menu.ItemState(2), 4);
  EXPECT_EQ(menu.ItemState(3), 0);
  EXPECT_EQ(menu.ItemState(3, 9), 0);

  EXPECT_EQ(menu.ItemText(1, "改"), "改");
  EXPECT_EQ(menu.ItemTextBytes(1), L"改");
  EXPECT_EQ(menu.ItemTextBytes(1, L"宽"), L"宽");
  EXPECT_EQ(menu.ItemText(1), "宽");
  EXPECT_EQ(menu.ItemText(0), "");
  EXPECT_EQ(menu.ItemText(5, "x"), "");

  EXPECT_EQ(menu.ItemImage(2).size(), qwtest::RgbStripPng().size());
  EXPECT_TRUE(menu.ItemImage(1).empty());
  EXPECT_TRUE(menu.ItemImage(9, qwtest::RgbStripPng()).empty());

  EXPECT_FALSE(menu.RemoveItem(0));
  EXPECT_FALSE(menu.RemoveItem(3));
  EXPECT_TRUE(menu.RemoveItem(1));
  ASSERT_EQ(menu.ItemCount(), 1);
  EXPECT_EQ(menu.ItemText(1), "二");
  menu.Clear();
  EXPECT_EQ(menu.ItemCount(), 0);
}

TEST(MenuItems, CopyDuplicatesAndDestroyClears) {
  UiMenu menu;
  menu.SetWidth(30);
  int calls = 0;
  menu.AddRoutineItem("run", [&calls] { ++calls; });
  UiMenu sub;
  menu.AddSubmenuItem("more", &sub);
  menu.SetPaintHandler([](Gdiplus::GpGraphics*, int, int) {});

  UiMenu copy = menu;
  EXPECT_EQ(copy.Width(), 30);
  ASSERT_EQ(copy.ItemCount(), 2);
  copy.ItemText(1, "changed");
  EXPECT_EQ(menu.ItemText(1), "run");
  copy.Item(1)->routine();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(copy.Item(2)->submenu, &sub);
  EXPECT_EQ(copy.Item(2)->kind, UiMenu::kSubmenu);

  menu.Destroy();
  EXPECT_EQ(menu.ItemCount(), 0);
  EXPECT_EQ(menu.Width(), 0);
  EXPECT_FALSE(menu.GetPaintHandler());
  EXPECT_EQ(menu.Self(), &menu);
}
