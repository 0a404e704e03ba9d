// What the host hands the system in device pixels at 150 %: the edit's
// caret (system caret and the line drawn on the canvas), the tooltip's
// tool rectangle, and popup menu windows shown from a scaled owner.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "tests/menu/menu_test_support.h"
#include "tests/scale/scale_support.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/controls/menu_item.h"
#include "ui/core/menu.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::PumpUntil;
using scaletest::ChangeDpi;
using scaletest::DevicePoint;

namespace {

RECT CaretRect(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info);
  return info.rcCaret;
}

// A focused edit with the caret put before `column` by a click at its
// device position; returns the logical caret point.
POINT ClickColumn(HostedWindow& w, UiEdit& edit, int column) {
  // The caret place before `column` is the right edge of the character before it.
  const Gdiplus::RectF c = edit.ComputeCaretRect(1, column - 1, false);
  const POINT at = DevicePoint(w.host, edit.Left() + c.X + 1, edit.Top() + 15.0f);
  scaletest::ClickAt(w.hwnd(), at);
  return POINT{static_cast<LONG>(edit.Left() + c.X), static_cast<LONG>(edit.Top() + c.Y)};
}

bool IsDark(Argb c) { return RedOf(c) < 70 && GreenOf(c) < 70 && BlueOf(c) < 70; }

}  // namespace

TEST(ScaleWindows, TheEditCaretIsPlacedAndSizedInDevicePixels) {
  // The caret height at 100 %, for comparison.
  int unitHeight = 0;
  {
    HostedWindow w(320, 120);
    UiEdit edit;
    UiEdit::Options o;
    o.text = "abcdef";
    edit.Create(w.hwnd(), 10, 10, 260, 30, o);
    w.host.SetFocusElement(&edit, true);
    w.Settle();
    ClickColumn(w, edit, 3);
    unitHeight = CaretRect(w.hwnd()).bottom - CaretRect(w.hwnd()).top;
  }
  ASSERT_GT(unitHeight, 8) << "the system reports the caret";

  enum Order { kMadeAtTheScale, kMadeBefore, kFocusedBefore };
  for (Order order : {kMadeAtTheScale, kMadeBefore, kFocusedBefore}) {
    SCOPED_TRACE(order == kMadeAtTheScale ? "edit made at 150 %"
                 : order == kMadeBefore   ? "edit rebuilt by the change"
                                          : "edit focused before the change");
    HostedWindow w(320, 120);
    UiEdit edit;
    UiEdit::Options o;
    o.text = "abcdef";
    if (order != kMadeAtTheScale) edit.Create(w.hwnd(), 10, 10, 260, 30, o);
    if (order == kFocusedBefore) {
      w.host.SetFocusElement(&edit, true);
      w.Settle();
      ClickColumn(w, edit, 3);
    }
    ChangeDpi(w.hwnd(), 144);
    w.Settle();
    const DisplayScale s = w.host.Scale();
    if (order == kFocusedBefore) {
      // Where the caret already stood, in the new device pixels.
      const Gdiplus::RectF c = edit.ComputeCaretRect(1, 2, false);
      POINT system{};
      GetCaretPos(&system);
      EXPECT_EQ(system.x, s.ToDevice(static_cast<int>(edit.Left() + c.X)));
      EXPECT_EQ(system.y, s.ToDevice(static_cast<int>(edit.Top() + c.Y)));
      const RECT caret = CaretRect(w.hwnd());
      EXPECT_NEAR(caret.bottom - caret.top, s.ToDevice(unitHeight), 1) << "the system caret's height";
    }
    if (order == kMadeAtTheScale) edit.Create(w.hwnd(), 10, 10, 260, 30, o);
    w.host.SetFocusElement(&edit, true);
    w.Settle();
    const POINT logical = ClickColumn(w, edit, 3);
    ASSERT_EQ(edit.Caret(), (TextPosition{1, 3}));
    POINT system{};
    GetCaretPos(&system);
    EXPECT_EQ(system.x, s.ToDevice(static_cast<int>(logical.x)));
    EXPECT_EQ(system.y, s.ToDevice(static_cast<int>(logical.y)));
    const RECT caret = CaretRect(w.hwnd());
    EXPECT_NEAR(caret.bottom - caret.top, s.ToDevice(unitHeight), 1) << "the system caret's height";
    EXPECT_GE(caret.right - caret.left, 1);
    // The line the edit draws itself stands at the device position.
    const int midY = system.y + (caret.bottom - caret.top) / 2;
    EXPECT_TRUE(IsDark(w.Canvas(system.x, midY))) << qwtest::ColorText(w.Canvas(system.x, midY));
  }
}

