#pragma once
#include "ui/element/element.h"

namespace ui {

class UiProgressBar : public UiElement {
 public:
  UiProgressBar() = default;
};

}  // namespace ui
