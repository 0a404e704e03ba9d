// UiEdit: creation, destruction, the event procedure, text access and the
// property methods. Layout and drawing are in edit_render.cpp, editing and
// input in edit_input.cpp.
#include "ui/controls/edit.h"

#include <algorithm>

#include "ui/controls/text_metrics.h"
#include "ui/core/font.h"
#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {

constexpr UINT kCaretBlinkMs = 500;
constexpr UINT_PTR kIBeamCursor = 32513;  // IDC_IBEAM

// Flags of the edit's string format: no font fallback, trailing spaces
// measured, no clipping; line limit when only a vertical bar wraps lines.
constexpr int kFormatFlags = 0x400 | 0x800 | 0x4000;
constexpr int kLineLimitFlag = 0x2000;

bool SwitchesInputMethodOff(EditMode mode) { return mode != EditMode::Normal; }

// The edit that made the thread's system caret last (0: none): only that
// edit destroys it, so that another edit going does not take it from the
// focused one.
thread_local ElementHandle g_systemCaretOwner = 0;

}  // namespace

UiEdit::~UiEdit() {
  // Destroy while the derived part still exists, so event 2 releases it.
  if (IsCreated()) Destroy();
}

ElementHandle UiEdit::Create(UiParent parent, int left, int top, int width, int height, const Options& o) {
  if (IsCreated()) return GetHandle();

  ReleaseFont();
  if (!o.fontFamily && !o.fontSize && !o.fontStyle) {
    font_ = Library().defaultFont;
  } else {
    const std::string family = o.fontFamily ? *o.fontFamily : FontFamilyName(Library().defaultFont);
    ownFont_.reset(CreateFontByName(family, o.fontSize.value_or(12.0f), o.fontStyle.value_or(0)));
    // A font that cannot be made at all falls back to the default font
    // rather than leaving the edit without text.
    font_ = ownFont_ ? ownFont_.get() : Library().defaultFont;
  }

  const Argb textColor = o.textColor ? MakeArgb(*o.textColor) : ArgbOf(230, 0, 0, 0);
  gp::GdipCreateSolidFill(textColor, textBrush_.put());
  mode_ = o.mode;
  multiLine_ = o.multiLine;
  maskChar_ = o.maskText;
  textStore_.SetText(o.text, multiLine_, mode_, maskChar_);
  backColor_ = o.backColor ? MakeArgb(*o.backColor) : ArgbOf(160, 255, 255, 255);
  borderColor_ = o.borderColor ? MakeArgb(*o.borderColor) : ArgbOf(80, 0, 0, 0);
  scrollBars_ = multiLine_ ? o.scrollBars.value_or(3) : 0;

  stringFormat_.Create(kFormatFlags | (scrollBars_ == 2 ? kLineLimitFlag : 0), 0);
  stringFormat_.Trimming(Gdiplus::StringTrimmingNone);
  const float tabStops[1] = {8.0f};
  gp::GdipSetStringFormatTabStops(stringFormat_.Handle(), 1.0f, 1, tabStops);

  return UiElement::Create(parent, RectF{float(left), float(top), float(width), float(height)}, kind::kEdit,
                           o.visible, true, kIBeamCursor, 0, 0, 0);
}

int UiEdit::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  const int hooked = OnUserMessage(message, wParam, lParam);
  if (hooked != -1) return hooked;
  switch (message) {
    case ev::kCreated:
      OnCreated();
      return -1;
    case ev::kDestroyed:
      OnDestroyed();
      return -1;
    case ev::kPaint:
      // Property changes (colours) repaint through here.
      Render(false);
      return -1;
    case kSetTextEvent:
      OnSetText(reinterpret_cast<const char*>(wParam), lParam == 1);
      return -1;
    case kGetTextEvent:
      // The text itself is read from the store by Text(); the answer only
      // says the event was handled (a pointer does not fit the result).
      return textStore_.Length();
    case WM_KEYDOWN:
      return HandleKey(static_cast<int>(wParam), false);
    case WM_CHAR:
      return OnChar(wParam);
    case WM_IME_COMPOSITION:
      OnImeComposition(lParam);
      return -1;
    case WM_COMMAND:
      return OnMenuCommand(wParam, lParam);
    case WM_TIMER:
      if (wParam == GetHandle()) DrawCaret((caretPhase_ & 1) != 0, false);
      return -1;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return -1;
    case WM_LBUTTONDOWN:
      OnLeftDown(wParam, lParam);
      return -1;
    case WM_LBUTTONUP:
      DrawCaret(true, true);
      return -1;
    case WM_RBUTTONUP:
      if (mode_ != EditMode::Password) ShowContextMenu();
      return -1;
    case WM_MOUSEWHEEL:
      OnWheel(wParam);
      return -1;
    case ev::kFocusGained:
      OnFocusGained();
      return -1;
    case ev::kFocusLost:
      OnFocusLost();
      return -1;
    case ev::kResized:
      Render(true);
      return -1;
    case ev::kScaleChanged:
      // The system caret is sized in device pixels: the focused edit makes
      // it again at the new scale.
      if (Host() && Host()->FocusedElement() == this) TakeSystemCaret();
      return -1;
    case ev::kOpacityChanged:
      if (scrollBars_ & 1) hScrollBar_.Opacity(static_cast<int>(lParam));
      if (scrollBars_ & 2) vScrollBar_.Opacity(static_cast<int>(lParam));
      return -1;
    default:
      return -1;
  }
}

