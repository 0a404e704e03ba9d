// Input routing driven through a real host window with sent messages:
// hover, press, click, double click, hit testing, resizing, keyboard focus,
// accelerators, tooltips and elements that destroy themselves.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "ui/host/caption_parts.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A hosted window whose callbacks and system-level requests are recorded.
// The window is never shown, so the real cursor is never over it: the
// system's leave notifications and the modal move/size loops are kept out.
struct InputWindow : HostedWindow {
  explicit InputWindow(UiWindow::CreateOptions o = Plain(), int w = 200, int h = 150)
      : HostedWindow(w, h, o) {
    host.SetOnMessage([this](HWND, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (m == WM_MOUSELEAVE && !passLeave) return 0;
      if (m == WM_NCLBUTTONDOWN) {
        drags.push_back(wp);
        return 0;
      }
      if (m == WM_SYSCOMMAND) {
        commands.push_back(wp & 0xFFF0 ? wp : wp);
        return 0;
      }
      return -1;
    });
    auto record = [this](const char* name) {
      return [this, name](HWND, ElementHandle e, WPARAM, LPARAM, int kind) {
        calls.push_back(std::string(name) + ":" + Name(e));
        (void)kind;
      };
    };
    host.SetOnLeftDown(record("down"));
    host.SetOnLeftUp(record("up"));
    host.SetOnClick(record("click"));
    host.SetOnDoubleClick(record("double"));
    host.SetOnMouseEnter(record("enter"));
    host.SetOnMouseLeave(record("leave"));
    host.SetOnFocus(record("focus"));
    host.SetOnBlur(record("blur"));
    host.SetOnRightDown(record("rdown"));
    host.SetOnRightUp(record("rup"));
  }
  LRESULT Send(UINT m, WPARAM wp, LPARAM lp) { return SendMessageW(hwnd(), m, wp, lp); }
  void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, At(x, y)); }
  void Down(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y)); }
  void Up(int x, int y) { Send(WM_LBUTTONUP, 0, At(x, y)); }
  std::string Name(ElementHandle e) const {
    for (const auto& [h, n] : names)
      if (h == e) return n;
    return e ? "?" : "0";
  }
  void Name(Recorder& r, std::string n) { names.emplace_back(r.GetHandle(), std::move(n)); }

  std::vector<std::pair<ElementHandle, std::string>> names;
  std::vector<std::string> calls;
  std::vector<WPARAM> drags, commands;
  bool passLeave = false;
};

std::vector<UINT> MouseEvents(const Recorder& r) {
  std::vector<UINT> out;
  for (const auto& e : r.log)
    if (e.message == WM_MOUSEMOVE || e.message == WM_LBUTTONDOWN || e.message == WM_LBUTTONUP ||
        (e.message >= ev::kFocusGained && e.message <= ev::kClick))
      out.push_back(e.message);
  return out;
}
const Recorder::Event* Last(const Recorder& r, UINT m) {
  for (auto it = r.log.rbegin(); it != r.log.rend(); ++it)
    if (it->message == m) return &*it;
  return nullptr;
}
}  // namespace

TEST(HostInput, HoverEntersAndLeaves) {
  InputWindow w;
  Recorder a, b;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  b.Make(w.hwnd(), 100, 10, 50, 30);
  w.Name(a, "a");
  w.Name(b, "b");
  a.ClearLog();
  b.ClearLog();
  w.Move(20, 20);
  EXPECT_EQ(MouseEvents(a), (std::vector<UINT>{ev::kMouseEnter, WM_MOUSEMOVE}));
  EXPECT_EQ(Last(a, ev::kMouseEnter)->lParam, 0);
  EXPECT_EQ(w.host.HoverElement(), &a);
  w.Move(21, 20);  // still inside: no new enter
  EXPECT_EQ(a.Count(ev::kMouseEnter), 1);
  w.Move(110, 20);
  EXPECT_EQ(Last(a, ev::kMouseLeave)->lParam, static_cast<LPARAM>(b.GetHandle()));
  EXPECT_EQ(Last(b, ev::kMouseEnter)->lParam, static_cast<LPARAM>(a.GetHandle()));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"enter:a", "leave:a", "enter:b"}));
  w.Move(180, 120);
  EXPECT_EQ(Last(b, ev::kMouseLeave)->lParam, 0);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  // The system's leave notification clears the hover too.
  w.Move(20, 20);
  w.passLeave = true;
  w.Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_EQ(a.Count(ev::kMouseLeave), 2);
  EXPECT_EQ(w.calls.back(), "leave:a");
}

