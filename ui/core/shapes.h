#pragma once
// Rounded rectangles as used by menus, progress bars and scroll bars.
// Rectangles are {x, y, width, height} in the graphics' own coordinates.
#include "ui/core/color.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// A closed path of four r x r corner arcs around (x, y, w, h); the right and
// bottom arcs stand one pixel inside so an outline stays within the area.
// With r <= 0 the path is the plain rectangle (x, y, w - 1, h - 1).
gp::Path RoundedRectPath(float x, float y, float w, float h, float r);

void FillRoundedRect(Gdiplus::GpGraphics* g, float x, float y, float w, float h, float r, Argb color);
void DrawRoundedRect(Gdiplus::GpGraphics* g, float x, float y, float w, float h, float r, Argb color,
                     float penWidth = 1.0f);

}  // namespace ui