void UiEdit::OnCreated() {
  firstVisibleLine_ = lastDrawnLine_ = 1;
  anchor_ = caret_ = TextPosition{1, 0};
  if (multiLine_) {
    const RectF b = Bounds();
    const int x = static_cast<int>(b.x), y = static_cast<int>(b.y);
    UiScrollBar::Options vertical;
    vertical.orientation = UiScrollBar::kVertical;
    vertical.visible = (scrollBars_ & 2) != 0;
    vScrollBar_.Create(UiParent(*this), x, y, 10, 10, vertical);
    // The bar reports to its parent: found again through its handle, so a
    // report after the edit is gone reaches nothing.
    vScrollBar_.SetScrollHandler([](ElementHandle parent, int position) {
      if (auto* edit = dynamic_cast<UiEdit*>(UiElement::FromHandle(parent))) edit->SetScrollY(position);
    });
    vScrollBar_.TransitionInterval(0);

    UiScrollBar::Options horizontal;
    horizontal.orientation = UiScrollBar::kHorizontal;
    horizontal.visible = (scrollBars_ & 1) != 0;
    hScrollBar_.Create(UiParent(*this), x, y, 10, 10, horizontal);
    hScrollBar_.SetScrollHandler([](ElementHandle parent, int position) {
      if (auto* edit = dynamic_cast<UiEdit*>(UiElement::FromHandle(parent))) edit->SetScrollX(position);
    });
    hScrollBar_.TransitionInterval(0);
  }
  textStore_.SetSpacesAsTabs(TabsAdvance(Graphics(), font_, stringFormat_.Handle()));
  if (!Render(true)) return;

  // The system caret is made when the edit gains the focus (the input
  // method needs it only then): made here, it took the thread's caret from
  // a focused edit, and cost a device context and a bitmap at start-up.
  const WeakRef<UiElement> self(this);
  const Gdiplus::RectF caret = ComputeCaretRect(1, -1, false);
  if (!self) return;
  caretRect_ = prevCaretRect_ = caret;
}

void UiEdit::OnDestroyed() {
  if (GetWindow()) KillTimer(GetWindow(), GetHandle());
  if (imeContext_ && GetWindow()) sys::ImmAssociateContext(GetWindow(), imeContext_);  // destroyed while focused
  imeContext_ = nullptr;
  textStore_.SetText("", multiLine_, mode_, maskChar_);
  stringFormat_.Delete();
  ReleaseFont();
  scrollY_ = scrollX_ = 0;
  anchor_ = caret_ = TextPosition{0, 0};
  if (g_systemCaretOwner == GetHandle()) {
    DestroyCaret();
    g_systemCaretOwner = 0;
  }
}

void UiEdit::ReleaseFont() {
  ownFont_.reset();  // the library's default font is never released here
  font_ = nullptr;
}

std::string UiEdit::Text() {
  const WeakRef<UiElement> self(this);  // the event's handlers may delete it
  SendEvent(kGetTextEvent);
  if (!self) return {};
  return textStore_.Text();
}

std::string UiEdit::Text(std::string_view text, bool caretToEnd) {
  const std::string copy(text);  // zero-terminated for the event
  if (Host())
    SendEvent(kSetTextEvent, reinterpret_cast<WPARAM>(copy.c_str()), caretToEnd ? 1 : 0);
  else
    textStore_.SetText(copy, multiLine_, mode_, maskChar_);
  return copy;
}

void UiEdit::OnSetText(const char* text, bool caretToEnd) {
  textStore_.SetText(text ? text : "", multiLine_, mode_, maskChar_);
  scrollY_ = scrollX_ = 0;
  anchor_ = caret_ = TextPosition{1, 0};
  textStore_.SetSummingAllowed(Scale().IsUnit());
  textStore_.Layout(Graphics(), textRect_, font_, stringFormat_.Handle(), scrollBars_);
  const WeakRef<UiElement> self(this);
  if (!ArrangeScrollBars(false, true) || !Render(false)) return;
  NotifyChanged();
  if (!self) return;
  if (caretToEnd) {
    const int last = textStore_.LineCount();
    caret_ = anchor_ = TextPosition{last, textStore_.LineCharCount(last)};
    scrollY_ = static_cast<int>(textRect_.Y - (textStore_.TotalHeight() - textRect_.Height));
    const Gdiplus::RectF caret = ComputeCaretRect(caret_.line, caret_.column - 1, true);
    if (!self) return;
    caretRect_ = caret;
    // Show the text where it is now scrolled to, not its top.
    if (!Render(false)) return;
  } else {
    const Gdiplus::RectF caret = ComputeCaretRect(1, -1, false);
    if (!self) return;
    caretRect_ = caret;
  }
  prevCaretRect_ = caretRect_;
  if (!HasFocus() && GetWindow()) KillTimer(GetWindow(), GetHandle());
}