namespace {
// The rectangle of the tooltip's tool (empty when it has none).
RECT ToolRect(HWND tooltip) {
  wchar_t text[128] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.lpszText = text;
  if (!tooltip || !SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) return RECT{};
  return ti.rect;
}
bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}
}  // namespace

TEST(ScaleWindows, TheTooltipToolCoversTheElementInDevicePixels) {
  HostedWindow w(300, 200);
  w.host.SetOnMessage([](HWND, UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_MOUSELEAVE ? 0 : -1; });
  ChangeDpi(w.hwnd(), 144);
  w.Settle();
  qwtest::Recorder tipped;
  tipped.Make(w.hwnd(), 20, 21, 61, 30);
  tipped.TipText("提示", false);
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, scaletest::AsLParam(DevicePoint(w.host, 50, 35)));
  ASSERT_EQ(w.host.HoverElement(), &tipped);
  const RECT at150 = ToolRect(w.host.TooltipWindow());
  EXPECT_TRUE(SameRect(at150, RECT{30, 32, 30 + 92, 32 + 45})) << Text(at150);
  // The scale changes under the pointer: the tool follows the element.
  ChangeDpi(w.hwnd(), 192);
  w.Settle();
  const RECT at200 = ToolRect(w.host.TooltipWindow());
  EXPECT_TRUE(SameRect(at200, RECT{40, 42, 40 + 122, 42 + 60})) << Text(at200);
}

namespace {

SIZE MenuWindowSize(ui::UiMenu& menu, HWND owner, int* quarters = nullptr) {
  SIZE size{};
  EXPECT_TRUE(qwtest::ShowAndRun(menu, owner, 100, 100, [&](HWND m) {
    size = scaletest::WindowSize(m);
    if (quarters) *quarters = UiWindow::FromWindow(m)->Scale().Quarters();
    PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpUntil([&] { return !IsWindow(m); });
  }));
  return size;
}

}  // namespace