TEST(HostInput, PressAndReleaseOnTheSameElementClicksOnce) {
  InputWindow w;
  Recorder a;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  w.Name(a, "a");
  w.Move(20, 20);
  a.ClearLog();
  w.calls.clear();
  w.Down(20, 20);
  EXPECT_TRUE(w.host.ButtonDown());
  EXPECT_EQ(w.host.PressedElement(), &a);
  EXPECT_EQ(w.host.FocusedElement(), &a);
  w.Up(25, 22);
  EXPECT_FALSE(w.host.ButtonDown());
  EXPECT_EQ(w.host.PressedElement(), nullptr);
  EXPECT_EQ(MouseEvents(a), (std::vector<UINT>{ev::kFocusGained, WM_LBUTTONDOWN, WM_LBUTTONUP, ev::kClick}));
  EXPECT_EQ(Last(a, WM_LBUTTONUP)->wParam, a.GetHandle());  // the pressed element's handle
  EXPECT_EQ(Last(a, ev::kClick)->wParam, a.GetHandle());
  EXPECT_EQ(Last(a, ev::kClick)->lParam, At(25, 22));
  // Nothing was focused before: the blur callback names no element.
  EXPECT_EQ(w.calls, (std::vector<std::string>{"down:a", "blur:0", "focus:a", "up:0", "click:a"}));
}

TEST(HostInput, ReleaseElsewhereGivesLeaveAndEnterButNoClick) {
  InputWindow w;
  Recorder a, b;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  b.Make(w.hwnd(), 100, 10, 50, 30);
  w.Name(a, "a");
  w.Name(b, "b");
  w.Move(20, 20);
  w.Down(20, 20);
  a.ClearLog();
  b.ClearLog();
  w.calls.clear();
  // While pressed only the pressed element sees the mouse.
  w.Move(110, 20);
  EXPECT_TRUE(b.log.empty());
  ASSERT_EQ(MouseEvents(a), (std::vector<UINT>{WM_MOUSEMOVE}));
  EXPECT_EQ(a.log[0].wParam, a.GetHandle());
  EXPECT_EQ(w.host.HoverElement(), &a);
  w.Up(110, 20);
  EXPECT_EQ(a.Count(ev::kClick), 0);
  EXPECT_EQ(Last(a, ev::kMouseLeave)->lParam, static_cast<LPARAM>(b.GetHandle()));
  EXPECT_EQ(Last(b, ev::kMouseEnter)->lParam, static_cast<LPARAM>(a.GetHandle()));
  EXPECT_EQ(b.Count(WM_LBUTTONUP), 0);  // the release itself is not forwarded
  EXPECT_EQ(w.calls, (std::vector<std::string>{"up:0", "leave:a", "enter:b"}));
  EXPECT_EQ(w.host.HoverElement(), &b);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(HostInput, DoubleClickArrivesAsMarkedButtonDown) {
  InputWindow w;
  Recorder a;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  w.Name(a, "a");
  int doubles = 0;
  a.BindEvent(WM_LBUTTONDBLCLK, [&](const ElementEvent& e) {
    ++doubles;
    EXPECT_EQ(e.wParam, ev::kDoubleClickMark);
  });
  w.Down(20, 20);
  w.Up(20, 20);
  EXPECT_EQ(doubles, 0);
  a.ClearLog();
  w.calls.clear();
  EXPECT_EQ(w.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(20, 20)), 0);
  ASSERT_NE(Last(a, WM_LBUTTONDOWN), nullptr);
  EXPECT_EQ(Last(a, WM_LBUTTONDOWN)->wParam, ev::kDoubleClickMark);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"down:a", "double:a"}));
  w.Up(20, 20);
}

