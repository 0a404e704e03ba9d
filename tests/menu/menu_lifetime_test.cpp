// A menu, a submenu or the menu's items changed or destroyed by a callout
// while the menu's own loop runs: the show must never touch the object
// again. The menus the tests destroy live on pages of their own that become
// inaccessible, so any later read or write crashes at once; the heap-checked
// run (menu_tests_heapcheck) also sees writes to freed heap blocks.
#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "tests/menu/menu_test_support.h"

namespace {

using qwtest::MenuOwner;
using qwtest::PumpUntil;
using qwtest::ShowAndRun;
using qwtest::SubmenuScript;

// A UiMenu alone on its pages. Destroy() runs its destructor and takes all
// access away from its memory until the test ends.
class GuardedMenu {
 public:
  GuardedMenu() {
    memory_ = VirtualAlloc(nullptr, sizeof(ui::UiMenu), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory_) menu_ = new (memory_) ui::UiMenu();
  }
  GuardedMenu(const GuardedMenu&) = delete;
  GuardedMenu& operator=(const GuardedMenu&) = delete;
  ~GuardedMenu() {
    if (menu_) menu_->~UiMenu();
    if (memory_) VirtualFree(memory_, 0, MEM_RELEASE);
  }
  ui::UiMenu& operator*() const { return *menu_; }
  ui::UiMenu* operator->() const { return menu_; }
  ui::UiMenu* get() const { return menu_; }
  bool destroyed() const { return menu_ == nullptr; }
  void Destroy() {
    if (!menu_) return;
    menu_->~UiMenu();
    menu_ = nullptr;
    DWORD old = 0;
    VirtualProtect(memory_, sizeof(ui::UiMenu), PAGE_NOACCESS, &old);
  }

 private:
  void* memory_ = nullptr;
  ui::UiMenu* menu_ = nullptr;
};

bool ProcessHeapsValid() {
  HANDLE heaps[128];
  const DWORD count = GetProcessHeaps(128, heaps);
  for (DWORD i = 0; i < count && i < 128; ++i)
    if (!HeapValidate(heaps[i], 0, nullptr)) return false;
  return true;
}

HWND AnyMenuWindow() { return FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu"); }

void CloseAndWait(HWND m) {
  PostMessageW(m, WM_CLOSE, 0, 0);
  PumpUntil([&] { return !IsWindow(m); });
}

TEST(MenuLifetime, RoutineThatDestroysItsOwnMenu) {
  GuardedMenu menu;
  ASSERT_NE(menu.get(), nullptr);
  int calls = 0;
  menu->AddItem("不用", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu->AddRoutineItem("删除菜单", [&] {
    ++calls;
    menu.Destroy();
  });
  MenuOwner owner;
  EXPECT_TRUE(ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"删除菜单"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(menu.destroyed());
  EXPECT_EQ(AnyMenuWindow(), nullptr);
}

TEST(MenuLifetime, OwnerCommandHandlerThatDeletesTheMenu) {
  // A plain heap object: the heap-checked run sees a write to it once freed.
  auto* menu = new ui::UiMenu();
  menu->AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 41);
  menu->AddItem("二", {}, 0, ui::UiMenu::kCommand, 1, 42);
  MenuOwner owner;
  owner.onCommand = [&](WPARAM) {
    delete menu;
    menu = nullptr;
  };
  EXPECT_TRUE(ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"二"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(menu, nullptr);
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 42u);
  EXPECT_TRUE(ProcessHeapsValid());
}

TEST(MenuLifetime, OwnerCommandHandlerThatDestroysTheMenu) {
  GuardedMenu menu;
  menu->AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 41);
  MenuOwner owner;
  owner.onCommand = [&](WPARAM) { menu.Destroy(); };
  EXPECT_TRUE(ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::MenuRows(m).at(0));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_TRUE(menu.destroyed());
  ASSERT_EQ(owner.commands.size(), 1u);
}

TEST(MenuLifetime, MenuDestroyedByTheOwnersNoticeShowsNoWindow) {
  // The owner hears of the element under the cursor before the window is
  // filled; a menu gone by then has nothing left to show.
  GuardedMenu menu;
  menu->AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu->SetPaintHandler([](Gdiplus::GpGraphics*, int, int) {});
  MenuOwner owner;
  owner.PointAtElement();
  owner.onElementNotice = [&](LPARAM) { menu.Destroy(); };
  bool ran = false;
  ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    ran = true;
    CloseAndWait(m);
  });
  EXPECT_TRUE(menu.destroyed());
  EXPECT_FALSE(ran) << "a window was shown for a destroyed menu";
  EXPECT_EQ(AnyMenuWindow(), nullptr);
  EXPECT_EQ(owner.elementNotices.size(), 1u);
}

