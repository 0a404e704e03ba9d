#pragma once
// AccessibleLabelProxy: the element that tells assistive technology what a
// transparent label of the form says. The label itself is drawn into the
// host's composed frames, where no screen reader can read it; the proxy is
// an element of the host at the label's place that draws nothing, takes no
// mouse input (it is disabled, so hit tests pass through it) and describes
// itself as static text with the label's caption. A changed caption is
// announced (EVENT_OBJECT_NAMECHANGE), showing and hiding as the element's
// own show and hide.
//
// Coordinates: client pixels of the host window, as for every element.
#include <windows.h>

#include <string>

#include "ui/element/element.h"

namespace app::form {

class AccessibleLabelProxy final : public ui::UiElement {
 public:
  // Creates the proxy on the host window `window`; false when the window has no host.
  bool Create(HWND window, const RECT& box, const std::string& caption, bool visible);
  void SetCaption(const std::string& caption);
  void SetBox(const RECT& box);
  ui::AccessibleInfo Accessible() override;

 private:
  std::string caption_;  // code page 936
};

}  // namespace app::form
