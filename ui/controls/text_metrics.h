#pragma once
// GDI+ text measuring used by the edit box and its line store. All texts
// are UTF-16 here; every graphics, font and format argument is borrowed.
#include <string_view>
#include <vector>

#include "ui/platform/gdiplus_api.h"

namespace ui {

// Bounds of `text` laid out in `box`; false when GDI+ fails.
bool MeasureText(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
                 const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, Gdiplus::RectF* bounds);

// The characters [first, first + length) of `text` laid out in `box`, as one
// rectangle per visual row (top to bottom). Empty when GDI+ fails or the
// range lies outside the text. Sets the format's measurable ranges.
std::vector<Gdiplus::RectF> MeasureRangeRows(Gdiplus::GpGraphics* graphics, std::wstring_view text,
                                             Gdiplus::GpFont* font, const Gdiplus::RectF& box,
                                             Gdiplus::GpStringFormat* format, int first, int length);

// Bounding box of the characters [first, first + length); false when GDI+
// reports an error (a range past the text among them).
bool MeasureRangeBounds(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
                        const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, int first, int length,
                        Gdiplus::RectF* bounds);

// Whether a TAB laid out with `format` advances to a tab stop (some GDI+
// implementations give it no width at all). Measured once per process;
// true when it cannot be measured.
bool TabsAdvance(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format);

}  // namespace ui
