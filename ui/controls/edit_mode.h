#pragma once
// What an edit box lets the user do with its text.

namespace ui {

enum class EditMode : int {
  Normal = 0,
  ReadOnly = 1,  // selection and copy only
  Password = 2,  // shown masked; no selection by mouse or Shift, no clipboard
  Integer = 3,   // typed characters limited to digits and "-"
  Decimal = 4,   // digits, "-", "/" and at most one "."
};

}  // namespace ui
