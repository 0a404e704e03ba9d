#pragma once
// The host a new element will belong to, for defaults taken from it.
#include "ui/element/element.h"

namespace ui {

// The live host of `parent` (a hosted window or a live element); null otherwise.
const UiWindow* HostOfParent(const UiParent& parent);

}  // namespace ui
