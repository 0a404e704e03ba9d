#include "ui/controls/caption_glyphs.h"

namespace ui {

Gdiplus::RectF GlyphCell(int kind, int state, bool maximized) {
  int column;
  switch (state) {
    case 0: case 3: case -1: column = 0; break;
    case 1: column = 1; break;
    case 2: column = 2; break;
    default: return {};
  }
  if (kind == kCaptionClose) return Gdiplus::RectF(40.0f * column, 2, 39, 19);
  // Seven further kinds of 28-pixel glyphs, 29 apart, three states each,
  // from x = 120: maximise, restore, minimise, then kinds 32, 64, 128, 256.
  int group;
  switch (kind) {
    case kCaptionMaximize: group = maximized ? 1 : 0; break;
    case kCaptionMinimize: group = 2; break;
    case 32: group = 3; break;
    case 64: group = 4; break;
    case 128: group = 5; break;
    case 256: group = 6; break;
    default: return {};
  }
  return Gdiplus::RectF(120.0f + 29.0f * (3 * group + column), 2, 28, 19);
}

}  // namespace ui
