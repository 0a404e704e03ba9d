#pragma once
// Window-free pieces of the edit box's layout: which characters of a line
// are selected, and the binary search that maps a point to a column.
#include <functional>
#include <optional>

#include "ui/platform/gdiplus_api.h"

namespace ui {

// A caret position: line from 1, column in characters from 0.
struct TextPosition {
  int line = 1;
  int column = 0;
  friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

struct ColumnSpan {
  int first = 0;
  int length = 0;
};

// The selected characters of `line` (which has `charCount` characters) for
// a selection between `anchor` and `caret`, in whichever order they lie;
// nothing when the line holds no selected character.
std::optional<ColumnSpan> SelectedSpanOnLine(int line, int charCount, TextPosition anchor, TextPosition caret);

// Bounds of character `index` of the line being searched, in the same
// coordinates as the point; false when it cannot be measured.
using CharBoundsFn = std::function<bool(int index, Gdiplus::RectF* bounds)>;

// Binary search over the `charCount` characters of a line for the column
// under (x, y): a character hit on its right half gives the column after
// it. Each character's box is widened vertically (6 px above, 5 below) so a
// point between rows still finds its row. A failed measurement ends the
// search at the character being measured.
int ColumnAtPoint(int charCount, float x, float y, const CharBoundsFn& charBounds);

}  // namespace ui
