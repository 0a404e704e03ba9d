#pragma once
// The font of a text control: either the library's default font (shared,
// never deleted) or a font of the control's own, deleted exactly once.
#include <optional>
#include <string>
#include <string_view>

#include "ui/platform/gdiplus_api.h"

namespace ui {

class ControlFont {
 public:
  static constexpr float kDefaultSize = 12.0f;

  ControlFont() = default;
  ControlFont(const ControlFont&) = delete;
  ControlFont& operator=(const ControlFont&) = delete;
  ~ControlFont() { Release(); }

  // The library's default font when name, size and style are all absent;
  // otherwise a new font (family default: the default font's family, size
  // default 12 pixels, style default regular).
  void Make(const std::optional<std::string>& name, std::optional<float> size, std::optional<int> style);
  // A new font that keeps the current values except the ones given.
  void Remake(std::optional<std::string_view> name, std::optional<float> size, std::optional<int> style);
  // Takes `font` as is; the control deletes it later unless it is the
  // library's default font.
  void Take(Gdiplus::GpFont* font);
  // Deletes the font unless it is the library's default font; null after.
  void Release();

  Gdiplus::GpFont* get() const { return font_; }
  std::string Family() const;  // code page 936
  float Size() const;          // pixels; 12 without a font
  int Style() const;           // GDI+ style bits
  // Line height of the font on `g` (0 without font or graphics).
  float HeightOn(Gdiplus::GpGraphics* g) const;

 private:
  Gdiplus::GpFont* font_ = nullptr;  // owned unless it is the library's default font
};

}  // namespace ui
