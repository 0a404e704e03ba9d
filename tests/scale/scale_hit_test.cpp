// Hit testing at 150 % and 200 %: mouse messages at device positions reach
// the control whose scaled rectangle holds them (centre, just inside each
// edge), miss it just outside, and the element and the host's callbacks
// are told logical coordinates. Also: a click in an edit places the caret
// by logical position, and dragging a scroll bar's thumb by device pixels
// moves it by the logical amount.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/controls/control_test_util.h"
#include "tests/edit/edit_driving.h"
#include "tests/scale/scale_support.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/caption_button.h"
#include "ui/controls/edit.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/scroll_bar.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"

using namespace ui;
using qwtest::HostedWindow;
using scaletest::ChangeDpi;
using scaletest::DevicePoint;

namespace {

// The logical point the host reports for a device point.
LPARAM LogicalOf(const UiWindow& host, POINT device) {
  const float f = host.Scale().Factor();
  return MAKELPARAM(static_cast<int>(std::floor(device.x / f)), static_cast<int>(std::floor(device.y / f)));
}

// A hosted window at a DPI that records the host's click callbacks and
// keeps window drags (presses on no element) from starting a move loop.
struct ScaledWindow : HostedWindow {
  explicit ScaledWindow(UINT dpi, UiWindow::CreateOptions o = Plain(), int w = 400, int h = 300)
      : HostedWindow(w, h, o) {
    host.SetOnMessage([this](HWND, UINT m, WPARAM, LPARAM lp) -> LRESULT {
      if (m == WM_NCLBUTTONDOWN) {
        drags.push_back(lp);
        return 0;
      }
      if (m == WM_MOUSELEAVE) return 0;  // the real pointer is never over this window
      return -1;
    });
    host.SetOnClick([this](HWND, ElementHandle e, WPARAM, LPARAM lp, int) { clicks.push_back({e, lp}); });
    host.SetOnLeftDown([this](HWND, ElementHandle e, WPARAM, LPARAM lp, int) { downs.push_back({e, lp}); });
    ChangeDpi(hwnd(), dpi);
    Settle();
  }
  struct Call {
    ElementHandle element;
    LPARAM lParam;
  };
  // Clicks at a device point; the element the host's click callback named (0: none).
  ElementHandle ClickAt(POINT device) {
    clicks.clear();
    downs.clear();
    scaletest::ClickAt(hwnd(), device);
    // Leave the pointer on no element, so the next press starts afresh.
    SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(host.ClientSize().cx - 3, host.ClientSize().cy - 3));
    return clicks.empty() ? 0 : clicks.back().element;
  }
  std::vector<Call> clicks, downs;
  std::vector<LPARAM> drags;
};

// The element the host finds under a device point: the pointer moves there
// (the host hovers what it hits), then off to an empty corner.
ElementHandle HitAt(ScaledWindow& w, POINT device) {
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, scaletest::AsLParam(device));
  UiElement* hover = w.host.HoverElement();
  const ElementHandle hit = hover ? hover->GetHandle() : 0;
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(w.host.ClientSize().cx - 3, w.host.ClientSize().cy - 3));
  return hit;
}