TEST(ScaleWindows, AMenuOfAScaledOwnerIsScaledAndItsRowsAreHitThere) {
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddItem("第二项", {}, 0, ui::UiMenu::kCommand, 1, 2);
  menu.AddItem("-", {}, 0, ui::UiMenu::kSeparator, 1, 0);
  menu.AddItem("第三项", {}, 0, ui::UiMenu::kCommand, 1, 3);
  menu.SetWidth(120);
  qwtest::MenuOwner plain;
  const SIZE unit = MenuWindowSize(menu, plain.hwnd());
  ASSERT_GT(unit.cx, 100);

  for (UINT dpi : {144u, 192u}) {
    SCOPED_TRACE(dpi);
    qwtest::MenuOwner owner;
    ChangeDpi(owner.hwnd(), dpi);
    qwtest::PumpPending();
    const DisplayScale s = DisplayScale::FromDpi(dpi);
    int quarters = 0;
    const SIZE scaled = MenuWindowSize(menu, owner.hwnd(), &quarters);
    EXPECT_EQ(quarters, s.Quarters());
    EXPECT_EQ(scaled.cx, s.ToDevice(static_cast<int>(unit.cx)));
    EXPECT_EQ(scaled.cy, s.ToDevice(static_cast<int>(unit.cy)));

    // The rows are device-sized; a click just inside a row's bottom edge
    // chooses it, and one just below its top edge chooses the row itself,
    // not the one above.
    for (const auto& [text, id, atBottom] : {std::tuple{L"第二项", 2u, true}, std::tuple{L"第三项", 3u, false}}) {
      RECT rect{};
      owner.commands.clear();
      ASSERT_TRUE(qwtest::ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
        rect = scaletest::WindowRect(m);
        UiWindow* host = UiWindow::FromWindow(m);
        ui::UiMenuItem* row = qwtest::RowWithText(m, text);
        ASSERT_NE(row, nullptr);
        const SIZE bitmap = scaletest::BitmapSize(*row);
        EXPECT_EQ(bitmap.cx, s.ToDevice(static_cast<int>(row->Width())));
        EXPECT_EQ(bitmap.cy, s.ToDevice(static_cast<int>(row->Height())));
        const int y = atBottom ? scaletest::LastDeviceInside(*host, row->Top(), row->Height())
                               : scaletest::FirstDeviceInside(*host, row->Top());
        const LPARAM at = MAKELPARAM(DevicePoint(*host, row->Left() + row->Width() / 2.0f, 0).x, y);
        PostMessageW(m, WM_MOUSEMOVE, 0, at);
        PostMessageW(m, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(m, WM_LBUTTONUP, 0, at);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
      }));
      EXPECT_EQ(rect.left, 100);
      EXPECT_EQ(rect.top, 100);
      ASSERT_EQ(owner.commands.size(), 1u);
      EXPECT_EQ(owner.commands[0].id, id);
    }
  }
}

TEST(ScaleWindows, ASubmenuOfAScaledMenuIsScaledToo) {
  ui::UiMenu sub;
  sub.AddItem("子项一(&O)", {}, 0, ui::UiMenu::kCommand, 1, 11);
  sub.AddItem("子项二", {}, 0, ui::UiMenu::kCommand, 1, 12);
  ui::UiMenu menu;
  menu.AddItem("第一项", {}, 0, ui::UiMenu::kCommand, 1, 1);
  menu.AddSubmenuItem("更多", &sub);
  qwtest::MenuOwner plain;
  const SIZE subUnit = MenuWindowSize(sub, plain.hwnd());

  qwtest::MenuOwner owner;
  ChangeDpi(owner.hwnd(), 144);
  qwtest::PumpPending();
  SIZE subScaled{};
  int subQuarters = 0;
  sub.SetPopupHandler([&](HWND hwnd, bool) {
    subScaled = scaletest::WindowSize(hwnd);
    if (UiWindow* host = UiWindow::FromWindow(hwnd)) subQuarters = host->Scale().Quarters();
    PostMessageW(hwnd, WM_KEYDOWN, 'O', 0);
  });
  ASSERT_TRUE(qwtest::ShowAndRun(menu, owner.hwnd(), 100, 100, [&](HWND m) {
    UiWindow* host = UiWindow::FromWindow(m);
    ui::UiMenuItem* more = qwtest::RowWithText(m, L"更多");
    ASSERT_NE(more, nullptr);
    // The real pointer over the row (the submenu opens only while it stays there).
    POINT p = DevicePoint(*host, more->Left() + 20.0f, more->Top() + 10.0f);
    const LPARAM client = scaletest::AsLParam(p);
    ClientToScreen(m, &p);
    SetCursorPos(p.x, p.y);
    PostMessageW(m, WM_MOUSEMOVE, 0, client);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(m); }));
  }));
  EXPECT_EQ(subQuarters, 6);
  EXPECT_EQ(subScaled.cx, DisplayScale::FromQuarters(6).ToDevice(static_cast<int>(subUnit.cx)));
  EXPECT_EQ(subScaled.cy, DisplayScale::FromQuarters(6).ToDevice(static_cast<int>(subUnit.cy)));
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0].id, 11u);
}
