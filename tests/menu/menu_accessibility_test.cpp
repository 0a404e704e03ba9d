// A popup menu as a screen reader meets it: its window's client object
// lists the rows (names without the access-key marker, check states,
// separators, the default action) and its start and end are announced.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/menu/menu_test_support.h"
#include "ui/host/host_accessible.h"

namespace {

struct Heard {
  DWORD event;
  HWND hwnd;
};

// A WinEvent hook on a thread of its own, as a screen reader listens: the
// menu's thread is busy in its local loop and destroys the window the end
// is announced for.
class MenuEventListener {
 public:
  MenuEventListener() {
    thread_ = std::thread([this] {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
      HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPEND, nullptr,
                                           &MenuEventListener::OnEvent, GetCurrentProcessId(), 0,
                                           WINEVENT_OUTOFCONTEXT);
      current_ = this;
      ready_ = true;
      while (!stop_) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      }
      if (hook) UnhookWinEvent(hook);
      current_ = nullptr;
    });
    while (!ready_) Sleep(1);
  }
  ~MenuEventListener() {
    stop_ = true;
    thread_.join();
  }
  std::vector<Heard> heard() {
    std::lock_guard<std::mutex> lock(mutex_);
    return heard_;
  }

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (!current_ || object != OBJID_CLIENT || child != CHILDID_SELF) return;
    std::lock_guard<std::mutex> lock(current_->mutex_);
    current_->heard_.push_back({event, hwnd});
  }
  static inline MenuEventListener* current_ = nullptr;
  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Heard> heard_;
};

std::wstring Text(IAccessible* a, const VARIANT& id, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
  BSTR text = nullptr;
  (a->*get)(id, &text);
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

TEST(MenuAccessibility, TheMenuWindowListsItsRowsAndItsStartAndEndAreAnnounced) {
  ui::UiMenu menu;
  menu.AddItem("窗口置顶(&T)", {}, 4, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("", {}, 0, ui::UiMenu::kSeparator);
  menu.AddItem("退出(&X)", {}, -1, ui::UiMenu::kCommand, 1, 2);
  qwtest::MenuOwner owner;
  MenuEventListener listener;
  HWND shown = nullptr;
  std::vector<std::wstring> rows;
  ASSERT_TRUE(qwtest::ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    shown = m;
    ui::UiWindow* host = ui::UiWindow::FromWindow(m);
    ASSERT_NE(host, nullptr);
    IAccessible* client = ui::HostAccessible::Create(*host, nullptr);
    VARIANT children[4];
    long n = 0;
    AccessibleChildren(client, 0, 4, children, &n);
    for (long i = 0; i < n; ++i) {
      VARIANT role, state;
      VariantInit(&role);
      VariantInit(&state);
      client->get_accRole(children[i], &role);
      client->get_accState(children[i], &state);
      rows.push_back(std::to_wstring(role.lVal) + L" " + Text(client, children[i], &IAccessible::get_accName) +
                     L" " + std::to_wstring(state.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE)) +
                     L" " + Text(client, children[i], &IAccessible::get_accDefaultAction));
      VariantClear(&children[i]);
    }
    client->Release();
    PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(qwtest::PumpUntil([&] { return !IsWindow(m); }));
  }));
  // This menu's events only: a window another test left may end meanwhile.
  auto ofThisMenu = [&] {
    std::vector<Heard> mine;
    for (const Heard& h : listener.heard())
      if (h.hwnd == shown) mine.push_back(h);
    return mine;
  };
  qwtest::PumpUntil([&] { return ofThisMenu().size() >= 2; });
  const std::vector<Heard> heard = ofThisMenu();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], std::to_wstring(ROLE_SYSTEM_MENUITEM) + L" 窗口置顶(T) " + std::to_wstring(STATE_SYSTEM_CHECKED) +
                         L" 执行");
  EXPECT_EQ(rows[1], std::to_wstring(ROLE_SYSTEM_SEPARATOR) + L"  0 ");
  EXPECT_EQ(rows[2], std::to_wstring(ROLE_SYSTEM_MENUITEM) + L" 退出(X) " +
                         std::to_wstring(STATE_SYSTEM_UNAVAILABLE) + L" 执行");
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].event, static_cast<DWORD>(EVENT_SYSTEM_MENUPOPUPSTART));
  EXPECT_EQ(heard[0].hwnd, shown);
  EXPECT_EQ(heard[1].event, static_cast<DWORD>(EVENT_SYSTEM_MENUPOPUPEND));
  EXPECT_EQ(heard[1].hwnd, shown);
}

}  // namespace