TEST(HostInput, HitTestingSkipsDisabledAndHiddenAndPrefersChildren) {
  InputWindow w;
  Recorder below, above, parent, child;
  below.Make(w.hwnd(), 10, 10, 60, 40);
  above.Make(w.hwnd(), 10, 10, 60, 40);
  parent.Make(w.hwnd(), 100, 10, 80, 80);
  child.Make(parent, 110, 20, 20, 20);
  EXPECT_EQ(w.host.HitTest(20, 20), &above);
  above.Disabled(true);
  EXPECT_EQ(w.host.HitTest(20, 20), &below);
  above.Disabled(false);
  above.Visible(false);
  EXPECT_EQ(w.host.HitTest(20, 20), &below);
  w.Down(20, 20);
  EXPECT_EQ(w.host.PressedElement(), &below);
  w.Up(20, 20);
  EXPECT_EQ(below.Count(ev::kClick), 1);
  EXPECT_EQ(w.host.HitTest(115, 25), &child);
  EXPECT_EQ(w.host.HitTest(150, 60), &parent);
  EXPECT_EQ(w.host.HitTest(70, 20), nullptr);  // right edge is outside
  EXPECT_EQ(w.host.HitTest(69.5f, 20), &below);
}

TEST(HostInput, FocusMovesByClickAndPressQueryMakesPressable) {
  InputWindow w;
  Recorder a, f, plain;
  a.Make(w.hwnd(), 10, 10, 40, 30);
  f.Make(w.hwnd(), 60, 10, 40, 30);
  plain.Make(w.hwnd(), 110, 10, 40, 30);
  plain.Focusable(false);
  w.Name(a, "a");
  w.Name(f, "f");
  w.Name(plain, "p");
  w.Down(20, 20);
  w.Up(20, 20);
  w.calls.clear();
  w.Down(70, 20);
  EXPECT_EQ(Last(a, ev::kFocusLost)->lParam, static_cast<LPARAM>(f.GetHandle()));
  EXPECT_EQ(Last(f, ev::kFocusGained)->lParam, static_cast<LPARAM>(a.GetHandle()));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"leave:a", "down:f", "blur:a", "focus:f"}));
  w.Up(70, 20);
  // Not focusable, not pressable: no press, focus stays; the window is dragged.
  w.calls.clear();
  w.Down(120, 20);
  EXPECT_FALSE(w.host.ButtonDown());
  EXPECT_EQ(w.host.FocusedElement(), &f);
  EXPECT_EQ(w.drags, (std::vector<WPARAM>{HTCAPTION}));
  w.Up(120, 20);
  // Answering the press query makes it pressable without taking focus.
  plain.answers[ev::kPressQuery] = 0;
  w.Down(120, 20);
  EXPECT_EQ(w.host.PressedElement(), &plain);
  EXPECT_EQ(w.host.FocusedElement(), &f);
  w.Up(120, 20);
  EXPECT_EQ(plain.Count(ev::kClick), 1);
  EXPECT_EQ(w.drags.size(), 1u);
  // Empty area: a drag when dragToMove is set, nothing when not.
  w.Down(180, 120);
  EXPECT_EQ(w.drags.size(), 2u);
  w.host.SetDragToMove(false);
  w.Down(180, 120);
  EXPECT_EQ(w.drags.size(), 2u);
}

