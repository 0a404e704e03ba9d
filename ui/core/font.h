#pragma once
// Fonts by family name, in pixels.
#include <string>
#include <string_view>

#include "ui/platform/gdiplus_api.h"

namespace ui {

// A new GDI+ font of `family` (code-page text) at `size` pixels and GDI+
// style bits. An unknown family falls back to the default font's family;
// null when every step failed. The caller owns the font. Safe from any
// thread.
Gdiplus::GpFont* CreateFontByName(std::string_view family, float size, int style);

// Whether an installed font has the family `name` (code-page text). Each
// name is looked up once; fonts of it are made from what was found.
bool FontFamilyExists(std::string_view name);

// The family name of `font` as code-page text; "" for a null font.
std::string FontFamilyName(Gdiplus::GpFont* font);

}  // namespace ui
