#pragma once
// UiEdit: the library's text-input element. Keeps its text in a line store
// of its own (UiTextStore), draws it with GDI+ into the element's bitmap,
// keeps a caret and a selection, and (multi-line) shows two scroll bars.
//
// Coordinates: Create and Bounds() use client pixels of the host window;
// contentRect_, textRect_ and caretRect_ are relative to the element's own
// bitmap (caretRect_ with the scroll offsets applied); line rectangles of
// the store are relative to the top of the text. A line rect lands on the
// element at (+scrollX_, +scrollY_) and then the origin of textRect_.
//
// Text is GBK bytes throughout; lines count from 1, columns are characters
// from 0.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls/edit_geometry.h"
#include "ui/controls/edit_mode.h"
#include "ui/controls/glyph_stamps.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/text_store.h"
#include "ui/core/color.h"
#include "ui/core/string_format.h"
#include "ui/element/element.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// The optional creation arguments of an edit box; absent ones take the defaults.
struct EditOptions {
  std::string text;
  std::optional<COLORREF> textColor;    // default ARGB(230, 0, 0, 0)
  std::optional<COLORREF> backColor;    // default ARGB(160, 255, 255, 255)
  std::optional<std::string> fontFamily;  // any of the three font values given: own font
  std::optional<float> fontSize;          // default 12
  std::optional<int> fontStyle;           // default regular
  bool multiLine = false;
  EditMode mode = EditMode::Normal;
  std::string maskText = "*";
  std::optional<int> scrollBars;        // bit 1 horizontal, bit 2 vertical; default 3 when multi-line
  std::optional<COLORREF> borderColor;  // default ARGB(80, 0, 0, 0)
  bool visible = true;
};

class UiEdit : public UiElement {
 public:
  // Called after every change of the text with the edit's parent element
  // (0 at top level) and the edit itself.
  using ChangeHandler = std::function<void(ElementHandle parent, ElementHandle edit)>;

  // Edit events beyond the element's own (wParam and lParam as noted).
  static constexpr UINT kSetTextEvent = 12;  // wParam: zero-terminated text, lParam: 1 = caret to end
  static constexpr UINT kGetTextEvent = 13;

  using Options = EditOptions;

  UiEdit() = default;
  ~UiEdit() override;

  // Creates the edit at (left, top, width, height). Returns the handle or 0.
  ElementHandle Create(UiParent parent, int left, int top, int width, int height, const Options& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;
  // The label that names the edit for assistive technology (the text beside
  // it, e.g. "安装位置："); its name becomes the edit's when the edit has no
  // tooltip of its own. Held weakly: a destroyed label names nothing.
  void LabelledBy(UiElement* label) { label_ = WeakRef<UiElement>(label); }

  // ---- text ------------------------------------------------------------------------
  // The whole text (through the get-text event, so bound handlers see it).
  std::string Text();
  // Replaces the whole text through the set-text event; returns `text`.
  std::string Text(std::string_view text, bool caretToEnd = false);
  // 1-based byte index of (line, column) in the stored text; 0 for an invalid line.
  int BytePosition(int line, int column) const { return textStore_.BytePosition(line, column); }
  std::string GetSelectedText() const;
  // Non-zero when `text` is not empty.
  static int CompareWithEmpty(std::string_view text) { return text.empty() ? 0 : 1; }

  // ---- editing (edit_input.cpp) -------------------------------------------------------
  // Keyboard keys and context-menu commands (`fromMenu` counts as Control
  // held). 0 handled, -1 not handled (the host may use the key).
  int HandleKey(int key, bool fromMenu = false);
  // Replaces the selection by `text` and puts the caret after it.
  void InsertText(std::string_view text);
  // Deletes the selection. 1 when text was deleted or the edit is
  // read-only, 0 when nothing is selected. `quiet` skips NotifyChanged.
  int DeleteSelection(bool quiet = false);
  // Selects the whole text (as Control+A).
  void SelectAll();

  // ---- layout, hit testing and drawing ----------------------------------------------
  // Handlers of the vertical and horizontal bar: scroll to `position`.
  void SetScrollY(int position);
  void SetScrollX(int position);
  // Render, ArrangeScrollBars and DrawCaret run redraws whose handlers may
  // destroy or delete this edit: each returns false when it is gone, and
  // callers stop there.
  bool Render(bool relayout);
  // Places the text rectangle inside the edit (the one line centred).
  void PlaceText(Gdiplus::GpGraphics* g);
  // Lays the text out in the text rectangle; false when the edit went away.
  bool LayOut(Gdiplus::GpGraphics* g);
  // Line under `y` (relative to the top of the text), searching from `start`.
  int LineFromY(int y, int start) const;
  // Caret position under a point in client coordinates of the host window.
  TextPosition HitTest(float x, float y);
  // Caret rectangle right of character `index` (column - 1) of `line`;
  // optionally scrolls it into view first (scrolling down, by the height of
  // `inserted` more: measured only then). Without `placeBars` the scroll
  // bars are left for the caller, which re-ranges them right after.
  Gdiplus::RectF ComputeCaretRect(int line, int index, bool scrollIntoView, std::string_view inserted = {},
                                  bool placeBars = true);
  bool ArrangeScrollBars(bool reposition, bool updateRanges);
  // Draws (show) or erases the caret straight on the host's canvas and
  // presents only its column; with `place` the system caret follows.
  bool DrawCaret(bool show, bool place);

  // ---- properties --------------------------------------------------------------------
  void SetTextColor(Argb colour);
  Argb BackColor() const { return backColor_; }
  Argb BackColor(Argb colour);
  EditMode Mode() const { return mode_; }
  // Stores the mode; the line store keeps its copy until the next text change.
  EditMode Mode(EditMode mode) { return mode_ = mode; }
  void SetChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }
  void NotifyChanged();

