#include "ui/core/font.h"

#include <mutex>
#include <vector>

#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {
// Families by name, looked up once: a lookup searches the installed fonts
// and costs as much as the rest of making a font. Kept for the process
// (GDI+ is never shut down); a null family is a name no font has.
struct KnownFamily {
  std::string name;
  Gdiplus::GpFontFamily* family;
};
std::vector<KnownFamily>& KnownFamilies() {
  static std::vector<KnownFamily> known;
  return known;
}
// Families are shared: looking up and making fonts from them happen one at a time.
std::mutex g_families;

// With the lock held. Only a name GDI+ says no font has is remembered as
// missing; any other failure (GDI+ not started) is tried again next time.
Gdiplus::GpFontFamily* FamilyOf(std::string_view name) {
  for (const KnownFamily& k : KnownFamilies())
    if (k.name == name) return k.family;
  Gdiplus::GpFontFamily* family = nullptr;
  const Gdiplus::Status status = gp::GdipCreateFontFamilyFromName(ToWide(name).c_str(), nullptr, &family);
  if (status != Gdiplus::Ok) family = nullptr;
  if (status == Gdiplus::Ok || status == Gdiplus::FontFamilyNotFound)
    KnownFamilies().push_back(KnownFamily{std::string(name), family});
  return family;
}

}  // namespace

bool FontFamilyExists(std::string_view name) {
  const std::lock_guard<std::mutex> hold(g_families);
  return FamilyOf(name) != nullptr;
}

Gdiplus::GpFont* CreateFontByName(std::string_view family, float size, int style) {
  const std::lock_guard<std::mutex> hold(g_families);
  Gdiplus::GpFontFamily* found = FamilyOf(family);
  if (!found) {
    const std::string fallback = FontFamilyName(Library().defaultFont);
    if (!fallback.empty()) found = FamilyOf(fallback);
  }
  Gdiplus::GpFont* font = nullptr;
  if (found) gp::GdipCreateFont(found, size, style, Gdiplus::UnitPixel, &font);
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
