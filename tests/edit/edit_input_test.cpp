// The edit box driven through its host window with real messages: typed
// characters and the mode filters, the navigation and editing keys, the
// clipboard (GBK text both ways), mouse selection, the context menu, the
// input method, focus and the change notification.
#include <windows.h>

#include <gtest/gtest.h>
#include <imm.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/edit/edit_driving.h"
#include "tests/menu/menu_test_support.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/controls/menu_item.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/core/text.h"

using namespace ui;
using qwtest::CtrlKey;
using qwtest::HeldKeys;
using qwtest::Key;
using qwtest::PointIn;
using qwtest::Type;

namespace {

// A focused edit in a hosted window, counting its change notifications.
struct EditBox {
  explicit EditBox(std::string text, bool multiLine = false, EditMode mode = EditMode::Normal) {
    UiEdit::Options o;
    o.text = std::move(text);
    o.multiLine = multiLine;
    o.mode = mode;
    edit.Create(hosted.hwnd(), 10, 10, 260, multiLine ? 120 : 30, o);
    edit.SetChangeHandler([this](ElementHandle, ElementHandle) { ++changes; });
    hosted.host.SetFocusElement(&edit, true);
    hosted.Settle();
  }
  HWND hwnd() const { return hosted.hwnd(); }
  std::string Text() { return edit.Text(); }
  // Caret and anchor both at (line, column).
  void Put(int line, int column) { edit.Select({line, column}, {line, column}); }

  qwtest::HostedWindow hosted{320, 200};
  UiEdit edit;
  int changes = 0;
};

// ---- the clipboard, read and written without the edit's own helpers ----

void PutClipboard(UINT format, const void* data, std::size_t bytes) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), data, bytes);
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) GlobalFree(block);
  CloseClipboard();
}
void PutClipboardAnsi(const std::string& bytes) { PutClipboard(CF_TEXT, bytes.c_str(), bytes.size() + 1); }
void PutClipboardUnicode(const std::wstring& text) {
  PutClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}
std::wstring ClipboardUnicode() {
  std::wstring out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    out = static_cast<const wchar_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}
std::string ClipboardAnsi() {
  std::string out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    out = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

// Pixels of the selection colour in the edit's bitmap.
int HighlightPixels(UiEdit& e) {
  int n = 0;
  for (int y = 0; y < e.Height(); ++y)
    for (int x = 0; x < e.Width(); ++x) {
      const Argb p = qwtest::BitmapPixel(e.Bitmap(), x, y);
      if (AlphaOf(p) > 240 && BlueOf(p) > 200 && RedOf(p) < 130) ++n;
    }
  return n;
}

// "青梧测试" in GBK and UTF-16.
const std::string kGbk = "\xC7\xE0\xCE\xE0\xB2\xE2\xCA\xD4";
const std::wstring kWide = L"\u9752\u68A7\u6D4B\u8BD5";

}  // namespace

// ---- characters and filters ---------------------------------------------------------

TEST(EditTyping, CharactersAreInsertedAtTheCaretAndNotified) {
  EditBox box("ad");
  box.Put(1, 1);
  Type(box.hwnd(), "bc");
  EXPECT_EQ(box.Text(), "abcd");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 3}));
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  EXPECT_EQ(box.changes, 2);
  // Control characters, DEL and non-ASCII characters are not typed here
  // (the input method delivers the latter).
  for (WPARAM code : {WPARAM(9), WPARAM(13), WPARAM(27), WPARAM(127), WPARAM(0x9752)})
    SendMessageW(box.hwnd(), WM_CHAR, code, 1);
  EXPECT_EQ(box.Text(), "abcd");
  EXPECT_EQ(box.changes, 2);
}

TEST(EditTyping, IntegerModeTakesDigitsAndMinusOnly) {
  EditBox box("", false, EditMode::Integer);
  Type(box.hwnd(), "1a2.b3");
  EXPECT_EQ(box.Text(), "123");
  Key(box.hwnd(), VK_HOME);
  Type(box.hwnd(), "-");
  Key(box.hwnd(), VK_END);
  Type(box.hwnd(), "-/ 4");
  EXPECT_EQ(box.Text(), "-123-4");  // the minus sign at any position
}