  // ---- read access for owners and tests ---------------------------------------------
  const UiTextStore& TextStore() const { return textStore_; }
  bool MultiLine() const { return multiLine_; }
  int ScrollBars() const { return scrollBars_; }
  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  Gdiplus::RectF TextRect() const { return textRect_; }
  Gdiplus::RectF ContentRect() const { return contentRect_; }
  Gdiplus::RectF CaretRect() const { return caretRect_; }
  TextPosition Anchor() const { return anchor_; }
  TextPosition Caret() const { return caret_; }
  int FirstVisibleLine() const { return firstVisibleLine_; }
  int LastDrawnLine() const { return lastDrawnLine_; }
  int CaretPhase() const { return caretPhase_; }
  Gdiplus::GpFont* Font() const { return font_; }
  Gdiplus::GpStringFormat* StringFormat() const { return stringFormat_.Handle(); }
  UiScrollBar& VerticalBar() { return vScrollBar_; }
  UiScrollBar& HorizontalBar() { return hScrollBar_; }
  // Sets the selection (clamped into the text) and re-renders.
  void Select(TextPosition anchor, TextPosition caret);
  // How the line store lays out (tests and benchmarks compare the fast
  // paths with the reference one); lays out again and re-renders.
  void SetLayoutStrategy(UiTextStore::Strategy strategy);

