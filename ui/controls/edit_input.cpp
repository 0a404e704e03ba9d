// UiEdit: editing and input — typed characters and input-method results,
// the keys, the clipboard, the mouse (click, double and triple click, drag,
// wheel) and the context menu.
#include <algorithm>

#include "ui/controls/edit.h"
#include "ui/controls/edit_clipboard.h"
#include "ui/controls/menu_show.h"
#include "ui/controls/text_metrics.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/core/text.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {

constexpr DWORD kTripleClickMs = 500;
constexpr int kWheelLines = 3;

// Context-menu rows (1-based) and the commands their items carry.
constexpr int kCutItem = 1, kCopyItem = 2, kPasteItem = 3, kSelectAllItem = 5;
constexpr int kDisabled = -1, kEnabled = 0, kEnabledNonEmpty = 1;

// Signed client coordinates packed into a mouse message's lParam.
int PointX(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
int PointY(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }

bool KeyHeld(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// `text` as well-formed code-page text: a lead byte without a valid trail
// byte after it (a cut or corrupt character) is dropped, so it cannot pair
// with the byte that follows the insertion point; zero bytes are dropped
// too, since the text is handed out zero-terminated.
std::string WellFormed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0) continue;
    if (IsLeadByte(b)) {
      if (i + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
        out.push_back(text[i]);
        out.push_back(text[++i]);
      }
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

bool Before(TextPosition a, TextPosition b) { return a.line < b.line || (a.line == b.line && a.column < b.column); }

}  // namespace

// ---- text changes ----------------------------------------------------------------------

void UiEdit::Relayout() {
  textStore_.SetSummingAllowed(Scale().IsUnit());
  textStore_.Layout(Graphics(), textRect_, font_, stringFormat_.Handle(), scrollBars_);
}

int UiEdit::MeasuredHeight(std::string_view text) {
  Gdiplus::RectF box = textRect_;
  if (scrollBars_ & 1) {
    box.Width = box.Height = 0;
  } else if (scrollBars_ == 2) {
    box.Height = 0;
  } else {
    box = Gdiplus::RectF();
  }
  Gdiplus::RectF measured;
  if (!MeasureText(Graphics(), ToWide(text), font_, box, stringFormat_.Handle(), &measured))
    return textStore_.LineHeight();
  return static_cast<int>(measured.Height);
}

void UiEdit::InsertText(std::string_view text) {
  if (mode_ == EditMode::ReadOnly) return;
  const std::string inserted = WellFormed(text);
  if (inserted.empty()) return;
  const WeakRef<UiElement> self(this);
  DeleteSelection(true);
  if (!self) return;
  caret_ = Clamped(caret_);
  const int height = textStore_.TotalHeight();
  // A line break typed at the end of a line leaves that line as it was:
  // drawing starts with the new line after it.
  const bool breakAfterLineEnd = multiLine_ && inserted.starts_with("\r\n") &&
                                 caret_.column == textStore_.LineCharCount(caret_.line);
  const int firstLine = caret_.line + (breakAfterLineEnd ? 1 : 0);
  const int oldLine = caret_.line, oldColumn = caret_.column;
  // Within one line, the characters before the insertion point stay.
  std::optional<int> fromColumn = breakAfterLineEnd ? std::nullopt : std::optional<int>(caret_.column);
  const int oldScrollX = scrollX_, oldScrollY = scrollY_;
  const int at = BytePosition(caret_.line, caret_.column);
  // The caret goes right after what was actually inserted (a single line
  // keeps only the part before a break; stray LFs are dropped).
  const int after = textStore_.ReplaceRange(at, at, inserted, multiLine_);
  textStore_.LineColumnAt(after, &caret_.line, &caret_.column);
  anchor_ = caret_;
  Relayout();
  if (caret_.line == textStore_.LineCount())
    scrollY_ = static_cast<int>(textRect_.Y - (textStore_.TotalHeight() - textRect_.Height));
  // The caret scrolls down by the inserted text's height more (multi-line).
  if (!Recaret(multiLine_ ? std::string_view(inserted) : std::string_view(), true) ||
      !ArrangeScrollBars(false, true))
    return;
  // The lines after the caret's line are the old ones, moved by the
  // change of the total height.
  // Lines inserted before a line's start leave that line as it was: it
  // moves down with the lines after it.
  int lastLine = caret_.line;
  if (!breakAfterLineEnd && oldColumn == 0 && caret_.column == 0 && caret_.line > oldLine) {
    lastLine = caret_.line - 1;
    fromColumn.reset();
  }
  if (!RenderAfterEdit(firstLine, lastLine, textStore_.TotalHeight() - height, oldScrollX, oldScrollY,
                       fromColumn) ||
      !DrawCaret(HasFocus(), true))
    return;
  NotifyChanged();
}

int UiEdit::DeleteSelection(bool quiet) {
  if (mode_ == EditMode::ReadOnly) return 1;
  anchor_ = Clamped(anchor_);
  caret_ = Clamped(caret_);
  if (anchor_ == caret_) return 0;
  const int p1 = BytePosition(anchor_.line, anchor_.column);
  const int p2 = BytePosition(caret_.line, caret_.column);
  const int endColumn = Before(anchor_, caret_) ? caret_.column : anchor_.column;
  anchor_ = caret_ = Before(anchor_, caret_) ? anchor_ : caret_;
  const int height = textStore_.TotalHeight();
  const int oldScrollX = scrollX_, oldScrollY = scrollY_;
  const int oldCharCount = textStore_.LineCharCount(caret_.line);
  const bool fromLineEnd = caret_.column == oldCharCount;
  textStore_.DeleteRange(p1, p2, multiLine_);
  Relayout();
  if (!textStore_.IsValidLine(firstVisibleLine_)) firstVisibleLine_ = 0;
  if (!textStore_.IsValidLine(lastDrawnLine_)) lastDrawnLine_ = 0;
  if (!Recaret({}, true) || !ArrangeScrollBars(false, true)) return 1;
  // One line is left where the selection was; the lines after it moved by
  // the change of the total height. Taken from a line's end with nothing
  // joining it (an empty line removed), that line is as it was.
  const bool lineUnchanged = fromLineEnd && textStore_.LineCharCount(caret_.line) == oldCharCount;
  // Taken from one line's start to another's, the line left is the later
  // one as it was, moved up.
  const bool lineMovedUp = caret_.column == 0 && endColumn == 0 && !lineUnchanged;
  const int last = caret_.line - (lineMovedUp ? 1 : 0);
  const int first = caret_.line + (lineUnchanged ? 1 : 0);
  // The characters before the deleted ones stay.
  if (!RenderAfterEdit(first, last, textStore_.TotalHeight() - height, oldScrollX, oldScrollY,
                       lineUnchanged || lineMovedUp ? std::nullopt : std::optional<int>(caret_.column)) ||
      !DrawCaret(HasFocus(), true))
    return 1;
  if (!quiet) NotifyChanged();
  return 1;
}

int UiEdit::OnChar(WPARAM code) {
  if (code < 28 || code > 126) return -1;
  const char c = static_cast<char>(code);
  const bool digit = c >= '0' && c <= '9';
  if (mode_ == EditMode::Integer && !digit && c != '-') return -1;
  if (mode_ == EditMode::Decimal) {
    if (code < '-' || code > '9') return -1;  // "-", ".", "/" and the digits
    if (c == '.' && textStore_.Text().find('.') != std::string::npos) return -1;
  }
  InsertText(std::string_view(&c, 1));
  return -1;
}

void UiEdit::OnImeComposition(LPARAM flags) {
  if (!(flags & GCS_RESULTSTR)) return;
  HWND window = GetWindow();
  HIMC context = sys::ImmGetContext(window);
  if (!context) return;
  std::string result;
  const LONG size = sys::ImmGetCompositionStringA(context, GCS_RESULTSTR, nullptr, 0);
  if (size > 0) {
    result.assign(static_cast<std::size_t>(size), ' ');
    const LONG got = sys::ImmGetCompositionStringA(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(size));
    result.resize(got > 0 ? std::min<std::size_t>(static_cast<std::size_t>(got), result.size()) : 0);
  }
  sys::ImmReleaseContext(window, context);
  // Plain ASCII results also arrive as character events; only a result
  // with a double-byte character is inserted here.
  const bool wide = std::any_of(result.begin(), result.end(), [](char b) { return static_cast<unsigned char>(b) > 0x80; });
  if (wide) InsertText(result);
}

// ---- keys --------------------------------------------------------------------------------

void UiEdit::SelectAll() {
  const int last = textStore_.LineCount();
  anchor_ = TextPosition{1, 0};
  caret_ = TextPosition{last, textStore_.LineCharCount(last)};
  scrollY_ = static_cast<int>(textRect_.Y - (textStore_.TotalHeight() - textRect_.Height));
  if (Recaret()) Render(false);
}

void UiEdit::CopySelection() {
  const std::string selected = GetSelectedText();
  if (!selected.empty()) clipboard::WriteText(GetWindow(), selected);
}

void UiEdit::CutSelection() {
  const std::string selected = GetSelectedText();
  if (selected.empty()) return;
  clipboard::WriteText(GetWindow(), selected);
  DeleteSelection(false);
}

void UiEdit::Paste() {
  const std::string text = clipboard::ReadText(GetWindow());
  if (!text.empty()) InsertText(text);
}

int UiEdit::HandleKey(int key, bool fromMenu) {
  const bool control = fromMenu || KeyHeld(VK_CONTROL);
  if (control) {
    if (mode_ == EditMode::Password) return 0;  // no clipboard, no select all
    switch (key) {
      case 'A':
        SelectAll();
        return 0;
      case 'C':
        CopySelection();
        return 0;
      case 'V':
        Paste();
        return 0;
      case 'X':
        if (mode_ == EditMode::ReadOnly) return -1;
        CutSelection();
        return 0;
      default:
        return -1;
    }
  }

  switch (key) {
    case VK_BACK:
      // Only when nothing was selected (nothing drawn, nothing called out).
      if (DeleteSelection() == 0) {
        anchor_ = caret_;
        if (caret_.column > 0) {
          --caret_.column;
        } else if (caret_.line > 1) {
          --caret_.line;
          caret_.column = textStore_.LineCharCount(caret_.line);
        }
        DeleteSelection();
      }
      return 0;
    case VK_RETURN:
      if (multiLine_) InsertText("\r\n");
      return 0;
    case VK_DELETE:
      DeleteSelection();
      return 0;
    case VK_SPACE:
      return 0;  // the space itself arrives as a character
    default:
      break;
  }

  if (key == VK_UP || key == VK_DOWN) {
    if (!multiLine_) return 0;
  } else if (key != VK_END && key != VK_HOME && key != VK_LEFT && key != VK_RIGHT) {
    return -1;
  }
  const bool shift = KeyHeld(VK_SHIFT) && mode_ != EditMode::Password;
  MoveCaretByKey(key);
  if (!shift) anchor_ = caret_;
  if (Recaret({}, true) && ArrangeScrollBars(false, true) && Render(false)) DrawCaret(HasFocus(), true);
  return 0;
}

void UiEdit::MoveCaretByKey(int key) {
  caret_ = Clamped(caret_);
  const int count = textStore_.LineCharCount(caret_.line);
  const int lines = textStore_.LineCount();
  switch (key) {
    case VK_END:
      caret_.column = count;
      return;
    case VK_HOME:
      caret_.column = 0;
      return;
    case VK_LEFT:
      if (caret_.column > 0) {
        --caret_.column;
      } else if (multiLine_ && caret_.line > 1) {
        --caret_.line;
        caret_.column = textStore_.LineCharCount(caret_.line);
      }
      return;
    case VK_RIGHT:
      if (caret_.column < count) {
        ++caret_.column;
      } else if (multiLine_ && caret_.line < lines) {
        ++caret_.line;
        caret_.column = 0;
      }
      return;
    case VK_UP:
    case VK_DOWN:
      caret_.line = std::clamp(caret_.line + (key == VK_UP ? -1 : 1), 1, lines);
      caret_.column = std::min(caret_.column, textStore_.LineCharCount(caret_.line));
      return;
    default:
      return;
  }
}

int UiEdit::OnMenuCommand(WPARAM wParam, LPARAM lParam) {
  // The context menu's commands carry no notification code and name this
  // edit (or nothing); a command from some child window control is not one.
  if (HIWORD(wParam) != 0 || (lParam != 0 && static_cast<ElementHandle>(lParam) != GetHandle())) return -1;
  return HandleKey(LOWORD(wParam), true);
}

// ---- mouse ---------------------------------------------------------------------------------

void UiEdit::OnLeftDown(WPARAM wParam, LPARAM lParam) {
  const float x = static_cast<float>(PointX(lParam)), y = static_cast<float>(PointY(lParam));
  caret_ = Clamped(caret_);
  anchor_ = Clamped(anchor_);
  if (wParam == ev::kDoubleClickMark && mode_ != EditMode::Password) {
    // Double click: the word around the caret.
    lineClickPending_ = true;
    doubleClickTime_ = GetTickCount();
    anchor_.line = caret_.line;
    anchor_.column = textStore_.WordStart(caret_.line, anchor_.column);
    caret_.column = textStore_.WordEnd(caret_.line, caret_.column);
    // Between two separators: the character after the caret, if any.
    if (anchor_.column == caret_.column)
      caret_.column = std::min(caret_.column + 1, textStore_.LineCharCount(caret_.line));
  } else {
    const RectF b = Bounds();
    const float ex = x - b.x, ey = y - b.y;
    const bool inText = ex >= textRect_.X && ex < textRect_.X + textRect_.Width && ey >= textRect_.Y &&
                        ey < textRect_.Y + textRect_.Height;
    if (lineClickPending_ && GetTickCount() - doubleClickTime_ <= kTripleClickMs && mode_ != EditMode::Password) {
      // Third press soon after a double click: the whole line.
      anchor_ = TextPosition{caret_.line, 0};
      caret_.column = textStore_.LineCharCount(caret_.line);
    } else if (inText) {
      caret_ = anchor_ = HitTest(x, y);
    }
    lineClickPending_ = false;
  }
  if (Recaret() && Render(false)) DrawCaret(true, true);
}

void UiEdit::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  // Only a drag that started on this edit, and never in Password mode.
  if (wParam != GetHandle() || mode_ == EditMode::Password) return;
  const RectF b = Bounds();
  const float px = static_cast<float>(PointX(lParam));
  float py = static_cast<float>(PointY(lParam));
  const int x = static_cast<int>(px - b.x);
  // A single line: every point falls on line 1.
  if (!multiLine_) py = b.y + textRect_.Y + 2;
  // Dragging past the left edge scrolls back towards the start.
  if (x < 0 && scrollX_ < 0) scrollX_ = std::min(0, scrollX_ - x);
  const bool hadSelection = anchor_ != caret_;
  caret_ = HitTest(px, py);
  if (!Recaret()) return;
  // Also when the drag came back to the anchor: the old highlight must go.
  if (hadSelection || anchor_ != caret_) Render(false);
}