TEST(EditTyping, DecimalModeTakesOneFullStopAndTheSlash) {
  EditBox box("", false, EditMode::Decimal);
  Type(box.hwnd(), "1.5");
  Type(box.hwnd(), ".x+");
  EXPECT_EQ(box.Text(), "1.5");
  Type(box.hwnd(), "/2-0");
  EXPECT_EQ(box.Text(), "1.5/2-0");
  // Once the full stop is gone, one may be typed again.
  box.edit.Text("12", true);
  Type(box.hwnd(), ".7.");
  EXPECT_EQ(box.Text(), "12.7");
}

// ---- keys ------------------------------------------------------------------------------

TEST(EditKeys, BackspaceJoinsTwoLinesWithTheCaretAtColumnTwo) {
  EditBox box("ab\r\ncd", true);
  box.Put(2, 0);
  Key(box.hwnd(), VK_BACK);
  EXPECT_EQ(box.Text(), "abcd");
  EXPECT_EQ(box.edit.TextStore().LineCount(), 1);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 2}));
  EXPECT_EQ(box.changes, 1);
  // A two-byte character goes whole; at the very start nothing happens.
  box.edit.Text("a\xC7\xE0", true);
  Key(box.hwnd(), VK_BACK);
  EXPECT_EQ(box.Text(), "a");
  Key(box.hwnd(), VK_BACK, 3);
  EXPECT_EQ(box.Text(), "");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 0}));
}

TEST(EditKeys, TheVerticalBarFollowsTheTextWhileEnterAndTypingScrollIt) {
  // Each Enter at the end grows the text and scrolls it; the bar's range
  // grows in the same key, so its thumb must reach the text's scroll too.
  // An Enter or Backspace draws the bar once at most, with its final
  // thumb, not once for the scroll and again for the range.
  EditBox box("first", true);
  box.Put(1, 5);
  int paints = 0;
  box.edit.VerticalBar().BindEvent(ev::kPaint, [&](const ElementEvent&) { ++paints; });
  for (int i = 0; i < 14; ++i) {
    paints = 0;
    Key(box.hwnd(), VK_RETURN);
    EXPECT_EQ(box.edit.VerticalBar().Position(), -box.edit.ScrollY()) << "Enter " << i;
    EXPECT_LE(paints, 1) << "Enter " << i;
    Type(box.hwnd(), "row");
    EXPECT_EQ(box.edit.VerticalBar().Position(), -box.edit.ScrollY()) << "typed on line " << i;
  }
  ASSERT_LT(box.edit.ScrollY(), 0);
  EXPECT_EQ(box.edit.VerticalBar().Position(), box.edit.VerticalBar().Maximum());
  // Joining lines again shrinks the range; the thumb follows it back.
  for (int i = 0; i < 5; ++i) {
    paints = 0;
    Key(box.hwnd(), VK_BACK, i < 3 ? 1 : 2);  // "row", then joining lines
    EXPECT_EQ(box.edit.VerticalBar().Position(), -box.edit.ScrollY()) << "Backspace " << i;
    EXPECT_LE(paints, i < 3 ? 1 : 2) << "Backspace " << i;
  }
}

TEST(EditKeys, ArrowsCrossLineEndsAndStayInsideTheText) {
  EditBox box("ab\r\ncd", true);
  box.Put(1, 2);
  Key(box.hwnd(), VK_RIGHT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 0}));
  Key(box.hwnd(), VK_END);
  Key(box.hwnd(), VK_RIGHT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 2}));  // end of the last line: stays
  Key(box.hwnd(), VK_HOME);
  Key(box.hwnd(), VK_LEFT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 2}));
  Key(box.hwnd(), VK_UP);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 2}));  // up on line 1 stays on line 1
  Key(box.hwnd(), VK_HOME);
  Key(box.hwnd(), VK_LEFT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 0}));
  Key(box.hwnd(), VK_DOWN, 3);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 0}));
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  // Down keeps the column where the next line is long enough.
  box.edit.Text("abcdef\r\nxy\r\nlonger");
  box.Put(1, 5);
  Key(box.hwnd(), VK_DOWN);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 2}));
  Key(box.hwnd(), VK_DOWN);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{3, 2}));
}