TEST(MenuLifetime, PopupHandlerThatDestroysTheMenuLeavesAWorkingWindow) {
  GuardedMenu menu;
  menu->AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 51);
  menu->AddItem("二", {}, 0, ui::UiMenu::kCommand, 1, 52);
  menu->SetPopupHandler([&](HWND, bool) { menu.Destroy(); });
  MenuOwner owner;
  EXPECT_TRUE(ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    ASSERT_EQ(qwtest::MenuRows(m).size(), 2u);
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"二"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_TRUE(menu.destroyed());
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 52u);
}

TEST(MenuLifetime, SubmenuDestroyedWhileItsLoopRuns) {
  GuardedMenu sub;
  sub->AddItem("子项", {}, 0, ui::UiMenu::kCommand, 1, 11);
  ui::UiMenu menu;
  menu.AddSubmenuItem("更多", sub.get());
  MenuOwner owner;
  HWND subWindow = nullptr;
  SubmenuScript script(*sub, [&](HWND s) {
    subWindow = s;
    sub.Destroy();
    PostMessageW(s, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  bool parentOpenAfter = false;
  EXPECT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::MenuRows(m).at(0));  // a click opens at once
    EXPECT_TRUE(PumpUntil([&] { return script.ran() && !IsWindow(subWindow); }));
    parentOpenAfter = IsWindow(m) != FALSE;
    CloseAndWait(m);
  }));
  EXPECT_TRUE(sub.destroyed());
  EXPECT_TRUE(parentOpenAfter) << "only the submenu closed";
  EXPECT_FALSE(menu.IsOpen());
  EXPECT_TRUE(owner.commands.empty());
}

TEST(MenuLifetime, SubmenuDestroyedBeforeItsRowOpensItOpensNothing) {
  GuardedMenu sub;
  sub->AddItem("子项", {}, 0, ui::UiMenu::kCommand, 1, 11);
  int subShows = 0;
  sub->SetPopupHandler([&](HWND, bool) { ++subShows; });
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddSubmenuItem("更多", sub.get());
  menu.SetPopupHandler([&](HWND, bool) { sub.Destroy(); });
  MenuOwner owner;
  EXPECT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    ui::UiMenuItem* more = qwtest::RowWithText(m, L"更多");
    ASSERT_NE(more, nullptr);
    qwtest::PostClick(m, *more);
    qwtest::PumpFor(700);  // past the hover delay as well
    EXPECT_TRUE(IsWindow(m));
    EXPECT_EQ(GetPropW(m, L"Zq_DirectUI_Sub"), nullptr);
    // The other row still works.
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"第一项"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(subShows, 0);
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 1u);
}

