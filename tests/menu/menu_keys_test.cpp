// Menus from the keyboard: arrows light rows over separators and disabled
// rows and wrap, Enter performs the lit row, Right opens a submenu on its
// first row, Left and Escape come back, Escape closes the menu and the
// owner gets the keys back; what assistive technology is told meanwhile.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/menu/menu_test_support.h"

using qwtest::MenuOwner;
using qwtest::PumpUntil;
using qwtest::ShowAndRun;
using qwtest::SubmenuScript;

namespace {

struct WinEvent {
  DWORD event;
  HWND hwnd;
  LONG object, child;
};
std::vector<WinEvent> g_events;

void CALLBACK RecordWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  g_events.push_back({event, hwnd, object, child});
}

// Records this process's menu popup and focus events while alive.
class WinEventRecorder {
 public:
  WinEventRecorder() {
    g_events.clear();
    // In context: called at once, even for a window destroyed right after.
    hook_ = SetWinEventHook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_OBJECT_FOCUS, GetModuleHandleW(nullptr),
                            RecordWinEvent, GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_INCONTEXT);
  }
  ~WinEventRecorder() {
    if (hook_) UnhookWinEvent(hook_);
  }
  bool ok() const { return hook_ != nullptr; }
  std::vector<WinEvent> Of(DWORD event) const {
    std::vector<WinEvent> out;
    for (const WinEvent& e : g_events)
      if (e.event == event) out.push_back(e);
    return out;
  }

 private:
  HWINEVENTHOOK hook_ = nullptr;
};

void Key(HWND hwnd, WPARAM key) { SendMessageW(hwnd, WM_KEYDOWN, key, 0); }

ui::UiElement* Lit(HWND menuWindow) {
  ui::UiWindow* host = ui::UiWindow::FromWindow(menuWindow);
  return host ? host->HoverElement() : nullptr;
}

// The real cursor away from every menu, so that only the keys light rows.
void ParkCursor() { SetCursorPos(1000, 740); }

TEST(MenuKeys, ArrowsSkipSeparatorsAndDisabledRowsWrapAndEnterPerforms) {
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("", {}, 0, ui::UiMenu::kSeparator);
  menu.AddItem("不可用", {}, -1, ui::UiMenu::kCommand, 1, 2);
  menu.AddItem("第三项", {}, 0, ui::UiMenu::kCommand, 1, 3);
  menu.AddItem("第四项", {}, 0, ui::UiMenu::kCommand, 1, 4);
  MenuOwner owner;
  ParkCursor();
  WinEventRecorder events;
  ASSERT_TRUE(events.ok());
  std::vector<ui::ElementHandle> litHandles;
  std::vector<ui::ElementHandle> rows;
  HWND menuWindow = nullptr;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    menuWindow = m;
    for (ui::UiMenuItem* row : qwtest::MenuRows(m)) rows.push_back(row->GetHandle());
    EXPECT_EQ(Lit(m), nullptr) << "nothing lit before a key";
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP}) {
      Key(m, key);
      litHandles.push_back(Lit(m) ? Lit(m)->GetHandle() : 0);
    }
    Key(m, VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  ASSERT_EQ(rows.size(), 5u);
  // Rows 0, 3 and 4 are selectable: down 0, 3, 4, 0 (wrapped); up 4, 3.
  EXPECT_EQ(litHandles, (std::vector<ui::ElementHandle>{rows[0], rows[3], rows[4], rows[0], rows[4], rows[3]}));
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 3u) << "Enter performs the lit row";

  qwtest::PumpPending();
  // Each lit row is announced as the focus, by its element id.
  std::vector<ui::ElementHandle> focused;
  for (const WinEvent& e : events.Of(EVENT_OBJECT_FOCUS))
    if (e.hwnd == menuWindow && e.object == OBJID_CLIENT && e.child != CHILDID_SELF) focused.push_back(static_cast<ui::ElementHandle>(e.child));
  EXPECT_EQ(focused, litHandles);
  // The popup's start and end, for the menu window's client object.
  const auto starts = events.Of(EVENT_SYSTEM_MENUPOPUPSTART), ends = events.Of(EVENT_SYSTEM_MENUPOPUPEND);
  ASSERT_EQ(starts.size(), 1u);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(starts[0].hwnd, menuWindow);
  EXPECT_EQ(ends[0].hwnd, menuWindow);
  EXPECT_EQ(starts[0].object, OBJID_CLIENT);
  EXPECT_EQ(ends[0].object, OBJID_CLIENT);
}

TEST(MenuKeys, RightOpensASubmenuOnItsFirstRowLeftAndEscapeComeBack) {
  ui::UiMenu sub;
  sub.AddItem("子项一", {}, 0, ui::UiMenu::kCommand, 1, 11);
  sub.AddItem("子项二", {}, 0, ui::UiMenu::kCommand, 1, 12);
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddSubmenuItem("更多", &sub);
  MenuOwner owner;
  ParkCursor();
  int opens = 0;
  std::vector<bool> firstRowLit;
  SubmenuScript script(sub, [&](HWND s) {
    ++opens;
    firstRowLit.push_back(Lit(s) == qwtest::MenuRows(s).at(0));
    if (opens == 1) {
      Key(s, VK_LEFT);
    } else if (opens == 2) {
      Key(s, VK_ESCAPE);
    } else {
      Key(s, VK_DOWN);
      Key(s, VK_RETURN);
    }
  });
  bool backAfterLeft = false, backAfterEscape = false, rowStaysLit = false;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    ui::UiMenuItem* more = qwtest::RowWithText(m, L"更多");
    ASSERT_NE(more, nullptr);
    Key(m, VK_UP);  // from nothing lit: the last row
    EXPECT_EQ(Lit(m), more);
    Key(m, VK_RIGHT);  // runs until the submenu is closed (by Left)
    backAfterLeft = IsWindow(m) && GetForegroundWindow() == m;
    rowStaysLit = Lit(m) == more;
    Key(m, VK_RETURN);  // Enter opens it too (closed by Escape)
    backAfterEscape = IsWindow(m) && GetForegroundWindow() == m;
    Key(m, VK_LEFT);  // nothing to go back to in a top-level menu
    EXPECT_TRUE(IsWindow(m));
    Key(m, VK_RIGHT);  // Down, Enter inside: the submenu's second command
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(opens, 3);
  EXPECT_EQ(firstRowLit, (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(backAfterLeft);
  EXPECT_TRUE(backAfterEscape);
  EXPECT_TRUE(rowStaysLit);
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 12u);
}

TEST(MenuKeys, EscapeClosesTheMenuAndTheOwnerGetsTheKeysBack) {
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("第二项", {}, 0, ui::UiMenu::kCommand, 1, 2);
  MenuOwner owner;
  ParkCursor();
  SetForegroundWindow(owner.hwnd());
  WinEventRecorder events;
  HWND keysInMenu = nullptr;
  ASSERT_TRUE(ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    keysInMenu = GetForegroundWindow() == m ? m : nullptr;
    Key(m, VK_DOWN);
    Key(m, VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_NE(keysInMenu, nullptr) << "the open menu takes the keys";
  qwtest::PumpPending();
  EXPECT_EQ(events.Of(EVENT_SYSTEM_MENUPOPUPSTART).size(), 1u);
  EXPECT_EQ(events.Of(EVENT_SYSTEM_MENUPOPUPEND).size(), 1u) << "announced once, though closed and destroyed";
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == owner.hwnd(); }));
  EXPECT_EQ(GetFocus(), owner.hwnd());
  EXPECT_TRUE(owner.commands.empty());
}

}  // namespace