TEST(HostInput, TitleDoubleClickMaximisesOrRestores) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kTitle | caption::kMaximize;
  InputWindow w(o, 300, 200);
  qwtest::PumpPending();
  w.commands.clear();
  w.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(150, 100));  // below the caption: nothing
  qwtest::PumpPending();
  EXPECT_TRUE(w.commands.empty());
  w.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(150, 20));  // empty caption area
  qwtest::PumpPending();
  EXPECT_EQ(w.commands, (std::vector<WPARAM>{SC_MAXIMIZE}));
  SetWindowLongPtrW(w.hwnd(), GWL_STYLE, GetWindowLongPtrW(w.hwnd(), GWL_STYLE) | WS_MAXIMIZE);
  w.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(150, 20));
  qwtest::PumpPending();
  EXPECT_EQ(w.commands, (std::vector<WPARAM>{SC_MAXIMIZE, SC_RESTORE}));
  SetWindowLongPtrW(w.hwnd(), GWL_STYLE, GetWindowLongPtrW(w.hwnd(), GWL_STYLE) & ~WS_MAXIMIZE);
}

TEST(HostInput, ResizeZonesSetCursorsAndStartSizing) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.resizable = true;
  InputWindow w(o);
  Recorder a;
  a.Make(w.hwnd(), 50, 50, 40, 40);
  struct Case {
    int x, y;
    LPCWSTR cursor;
    int edge;
  } cases[] = {{5, 5, IDC_SIZENWSE, 4},     {100, 3, IDC_SIZENS, 3},   {195, 3, IDC_SIZENESW, 5},
               {5, 145, IDC_SIZENESW, 7},   {100, 145, IDC_SIZENS, 6}, {195, 145, IDC_SIZENWSE, 8},
               {3, 70, IDC_SIZEWE, 1},      {195, 70, IDC_SIZEWE, 2}};
  for (const Case& c : cases) {
    SetCursor(nullptr);
    w.commands.clear();
    w.Move(c.x, c.y);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.cursor)) << c.x << "," << c.y;
    w.Down(c.x, c.y);
    EXPECT_EQ(w.commands, (std::vector<WPARAM>{static_cast<WPARAM>(SC_SIZE + c.edge)})) << c.x << "," << c.y;
  }
  // Entering a zone from an element takes the hover away.
  w.Move(60, 60);
  ASSERT_EQ(w.host.HoverElement(), &a);
  w.Move(3, 60);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_EQ(Last(a, ev::kMouseLeave)->lParam, 0);
  // Inside: nothing.
  w.commands.clear();
  w.Down(100, 100);
  EXPECT_TRUE(w.commands.empty());
  // Maximised: nothing at the edges either.
  SetWindowLongPtrW(w.hwnd(), GWL_STYLE, GetWindowLongPtrW(w.hwnd(), GWL_STYLE) | WS_MAXIMIZE);
  w.Down(5, 5);
  EXPECT_TRUE(w.commands.empty());
  SetWindowLongPtrW(w.hwnd(), GWL_STYLE, GetWindowLongPtrW(w.hwnd(), GWL_STYLE) & ~WS_MAXIMIZE);
  // Not resizable: nothing.
  InputWindow fixed;
  fixed.Down(5, 5);
  EXPECT_TRUE(fixed.commands.empty());
}

TEST(HostInput, TabWalksTopLevelTabStopsAndWraps) {
  InputWindow w;
  Recorder a, notFocusable, disabled, hidden, caption, f;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  notFocusable.Make(w.hwnd(), 0, 0, 10, 10);
  notFocusable.Focusable(false);
  disabled.Make(w.hwnd(), 0, 0, 10, 10);
  disabled.Disabled(true);
  hidden.Make(w.hwnd(), 0, 0, 10, 10, false);
  caption.Make(w.hwnd(), 0, 0, 10, 10, true, kind::kCaptionButton);
  f.Make(w.hwnd(), 0, 0, 10, 10);
  Recorder child;
  child.Make(f, 1, 1, 5, 5);
  auto tab = [&] {
    w.Send(WM_KEYDOWN, VK_TAB, 0);
    qwtest::PumpPending();
  };
  tab();  // from the first element onwards
  EXPECT_EQ(w.host.FocusedElement(), &f);
  EXPECT_EQ(w.host.KeyboardFocus(), &f);
  EXPECT_EQ(f.Count(ev::kFocusGained), 1);
  tab();  // wraps
  EXPECT_EQ(w.host.FocusedElement(), &a);
  EXPECT_EQ(Last(f, ev::kFocusLost)->lParam, static_cast<LPARAM>(a.GetHandle()));
  tab();
  EXPECT_EQ(w.host.FocusedElement(), &f);
  // From a child the walk starts at its top-level ancestor.
  w.host.SetFocusElement(&child, false);
  qwtest::PumpPending();
  tab();
  EXPECT_EQ(w.host.FocusedElement(), &a);
  // A focused element that handles the key keeps it.
  a.answers[WM_KEYDOWN] = 0;
  tab();
  EXPECT_EQ(w.host.FocusedElement(), &a);
  a.answers.erase(WM_KEYDOWN);
  // With no other tab stop the focus stays.
  f.Visible(false);
  tab();
  EXPECT_EQ(w.host.FocusedElement(), &a);
}

