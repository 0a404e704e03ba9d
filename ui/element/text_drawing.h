#pragma once
// Drawing routines shared by the label, button, picture and menu item:
// text with a glow or outline effect, border styles, and the tests that
// choose light or dark text.
#include <string_view>

#include "ui/core/color.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

enum TextEffect : int { kEffectNone = 0, kEffectGlow = 3, kEffectOutline = 4 };

// A colour is dark when 0.299 R + 0.587 G + 0.114 B is below 192.
bool IsDarkColor(Argb color);

// Draws `text` into `rect` with `font`, `color` and `format`; with effect 3
// (soft glow) or 4 (sharp outline) a halo in `effectColor` is drawn behind
// it first. An effect colour of 0 is chosen automatically: a light halo
// behind dark text, a dark shadow behind light text.
void DrawTextWithEffect(Gdiplus::GpGraphics* g, const Gdiplus::RectF& rect, std::wstring_view text,
                        Gdiplus::GpFont* font, Argb color, Gdiplus::GpStringFormat* format, int effect,
                        Argb effectColor = 0);

// Border styles: 0 none, 1 sunken, 2 raised, 3 flat (colour, default grey),
// 4 dashed (colour, default black at alpha 120); any other value is itself
// the ARGB colour of a solid outline. A `color` of 0 takes the default.
void DrawBorderStyle(Gdiplus::GpGraphics* g, const Gdiplus::RectF& rect, Argb style, Argb color = 0,
                     float penWidth = 1.0f);

// Whether the window body behind `bounds` (window coordinates) is dark:
// with a background image, more than four of nine samples taken at 20, 50
// and 80 % of the bounds are dark; without one, the body colour decides.
bool IsBackgroundDark(Gdiplus::GpImage* backgroundImage, COLORREF backgroundColor,
                      const Gdiplus::RectF& bounds);

}  // namespace ui
