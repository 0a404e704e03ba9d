// UiWindow: keys, Tab order and accelerators.
#include "ui/element/element.h"
#include "ui/host/window.h"

namespace ui {

LRESULT UiWindow::OnKeyDown(UINT msg, WPARAM wp, LPARAM lp) { return 0; }

bool UiWindow::OnSysChar(UINT msg, WPARAM wp, LPARAM lp) { return false; }

}  // namespace ui