TEST(EditKeys, SingleLineArrowsStayOnTheLine) {
  EditBox box("abc");
  box.Put(1, 0);
  Key(box.hwnd(), VK_LEFT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 0}));
  Key(box.hwnd(), VK_END);
  Key(box.hwnd(), VK_RIGHT);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 3}));
  EXPECT_EQ(box.edit.HandleKey(VK_UP), 0);
  EXPECT_EQ(box.edit.HandleKey(VK_DOWN), 0);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 3}));
  // Enter adds no line; keys the edit does not use go back to the host.
  Key(box.hwnd(), VK_RETURN);
  EXPECT_EQ(box.Text(), "abc");
  EXPECT_EQ(box.edit.HandleKey(VK_PRIOR), -1);
  EXPECT_EQ(box.edit.HandleKey(VK_F5), -1);
  EXPECT_EQ(box.edit.HandleKey(VK_SPACE), 0);
  // With Control only the clipboard keys and select all are the edit's.
  {
    HeldKeys control{VK_CONTROL};
    EXPECT_EQ(box.edit.HandleKey(VK_LEFT), -1);
    EXPECT_EQ(box.edit.HandleKey('Z'), -1);
    EXPECT_EQ(box.edit.HandleKey(VK_BACK), -1);
  }
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 3}));
  EXPECT_EQ(box.Text(), "abc");
  // Password mode swallows every Control key without doing anything.
  box.edit.Mode(EditMode::Password);
  HeldKeys control{VK_CONTROL};
  EXPECT_EQ(box.edit.HandleKey('A'), 0);
  EXPECT_EQ(box.edit.HandleKey('Z'), 0);
  EXPECT_EQ(box.edit.GetSelectedText(), "");
}

TEST(EditKeys, ShiftExtendsTheSelectionAndPlainKeysCollapseIt) {
  EditBox box("hello\r\nworld", true);
  box.Put(1, 1);
  {
    HeldKeys shift{VK_SHIFT};
    Key(box.hwnd(), VK_RIGHT, 2);
    Key(box.hwnd(), VK_DOWN);
  }
  EXPECT_EQ(box.edit.Anchor(), (TextPosition{1, 1}));
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 3}));
  EXPECT_EQ(box.edit.GetSelectedText(), "ello\r\nwor");
  {
    HeldKeys shift{VK_SHIFT};
    Key(box.hwnd(), VK_HOME);
  }
  EXPECT_EQ(box.edit.GetSelectedText(), "ello\r\n");
  Key(box.hwnd(), VK_END);
  EXPECT_EQ(box.edit.GetSelectedText(), "");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 5}));
}

TEST(EditKeys, EnterDeleteAndTypingReplaceTheSelection) {
  EditBox box("abcd", true);
  box.edit.Select({1, 1}, {1, 3});
  Key(box.hwnd(), VK_RETURN);
  EXPECT_EQ(box.Text(), "a\r\nd");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 0}));
  Key(box.hwnd(), VK_DELETE);  // nothing selected: nothing deleted
  EXPECT_EQ(box.Text(), "a\r\nd");
  box.edit.Select({1, 0}, {2, 1});
  Key(box.hwnd(), VK_DELETE);
  EXPECT_EQ(box.Text(), "");
  box.edit.Text("xyz");
  box.edit.Select({1, 2}, {1, 0});
  Type(box.hwnd(), "Q");
  EXPECT_EQ(box.Text(), "Qz");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 1}));
}

// ---- the clipboard ----------------------------------------------------------------------

TEST(EditClipboard, CopyAndCutPutGbkTextOnTheClipboardInBothForms) {
  EditBox box("ab" + kGbk + "cd");
  box.edit.Select({1, 2}, {1, 6});
  CtrlKey(box.hwnd(), 'C');
  EXPECT_EQ(ClipboardUnicode(), kWide);
  EXPECT_EQ(ClipboardAnsi(), kGbk);
  EXPECT_EQ(box.Text(), "ab" + kGbk + "cd");

  box.edit.Select({1, 0}, {1, 3});
  CtrlKey(box.hwnd(), 'X');
  EXPECT_EQ(ClipboardUnicode(), L"ab\u9752");
  EXPECT_EQ(box.Text(), kGbk.substr(2) + "cd");
  EXPECT_EQ(box.changes, 1);
  // Nothing selected: the clipboard keeps its text.
  CtrlKey(box.hwnd(), 'C');
  CtrlKey(box.hwnd(), 'X');
  EXPECT_EQ(ClipboardUnicode(), L"ab\u9752");
}

TEST(EditClipboard, PasteTakesUnicodeOrCodePageTextAsGbk) {
  EditBox box("[]");
  box.Put(1, 1);
  PutClipboardUnicode(kWide + L"x");
  CtrlKey(box.hwnd(), 'V');
  EXPECT_EQ(box.Text(), "[" + kGbk + "x]");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 6}));

  // A program that offers only code-page text.
  box.edit.Text("");
  PutClipboardAnsi(kGbk);
  CtrlKey(box.hwnd(), 'V');
  EXPECT_EQ(box.Text(), kGbk);

  // What the edit copies comes back unchanged.
  box.edit.Text("ab" + kGbk, true);
  CtrlKey(box.hwnd(), 'A');
  CtrlKey(box.hwnd(), 'C');
  box.edit.Text("");
  CtrlKey(box.hwnd(), 'V');
  CtrlKey(box.hwnd(), 'V');
  EXPECT_EQ(box.Text(), "ab" + kGbk + "ab" + kGbk);
}