TEST(MenuLifetime, ParentRoutineDestroysParentAndSubmenuFromInsideTheSubmenu) {
  // A submenu's routine ends both menus while both loops are running.
  GuardedMenu sub;
  GuardedMenu menu;
  int calls = 0;
  sub->AddRoutineItem("全部删除(&D)", [&] {
    ++calls;
    menu.Destroy();
    sub.Destroy();
  });
  menu->AddSubmenuItem("更多", sub.get());
  SubmenuScript script(*sub, [&](HWND s) { PostMessageW(s, WM_KEYDOWN, 'D', 0); });
  MenuOwner owner;
  EXPECT_TRUE(ShowAndRun(*menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::MenuRows(m).at(0));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(menu.destroyed());
  EXPECT_TRUE(sub.destroyed());
  EXPECT_EQ(AnyMenuWindow(), nullptr);
}

TEST(MenuLifetime, ItemsRemovedAndAddedWhileOpenLeaveTheShownRowsWorking) {
  ui::UiMenu menu;
  menu.AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 61);
  menu.AddItem("二", {}, 0, ui::UiMenu::kCommand, 1, 62);
  menu.AddRoutineItem("三", [&] {
    // Replaces every item from inside the loop, its own item included.
    menu.Clear();
    for (int i = 0; i < 50; ++i) menu.AddItem("新", {}, 0, ui::UiMenu::kCommand, 1, 100 + i);
  });
  menu.SetPopupHandler([&](HWND, bool) { menu.RemoveItem(1); });
  MenuOwner owner;
  EXPECT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    EXPECT_EQ(qwtest::MenuRows(m).size(), 3u) << "rows are made before the popup handler";
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"一"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 61u) << "the shown row keeps its own command";
  EXPECT_EQ(menu.ItemCount(), 2);
  EXPECT_FALSE(menu.IsOpen());

  menu.SetPopupHandler(nullptr);
  EXPECT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    qwtest::PostClick(m, *qwtest::RowWithText(m, L"三"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(menu.ItemCount(), 50);
  EXPECT_FALSE(menu.IsOpen());
  EXPECT_TRUE(ProcessHeapsValid());
}

TEST(MenuLifetime, CopiesAndAssignmentsKeepLivesApart) {
  auto original = std::make_unique<ui::UiMenu>();
  auto sub = std::make_unique<ui::UiMenu>();
  original->AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 1);
  original->AddSubmenuItem("更多", sub.get());
  ui::UiMenu copy = *original;
  ui::UiMenu assigned;
  const ui::WeakRef<ui::UiMenu> toOriginal(original.get()), toCopy(&copy), toAssigned(&assigned);
  assigned = *original;
  EXPECT_EQ(toCopy.get(), &copy);
  EXPECT_EQ(toAssigned.get(), &assigned) << "assignment keeps the target's own life";
  original.reset();
  EXPECT_FALSE(toOriginal);
  EXPECT_EQ(toCopy.get(), &copy) << "a copy does not share the original's life";
  EXPECT_EQ(toAssigned.get(), &assigned);
  // Every copy of a submenu item reads null once the submenu is gone.
  EXPECT_EQ(copy.Item(2)->submenu.get(), sub.get());
  sub.reset();
  EXPECT_EQ(copy.Item(2)->submenu.get(), nullptr);
  EXPECT_EQ(assigned.Item(2)->submenu.get(), nullptr);
}

TEST(MenuLifetime, OpenStateIsNotCopiedAndASecondShowOfAnOpenMenuReturnsAtOnce) {
  ui::UiMenu menu;
  menu.AddItem("一", {}, 0, ui::UiMenu::kCommand, 1, 1);
  int shows = 0;
  menu.SetPopupHandler([&](HWND, bool) { ++shows; });
  MenuOwner owner;
  bool copyOpen = true, openInside = false, openAfterSecondShow = false;
  EXPECT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    openInside = menu.IsOpen();
    ui::UiMenu copy = menu;
    copyOpen = copy.IsOpen();
    ui::ShowMenu(menu, owner.hwnd(), 10, 10);
    openAfterSecondShow = menu.IsOpen();
    CloseAndWait(m);
  }));
  EXPECT_TRUE(openInside);
  EXPECT_FALSE(copyOpen);
  EXPECT_TRUE(openAfterSecondShow);
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(menu.IsOpen());
}

}  // namespace