TEST(HostInput, EnterAndSpaceClickTheFocusedElement) {
  InputWindow w;
  Recorder a;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  w.Name(a, "a");
  w.host.SetFocusElement(&a, true);
  qwtest::PumpPending();
  w.Send(WM_KEYDOWN, VK_RETURN, 0);
  w.Send(WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(a.Count(ev::kClick), 2);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"click:a", "click:a"}));
  a.Visible(false);
  w.Send(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(a.Count(ev::kClick), 2);
  // Other keys reach the focused element and do nothing else.
  a.Visible(true);
  w.Send(WM_KEYDOWN, 'X', 0);
  w.Send(WM_CHAR, 'x', 0);
  EXPECT_EQ(a.Count(WM_KEYDOWN), 4);
  EXPECT_EQ(a.Count(WM_CHAR), 1);
}

// Enter, Space and access keys do what a mouse click on the element's
// centre does, so handlers bound to the button going down run too; a held
// key activates once; an element that destroys itself while pressed is left.
TEST(HostInput, KeyActivationDoesWhatAClickDoes) {
  InputWindow w;
  Recorder a;
  a.Make(w.hwnd(), 10, 20, 40, 30);
  w.Name(a, "a");
  int downs = 0;
  a.BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent& e) {
    ++downs;
    EXPECT_EQ(e.lParam, At(30, 35));
  });
  w.host.SetFocusElement(&a, true);
  qwtest::PumpPending();
  w.Send(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(MouseEvents(a), (std::vector<UINT>{ev::kFocusGained, WM_LBUTTONDOWN, WM_LBUTTONUP, ev::kClick}));
  w.Send(WM_KEYDOWN, VK_RETURN, 1L << 30);  // auto-repeat
  w.Send(WM_KEYDOWN, VK_SPACE, 1L << 30);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(w.Send(hostmsg::kAccelerator, a.GetHandle(), 'q'), 1);
  w.Send(WM_SYSCHAR, 'q', 0);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(a.Count(ev::kClick), 2);

  auto* c = new Recorder();
  c->Make(w.hwnd(), 60, 20, 40, 30);
  c->BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent&) { delete c; });
  w.host.SetFocusElement(c, true);
  qwtest::PumpPending();
  w.Send(WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(w.host.FocusedElement(), nullptr);
  EXPECT_EQ(w.calls.back(), "click:0");
}

TEST(HostInput, AcceleratorsClickVisibleEnabledElements) {
  InputWindow w;
  Recorder a, b;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  b.Make(w.hwnd(), 20, 0, 10, 10);
  EXPECT_EQ(w.Send(hostmsg::kAccelerator, a.GetHandle(), 'a'), 1);
  EXPECT_EQ(w.Send(hostmsg::kAccelerator, a.GetHandle(), 'S'), 1);  // one record per element
  w.host.SetAccelerator(&b, 'x');
  ASSERT_EQ(w.host.Accelerators().size(), 2u);
  EXPECT_EQ(w.Send(WM_SYSCHAR, 's', 0), 0);
  EXPECT_EQ(a.Count(ev::kClick), 1);
  w.Send(WM_SYSCHAR, 'a', 0);
  EXPECT_EQ(a.Count(ev::kClick), 1);
  a.Visible(false);
  w.Send(WM_SYSCHAR, 'S', 0);
  EXPECT_EQ(a.Count(ev::kClick), 1);
  a.Visible(true);
  a.Disabled(true);
  w.Send(WM_SYSCHAR, 'S', 0);
  EXPECT_EQ(a.Count(ev::kClick), 1);
  w.Send(WM_SYSCHAR, 'X', 0);
  EXPECT_EQ(b.Count(ev::kClick), 1);
  w.host.SetAccelerator(&b, 0);
  w.Send(WM_SYSCHAR, 'X', 0);
  EXPECT_EQ(b.Count(ev::kClick), 1);
  EXPECT_EQ(w.host.Accelerators().size(), 1u);
  qwtest::PumpPending();
}