TEST(EditClipboard, PastedTextIsMadeSafeForTheLine) {
  // A single line keeps what follows the caret when the pasted text has
  // several lines: only its first line goes in.
  EditBox single("<>");
  single.Put(1, 1);
  PutClipboardUnicode(L"one\r\ntwo");
  CtrlKey(single.hwnd(), 'V');
  EXPECT_EQ(single.Text(), "<one>");
  EXPECT_EQ(single.edit.Caret(), (TextPosition{1, 4}));

  // A code-page text that ends in half a character loses that half, so it
  // cannot swallow the character after the caret.
  single.edit.Text("ab");
  single.Put(1, 1);
  PutClipboardAnsi("x\xC7");
  CtrlKey(single.hwnd(), 'V');
  const std::string pasted = single.Text();
  EXPECT_TRUE(pasted == "axb" || pasted == "ax?b") << pasted;  // the system may convert it to "?"
  single.edit.Text("ab");
  single.Put(1, 1);
  single.edit.InsertText(std::string("x\xC7"));
  EXPECT_EQ(single.Text(), "axb");
  single.edit.InsertText(std::string("\xC7\r", 2));  // a lead byte before a control byte
  EXPECT_EQ(single.Text(), "ax\rb");

  // Multi-line: the lines and the caret after the last of them.
  EditBox multi("<>", true);
  multi.Put(1, 1);
  PutClipboardUnicode(L"one\r\ntwo\nthree");
  CtrlKey(multi.hwnd(), 'V');
  EXPECT_EQ(multi.Text(), "<one\r\ntwothree>");
  EXPECT_EQ(multi.edit.Caret(), (TextPosition{2, 8}));
}

// ---- modes ------------------------------------------------------------------------------

TEST(EditModes, PasswordRefusesCopyMenuDragAndShiftSelection) {
  EditBox box("secret", false, EditMode::Password);
  PutClipboardUnicode(L"before");
  box.edit.Select({1, 0}, {1, 6});
  CtrlKey(box.hwnd(), 'C');
  CtrlKey(box.hwnd(), 'X');
  EXPECT_EQ(ClipboardUnicode(), L"before");
  EXPECT_EQ(box.Text(), "secret");
  CtrlKey(box.hwnd(), 'V');
  EXPECT_EQ(box.Text(), "secret");

  int shows = 0;
  qwtest::SharedEditMenu().SetPopupHandler([&](HWND menu, bool) {
    ++shows;
    PostMessageW(menu, WM_CLOSE, 0, 0);
  });
  SendMessageW(box.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, PointIn(box.edit, 20, 15));
  SendMessageW(box.hwnd(), WM_RBUTTONUP, 0, PointIn(box.edit, 20, 15));
  qwtest::SharedEditMenu().SetPopupHandler(nullptr);
  EXPECT_EQ(shows, 0);

  // Press at the start, drag to the end: the caret moves, nothing is selected.
  const HWND w = box.hwnd();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(box.edit, 4, 15));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, PointIn(box.edit, 200, 15));
  SendMessageW(w, WM_LBUTTONUP, 0, PointIn(box.edit, 200, 15));
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  qwtest::DoubleClick(w, PointIn(box.edit, 20, 15));
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  {
    HeldKeys shift{VK_SHIFT};
    Key(w, VK_HOME);
  }
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  // Typing still works; the display is masked.
  Key(w, VK_END);
  Type(w, "!");
  EXPECT_EQ(box.Text(), "secret!");
  EXPECT_EQ(box.edit.TextStore().LineText(1, true), "*******");
}

