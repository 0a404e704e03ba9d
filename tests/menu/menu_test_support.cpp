#include "tests/menu/menu_test_support.h"

namespace qwtest {

MenuOwner::MenuOwner(int x, int y, int width, int height) : window_(x, y, width, height) {
  ui::UiWindow::CreateOptions options;
  options.backgroundColor = RGB(240, 240, 240);
  options.captionStyle = 0;
  host_.SetOnMessage([this](HWND, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_COMMAND) {
      commands.push_back({wp, lp});
      if (onCommand) onCommand(wp);
    }
    if (msg == 10240) {
      elementNotices.push_back(lp);
      if (onElementNotice) onElementNotice(lp);
    }
    return -1;
  });
  host_.Create(window_.hwnd(), options);
  element_.Create(window_.hwnd(), ui::RectF{0, 0, float(width / 2), float(height)},
                  ui::kind::kNoBitmap, true);
  window_.Show();
  PumpPending();
}

void MenuOwner::PointAtElement() const {
  POINT p{20, 20};
  ClientToScreen(window_.hwnd(), &p);
  SetCursorPos(p.x, p.y);
}

void RecordWindows(ui::UiMenu& menu, MenuWindows& into) {
  menu.SetPopupHandler([&into](HWND hwnd, bool topLevel) {
    MenuWindows::Entry e{hwnd, topLevel, {}, GetTickCount()};
    GetWindowRect(hwnd, &e.rect);
    into.entries.push_back(e);
  });
}

namespace {
std::function<void(HWND)> g_script;
bool g_ran = false;
bool g_leftOpen = false;
HWND g_menu = nullptr;
UINT_PTR g_safetyTimer = 0;

HWND FindMenuWindow() { return FindWindowW(L"Zq_DirectUI", L"Zq_DirectUI_Menu"); }

void CALLBACK CloseLeftOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_safetyTimer = 0;
  if (IsWindow(g_menu)) {
    g_leftOpen = true;
    DestroyWindow(g_menu);
  }
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = FindMenuWindow();
  if (!menu || !IsWindowVisible(menu)) return;  // not shown yet: try on the next tick
  KillTimer(nullptr, id);
  g_ran = true;
  auto script = std::move(g_script);
  g_script = nullptr;
  script(menu);
  if (IsWindow(menu)) {
    // The script may have left the closing to the loop (a posted message);
    // a menu still open after 10 s is closed here so the test cannot hang.
    g_menu = menu;
    g_safetyTimer = SetTimer(nullptr, 0, 10000, CloseLeftOpenMenu);
  }
}
}  // namespace

bool ShowAndRun(ui::UiMenu& menu, HWND owner, int x, int y, const std::function<void(HWND)>& script) {
  g_script = script;
  g_ran = false;
  g_leftOpen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, RunScript);
  ui::ShowMenu(menu, owner, x, y);
  if (!g_ran) KillTimer(nullptr, timer);
  if (g_safetyTimer) KillTimer(nullptr, g_safetyTimer);
  g_safetyTimer = 0;
  g_script = nullptr;
  return g_ran && !g_leftOpen;
}

std::vector<ui::UiMenuItem*> MenuRows(HWND menuWindow) {
  std::vector<ui::UiMenuItem*> rows;
  ui::UiWindow* host = ui::UiWindow::FromWindow(menuWindow);
  if (!host) return rows;
  for (ui::UiElement* e = host->FirstElement(); e; e = e->NextSibling())
    if (e->Kind() == ui::kind::kMenuItem) rows.push_back(static_cast<ui::UiMenuItem*>(e));
  return rows;
}

ui::UiMenuItem* RowWithText(HWND menuWindow, const wchar_t* text) {
  for (ui::UiMenuItem* row : MenuRows(menuWindow))
    if (row->Item().text == text) return row;
  return nullptr;
}

LPARAM CentreOf(const ui::UiElement& row) {
  const int x = row.Left() + row.Width() / 2, y = row.Top() + row.Height() / 2;
  return MAKELPARAM(x, y);
}

void PostClick(HWND menuWindow, const ui::UiElement& row) {
  const LPARAM at = CentreOf(row);
  PostMessageW(menuWindow, WM_MOUSEMOVE, 0, at);
  PostMessageW(menuWindow, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(menuWindow, WM_LBUTTONUP, 0, at);
}

void PointAt(HWND window, const ui::UiElement& row) {
  POINT p{row.Left() + 20, row.Top() + row.Height() / 2};
  ClientToScreen(window, &p);
  SetCursorPos(p.x, p.y);
  PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(row.Left() + 20, row.Top() + row.Height() / 2));
}

}  // namespace qwtest
