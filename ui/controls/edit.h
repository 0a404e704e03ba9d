#pragma once
#include "ui/element/element.h"

namespace ui {

class UiEdit : public UiElement {
 public:
  UiEdit() = default;
};

}  // namespace ui
