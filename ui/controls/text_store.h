#pragma once
// UiTextStore: the line store of an edit box. Holds the whole text as GBK
// bytes with CR LF between lines, a table of line starts and, after Layout,
// each line's measured rectangle.
//
// Positions are 1-based byte indices into the text; lines are numbered from
// 1; a column counts characters (not bytes) from the start of a line. Line
// rectangles are relative to the top of the text (y 0 at the first line).
// Nothing here reads outside the text: out-of-range lines, columns and
// positions are clamped or give empty results.
#include <optional>
#include <string>
#include <string_view>
#include <map>
#include <vector>

#include "ui/controls/edit_mode.h"
#include "ui/controls/gap_bytes.h"
#include "ui/controls/text_line_measure.h"
#include "ui/controls/text_store_offsets.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

class UiTextStore {
 public:
  // How edits and layouts do their work. The defaults are the fast paths;
  // with both off every edit rebuilds the whole line table and every
  // layout measures every line with GDI+ (the reference the fast paths
  // must match, for tests and benchmarks).
  struct Strategy {
    bool incremental = true;    // edits touch only the changed lines; layout measures only those
    bool summedWidths = true;   // lines are measured as sums of advance widths where that is exact
    bool operator==(const Strategy&) const = default;
  };

  UiTextStore() { SetText("", false, EditMode::Normal, "*"); }

  // Replaces the content. Single-line text is cut at its first CR LF; every
  // LF without a CR before it is dropped; in multi-line text each CR LF
  // starts a new line (a final CR LF leaves an empty last line).
  void SetText(std::string_view text, bool multiLine, EditMode mode, std::string_view mask);

  // Measures the lines with `font` and `format` in `box` (see the .cpp for
  // how the scroll-bar setting shapes the box) and stacks them. Lines that
  // an edit left untouched keep their measured size as long as the font,
  // format, box size and scroll-bar setting stay the same; SetText and
  // InvalidateLayout make every line be measured again. `graphics`, `font`
  // and `format` are borrowed.
  void Layout(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& box, Gdiplus::GpFont* font,
              Gdiplus::GpStringFormat* format, int scrollBars);
  // Every line is measured again by the next Layout.
  void InvalidateLayout();
  // How many lines the latest Layout measured (for tests and benchmarks).
  int LinesMeasuredByLastLayout() const { return lastMeasuredCount_; }
  // How many of those GDI+ measured (the rest were summed advances).
  int RealMeasuresByLastLayout() const { return lastRealCount_; }
  // How far into `text` (a display text) its character `count` starts
  // from its first, as summed advances in the latest layout's box; nothing
  // where sums are not exact there (see LineMeasurer::PrefixAdvance).
  std::optional<float> PrefixAdvance(std::wstring_view text, int count);
  // Where every character of `text` and its end start, as above; false where sums are not exact.
  bool PrefixAdvances(std::wstring_view text, std::vector<float>* starts);
  // The advance `c` adds to a summed line (see LineMeasurer::SummedAdvance).
  std::optional<float> SummedAdvance(wchar_t c) { return layoutKey_ ? measurer_.SummedAdvance(c) : std::nullopt; }
  void SetStrategy(Strategy strategy);
  Strategy GetStrategy() const { return strategy_; }
  // Whether summed widths may be used at all: only where the graphics
  // measures in whole device pixels (no display scaling). Under a scaling
  // transform the measured widths are device widths divided by the scale,
  // which no sum of per-character widths reproduces exactly.
  void SetSummingAllowed(bool allowed);

  // The bytes of `line` without its CR LF (only the first `byteCount` bytes
  // when given). For display, Password mode gives the mask once per
  // character and otherwise every space becomes a TAB, so that spaces
  // advance to the string format's tab stops (unless SetSpacesAsTabs(false)).
  // "" for an invalid line.
  std::string LineText(int line, bool forDisplay = false,
                       std::optional<int> byteCount = std::nullopt) const;
  // The abs(b - a) bytes from position min(a, b), within the text.
  std::string Range(int a, int b) const;
  // Removes the bytes from min(a, b) up to max(a, b) (exclusive), then
  // rebuilds the lines with the stored mode and mask.
  void DeleteRange(int a, int b, bool multiLine);
  // Inserts `text` before the byte at `position` (clamped into 1..length+1).
  // Single-line, only the part of `text` before its first CR LF is
  // inserted, so the text after the insertion point is kept.
  void InsertAt(int position, std::string_view text, bool multiLine);
  // Replaces the bytes from min(a, b) up to max(a, b) by `text` (as
  // InsertAt for single-line text). Returns the 1-based byte index just
  // after the inserted bytes in the new text.
  int ReplaceRange(int a, int b, std::string_view text, bool multiLine);
  // Line and column of the character at 1-based byte index `position`
  // (clamped into the text; a position inside a line break or a two-byte
  // character counts as the position after it).
  void LineColumnAt(int position, int* line, int* column) const;