// Checks the element's scaled rectangle from all four sides: the device
// pixels just inside hit it, those just outside do not; the element is
// told logical positions, and a press at its centre either clicks it (the
// host's callback names it, with logical coordinates) or, for an element
// that takes no presses, drags the window by the device position.
void CheckEdges(ScaledWindow& w, UiElement& e, const char* what) {
  SCOPED_TRACE(what);
  const RectF b = e.Bounds();
  const POINT centre = DevicePoint(w.host, b.x + b.width / 2, b.y + b.height / 2);
  const int left = scaletest::FirstDeviceInside(w.host, b.x);
  const int right = scaletest::LastDeviceInside(w.host, b.x, b.width);
  const int top = scaletest::FirstDeviceInside(w.host, b.y);
  const int bottom = scaletest::LastDeviceInside(w.host, b.y, b.height);
  const ElementHandle h = e.GetHandle();
  LPARAM moved = -1;
  e.BindEvent(WM_MOUSEMOVE, [&](const ElementEvent& ev) { moved = ev.lParam; });
  EXPECT_EQ(HitAt(w, centre), h) << "centre";
  EXPECT_EQ(moved, LogicalOf(w.host, centre)) << "the element is told logical pixels";
  EXPECT_EQ(HitAt(w, {left, centre.y}), h) << "left edge " << left;
  EXPECT_EQ(HitAt(w, {right, centre.y}), h) << "right edge " << right;
  EXPECT_EQ(HitAt(w, {centre.x, top}), h) << "top edge " << top;
  EXPECT_EQ(HitAt(w, {centre.x, bottom}), h) << "bottom edge " << bottom;
  EXPECT_EQ(HitAt(w, {right, bottom}), h) << "bottom-right corner";
  EXPECT_NE(HitAt(w, {left - 1, centre.y}), h) << "left of it " << left - 1;
  EXPECT_NE(HitAt(w, {right + 1, centre.y}), h) << "right of it " << right + 1;
  EXPECT_NE(HitAt(w, {centre.x, top - 1}), h) << "above it";
  EXPECT_NE(HitAt(w, {centre.x, bottom + 1}), h) << "below it";
  EXPECT_NE(HitAt(w, {right + 1, bottom + 1}), h) << "past the corner";
  // The logical centre read as a device point lies outside at these scales.
  const POINT unscaledCentre{static_cast<LONG>(b.x + b.width / 2), static_cast<LONG>(b.y + b.height / 2)};
  EXPECT_NE(HitAt(w, unscaledCentre), h) << "the logical centre read as a device point";
  e.BindEvent(WM_MOUSEMOVE, [](const ElementEvent&) {});

  w.drags.clear();
  const ElementHandle clicked = w.ClickAt(centre);
  if (clicked != 0) {
    EXPECT_EQ(clicked, h);
    EXPECT_EQ(w.clicks.back().lParam, LogicalOf(w.host, centre)) << "the callback is told logical pixels";
  } else {
    ASSERT_EQ(w.drags.size(), 1u) << "neither clicked nor dragged";
    EXPECT_EQ(w.drags.back(), scaletest::AsLParam(centre)) << "the window drag starts at the device point";
  }
}

class ScaledHitTest : public testing::TestWithParam<UINT> {};
// The same at every quarter step where surfaces land on half pixels and
// between them (125 % and 175 % round some origins down).
class ControlHitTest : public testing::TestWithParam<UINT> {};

}  // namespace

TEST_P(ControlHitTest, EveryControlClassIsHitOnThePixelsThatShowItOnly) {
  ScaledWindow w(GetParam(), HostedWindow::Plain(), 500, 320);
  UiButton button;
  UiLabel label;
  UiPicture picture;
  UiProgressBar progress;
  UiEdit edit;
  UiScrollBar scroll;
  const Bytes red = ctltest::SolidBmp(40, 30, 0xFF0000);
  ASSERT_NE(button.Create(w.hwnd(), 150, 120, 81, 29, "安装"), 0u);
  ASSERT_NE(label.Create(w.hwnd(), 300, 121, 101, 23, "极速安装"), 0u);
  ASSERT_NE(picture.Create(w.hwnd(), 151, 200, 41, 31, red), 0u);
  ASSERT_NE(progress.Create(w.hwnd(), 250, 201, 151, 13), 0u);
  UiEdit::Options eo;
  eo.text = "abcdef";
  ASSERT_NE(edit.Create(w.hwnd(), 150, 260, 201, 31, eo), 0u);
  UiScrollBar::Options so;
  so.orientation = UiScrollBar::kVertical;
  ASSERT_NE(scroll.Create(w.hwnd(), 451, 121, 11, 101, so), 0u);
  w.Settle();
  // What the element itself is told about a press at its centre.
  LPARAM buttonDown = -1;
  button.BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent& e) { buttonDown = e.lParam; });

  CheckEdges(w, button, "button");
  const RectF bb = button.Bounds();
  EXPECT_EQ(buttonDown, LogicalOf(w.host, DevicePoint(w.host, bb.x + bb.width / 2, bb.y + bb.height / 2)));
  CheckEdges(w, label, "label");
  CheckEdges(w, picture, "picture");
  CheckEdges(w, progress, "progress bar");
  CheckEdges(w, edit, "edit");
  CheckEdges(w, scroll, "scroll bar");
  // Each class answers a press as at 100 %: buttons, edits and bars take
  // it, labels and pictures leave it to the window.
  EXPECT_EQ(w.ClickAt(DevicePoint(w.host, 190, 130)), button.GetHandle());
}

