#pragma once
// The built-in check mark of menu items (complete PNG files): 20 x 20, and
// the same tick drawn at 150 % (30 x 30) and 200 % (40 x 40).
#include "ui/core/bytes.h"

namespace ui {
ByteView MenuTickPng();
ByteView MenuTickPng150();
ByteView MenuTickPng200();
}  // namespace ui