void UiEdit::CreateSystemCaret() {
  float fontHeight = 0;
  gp::GdipGetFontHeight(font_, Graphics(), &fontHeight);
  // The system caret only places the input method's window: device pixels.
  const DisplayScale scale = Scale();
  if (CreateCaret(GetWindow(), nullptr, std::max(1, scale.ToDevice(1)),
                  scale.ToDevice(static_cast<int>(fontHeight + 3))))
    g_systemCaretOwner = GetHandle();
  // The system caret only tells the input method where the caret is; the
  // edit draws its own. Hide it once more than it is shown, so that a
  // system that shows it on its own (when the window gets the keyboard
  // focus) still never draws it.
  HideCaret(GetWindow());
}

void UiEdit::TakeSystemCaret() {
  CreateSystemCaret();
  const RectF b = Bounds();
  const DisplayScale scale = Scale();
  SetCaretPos(scale.ToDevice(static_cast<int>(b.x + caretRect_.X)), scale.ToDevice(static_cast<int>(b.y + caretRect_.Y)));
}

void UiEdit::OnFocusGained() {
  HWND window = GetWindow();
  // The window's one system caret is this edit's now (another edit, or
  // another scale, may have made it since).
  TakeSystemCaret();
  KillTimer(window, GetHandle());
  SetTimer(window, GetHandle(), kCaretBlinkMs, nullptr);
  if (!Render(false)) return;
  if (SwitchesInputMethodOff(mode_) && !imeContext_) {
    imeContext_ = sys::ImmGetContext(window);
    if (imeContext_) {
      sys::ImmReleaseContext(window, imeContext_);  // the handle stays valid; only the use count drops
      sys::ImmAssociateContext(window, nullptr);
    }
  }
}

void UiEdit::OnFocusLost() {
  HWND window = GetWindow();
  // Whatever the mode is now: a context taken away on focus always goes
  // back, or the window would be left without its input method.
  if (imeContext_) {
    sys::ImmAssociateContext(window, imeContext_);
    imeContext_ = nullptr;
  }
  KillTimer(window, GetHandle());
  anchor_ = caret_;
  if (DrawCaret(false, false)) Render(false);
}

std::string UiEdit::GetSelectedText() const {
  return textStore_.Range(BytePosition(anchor_.line, anchor_.column), BytePosition(caret_.line, caret_.column));
}

TextPosition UiEdit::Clamped(TextPosition p) const {
  p.line = std::clamp(p.line, 1, textStore_.LineCount());
  p.column = std::clamp(p.column, 0, textStore_.LineCharCount(p.line));
  return p;
}

void UiEdit::SetLayoutStrategy(UiTextStore::Strategy strategy) {
  textStore_.SetStrategy(strategy);
  if (Host()) Render(true);
}

void UiEdit::Select(TextPosition anchor, TextPosition caret) {
  anchor_ = Clamped(anchor);
  caret_ = Clamped(caret);
  // A far jump: bring the caret's line into view first (the caret
  // computation itself scrolls by at most a line).
  const Gdiplus::RectF line = textStore_.LineRect(caret_.line);
  if (line.Y + scrollY_ < 0)
    scrollY_ = -static_cast<int>(line.Y);
  else if (line.Y + line.Height + scrollY_ > textRect_.Height)
    scrollY_ = -static_cast<int>(line.Y + line.Height - textRect_.Height);
  if (Recaret()) Render(false);
}

bool UiEdit::Recaret(std::string_view inserted, bool rangesFollow) {
  const WeakRef<UiElement> self(this);
  const Gdiplus::RectF caret = ComputeCaretRect(caret_.line, caret_.column - 1, true, inserted, !rangesFollow);
  if (!self) return false;
  caretRect_ = prevCaretRect_ = caret;
  return true;
}

void UiEdit::SetTextColor(Argb colour) {
  gp::GdipCreateSolidFill(colour, textBrush_.put());
  ++textColourGeneration_;
  Repaint();
}

Argb UiEdit::BackColor(Argb colour) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (colour != backColor_) {
    backColor_ = colour;
    Repaint();
  }
  if (!self) return {};
  return backColor_;
}

void UiEdit::NotifyChanged() {
  // Every change of the text (typing, deleting, pasting, setting) passes here.
  NotifyAccessibility(EVENT_OBJECT_VALUECHANGE);
  if (!changeHandler_) return;
  const ChangeHandler handler = changeHandler_;  // may replace itself
  handler(GetParent(), GetHandle());
}

AccessibleInfo UiEdit::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kEditableText;
  if (info.name.empty() && label_ && label_.get() != this) info.name = label_->Accessible().name;
  const std::string text = Text();
  if (mode_ == EditMode::Password) {
    // Never the password itself: one mask per character.
    info.state |= accessible_state::kProtected;
    std::string masked;
    for (std::size_t n = ToWide(text).size(); n > 0; --n) masked += maskChar_;
    info.value = masked;
  } else {
    info.value = text;
  }
  if (mode_ == EditMode::ReadOnly) info.state |= accessible_state::kReadOnly;
  return info;
}

}  // namespace ui