 protected:
  // Hook before the lines are drawn; the base does nothing.
  virtual int OnBeforeDrawText() { return 0; }
  // Asked first by HandleEvent; anything but -1 is returned at once.
  virtual int OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }

 private:
  void OnCreated();
  void OnDestroyed();
  void OnSetText(const char* text, bool caretToEnd);
  void OnFocusGained();
  void OnFocusLost();
  // Makes the window's system caret at this edit's line height in device
  // pixels (hidden: it only places the input method's window).
  void CreateSystemCaret();
  // The same, put where this edit's caret stands.
  void TakeSystemCaret();
  int OnChar(WPARAM code);
  void OnImeComposition(LPARAM flags);
  int OnMenuCommand(WPARAM wParam, LPARAM lParam);
  void OnLeftDown(WPARAM wParam, LPARAM lParam);
  void OnMouseMove(WPARAM wParam, LPARAM lParam);
  void OnWheel(WPARAM wParam);
  void ShowContextMenu();
  void CopySelection();
  void CutSelection();
  void Paste();
  // Caret move of a navigation key (End, Home, arrows); other keys do nothing.
  void MoveCaretByKey(int key);
  // Height of `text` laid out as the edit lays out its lines (scrolling
  // margin after an insertion).
  int MeasuredHeight(std::string_view text);
  void Relayout();
  // After an edit: a full Render when the text scrolled sideways (or the
  // reference strategy is on); otherwise only the changed lines [first,
  // last] are drawn again, and the pixels of the lines above them (moved by
  // the vertical scrolling) and below them (moved by the scrolling and by
  // `shift`, the change of the total height) are moved instead of drawn.
  // `first` = `last` + 1: no line changed, only lines moved (a line break
  // after a line's end taken out, with nothing after it). False when the
  // edit is gone.
  // `fromColumn`: the one changed line kept its characters before this
  // column, so only the part of it from there on may be drawn again.
  bool RenderAfterEdit(int first, int last, int shift, int oldScrollX, int oldScrollY,
                       std::optional<int> fromColumn = std::nullopt);
  bool RenderLines(int first, int last, int shift, int scroll, std::optional<int> fromColumn);
  // Where the end of line `line` from character `fromColumn` on may be
  // drawn alone: the first character drawn and its offset from the line's
  // first glyph, and the offset where the redrawn area begins. Nothing
  // when the line's glyphs do not stand at summed advances.
  struct LineTail {
    int startChar = 0;
    float startOffset = 0, areaOffset = 0;
  };
  std::optional<LineTail> TailOf(int line, int fromColumn);
  // Rows of the text rect (relative to the element) whose pixels moved by
  // `delta`: the destination rows [top, bottom).
  struct RowMove {
    int top, bottom;
    int delta;
  };
  // Moves the composed pixels of `moves` on the host's canvas and window
  // (see UiWindow::MoveComposedRows); false when the host composes them.
  bool MoveOnHost(UiWindow& host, const std::vector<RowMove>& moves, int textTop, int textBottom);
  // The pixel the background's fill leaves on a cleared pixel of the
  // bitmap (asked of GDI+ once per colour); nothing when it cannot tell.
  std::optional<Argb> FillPixel(Gdiplus::GpGraphics* g);
  void ReleaseFont();
  // `rangesFollow`: the caller re-ranges the bars right after, and they
  // take the new scroll with their new range then, each drawn at most once.
  bool Recaret(std::string_view inserted = {}, bool rangesFollow = false);  // false: the edit is gone
  void DrawLines(Gdiplus::GpGraphics* g);
  // `tail`: only the characters from tail->startChar on, placed where
  // they stand in the whole line.
  void DrawLine(Gdiplus::GpGraphics* g, int line, const Gdiplus::RectF& rect, const LineTail* tail = nullptr);
  // Draws the whole of `line` from glyph stamps, clipped to `clip`; false
  // when it cannot (nothing drawn then).
  bool DrawLineStamped(Gdiplus::GpGraphics* g, int line, const Gdiplus::RectF& rect, const Gdiplus::RectF& clip);
  TextPosition Clamped(TextPosition p) const;
  Gdiplus::RectF PlacedBox(const Gdiplus::RectF& lineRect) const;
  std::wstring DisplayText(int line) const;

  UiTextStore textStore_;
  UiStringFormat stringFormat_;        // owned; all drawing and measuring
  Gdiplus::RectF contentRect_{};       // inner area after padding (single-line: centred)
  Gdiplus::RectF textRect_{};          // where lines are laid out and clipped
  gp::Font ownFont_;                   // owned when the caller asked for a font
  Gdiplus::GpFont* font_ = nullptr;    // ownFont_ or the library's default font; not owned
  gp::SolidBrush textBrush_;           // owned
  Argb backColor_ = ArgbOf(160, 255, 255, 255);
  Argb borderColor_ = ArgbOf(80, 0, 0, 0);  // also a border style 0..4
  EditMode mode_ = EditMode::Normal;
  std::string maskChar_ = "*";
  bool multiLine_ = false;
  int scrollBars_ = 0;                 // bit 1 horizontal, bit 2 vertical; 0 single-line
  int firstVisibleLine_ = 1;
  int lastDrawnLine_ = 1;
  int scrollY_ = 0;                    // 0 or negative
  int scrollX_ = 0;                    // 0 or negative
  TextPosition anchor_;                // fixed end of the selection
  TextPosition caret_;                 // moving end
  UiScrollBar hScrollBar_;             // child element, multi-line only
  UiScrollBar vScrollBar_;
  Gdiplus::RectF prevCaretRect_{};
  Gdiplus::RectF caretRect_{};
  int caretPhase_ = 0;                 // odd = caret drawn
  HIMC imeContext_ = nullptr;          // detached while focused in modes 1 to 4
  bool lineClickPending_ = false;      // after a double click, until the next press
  DWORD doubleClickTime_ = 0;
  ChangeHandler changeHandler_;
  WeakRef<UiElement> label_;           // names the edit for assistive technology
  std::optional<Gdiplus::RectF> linesClip_;  // while RenderLines runs: the area redrawn
  float linesOverhang_ = 4;            // while RenderLines runs: how far a line may draw beyond its rect
  bool selectionShown_ = false;        // the bitmap may hold a selection highlight
  std::optional<RectF> drawnCaret_;    // the caret drawn on the host's canvas (client pixels)
  std::optional<std::pair<Argb, Argb>> fillPixel_;  // backColor_ and the pixel its fill leaves
  // Drawing a line's tail alone is checked against drawing the whole line
  // for the first few tails with the same font, format and colours; one
  // difference ends it for those settings.
  struct TailCheck {
    Gdiplus::GpFont* font = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    Argb back = 0;
    int textColourGeneration = 0;
    int passed = 0;
    bool failed = false;
  };
  static constexpr int kTailChecks = 3;
  TailCheck tailCheck_;
  int textColourGeneration_ = 0;       // counts text colour changes
  const LineTail* drawTail_ = nullptr;  // while RenderLines draws a tail: the line's tail
  int drawTailLine_ = 0;
  // While RenderLines draws over its own fill: the bitmap and the pixel the
  // fill left, so lines may be drawn from glyph stamps.
  struct StampTarget {
    Gdiplus::GpBitmap* bitmap;
    Argb back;
  };
  std::optional<StampTarget> stampTarget_;
  GlyphStamps glyphStamps_;
  std::vector<float> lineStarts_;  // scratch: where a drawn line's characters start
};

}  // namespace ui