TEST(EditModes, ReadOnlyRefusesEveryChangeWhileCopyWorks) {
  EditBox box("fixed", false, EditMode::ReadOnly);
  box.Put(1, 5);
  Type(box.hwnd(), "xyz");
  Key(box.hwnd(), VK_BACK);
  box.edit.Select({1, 0}, {1, 2});
  Key(box.hwnd(), VK_DELETE);
  Key(box.hwnd(), VK_BACK);
  PutClipboardUnicode(L"pasted");
  CtrlKey(box.hwnd(), 'V');
  EXPECT_EQ(box.edit.HandleKey('X', true), -1);
  CtrlKey(box.hwnd(), 'X');
  EXPECT_EQ(box.Text(), "fixed");
  EXPECT_EQ(box.changes, 0);
  EXPECT_EQ(ClipboardUnicode(), L"pasted");
  CtrlKey(box.hwnd(), 'C');
  EXPECT_EQ(ClipboardUnicode(), L"fi");
  // Selection still works.
  {
    HeldKeys shift{VK_SHIFT};
    Key(box.hwnd(), VK_END);
  }
  EXPECT_EQ(box.edit.GetSelectedText(), "fixed");
}

// ---- the context menu ----------------------------------------------------------------

namespace {

struct MenuRecord {
  std::vector<int> states;       // item states as the edit set them
  std::vector<bool> disabled;    // rows drawn disabled
};

// Right-clicks the edit and records the open menu; `choose` (1-based item,
// 0 = none) is clicked, otherwise the menu is closed.
MenuRecord RightClickMenu(EditBox& box, int choose = 0) {
  MenuRecord record;
  UiMenu& menu = qwtest::SharedEditMenu();
  menu.SetPopupHandler([&](HWND window, bool) {
    for (int i = 1; i <= menu.ItemCount(); ++i) record.states.push_back(menu.ItemState(i));
    const auto rows = qwtest::MenuRows(window);
    for (UiMenuItem* row : rows) record.disabled.push_back(row->Disabled());
    if (choose >= 1 && choose <= static_cast<int>(rows.size()))
      qwtest::PostClick(window, *rows[choose - 1]);
    else
      PostMessageW(window, WM_CLOSE, 0, 0);
  });
  const LPARAM at = PointIn(box.edit, 30, 15);
  POINT screen{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ClientToScreen(box.hwnd(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(box.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, at);
  SendMessageW(box.hwnd(), WM_RBUTTONUP, 0, at);
  menu.SetPopupHandler(nullptr);
  qwtest::PumpPending();
  return record;
}

}  // namespace

TEST(EditMenu, ItemStatesFollowSelectionClipboardAndMode) {
  EditBox box("menu text");
  PutClipboardUnicode(L"clip");
  box.edit.Select({1, 0}, {1, 4});
  MenuRecord normal = RightClickMenu(box);
  ASSERT_EQ(normal.states.size(), 5u);
  EXPECT_EQ(normal.states[0], 0);  // cut
  EXPECT_EQ(normal.states[1], 0);  // copy
  EXPECT_EQ(normal.states[2], 0);  // paste
  EXPECT_EQ(normal.states[4], 1);  // select all
  EXPECT_EQ(normal.disabled, (std::vector<bool>{false, false, false, false, false}));

  // No selection, no clipboard text, no text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  box.edit.Text("");
  MenuRecord empty = RightClickMenu(box);
  ASSERT_EQ(empty.states.size(), 5u);
  EXPECT_EQ(empty.states[0], -1);
  EXPECT_EQ(empty.states[1], -1);
  EXPECT_EQ(empty.states[2], -1);
  EXPECT_EQ(empty.states[4], -1);
  EXPECT_TRUE(empty.disabled[0] && empty.disabled[1] && empty.disabled[2] && empty.disabled[4]);
}

TEST(EditMenu, ReadOnlyShowsCutAndPasteUnavailable) {
  EditBox box("read only", false, EditMode::ReadOnly);
  PutClipboardUnicode(L"clip");
  box.edit.Select({1, 0}, {1, 4});
  MenuRecord record = RightClickMenu(box);
  ASSERT_EQ(record.states.size(), 5u);
  EXPECT_EQ(record.states[0], -1);  // cut
  EXPECT_EQ(record.states[1], 0);   // copy
  EXPECT_EQ(record.states[2], -1);  // paste
  ASSERT_EQ(record.disabled.size(), 5u);
  EXPECT_TRUE(record.disabled[0]);
  EXPECT_FALSE(record.disabled[1]);
  EXPECT_TRUE(record.disabled[2]);
}

TEST(EditMenu, ChosenItemsActOnTheEdit) {
  EditBox box("alpha beta");
  box.edit.Select({1, 6}, {1, 10});
  RightClickMenu(box, 2);  // copy
  ASSERT_TRUE(qwtest::PumpUntil([] { return ClipboardUnicode() == L"beta"; }));
  RightClickMenu(box, 5);  // select all
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.edit.GetSelectedText() == "alpha beta"; }));
  RightClickMenu(box, 1);  // cut
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.Text().empty(); }));
  EXPECT_EQ(ClipboardUnicode(), L"alpha beta");
  RightClickMenu(box, 3);  // paste
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.Text() == "alpha beta"; }));
  // A command from a window control (its window in lParam) is none of the edit's.
  box.edit.Select({1, 0}, {1, 0});
  SendMessageW(box.hwnd(), WM_COMMAND, 'A', reinterpret_cast<LPARAM>(box.hwnd()));
  SendMessageW(box.hwnd(), WM_COMMAND, MAKEWPARAM('A', 1), 0);  // an accelerator
  EXPECT_EQ(box.edit.GetSelectedText(), "");
  SendMessageW(box.hwnd(), WM_COMMAND, 'A', 0);
  EXPECT_EQ(box.edit.GetSelectedText(), "alpha beta");
}