TEST(HostInput, MinMaxInfoFromTheCaption) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kClose | caption::kMaximize;
  InputWindow w(o, 300, 200);
  ASSERT_EQ(w.host.CaptionButtons().size(), 2u);
  MINMAXINFO info{};
  EXPECT_EQ(w.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.ptMinTrackSize.x, 103);
  EXPECT_EQ(info.ptMinTrackSize.y, 38);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(info.ptMaxPosition.x, work.left - 7);
  EXPECT_EQ(info.ptMaxSize.y, work.bottom + 14);
  // With no caption flags at all.
  InputWindow plain;
  MINMAXINFO none{};
  plain.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&none));
  // Create always sets the shadow bit, so only the buttons are missing.
  EXPECT_EQ(none.ptMinTrackSize.x, 36);
  EXPECT_EQ(none.ptMinTrackSize.y, 38);
}

TEST(HostInput, AnElementDestroyingItselfOnClickLeavesNoReference) {
  InputWindow w;
  Recorder a, b;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  b.Make(w.hwnd(), 100, 10, 50, 30);
  w.Name(a, "a");
  a.BindEvent(ev::kClick, [&](const ElementEvent&) { a.Destroy(); });
  w.Move(20, 20);
  w.Down(20, 20);
  w.Up(20, 20);
  EXPECT_FALSE(a.IsCreated());
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_EQ(w.host.PressedElement(), nullptr);
  EXPECT_EQ(w.host.FocusedElement(), nullptr);
  EXPECT_FALSE(w.host.ButtonDown());
  EXPECT_EQ(w.calls.back(), "click:0");  // the callback no longer gets the element
  // The next messages are routed safely.
  w.Move(20, 20);
  w.Move(110, 20);
  EXPECT_EQ(w.host.HoverElement(), &b);
  w.Down(110, 20);
  w.Up(110, 20);
  EXPECT_EQ(b.Count(ev::kClick), 1);

  // An element object deleted inside its own press handler.
  auto* c = new Recorder();
  c->Make(w.hwnd(), 10, 60, 50, 30);
  c->BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent&) { delete c; });
  w.Move(20, 70);
  w.Down(20, 70);
  EXPECT_EQ(w.host.PressedElement(), nullptr);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  w.Up(20, 70);
  w.Move(25, 75);
  qwtest::PumpPending();
}