void UiEdit::OnWheel(WPARAM wParam) {
  if (!multiLine_ || vScrollBar_.Maximum() < 1) return;
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  const int step = kWheelLines * textStore_.LineHeight();
  scrollY_ += delta < 1 ? -step : step;
  const int lowest = -static_cast<int>(textStore_.TotalHeight() - textRect_.Height);
  scrollY_ = std::min(0, std::max(scrollY_, lowest));
  const WeakRef<UiElement> self(this);
  const Gdiplus::RectF caret = ComputeCaretRect(caret_.line, caret_.column - 1, false);
  if (!self) return;
  caretRect_ = caret;
  Render(false);
}

void UiEdit::ShowContextMenu() {
  UiMenu* menu = Library().editMenu;
  if (!menu || menu->IsOpen() || menu->ItemCount() < kSelectAllItem) return;
  const bool selected = anchor_ != caret_;
  const bool readOnly = mode_ == EditMode::ReadOnly;
  menu->ItemState(kCutItem, selected && !readOnly ? kEnabled : kDisabled);
  menu->ItemState(kCopyItem, selected ? kEnabled : kDisabled);
  menu->ItemState(kPasteItem, readOnly || !clipboard::HasText() ? kDisabled : kEnabled);
  menu->ItemState(kSelectAllItem, textStore_.Length() > 0 ? kEnabledNonEmpty : kDisabled);
  // Runs a local message loop; the chosen command comes back as WM_COMMAND
  // through the host. This edit may be gone afterwards: nothing follows.
  ShowMenu(*menu, GetWindow());
}

}  // namespace ui