// ---- the mouse -------------------------------------------------------------------------

TEST(EditMouse, ClickPlacesTheCaretAndDragSelects) {
  EditBox box("abcdef");
  const float start = box.edit.TextRect().X + 1;
  const float end = box.edit.ComputeCaretRect(1, 5, false).X + 2;
  qwtest::Press(box.hwnd(), PointIn(box.edit, end + 30, 15));  // right of the text: the end
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 6}));
  const HWND w = box.hwnd();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(box.edit, start, 15));
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 0}));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, PointIn(box.edit, end, 40));  // below the edit: still line 1
  SendMessageW(w, WM_LBUTTONUP, 0, PointIn(box.edit, end, 40));
  EXPECT_EQ(box.edit.Anchor(), (TextPosition{1, 0}));
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 6}));
  EXPECT_GT(HighlightPixels(box.edit), 20);
  // Dragging back onto the anchor removes the highlight.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(box.edit, start, 15));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, PointIn(box.edit, end, 15));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, PointIn(box.edit, start, 15));
  SendMessageW(w, WM_LBUTTONUP, 0, PointIn(box.edit, start, 15));
  EXPECT_EQ(box.edit.GetSelectedText(), "");
  EXPECT_EQ(HighlightPixels(box.edit), 0);
  box.edit.Select({1, 0}, {1, 6});
  // A press on the border leaves the selection alone.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(box.edit, 0.5f, 1));
  SendMessageW(w, WM_LBUTTONUP, 0, PointIn(box.edit, 0.5f, 1));
  EXPECT_EQ(box.edit.GetSelectedText(), "abcdef");
}

TEST(EditMouse, DraggingPastTheLeftEdgeScrollsBackTowardsTheStart) {
  EditBox box(std::string(120, 'w'), true);
  box.edit.Select({1, 120}, {1, 120});
  const int scrolled = box.edit.ScrollX();
  ASSERT_LT(scrolled, 0);
  const HWND w = box.hwnd();
  const float y = box.edit.TextRect().Y + 5;
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PointIn(box.edit, box.edit.TextRect().X + 30, y));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, PointIn(box.edit, -25, y));
  SendMessageW(w, WM_LBUTTONUP, 0, PointIn(box.edit, -25, y));
  EXPECT_GT(box.edit.ScrollX(), scrolled);
  EXPECT_LE(box.edit.ScrollX(), 0);
  EXPECT_FALSE(box.edit.GetSelectedText().empty());
  EXPECT_LT(box.edit.Caret().column, box.edit.Anchor().column);
}

