// Showing, placing and closing popup menus, and what a choice sends.
#include <gtest/gtest.h>

#include "tests/menu/menu_test_support.h"
#include "ui/core/library.h"

namespace {

using qwtest::MenuOwner;
using qwtest::MenuWindows;
using qwtest::PumpUntil;
using qwtest::ShowAndRun;

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(MenuShow, EditMenuWindowHasItsMeasuredSizeAndProperties) {
  ui::UiMenu& menu = *ui::Library().editMenu;
  ASSERT_NE(&menu, nullptr);
  MenuOwner owner;
  owner.PointAtElement();
  RECT rect{};
  HANDLE flags = nullptr, root = nullptr, event = nullptr;
  DWORD exStyle = 0;
  wchar_t title[64] = {};
  int rows = 0;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 120, [&](HWND m) {
    rect = WindowRect(m);
    flags = GetPropW(m, L"Zq_Wnd_Flags");
    root = GetPropW(m, L"Zq_DirectUI_Host");
    event = GetPropW(m, L"Zq_DirectUI_Event");
    exStyle = static_cast<DWORD>(GetWindowLongPtrW(m, GWL_EXSTYLE));
    GetWindowTextW(m, title, 64);
    rows = static_cast<int>(qwtest::MenuRows(m).size());
    PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(rect.bottom - rect.top, 107);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 120);
  EXPECT_EQ(flags, reinterpret_cast<HANDLE>(1));
  EXPECT_NE(root, nullptr);
  EXPECT_EQ(reinterpret_cast<ui::ElementHandle>(event), owner.element());
  EXPECT_EQ(exStyle & 0x88u, 0x88u);
  EXPECT_STREQ(title, L"Zq_DirectUI_Menu");
  EXPECT_EQ(rows, 5);
  ASSERT_EQ(owner.elementNotices.size(), 1u);
  EXPECT_EQ(static_cast<ui::ElementHandle>(owner.elementNotices[0]), owner.element());
  EXPECT_TRUE(owner.commands.empty()) << "Escape chose nothing";
}

TEST(MenuShow, NarrowRequestedWidthIsRaisedToFifty) {
  ui::UiMenu menu;
  menu.AddItem("a", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.SetWidth(30);
  MenuOwner owner;
  RECT rect{};
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 50, 60, [&](HWND m) {
    rect = WindowRect(m);
    PostMessageW(m, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(m); });
  }));
  EXPECT_EQ(rect.right - rect.left, 50);
  EXPECT_EQ(rect.bottom - rect.top, 16 + 22);
}

TEST(MenuShow, NearTheRightAndBottomEdgesOpensLeftAndAbove) {
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("第二项", {}, 0, ui::UiMenu::kCommand, 1, 2);
  menu.SetWidth(120);
  MenuOwner owner;
  const RECT work = WorkArea();
  const POINT at{work.right - 20, work.bottom - 10};
  RECT rect{};
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), at.x, at.y, [&](HWND m) {
    rect = WindowRect(m);
    PostMessageW(m, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(m); });
  }));
  const int height = 16 + 2 * 22;
  EXPECT_EQ(rect.left, at.x - 120);
  EXPECT_EQ(rect.top, at.y - height + 5);
  EXPECT_LE(rect.right, work.right);
  EXPECT_LE(rect.bottom, work.bottom);
}

TEST(MenuShow, ActivatingAnotherWindowClosesWithoutCommand) {
  MenuOwner owner;
  qwtest::TestWindow other(500, 400, 100, 80, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(ShowAndRun(*ui::Library().editMenu, owner.hwnd(), 100, 100, [&](HWND m) {
    EXPECT_EQ(GetForegroundWindow(), m);
    SetForegroundWindow(other.hwnd());
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_TRUE(owner.commands.empty());
}

TEST(MenuShow, ClickingCopySendsItsCommandToTheOwnerAndCloses) {
  MenuOwner owner;
  owner.PointAtElement();
  ASSERT_TRUE(ShowAndRun(*ui::Library().editMenu, owner.hwnd(), 100, 100, [&](HWND m) {
    ui::UiMenuItem* copy = qwtest::RowWithText(m, L"复制(&C)");
    ASSERT_NE(copy, nullptr);
    qwtest::PostClick(m, *copy);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m) && !owner.commands.empty(); }));
  }));
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 67u);
  EXPECT_EQ(static_cast<ui::ElementHandle>(owner.commands[0].lParam), owner.element());
}

