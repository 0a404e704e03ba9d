#include "ui/core/font.h"

#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

Gdiplus::GpFont* CreateFontByName(std::string_view family, float size, int style) {
  gp::FontFamily fam;
  if (!gp::Ok(gp::GdipCreateFontFamilyFromName(ToWide(family).c_str(), nullptr, fam.put()))) {
    fam.reset();
    const std::string fallback = FontFamilyName(Library().defaultFont);
    if (!fallback.empty())
      gp::GdipCreateFontFamilyFromName(ToWide(fallback).c_str(), nullptr, fam.put());
  }
  Gdiplus::GpFont* font = nullptr;
  if (fam) gp::GdipCreateFont(fam.get(), size, style, Gdiplus::UnitPixel, &font);
  return font;
}

std::string FontFamilyName(Gdiplus::GpFont* font) {
  if (!font) return {};
  Gdiplus::GpFontFamily* family = nullptr;
  // GdipGetFamily hands out a family the caller must delete.
  if (!gp::Ok(gp::GdipGetFamily(font, &family)) || !family) return {};
  gp::FontFamily owned(family);
  WCHAR name[LF_FACESIZE] = {};
  if (!gp::Ok(gp::GdipGetFamilyName(family, name, 0))) return {};
  return FromWide(name);
}

}  // namespace ui