TEST(EditMouse, DoubleClickSelectsAWordAndATripleClickTheLineWithin500Ms) {
  EditBox box("hello world42 !", true);
  const float inWorld = box.edit.ComputeCaretRect(1, 7, false).X - 2;  // inside "world42"
  const LPARAM at = PointIn(box.edit, inWorld, box.edit.TextRect().Y + 5);
  qwtest::DoubleClick(box.hwnd(), at);
  EXPECT_EQ(box.edit.GetSelectedText(), "world42");
  qwtest::Press(box.hwnd(), at);
  EXPECT_EQ(box.edit.GetSelectedText(), "hello world42 !");

  // After 500 ms the third press just places the caret.
  qwtest::DoubleClick(box.hwnd(), at);
  EXPECT_EQ(box.edit.GetSelectedText(), "world42");
  const DWORD doubleClick = GetTickCount();
  qwtest::PumpUntil([&] { return GetTickCount() - doubleClick > 600; });
  qwtest::Press(box.hwnd(), at);
  EXPECT_EQ(box.edit.GetSelectedText(), "");
  EXPECT_EQ(box.edit.Caret().line, 1);

  // Between two separators the double click takes the one character; at
  // the end of a line it stays inside the line.
  box.edit.Text("a  b\r\nx !");
  box.Put(1, 2);
  SendMessageW(box.hwnd(), WM_LBUTTONDOWN, ev::kDoubleClickMark, at);
  SendMessageW(box.hwnd(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(box.edit.GetSelectedText(), " ");
  box.Put(2, 3);
  SendMessageW(box.hwnd(), WM_LBUTTONDOWN, ev::kDoubleClickMark, at);
  SendMessageW(box.hwnd(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 3}));
  EXPECT_LE(box.edit.Caret().column, box.edit.TextStore().LineCharCount(2));
}

TEST(EditMouse, WheelScrollsThreeLinesWithinTheText) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  EditBox box(text, true);
  const int step = 3 * box.edit.TextStore().LineHeight();
  ASSERT_GE(box.edit.VerticalBar().Maximum(), 1);
  SendMessageW(box.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(box.edit.ScrollY(), -step);
  SendMessageW(box.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  SendMessageW(box.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(box.edit.ScrollY(), 0);
  for (int i = 0; i < 40; ++i)
    SendMessageW(box.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  const int lowest = -static_cast<int>(box.edit.TextStore().TotalHeight() - box.edit.TextRect().Height);
  EXPECT_EQ(box.edit.ScrollY(), lowest);
  EXPECT_EQ(box.edit.VerticalBar().Position(), -lowest);
}

// ---- input method and focus --------------------------------------------------------

TEST(EditInputMethod, ResultsWithChineseAreInsertedAsciiOnlyOnesAreNot) {
  EditBox box("<>");
  box.Put(1, 1);
  // The window also turns the result into character events; the Chinese
  // ones among them are not typed a second time.
  ASSERT_TRUE(qwtest::CompleteComposition(box.hwnd(), kGbk));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.Text() != "<>"; }));
  qwtest::PumpPending();
  EXPECT_EQ(box.Text(), "<" + kGbk + ">");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 5}));

  // An ASCII-only result arrives once, as its character events.
  ASSERT_TRUE(qwtest::CompleteComposition(box.hwnd(), "abc"));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.Text().size() > kGbk.size() + 2; }));
  qwtest::PumpPending();
  EXPECT_EQ(box.Text(), "<" + kGbk + "abc>");
  // The composition event itself inserts nothing of it (the context still
  // holds "abc" as its result); without a result nothing is read at all.
  EXPECT_EQ(box.edit.HandleEvent(WM_IME_COMPOSITION, 0, GCS_RESULTSTR), -1);
  EXPECT_EQ(box.edit.HandleEvent(WM_IME_COMPOSITION, 0, GCS_COMPSTR), -1);
  EXPECT_EQ(box.Text(), "<" + kGbk + "abc>");
}

TEST(EditFocus, ModesOneToFourTurnTheInputMethodOffWhileFocused) {
  EditBox normal("n");
  EditBox password("p", false, EditMode::Password);
  ASSERT_EQ(normal.hwnd() != password.hwnd(), true);
  // Normal mode keeps the window's input context.
  HIMC context = ImmGetContext(normal.hwnd());
  EXPECT_NE(context, nullptr);
  if (context) ImmReleaseContext(normal.hwnd(), context);

  // The password edit took the context away when it got focus.
  context = ImmGetContext(password.hwnd());
  EXPECT_EQ(context, nullptr);
  if (context) ImmReleaseContext(password.hwnd(), context);

  // Focus moves to another element: the context comes back, even when the
  // mode was changed in between.
  UiEdit other;
  other.Create(password.hwnd(), 10, 60, 200, 30);
  password.edit.Mode(EditMode::Normal);
  password.hosted.host.SetFocusElement(&other, true);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return other.HasFocus() && !password.edit.HasFocus(); }));
  context = ImmGetContext(password.hwnd());
  EXPECT_NE(context, nullptr);
  if (context) ImmReleaseContext(password.hwnd(), context);

  // A second focus-gained (the host repeats it on activation) and then the
  // edit's destruction while focused still give the context back.
  EditBox readOnly("r", false, EditMode::ReadOnly);
  readOnly.edit.SendEvent(ev::kFocusGained);
  readOnly.edit.Destroy();
  context = ImmGetContext(readOnly.hwnd());
  EXPECT_NE(context, nullptr);
  if (context) ImmReleaseContext(readOnly.hwnd(), context);
}

