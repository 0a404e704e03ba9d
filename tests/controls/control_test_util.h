#pragma once
// Helpers for the control tests: solid test images and pixel classes.
#include <windows.h>

#include "tests/support/host_fixture.h"
#include "ui/core/bytes.h"
#include "ui/core/color.h"

namespace ctltest {

// A BMP of one colour (0x00RRGGBB).
inline ui::Bytes SolidBmp(int width, int height, COLORREF rrggbb) {
  return qwtest::MakeBmp(width, height, [=](int, int) { return rrggbb; });
}

inline bool IsRed(ui::Argb c) { return ui::RedOf(c) > 200 && ui::GreenOf(c) < 60 && ui::BlueOf(c) < 60; }
inline bool IsBlue(ui::Argb c) { return ui::BlueOf(c) > 200 && ui::RedOf(c) < 60 && ui::GreenOf(c) < 60; }
inline bool IsLime(ui::Argb c) { return ui::GreenOf(c) > 200 && ui::RedOf(c) < 60 && ui::BlueOf(c) < 60; }
inline bool IsOpaque(ui::Argb c) { return ui::AlphaOf(c) >= 0xF0; }

// Pixel of an element's own bitmap.
inline ui::Argb Px(const ui::UiElement& e, int x, int y) { return qwtest::BitmapPixel(e.Bitmap(), x, y); }

}  // namespace ctltest
