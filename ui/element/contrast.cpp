#include "ui/element/contrast.h"

#include "ui/element/element.h"
#include "ui/element/text_drawing.h"
#include "ui/host/window.h"

namespace ui {

bool IsBackgroundDarkBehind(const UiElement& element) {
  const UiWindow* host = element.Host();
  if (!host) return false;
  return IsBackgroundDark(host->BackgroundImage(), host->BackgroundColor(), element.Bounds().ToGdiplus());
}

Argb ContrastTextColor(const UiElement& element, Argb textColor) {
  const Argb alpha = textColor & 0xFF000000u;
  return alpha | (IsBackgroundDarkBehind(element) ? 0x00FFFFFFu : 0x00000000u);
}

}  // namespace ui
