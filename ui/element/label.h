#pragma once
#include "ui/element/element.h"

namespace ui {

class UiLabel : public UiElement {
 public:
  UiLabel() = default;
};

}  // namespace ui