namespace {
bool TakePosted(HWND hwnd, UINT message, WPARAM* wParam = nullptr) {
  MSG msg;
  if (!PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) return false;
  if (wParam) *wParam = msg.wParam;
  return true;
}
}  // namespace

TEST_P(ControlHitTest, CaptionButtonsAreHitAtTheirScaledPlaces) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kClose | caption::kMaximize | caption::kMinimize;
  ScaledWindow w(GetParam(), o, 400, 200);
  ASSERT_EQ(w.host.CaptionButtons().size(), 3u);
  for (const auto& part : w.host.CaptionButtons()) {
    auto* button = dynamic_cast<UiCaptionButton*>(part.get());
    ASSERT_NE(button, nullptr);
    SCOPED_TRACE(button->ButtonKind());
    // Laid out from the logical width's right edge.
    EXPECT_LE(button->Left() + button->Width(), w.host.LogicalSize().cx - 5);
    const RectF b = button->Bounds();
    const POINT centre = DevicePoint(w.host, b.x + b.width / 2, b.y + b.height / 2);
    EXPECT_EQ(w.ClickAt(centre), button->GetHandle());
    WPARAM command = 0;
    if (button->ButtonKind() == caption::kClose) {
      EXPECT_TRUE(TakePosted(w.hwnd(), WM_CLOSE));
    } else {
      ASSERT_TRUE(TakePosted(w.hwnd(), WM_SYSCOMMAND, &command));
      EXPECT_EQ(command, static_cast<WPARAM>(button->ButtonKind() == caption::kMaximize ? SC_MAXIMIZE : SC_MINIMIZE));
    }
    const int right = scaletest::LastDeviceInside(w.host, b.x, b.width);
    const int bottom = scaletest::LastDeviceInside(w.host, b.y, b.height);
    EXPECT_EQ(w.ClickAt({right, bottom}), button->GetHandle()) << "bottom-right corner";
    TakePosted(w.hwnd(), WM_CLOSE);
    TakePosted(w.hwnd(), WM_SYSCOMMAND);
    EXPECT_NE(w.ClickAt({centre.x, bottom + 1}), button->GetHandle()) << "below it";
    EXPECT_FALSE(TakePosted(w.hwnd(), WM_CLOSE));
    EXPECT_FALSE(TakePosted(w.hwnd(), WM_SYSCOMMAND));
  }
}

TEST_P(ScaledHitTest, AClickInAnEditPlacesTheCaretByLogicalPositionAndTypingWorks) {
  ScaledWindow w(GetParam(), HostedWindow::Plain(), 320, 200);
  UiEdit edit;
  UiEdit::Options o;
  o.text = "abcdefgh";
  edit.Create(w.hwnd(), 10, 10, 260, 30, o);
  w.host.SetFocusElement(&edit, true);
  w.Settle();
  // One logical pixel right of the caret place before `column`: the left
  // half of the next character, so the caret goes before it.
  auto deviceBefore = [&](int column) {
    const float x = edit.Left() + edit.ComputeCaretRect(1, column - 1, false).X + 1;
    return DevicePoint(w.host, x, edit.Top() + 15.0f);
  };
  for (int column : {2, 5, 7}) {
    SCOPED_TRACE(column);
    scaletest::ClickAt(w.hwnd(), deviceBefore(column));
    EXPECT_EQ(edit.Caret(), (TextPosition{1, column}));
  }
  scaletest::ClickAt(w.hwnd(), deviceBefore(3));
  ASSERT_EQ(edit.Caret(), (TextPosition{1, 3}));
  qwtest::Type(w.hwnd(), "XY");
  EXPECT_EQ(edit.Text(), "abcXYdefgh");
  EXPECT_EQ(edit.Caret(), (TextPosition{1, 5}));
  // Dragging from column 1 to column 4 in device pixels selects "bcX".
  const POINT from = deviceBefore(1), to = deviceBefore(4);
  SendMessageW(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, scaletest::AsLParam(from));
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, scaletest::AsLParam(to));
  SendMessageW(w.hwnd(), WM_LBUTTONUP, 0, scaletest::AsLParam(to));
  EXPECT_EQ(edit.GetSelectedText(), "bcX");
}