TEST(EditFocus, FocusStartsTheCaretBlinkAndLossCollapsesTheSelection) {
  EditBox box("blink");
  box.edit.Select({1, 1}, {1, 4});
  const int phase = box.edit.CaretPhase();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.edit.CaretPhase() != phase; }, 5000));
  UiEdit other;
  other.Create(box.hwnd(), 10, 60, 200, 30);
  box.hosted.host.SetFocusElement(&other, true);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return box.edit.Anchor() == box.edit.Caret(); }));
  EXPECT_EQ(box.edit.Anchor(), box.edit.Caret());
  const int stopped = box.edit.CaretPhase();
  qwtest::PumpFor(1200);
  EXPECT_EQ(box.edit.CaretPhase(), stopped);
}

// The system caret places the input method's window: an edit made (or
// destroyed) while another has the focus leaves it where the focused edit
// put it, and takes it once focused itself.
TEST(EditFocus, TheSystemCaretStaysWithTheFocusedEdit) {
  EditBox box("caret");
  box.edit.Select({1, 3}, {1, 3});
  box.hosted.Settle();
  auto caretAt = [] {
    POINT p{-1, -1};
    GetCaretPos(&p);
    return p;
  };
  const POINT focused = caretAt();
  UiEdit other;
  UiEdit::Options large;
  large.fontSize = 30.0f;
  other.Create(box.hwnd(), 10, 100, 200, 50, large);
  box.hosted.Settle();
  EXPECT_EQ(caretAt().x, focused.x);
  EXPECT_EQ(caretAt().y, focused.y);
  GUITHREADINFO info{sizeof info};
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_LT(info.rcCaret.bottom - info.rcCaret.top, 25) << "the focused edit's line height";
  {
    UiEdit passing;  // made and destroyed without ever having the focus
    passing.Create(box.hwnd(), 10, 160, 100, 30);
    passing.Destroy();
  }
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_EQ(info.hwndCaret, box.hwnd()) << "another edit going leaves the focused edit's caret";
  EXPECT_EQ(caretAt().y, focused.y);

  box.hosted.host.SetFocusElement(&other, true);
  box.hosted.Settle();
  EXPECT_GE(caretAt().y, 100);
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
  EXPECT_GE(info.rcCaret.bottom - info.rcCaret.top, 30) << "the newly focused edit's line height";
}

// ---- owners ------------------------------------------------------------------------------

TEST(EditOwner, AnEditDestroyedByItsChangeHandlerIsLeftAlone) {
  EditBox box("x");
  box.edit.SetChangeHandler([&](ElementHandle, ElementHandle) { box.edit.Destroy(); });
  Type(box.hwnd(), "y");
  EXPECT_FALSE(box.edit.IsCreated());
  Type(box.hwnd(), "z");
  Key(box.hwnd(), VK_BACK);
  SendMessageW(box.hwnd(), WM_COMMAND, 'A', 0);
  SUCCEED();
}

TEST(EditOwner, SetTextNotifiesAndPutsTheCaretWhereAsked) {
  EditBox box("", true);
  box.edit.Text("one\r\ntwo", true);
  EXPECT_EQ(box.changes, 1);
  EXPECT_EQ(box.edit.Caret(), (TextPosition{2, 3}));
  box.edit.Text("three");
  EXPECT_EQ(box.edit.Caret(), (TextPosition{1, 0}));
  EXPECT_EQ(box.Text(), "three");
  EXPECT_EQ(box.changes, 2);
}

TEST(EditOwner, OpacityReachesTheScrollBarsThatAreShown) {
  EditBox both("a\r\nb", true);
  both.edit.Opacity(90);
  EXPECT_EQ(both.edit.VerticalBar().Opacity(), 90);
  EXPECT_EQ(both.edit.HorizontalBar().Opacity(), 90);

  qwtest::HostedWindow hosted{320, 200};
  UiEdit verticalOnly;
  UiEdit::Options o;
  o.multiLine = true;
  o.scrollBars = 2;
  verticalOnly.Create(hosted.hwnd(), 10, 10, 200, 100, o);
  const int before = verticalOnly.HorizontalBar().Opacity();
  verticalOnly.Opacity(60);
  EXPECT_EQ(verticalOnly.VerticalBar().Opacity(), 60);
  EXPECT_EQ(verticalOnly.HorizontalBar().Opacity(), before);
}