TEST(HostInput, TooltipFollowsTheHoveredElement) {
  InputWindow w;
  Recorder a, b;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  b.Make(w.hwnd(), 100, 10, 50, 30);
  a.TipText("提示文字", false);
  w.Move(20, 20);
  HWND tip = w.host.TooltipWindow();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[64] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = w.hwnd();
  ti.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(text), L"提示文字");
  ASSERT_EQ(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti)), TRUE);
  EXPECT_EQ(ti.rect.left, 10);
  EXPECT_EQ(ti.rect.right, 60);
  w.Move(110, 20);  // an element without a tip removes the tool
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  b.TipText("b", true);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(HostInput, CursorTimersTitleAndBusy) {
  struct Restore {
    ~Restore() { SetCaptionParts(DefaultCaptionParts()); }
  } restore;
  CaptionPartFactory f = DefaultCaptionParts();
  std::string title;
  f.setTitleText = [&](UiElement&, std::string_view t) { title.assign(t); };
  SetCaptionParts(f);
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kTitle;
  InputWindow w(o);
  Recorder a;
  a.Make(w.hwnd(), 10, 40, 50, 30);
  a.Cursor(32649);  // IDC_HAND
  w.Move(20, 50);
  w.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()), HTCLIENT);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  w.Move(150, 120);
  w.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()), HTCLIENT);
  EXPECT_EQ(GetCursor(), w.host.DefaultCursor());
  // Element timers arrive as WM_TIMER with the element's handle.
  w.Send(WM_TIMER, a.GetHandle(), 0);
  EXPECT_EQ(a.Count(WM_TIMER), 1);
  // WM_SETTEXT renames the title.
  SetWindowTextW(w.hwnd(), L"新标题");
  EXPECT_EQ(title, "新标题");
  // Busy: no routing.
  a.ClearLog();
  w.host.SetBusy(true);
  w.Move(20, 50);
  w.Down(20, 50);
  w.host.SetBusy(false);
  EXPECT_TRUE(a.log.empty());
  // The host's own focus message.
  w.Send(hostmsg::kSetFocus, 0, static_cast<LPARAM>(a.GetHandle()));
  EXPECT_EQ(w.host.FocusedElement(), &a);
  qwtest::PumpPending();
}

TEST(HostInput, DeactivationReleasesThePress) {
  InputWindow w;
  Recorder a;
  a.Make(w.hwnd(), 10, 10, 50, 30);
  w.Name(a, "a");
  w.Move(20, 20);
  w.Down(20, 20);
  ASSERT_TRUE(w.host.ButtonDown());
  a.ClearLog();
  w.Send(WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(w.host.ButtonDown());
  EXPECT_EQ(a.Messages(), (std::vector<UINT>{ev::kMouseLeave, ev::kFocusLost}));
  // Right button callbacks, with or without an element.
  w.calls.clear();
  w.Send(WM_RBUTTONDOWN, 0, At(20, 20));
  w.Send(WM_RBUTTONUP, 0, At(180, 120));
  EXPECT_EQ(w.calls, (std::vector<std::string>{"rdown:a", "leave:a", "rup:0"}));
}

TEST(HostInput, HostTornDownInsideItsOwnCallbacks) {
  // The window destroyed from a click handler: routing stops cleanly.
  {
    qwtest::TestWindow win(0, 0, 200, 150);
    UiWindow host;
    ASSERT_TRUE(host.Create(win.hwnd(), HostedWindow::Plain()));
    Recorder a;
    a.Make(win.hwnd(), 10, 10, 50, 30);
    host.SetOnClick([&](HWND h, ElementHandle, WPARAM, LPARAM, int) { DestroyWindow(h); });
    SendMessageW(win.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    SendMessageW(win.hwnd(), WM_LBUTTONUP, 0, At(20, 20));
    EXPECT_FALSE(IsWindow(win.hwnd()));
    EXPECT_FALSE(host.IsAttached());
    EXPECT_FALSE(a.IsCreated());
  }
  // The host object deleted from a callback: the window goes back to its
  // own procedure and keeps working.
  qwtest::TestWindow win(0, 0, 200, 150);
  auto* host = new UiWindow();
  ASSERT_TRUE(host->Create(win.hwnd(), HostedWindow::Plain()));
  Recorder a;
  a.Make(win.hwnd(), 10, 10, 50, 30);
  host->SetOnLeftDown([&](HWND, ElementHandle, WPARAM, LPARAM, int) {
    delete host;
    host = nullptr;
  });
  SendMessageW(win.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  EXPECT_EQ(host, nullptr);
  EXPECT_FALSE(a.IsCreated());
  EXPECT_EQ(UiWindow::FromWindow(win.hwnd()), nullptr);
  SendMessageW(win.hwnd(), WM_LBUTTONUP, 0, At(20, 20));
  SendMessageW(win.hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
  qwtest::PumpPending();
}