TEST(MenuShow, MnemonicKeysAreRegisteredAndChooseTheirItem) {
  MenuOwner owner;
  bool cutRegistered = false;
  ASSERT_TRUE(ShowAndRun(*ui::Library().editMenu, owner.hwnd(), 100, 100, [&](HWND m) {
    ui::UiMenuItem* cut = qwtest::RowWithText(m, L"剪切(&T)");
    ASSERT_NE(cut, nullptr);
    for (const auto& [handle, key] : ui::UiWindow::FromWindow(m)->Accelerators())
      if (handle == cut->GetHandle() && key == 'T') cutRegistered = true;
    PostMessageW(m, WM_KEYDOWN, 'C', 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_TRUE(cutRegistered);
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 67u);
}

TEST(MenuShow, RoutineItemIsCalledInsteadOfACommand) {
  ui::UiMenu menu;
  int calls = 0;
  menu.AddRoutineItem("运行(&R)", [&] { ++calls; });
  MenuOwner owner;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::MenuRows(m).at(0));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(owner.commands.empty());
}

TEST(MenuShow, DisabledAndHiddenItems) {
  ui::UiMenu menu;
  menu.AddItem("可用", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("禁用", {}, -1, ui::UiMenu::kCommand, 1, 2);
  menu.AddItem("隐藏", {}, 5, ui::UiMenu::kCommand, 1, 3);
  MenuOwner owner;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    const auto rows = qwtest::MenuRows(m);
    ASSERT_EQ(rows.size(), 2u) << "a state-5 item has no row";
    EXPECT_TRUE(rows[1]->Disabled());
    EXPECT_EQ(WindowRect(m).bottom - WindowRect(m).top, 16 + 2 * 22);
    qwtest::PostClick(m, *rows[1]);
    qwtest::PumpFor(200);
    EXPECT_TRUE(IsWindow(m)) << "a disabled item is not chosen";
    PostMessageW(m, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(m); });
  }));
  EXPECT_TRUE(owner.commands.empty());
}

TEST(MenuShow, QuitWhileOpenEndsTheLoopAndIsPostedAgain) {
  MenuOwner owner;
  HWND menuWindow = nullptr;
  EXPECT_TRUE(ShowAndRun(*ui::Library().editMenu, owner.hwnd(), 100, 100, [&](HWND m) {
    menuWindow = m;
    PostQuitMessage(7);
  }));
  // Show returned on its own (the script did not close the menu).
  EXPECT_FALSE(IsWindow(menuWindow));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(MenuShow, DestroyingTheOwnerClosesTheMenu) {
  auto owner = std::make_unique<MenuOwner>();
  HWND menuWindow = nullptr;
  EXPECT_TRUE(ShowAndRun(*ui::Library().editMenu, owner->hwnd(), 100, 100, [&](HWND m) {
    menuWindow = m;
    owner->DestroyWindowNow();
  }));
  EXPECT_FALSE(IsWindow(menuWindow));
  EXPECT_TRUE(owner->commands.empty());
}

TEST(MenuShow, MenuWithoutOwnerStillShowsAndCloses) {
  ui::UiMenu menu;
  menu.AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 1);
  EXPECT_TRUE(ShowAndRun(menu, nullptr, 100, 100, [&](HWND m) {
    PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpUntil([&] { return !IsWindow(m); });
  }));
}

}  // namespace