  // Whether display texts turn spaces into TABs (the default). A renderer
  // that gives TABs no width would otherwise swallow every space.
  void SetSpacesAsTabs(bool value) {
    if (value != spacesAsTabs_) InvalidateLayout();
    spacesAsTabs_ = value;
  }

  const std::string& Text() const { return bytes_.Str(); }
  const char* Bytes() const { return bytes_.Str().c_str(); }
  int Length() const { return static_cast<int>(bytes_.size()); }
  int LineCount() const { return starts_.Size(); }
  int LineHeight() const { return lineHeight_; }
  int CharWidth() const { return charWidth_; }
  int TotalHeight() const { return totalHeight_; }
  int MaxWidth() const { return maxWidth_; }
  EditMode Mode() const { return mode_; }
  const std::string& MaskChar() const { return maskChar_; }
  bool IsValidLine(int line) const { return line >= 1 && line <= LineCount(); }
  // Zero rect / 0 for an invalid line.
  Gdiplus::RectF LineRect(int line) const;
  int LineStart(int line) const;
  // Byte length of the line without its CR LF; 0 for an invalid line.
  int LineByteLength(int line) const;
  // Number of characters of the raw line.
  int LineCharCount(int line) const;

  // 1-based byte index of column `column` of `line`: the line's start plus
  // the bytes of its first `column` characters. The column is clamped to
  // the line, so the result never points past the line. 0 for an invalid
  // line.
  int BytePosition(int line, int column) const;

  // Word boundaries for double-click selection: a word character is a digit
  // or an ASCII letter (by the first byte of the character). WordStart walks
  // left from `column` while the character before it is one; WordEnd walks
  // right while the character after it is one. Both stay within the line.
  int WordStart(int line, int column) const;
  int WordEnd(int line, int column) const;

 private:
  struct LayoutKey {
    Gdiplus::GpFont* font = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    float boxWidth = 0, boxHeight = 0;
    int scrollBars = 0;
    bool operator==(const LayoutKey&) const = default;
  };

  std::string_view RawLine(int line) const;
  // Line table of the whole text: one start, no size.
  void RebuildLines(bool multiLine);
  void ReplaceRangeFully(int first, int last, const std::string& inserted, bool multiLine);
  // Line i (0-based) takes its measured size; its share of the totals and
  // the tops of the lines after it follow.
  void SetLineSize(int i, float width, float height);
  void ForgetLineSize(int i);
  void MarkDirty(int first, int last);  // 0-based, [first, last)
  void MeasureLine(int i, Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& layoutBox, bool fixedHeight,
                   const Gdiplus::RectF& reference);

  GapBytes bytes_;             // whole text, CR LF between lines, no terminator in the count
  bool multiLine_ = false;     // the setting the text was stored with
  ShiftedOffsets starts_;      // 1-based byte index of each line's first byte; at least one
  ShiftedOffsets tops_;        // each line's y: the sum of the measured heights above it
  std::vector<float> widths_;  // measured width, 0 while unmeasured
  std::vector<float> heights_;
  std::vector<unsigned char> measured_;  // the size is valid for the latest layout settings
  int dirtyFirst_ = 0, dirtyLast_ = 0;   // lines that may be unmeasured, [first, last)
  std::map<int, int> widthCounts_;       // truncated width -> number of measured lines that wide
  int maxWidth_ = 0;         // widest measured line, pixels
  int totalHeight_ = 0;      // sum of the line heights, pixels
  int lineHeight_ = 0;       // height of the reference glyph, pixels
  int charWidth_ = 0;        // width of the reference glyph, pixels
  Gdiplus::RectF reference_{};  // the reference glyph's bounds in the latest layout box
  EditMode mode_ = EditMode::Normal;
  std::string maskChar_ = "*";
  bool spacesAsTabs_ = true;
  Strategy strategy_;
  bool summingAllowed_ = true;
  std::optional<LayoutKey> layoutKey_;  // settings of the latest Layout; none = measure all
  LineMeasurer measurer_;
  int lastMeasuredCount_ = 0;
  int lastRealCount_ = 0;
};

}  // namespace ui
