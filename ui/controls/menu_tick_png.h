#pragma once
// The built-in check mark of menu items (a complete PNG file).
#include "ui/core/bytes.h"

namespace ui {
ByteView MenuTickPng();
}  // namespace ui
