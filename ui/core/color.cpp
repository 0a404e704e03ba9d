#include "ui/core/color.h"

namespace ui {

Argb MakeArgb(COLORREF rgb, int alpha) {
  if (alpha == 255) alpha = 254;
  const Argb red = rgb & 0xFF;
  const Argb green = (rgb >> 8) & 0xFF;
  const Argb blue = (rgb >> 16) & 0xFF;
  return (Argb(alpha & 0xFF) << 24) | (red << 16) | (green << 8) | blue;
}

}  // namespace ui
