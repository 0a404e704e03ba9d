#pragma once
// Text colour chosen by the window background behind an element.
#include "ui/core/color.h"

namespace ui {

class UiElement;

// True when the host's background image (or, without one, its background
// colour) is dark behind the element's bounds; false without a live host.
bool IsBackgroundDarkBehind(const UiElement& element);

// White on a dark background, black otherwise, keeping the alpha of `textColor`.
Argb ContrastTextColor(const UiElement& element, Argb textColor);

}  // namespace ui
