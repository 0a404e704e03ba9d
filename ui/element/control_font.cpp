#include "ui/element/control_font.h"

#include "ui/core/font.h"
#include "ui/core/library.h"

namespace ui {

void ControlFont::Make(const std::optional<std::string>& name, std::optional<float> size,
                       std::optional<int> style) {
  if (!name && !size && !style) {
    Take(Library().defaultFont);
    return;
  }
  const std::string family = name ? *name : FontFamilyName(Library().defaultFont);
  Take(CreateFontByName(family, size.value_or(kDefaultSize), style.value_or(0)));
}

void ControlFont::Remake(std::optional<std::string_view> name, std::optional<float> size,
                         std::optional<int> style) {
  const std::string family = name ? std::string(*name) : Family();
  const float newSize = size.value_or(Size());
  const int newStyle = style.value_or(Style());
  Take(CreateFontByName(family, newSize, newStyle));
}

void ControlFont::Take(Gdiplus::GpFont* font) {
  if (font == font_) return;
  Release();
  font_ = font;
}

void ControlFont::Release() {
  if (font_ && font_ != Library().defaultFont) gp::GdipDeleteFont(font_);
  font_ = nullptr;
}

std::string ControlFont::Family() const {
  std::string name = FontFamilyName(font_);
  return name.empty() ? FontFamilyName(Library().defaultFont) : name;
}

float ControlFont::Size() const {
  float size = 0;
  if (!font_ || !gp::Ok(gp::GdipGetFontSize(font_, &size)) || size <= 0) return kDefaultSize;
  return size;
}

int ControlFont::Style() const {
  INT style = 0;
  if (font_) gp::GdipGetFontStyle(font_, &style);
  return style;
}

float ControlFont::HeightOn(Gdiplus::GpGraphics* g) const {
  float h = 0;
  if (font_ && g) gp::GdipGetFontHeight(font_, g, &h);
  return h;
}

}  // namespace ui
