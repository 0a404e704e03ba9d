#pragma once
// Where each caption-button glyph sits in the library's glyph strip.
#include "ui/platform/gdiplus_api.h"

namespace ui {

// Caption part bits (also the caption buttons' kinds).
enum CaptionPart : int {
  kCaptionClose = 4,
  kCaptionMaximize = 8,
  kCaptionMinimize = 16,
};

// Glyph states: 0 normal, 1 hot, 2 pressed; 3 and -1 draw the normal glyph.
// The source rectangle of the glyph for (kind, state); kind 8 uses the
// restore glyphs while the window is maximised. Any other state or kind
// gives an empty rectangle.
Gdiplus::RectF GlyphCell(int kind, int state, bool maximized);

}  // namespace ui
