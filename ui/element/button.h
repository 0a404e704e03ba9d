#pragma once
#include "ui/element/element.h"

namespace ui {

class UiButton : public UiElement {
 public:
  UiButton() = default;
};

}  // namespace ui
