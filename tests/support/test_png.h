#pragma once
// PNG files made in the test: 8-bit RGBA, stored (uncompressed) deflate.
#include <functional>

#include "ui/core/bytes.h"
#include "ui/core/color.h"

namespace qwtest {

// A `width` x `height` PNG whose pixel (x, y) is pixel(x, y) (ARGB).
ui::Bytes MakePng(int width, int height, const std::function<ui::Argb(int x, int y)>& pixel);
// One colour all over.
ui::Bytes SolidPng(int width, int height, ui::Argb colour);

}  // namespace qwtest
