#include "ui/controls/edit_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace ui {

std::optional<ColumnSpan> SelectedSpanOnLine(int line, int charCount, TextPosition anchor, TextPosition caret) {
  const auto clampColumn = [charCount](int c) { return std::clamp(c, 0, std::max(charCount, 0)); };
  const int a = clampColumn(anchor.column), c = clampColumn(caret.column);
  ColumnSpan span;
  if (line == anchor.line && line == caret.line) {
    span = {std::min(a, c), std::abs(a - c)};
  } else if (line == anchor.line) {
    // The anchor's line: from the anchor onwards when the selection runs
    // down from it, else from the line start up to the anchor.
    span = anchor.line < caret.line ? ColumnSpan{a, charCount - a} : ColumnSpan{0, a};
  } else if (line == caret.line) {
    span = anchor.line >= caret.line ? ColumnSpan{c, charCount - c} : ColumnSpan{0, c};
  } else if (line > std::min(anchor.line, caret.line) && line < std::max(anchor.line, caret.line)) {
    span = {0, charCount};
  } else {
    return std::nullopt;
  }
  if (span.length <= 0) return std::nullopt;
  return span;
}

int ColumnAtPoint(int charCount, float x, float y, const CharBoundsFn& charBounds) {
  int lo = 0, hi = charCount, mid = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    Gdiplus::RectF r;
    if (!charBounds(mid, &r)) return mid;
    r.Y -= 6;
    r.Height += 11;
    if (x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height) {
      // A hit: on the right half the caret goes after the character.
      return x > r.X + r.Width / 2 ? mid + 1 : mid;
    }
    const bool withinRow = y >= r.Y && y < r.Y + r.Height;
    if (r.Y > y || (withinRow && r.X > x))
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return mid;
}

}  // namespace ui