TEST_P(ScaledHitTest, DraggingTheThumbByDevicePixelsMovesItByTheLogicalAmount) {
  // The same drag on a bar at 100 % and on one at this scale, the scaled
  // one moved by the device equivalent: the same positions.
  HostedWindow reference(200, 150);
  ScaledWindow w(GetParam(), HostedWindow::Plain(), 200, 150);
  UiScrollBar::Options o;
  o.orientation = UiScrollBar::kVertical;
  o.maximum = 100;
  UiScrollBar unscaled, scaled;
  unscaled.Create(reference.hwnd(), 20, 10, 10, 100, o);
  scaled.Create(w.hwnd(), 20, 10, 10, 100, o);
  std::vector<int> expected, got;
  unscaled.SetScrollHandler([&](ElementHandle, int p) { expected.push_back(p); });
  scaled.SetScrollHandler([&](ElementHandle, int p) { got.push_back(p); });
  // An even logical start: its device position is whole at 150 % and 200 %.
  const int startY = 10 + static_cast<int>(unscaled.ThumbRect().Y + unscaled.ThumbRect().Height / 2) / 2 * 2;
  const int x = 25;
  auto drag = [](HWND hwnd, const UiWindow& host, int lx, const std::vector<int>& ys) {
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, scaletest::AsLParam(DevicePoint(host, float(lx), float(ys[0]))));
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, scaletest::AsLParam(DevicePoint(host, float(lx), float(ys[0]))));
    for (size_t i = 1; i < ys.size(); ++i)
      SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, scaletest::AsLParam(DevicePoint(host, float(lx), float(ys[i]))));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, scaletest::AsLParam(DevicePoint(host, float(lx), float(ys.back()))));
  };
  const std::vector<int> ys{startY, startY + 8, startY + 20, startY + 36, startY + 2, startY - 10};
  drag(reference.hwnd(), reference.host, x, ys);
  ASSERT_EQ(unscaled.PressedPart(), UiScrollBar::kNone);
  ASSERT_GE(expected.size(), 4u) << "the reference drag moved the thumb";
  drag(w.hwnd(), w.host, x, ys);
  EXPECT_EQ(got, expected);
  EXPECT_EQ(scaled.Position(), unscaled.Position());
  // Pressing a scaled arrow steps once per tick, like at 100 %.
  scaled.Position(50);
  got.clear();
  const POINT arrow = DevicePoint(w.host, 25, 10 + 95);
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, scaletest::AsLParam(arrow));
  SendMessageW(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, scaletest::AsLParam(arrow));
  EXPECT_EQ(scaled.PressedPart(), UiScrollBar::kArrow2);
  SendMessageW(w.hwnd(), WM_LBUTTONUP, 0, scaletest::AsLParam(arrow));
}

std::string DpiName(const testing::TestParamInfo<UINT>& info) { return "Dpi" + std::to_string(info.param); }
INSTANTIATE_TEST_SUITE_P(Dpi, ScaledHitTest, testing::Values(144u, 192u), DpiName);
INSTANTIATE_TEST_SUITE_P(Dpi, ControlHitTest, testing::Values(120u, 144u, 168u, 192u, 288u), DpiName);
